#pragma once
// Cursor, teclas e medidas da tela.

#include <cstdint>
#include <optional>

#include "comum/tipos.hpp"

namespace plataforma {

namespace tecla {
constexpr int botao_esquerdo = 0x01;  // VK_LBUTTON
constexpr int enter = 0x0D;           // VK_RETURN
constexpr int esc = 0x1B;             // VK_ESCAPE
}  // namespace tecla

struct InfoDoCursor {
    Ponto posicao;
    bool mostrando = true;  // CURSOR_SHOWING
};

std::optional<Ponto> posicao_do_cursor();      // GetCursorPos
std::optional<InfoDoCursor> info_do_cursor();  // GetCursorInfo
bool mover_cursor(Ponto p);                    // SetCursorPos
// O bit alto de GetAsyncKeyState: a tecla está apertada agora.
bool tecla_apertada(int codigo_virtual);
// GetSystemMetrics(SM_CXSCREEN) e (SM_CYSCREEN): a tela principal.
Ponto tamanho_da_tela();

}  // namespace plataforma
