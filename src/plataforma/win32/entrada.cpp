// Cursor e teclas do Windows.

#include "plataforma/entrada.hpp"

#include "plataforma/win32/comum_win32.hpp"

namespace plataforma {

static_assert(tecla::botao_esquerdo == VK_LBUTTON && tecla::enter == VK_RETURN && tecla::esc == VK_ESCAPE);

std::optional<Ponto> posicao_do_cursor() {
    POINT p;
    if (!GetCursorPos(&p)) return std::nullopt;
    return Ponto{p.x, p.y};
}

std::optional<InfoDoCursor> info_do_cursor() {
    CURSORINFO c{};
    c.cbSize = sizeof(c);
    if (!GetCursorInfo(&c)) return std::nullopt;
    return InfoDoCursor{{c.ptScreenPos.x, c.ptScreenPos.y}, (c.flags & CURSOR_SHOWING) != 0};
}

bool mover_cursor(Ponto p) { return SetCursorPos(p.x, p.y) != 0; }

bool tecla_apertada(int codigo_virtual) {
    // GetAsyncKeyState lê os botões físicos: com os botões trocados
    // (SM_SWAPBUTTON), o principal é o da direita.
    if (codigo_virtual == VK_LBUTTON && GetSystemMetrics(SM_SWAPBUTTON)) codigo_virtual = VK_RBUTTON;
    return (GetAsyncKeyState(codigo_virtual) & 0x8000) != 0;
}

Ponto tamanho_da_tela() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace plataforma
