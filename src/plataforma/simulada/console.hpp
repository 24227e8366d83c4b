#pragma once
// A entrada padrão da simulação: a real, ou linhas vindas da linha do tempo da
// cena (para testes que precisam dela aberta e com comandos em instantes certos).

#include <string>

namespace plataforma::simulada {

void usar_entrada_da_cena(bool sim);
// Nos testes dentro do processo, a saída e o erro do programa vão só para o
// rastro, sem sujar o console do teste.
void console_so_no_rastro(bool sim);
void entrada_receber_linha(std::string linha);
void entrada_fechar();

}  // namespace plataforma::simulada
