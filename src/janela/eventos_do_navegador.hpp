#pragma once
// O observador das janelas do navegador: ganchos de WinEvents no processo do
// navegador seguido, para reagir já a movimentos, arrastos, troca de aba e ao
// que abre e fecha na página, em vez de esperar a próxima volta do localizador.

#include <cstdint>

#include "comum/tipos.hpp"

// A thread do observador (para sempre).
[[noreturn]] void observador_de_janelas();

// A reação a um aviso; roda na thread do observador.
void reagir_ao_evento(std::uint32_t evento, Hwnd janela, std::int32_t objeto, std::int32_t filho);
