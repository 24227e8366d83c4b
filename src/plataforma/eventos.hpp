#pragma once
// Avisos de acessibilidade (WinEvents) de um processo e a lupa do Windows.

#include <chrono>
#include <cstdint>

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

using Gancho = std::intptr_t;  // HWINEVENTHOOK; 0 = nenhum
using ChamadaDeEvento = void (*)(std::uint32_t evento, Hwnd janela, std::int32_t objeto, std::int32_t filho);

// SetWinEventHook para o processo, todas as threads, fora de contexto e sem os
// avisos do próprio processo. A chamada roda na thread que instalou, quando
// ela despacha as mensagens. 0 quando o Windows recusou.
Gancho instalar_gancho(std::uint32_t de, std::uint32_t ate, std::uint32_t processo, ChamadaDeEvento chamada);
bool remover_gancho(Gancho g);  // UnhookWinEvent
// MsgWaitForMultipleObjects sem objetos, QS_ALLINPUT: espera uma mensagem ou
// entrada para a thread, no máximo o tempo dado.
void esperar_mensagens(std::chrono::milliseconds limite);

// A lupa de tela inteira (Magnification.dll, carregada na hora).
bool lupa_iniciar();                               // MagInitialize
bool lupa_transformar(float fator, int x, int y);  // MagSetFullscreenTransform
bool lupa_encerrar();                              // MagUninitialize

}  // namespace plataforma
