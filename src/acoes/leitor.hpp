#pragma once
// O leitor de comandos: lê a entrada padrão, faz na hora os comandos que só
// ligam um efeito ou mudam um ajuste e enfileira o resto para o executor.

#include <string>

// Os comandos que o leitor faz ele mesmo; falso quando a linha vai para a fila.
bool fazer_no_leitor(const std::string& linha);

// A thread do leitor (modo hospedado). No fim da entrada, para o tremor da
// tela, espera a tela voltar ao normal e avisa o executor.
void leitor_de_comandos();
