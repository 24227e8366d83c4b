#pragma once
// Consultas pequenas sobre uma janela que todos os subsistemas fazem: o
// executável do processo dela e a escala do monitor dela.

#include <optional>
#include <string>

#include "comum/tipos.hpp"

// O nome do executável da janela, em minúsculas ("chrome.exe"); nenhum quando
// o processo não se deixa consultar.
std::optional<std::string> executavel_da_janela(Hwnd janela);

// GetDpiForWindow / 96; 1 quando a chamada dá 0.
double escala_dpi(Hwnd janela);
// Uma medida de "n" pixels a 96 DPI na escala da janela.
inline std::int32_t na_escala_da_janela(double n, Hwnd janela) { return na_escala(n, escala_dpi(janela)); }
