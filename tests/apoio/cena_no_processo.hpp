#pragma once
// A montagem que os testes dentro do processo e as bancadas partilham: uma
// cena carregada na área de trabalho global deste processo, o relógio e os
// valores do programa no começo.

#include <string>

#include "plataforma/simulada/relogio.hpp"

// O texto de uma cena de cenas/.
std::string ler_cena_de_exemplo(const std::string& nome);

// Carrega a cena, zera o relógio no modo dado e os valores do processo, e
// manda a saída e o erro do programa só para o rastro. Com "hospedado", a
// janela 100 das cenas faz o papel da janela do app.
void carregar_cena_no_processo(
    const std::string& texto, bool hospedado = false,
    plataforma::simulada::Relogio::Modo modo = plataforma::simulada::Relogio::Modo::Virtual);
