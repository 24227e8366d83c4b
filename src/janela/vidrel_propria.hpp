#pragma once
// A janela própria da Vidrel no modo protótipo: sem borda, transparente ao
// clique, 225/255 opaca, com o cartão de demonstração pintado por cima do chat.

#include <cstdint>
#include <optional>
#include <string>

#include "comum/tipos.hpp"
#include "estado/alvo.hpp"
#include "plataforma/janelas.hpp"

// Postada sem parâmetros pela publicação para a janela se colocar ou esconder.
inline constexpr std::uint32_t WM_ESTADO = 0x8001;  // WM_APP + 1

inline constexpr const char* CLASSE_DA_VIDREL = "VornelQuimbra";
inline constexpr const char* TITULO_DA_VIDREL = "Chat do Vornel";
// WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT.
inline constexpr std::uint32_t ESTILO_EX_DA_VIDREL = 0x080800A0u;

// Registra a classe e cria a janela (escondida, 10 × 10 em (0, 0)). Para o
// processo com "módulo" ou "janela" quando não dá.
Hwnd criar_vidrel();

std::intptr_t procedimento_da_vidrel(Hwnd janela, std::uint32_t msg, std::uintptr_t wparam,
                                     std::intptr_t lparam);

// O cartão de demonstração sobre uma tela de pintura; "site" é o do alvo
// publicado (nenhum antes do primeiro).
void pintar_cartao(plataforma::TelaDePintura& tela, std::optional<Site> site);
// A primeira linha do cartão.
std::string titulo_do_cartao(std::optional<Site> site, std::int64_t largura, std::int64_t altura);
