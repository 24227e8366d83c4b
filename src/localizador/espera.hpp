#pragma once
// A espera do localizador entre voltas e os sinais que outras threads lhe dão:
// acordar já, a hora do último clique ou Enter, o botão esquerdo apertado.

#include <atomic>
#include <optional>

#include "plataforma/sincronia.hpp"

// Acorda o localizador: marca "acordar já" e avisa a variável de condição.
void acordar_localizador();

// Espera até "limite" ou até ser acordado; com "acordar já" marcado, não
// espera. A marca é limpa depois de toda espera.
void esperar_proxima_volta(std::chrono::milliseconds limite);

// Fim do último clique ou Enter (observador do ponteiro).
void marcar_hora_do_ponteiro(plataforma::Instante quando);
std::optional<plataforma::Instante> hora_do_ponteiro();

// O botão esquerdo estava apertado na última amostra do observador do ponteiro.
extern std::atomic<bool> BOTAO_APERTADO;
// Algo foi mostrado, escondido ou reordenado no navegador: procurar de novo o
// que cobre o chat.
extern std::atomic<bool> JANELAS_MUDARAM;
