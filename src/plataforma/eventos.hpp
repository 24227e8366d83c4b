#pragma once
// Avisos de acessibilidade (WinEvents) de um processo e a lupa do Windows.

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include "comum/tipos.hpp"

namespace plataforma {

namespace evento {
constexpr std::uint32_t movimento_inicio = 0x000A;   // EVENT_SYSTEM_MOVESIZESTART
constexpr std::uint32_t movimento_fim = 0x000B;      // EVENT_SYSTEM_MOVESIZEEND
constexpr std::uint32_t objeto_criado = 0x8000;      // EVENT_OBJECT_CREATE
constexpr std::uint32_t objeto_mostrado = 0x8002;    // EVENT_OBJECT_SHOW
constexpr std::uint32_t objeto_escondido = 0x8003;   // EVENT_OBJECT_HIDE
constexpr std::uint32_t objeto_reordenado = 0x8004;  // EVENT_OBJECT_REORDER
constexpr std::uint32_t objeto_moveu = 0x800B;       // EVENT_OBJECT_LOCATIONCHANGE
constexpr std::uint32_t objeto_renomeado = 0x800C;   // EVENT_OBJECT_NAMECHANGE
constexpr std::uint32_t objeto_ultimo = 0x80FF;
}  // namespace evento

constexpr std::int32_t OBJETO_JANELA = 0;  // OBJID_WINDOW
constexpr std::int32_t FILHO_PROPRIO = 0;  // CHILDID_SELF

using ChamadaDeEvento = void (*)(std::uint32_t evento, Hwnd janela, std::int32_t objeto, std::int32_t filho);

// SetWinEventHook para o processo, todas as threads, fora de contexto. A
// chamada roda na thread que instalou, quando ela despacha as mensagens. 0
// quando o Windows recusou. Quem instala é o dono: use Gancho, que remove.
std::intptr_t instalar_gancho(std::uint32_t de, std::uint32_t ate, std::uint32_t processo,
                              ChamadaDeEvento chamada);
bool remover_gancho(std::intptr_t gancho);  // UnhookWinEvent

// Um gancho de WinEvents com dono: UnhookWinEvent quando morre.
class Gancho {
public:
    Gancho() = default;
    Gancho(std::uint32_t de, std::uint32_t ate, std::uint32_t processo, ChamadaDeEvento chamada)
        : h_(instalar_gancho(de, ate, processo, chamada)) {}
    ~Gancho() { remover(); }
    Gancho(const Gancho&) = delete;
    Gancho& operator=(const Gancho&) = delete;
    Gancho(Gancho&& o) noexcept : h_(std::exchange(o.h_, 0)) {}
    Gancho& operator=(Gancho&& o) noexcept {
        if (this != &o) {
            remover();
            h_ = std::exchange(o.h_, 0);
        }
        return *this;
    }
    explicit operator bool() const { return h_ != 0; }
    void remover() {
        if (h_) remover_gancho(std::exchange(h_, 0));
    }

private:
    std::intptr_t h_ = 0;
};

// MsgWaitForMultipleObjects sem objetos, QS_ALLINPUT: espera uma mensagem ou
// entrada para a thread, no máximo o tempo dado.
void esperar_mensagens(std::chrono::milliseconds limite);

// Uma sessão da lupa de tela inteira (Magnification.dll, do System32):
// MagInitialize ao nascer, MagUninitialize ao morrer. Os passos da lupa só
// valem dentro de uma sessão iniciada, na thread dela.
class SessaoDaLupa {
public:
    SessaoDaLupa();
    ~SessaoDaLupa();
    SessaoDaLupa(const SessaoDaLupa&) = delete;
    SessaoDaLupa& operator=(const SessaoDaLupa&) = delete;
    bool iniciada() const { return iniciada_; }
    // "HRESULT 0x..." da recusa do MagInitialize.
    const std::string& erro() const { return erro_; }

private:
    bool iniciada_ = false;
    std::string erro_;
};
bool lupa_transformar(float fator, int x, int y);  // MagSetFullscreenTransform

}  // namespace plataforma
