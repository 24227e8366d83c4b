// WinEvents e a lupa no Windows.

#include "plataforma/eventos.hpp"

#include <map>
#include <mutex>

#include "plataforma/win32/comum_win32.hpp"

namespace plataforma {

static_assert(evento::movimento_inicio == EVENT_SYSTEM_MOVESIZESTART &&
              evento::movimento_fim == EVENT_SYSTEM_MOVESIZEEND &&
              evento::objeto_criado == EVENT_OBJECT_CREATE && evento::objeto_mostrado == EVENT_OBJECT_SHOW &&
              evento::objeto_escondido == EVENT_OBJECT_HIDE &&
              evento::objeto_reordenado == EVENT_OBJECT_REORDER &&
              evento::objeto_moveu == EVENT_OBJECT_LOCATIONCHANGE &&
              evento::objeto_renomeado == EVENT_OBJECT_NAMECHANGE &&
              evento::objeto_ultimo == EVENT_OBJECT_END);
static_assert(OBJETO_JANELA == OBJID_WINDOW && FILHO_PROPRIO == CHILDID_SELF);

namespace {

// A chamada de cada gancho, achada pelo handle dele.
std::mutex g_trava;
std::map<HWINEVENTHOOK, ChamadaDeEvento> g_chamadas;

void CALLBACK trampolim(HWINEVENTHOOK gancho, DWORD ev, HWND janela, LONG objeto, LONG filho, DWORD, DWORD) {
    ChamadaDeEvento c = nullptr;
    {
        std::lock_guard g(g_trava);
        const auto it = g_chamadas.find(gancho);
        if (it != g_chamadas.end()) c = it->second;
    }
    if (c) c(ev, win32::handle(janela), objeto, filho);
}

// As funções da lupa, carregadas uma vez: a DLL não tem biblioteca de
// importação no MinGW. Uma DLL ou função que falta conta como recusa.
struct Lupa {
    BOOL(WINAPI* iniciar)() = nullptr;
    BOOL(WINAPI* transformar)(float, int, int) = nullptr;
    BOOL(WINAPI* encerrar)() = nullptr;
    DWORD erro = 0;  // por que não há lupa: a DLL que não carregou, a função que falta
};

const Lupa& lupa() {
    static const Lupa l = [] {
        Lupa r;
        // Só a do System32: uma Magnification.dll ao lado do programa ou na
        // pasta atual nunca é carregada. A DLL fica carregada até o fim.
        HMODULE dll = LoadLibraryExW(L"Magnification.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!dll) {
            r.erro = win32::ultimo_erro();
            return r;
        }
        auto achar = [&](const char* nome) { return reinterpret_cast<void*>(GetProcAddress(dll, nome)); };
        r.iniciar = reinterpret_cast<decltype(r.iniciar)>(achar("MagInitialize"));
        r.transformar = reinterpret_cast<decltype(r.transformar)>(achar("MagSetFullscreenTransform"));
        r.encerrar = reinterpret_cast<decltype(r.encerrar)>(achar("MagUninitialize"));
        if (!r.iniciar || !r.transformar || !r.encerrar) r.erro = ERROR_PROC_NOT_FOUND;
        return r;
    }();
    return l;
}

}  // namespace

std::intptr_t instalar_gancho(std::uint32_t de, std::uint32_t ate, std::uint32_t processo,
                              ChamadaDeEvento chamada) {
    // Um gancho de outro processo já não vê os avisos do nosso; com o
    // processo dado, WINEVENT_SKIPOWNPROCESS não muda nada no Windows e no
    // Wine cala o gancho (ele compara a marca com o processo filtrado).
    const DWORD opcoes = processo ? WINEVENT_OUTOFCONTEXT : WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    std::lock_guard g(g_trava);
    HWINEVENTHOOK h = SetWinEventHook(de, ate, nullptr, trampolim, processo, 0, opcoes);
    if (!h) return 0;
    g_chamadas[h] = chamada;
    return reinterpret_cast<std::intptr_t>(h);
}

bool remover_gancho(std::intptr_t gancho) {
    HWINEVENTHOOK h = reinterpret_cast<HWINEVENTHOOK>(gancho);
    std::lock_guard g(g_trava);
    g_chamadas.erase(h);
    return UnhookWinEvent(h) != 0;
}

void esperar_mensagens(std::chrono::milliseconds limite) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(limite.count()), QS_ALLINPUT);
}

SessaoDaLupa::SessaoDaLupa() {
    const Lupa& l = lupa();
    if (!l.iniciar || !l.transformar || !l.encerrar) {
        erro_ = texto_de_hresult(hresult_do_win32(l.erro));
        return;
    }
    SetLastError(0);
    iniciada_ = l.iniciar() != FALSE;
    if (!iniciada_) erro_ = texto_de_hresult(hresult_do_win32(win32::ultimo_erro()));
}

SessaoDaLupa::~SessaoDaLupa() {
    if (iniciada_) lupa().encerrar();
}

bool lupa_transformar(float fator, int x, int y) {
    return lupa().transformar && lupa().transformar(fator, x, y);
}

}  // namespace plataforma
