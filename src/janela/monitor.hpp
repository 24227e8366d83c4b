#pragma once
// A janela cobre o monitor inteiro? E está no mesmo monitor que outra? E a
// janela do navegador ainda mostra a aba de um título?

#include <string>
#include <string_view>

#include "comum/tipos.hpp"

// O retângulo da janela é igual, nos quatro lados, ao do monitor mais próximo.
bool tela_cheia(Hwnd janela);
// "mesmo monitor" ou "outro monitor", com ", tela cheia" quando a primeira
// janela cobre o monitor dela.
std::string descrever_monitor(Hwnd janela, Hwnd outra);
// A janela da frente descrita para os logs: "exe (mesmo monitor)".
std::string descrever_janela_da_frente(Hwnd da_frente, Hwnd navegador);

// Uma leitura demora (cada chamada vai ao navegador e espera por ele), e a
// aba pode trocar no meio: a janela ainda é a que foi lida?
enum class JanelaLida { igual, titulo_mudou, sumiu };
// "sumiu": fechada, minimizada ou escondida; senão o título de agora
// comparado com "titulo" (sem o contador de não lidas).
JanelaLida como_esta(Hwnd janela, std::string_view titulo);
