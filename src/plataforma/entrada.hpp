#pragma once
// Cursor, teclas e medidas da tela.

#include <cstdint>
#include <optional>
#include <vector>

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

// Um registro de teclado do SendInput (INPUT_KEYBOARD, time 0, dwExtraInfo 0).
struct RegistroDeTecla {
    std::uint16_t vk = 0;      // wVk
    std::uint16_t scan = 0;    // wScan; com "unicode", a unidade UTF-16
    std::uint32_t opcoes = 0;  // dwFlags
    bool operator==(const RegistroDeTecla&) const = default;
};
namespace opcao_de_tecla {
constexpr std::uint32_t soltar = 0x0002;   // KEYEVENTF_KEYUP
constexpr std::uint32_t unicode = 0x0004;  // KEYEVENTF_UNICODE
}  // namespace opcao_de_tecla
// SendInput com todos os registros numa chamada só: eles chegam juntos, sem
// outra entrada no meio. Devolve quantos o sistema aceitou.
std::uint32_t enviar_teclas(const std::vector<RegistroDeTecla>& registros);
// O bit alto de GetAsyncKeyState: a tecla está apertada agora.
bool tecla_apertada(int codigo_virtual);
// GetSystemMetrics(SM_CXSCREEN) e (SM_CYSCREEN): a tela principal.
Ponto tamanho_da_tela();

}  // namespace plataforma
