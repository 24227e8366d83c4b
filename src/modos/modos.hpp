#pragma once
// Os modos de execução que a partida escolhe.

#include <optional>
#include <string>

#include "comum/tipos.hpp"

// Protótipo: a nossa Vidrel, o localizador numa thread, o laço de mensagens.
int rodar_prototipo();
// Hospedado: a janela do app é a Vidrel; o localizador roda nesta thread.
[[noreturn]] void rodar_hospedado(Hwnd janela);
// Lista das janelas de navegador a cada 250 ms, enquanto muda.
int rodar_navegadores();
// Teste do pulo: comandos "pulsar N" e "pecas" na entrada padrão.
int rodar_pulso();
// Diagnóstico: sondas da leitura da página.
int rodar_diagnostico();

inline constexpr const char* MENSAGEM_DO_PROTOTIPO =
    "Protótipo rodando. Abra uma live da Twitch ou da Kick no Chrome ou no Edge. Ctrl+C "
    "encerra.\n";
