#pragma once
// A espera do localizador entre voltas e os sinais que outras threads lhe dão:
// acordar já, a hora do último clique ou Enter.

#include <chrono>
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
