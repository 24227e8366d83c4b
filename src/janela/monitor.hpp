#pragma once
// A janela cobre o monitor inteiro? E está no mesmo monitor que outra?

#include <string>

#include "comum/tipos.hpp"

// O retângulo da janela é igual, nos quatro lados, ao do monitor mais próximo.
bool tela_cheia(Hwnd janela);
// "mesmo monitor" ou "outro monitor", com ", tela cheia" quando a primeira
// janela cobre o monitor dela.
std::string descrever_monitor(Hwnd janela, Hwnd outra);
// A janela da frente descrita para os logs: "exe (mesmo monitor)".
std::string descrever_janela_da_frente(Hwnd da_frente, Hwnd navegador);
