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

static_assert(opcao_de_tecla::soltar == KEYEVENTF_KEYUP && opcao_de_tecla::unicode == KEYEVENTF_UNICODE);

std::uint32_t enviar_teclas(const std::vector<RegistroDeTecla>& registros) {
    if (registros.empty()) return 0;
    std::vector<INPUT> entradas(registros.size());
    for (std::size_t i = 0; i < registros.size(); ++i) {
        INPUT& in = entradas[i];
        in = INPUT{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = registros[i].vk;
        in.ki.wScan = registros[i].scan;
        in.ki.dwFlags = registros[i].opcoes;
        in.ki.time = 0;
        in.ki.dwExtraInfo = 0;
    }
    return SendInput(static_cast<UINT>(entradas.size()), entradas.data(), sizeof(INPUT));
}

bool tecla_apertada(int codigo_virtual) {
    // GetAsyncKeyState lê os botões físicos: com os botões trocados
    // (SM_SWAPBUTTON), o principal é o da direita.
    if (codigo_virtual == VK_LBUTTON && GetSystemMetrics(SM_SWAPBUTTON)) codigo_virtual = VK_RBUTTON;
    return (GetAsyncKeyState(codigo_virtual) & 0x8000) != 0;
}

Ponto tamanho_da_tela() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace plataforma
