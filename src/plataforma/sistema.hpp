#pragma once
// O quadro do processo: relógio e esperas, threads, fim do processo, console,
// linha de comando e ambiente.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plataforma/sincronia.hpp"

namespace plataforma {

using Duracao = std::chrono::steady_clock::duration;
using std::chrono::milliseconds;

// Relógio monotônico do programa.
Instante agora();
// Espera de alta resolução (o observador do ponteiro dorme 15 ms por passo).
void dormir(Duracao d);
void dormir_ate(Instante prazo);

// Inicia uma thread desligada (nunca é juntada). Falso quando o sistema recusou.
bool iniciar_thread(std::function<void()> corpo);

// Esvazia a saída e o erro padrão e encerra o processo já, com o código dado.
[[noreturn]] void encerrar_processo(int codigo);
// Parada irrecuperável: o motivo numa linha do erro padrão e status de falha.
[[noreturn]] void parar(std::string_view motivo);

// Prepara a plataforma; na simulada carrega a cena. Chamada uma vez, primeiro.
void iniciar_plataforma(int argc, char** argv);

// Argumentos do programa em UTF-8, sem o nome do executável. No Windows vêm de
// GetCommandLineW e CommandLineToArgvW (regras de aspas e barras do Windows).
std::vector<std::string> argumentos();

// Escreve os bytes na saída padrão e esvazia; falso quando a escrita falhou.
bool escrever_saida(std::string_view bytes);
// Escreve os bytes no erro padrão (linhas de log).
void escrever_erro(std::string_view bytes);
// Lê uma linha crua da entrada padrão, sem o "\n". Falso no fim ou em erro.
bool ler_linha_da_entrada(std::string& linha);

// Valor da variável de ambiente; nenhum quando falta ou não é Unicode válido.
std::optional<std::string> variavel_de_ambiente(const char* nome);

}  // namespace plataforma
