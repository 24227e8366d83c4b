// O gerenciador de janelas real (user32), fino: uma chamada do Windows por
// operação, com as conversões de tipo.

#include "plataforma/janelas.hpp"

#include <mutex>
#include <utility>
#include <vector>

#include "plataforma/win32/comum_win32.hpp"

#include <shellscalingapi.h>

namespace plataforma {

static_assert(wm::pintar == WM_PAINT && wm::apagar_fundo == WM_ERASEBKGND &&
              wm::mover_mouse == WM_MOUSEMOVE && wm::app == WM_APP);
static_assert(estilo::popup == WS_POPUP && estilo::filha == WS_CHILD && estilo::visivel == WS_VISIBLE &&
              estilo::minimizada == WS_MINIMIZE);
static_assert(estilo_ex::transparente == WS_EX_TRANSPARENT && estilo_ex::ferramenta == WS_EX_TOOLWINDOW &&
              estilo_ex::camadas == WS_EX_LAYERED && estilo_ex::sem_ativar == WS_EX_NOACTIVATE &&
              estilo_ex::topo == WS_EX_TOPMOST);
static_assert(swp::sem_tamanho == SWP_NOSIZE && swp::sem_mover == SWP_NOMOVE &&
              swp::sem_ordem == SWP_NOZORDER && swp::sem_ativar == SWP_NOACTIVATE &&
              swp::mostrar == SWP_SHOWWINDOW && swp::esconder == SWP_HIDEWINDOW &&
              swp::assincrono == SWP_ASYNCWINDOWPOS);
static_assert(sw::esconder == SW_HIDE && sw::mostrar == SW_SHOW &&
              sw::mostrar_sem_ativar == SW_SHOWNOACTIVATE);
static_assert(static_cast<UINT>(Ancestral::pai) == GA_PARENT &&
              static_cast<UINT>(Ancestral::raiz) == GA_ROOT &&
              static_cast<UINT>(Ancestral::dono_raiz) == GA_ROOTOWNER);
static_assert(static_cast<UINT>(Vizinha::anterior) == GW_HWNDPREV &&
              static_cast<UINT>(Vizinha::primeira_filha) == GW_CHILD &&
              static_cast<UINT>(Vizinha::dona) == GW_OWNER);
static_assert(dt::quebrar_palavras == DT_WORDBREAK && dt::sem_prefixo == DT_NOPREFIX);

using win32::handle;
using win32::hwnd;

namespace {

// O procedimento de cada classe registrada, achado pelo átomo da classe.
struct ClasseRegistrada {
    ATOM atomo;
    ProcedimentoDeJanela procedimento;
};
std::mutex g_classes_trava;
std::vector<ClasseRegistrada> g_classes;

LRESULT CALLBACK trampolim(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    const ATOM atomo = static_cast<ATOM>(GetClassLongPtrW(h, GCW_ATOM));
    ProcedimentoDeJanela proc = nullptr;
    {
        std::lock_guard g(g_classes_trava);
        for (const ClasseRegistrada& c : g_classes)
            if (c.atomo == atomo) proc = c.procedimento;
    }
    if (!proc) return DefWindowProcW(h, msg, wp, lp);
    return proc(handle(h), msg, wp, lp);
}

// As duas chamadas de DPI vêm do user32 na hora: faltando (Windows antigo),
// a ciência de DPI falha calada e o DPI da janela é 0 (escala 1).
template <class F>
F funcao_do_user32(const char* nome) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, nome))) : nullptr;
}

thread_local MSG g_ultima_mensagem{};

BOOL CALLBACK juntar(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<Hwnd>*>(lp)->push_back(handle(h));
    return TRUE;
}

}  // namespace

void tornar_ciente_de_dpi() {
    using F = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    if (F f = funcao_do_user32<F>("SetProcessDpiAwarenessContext"))
        f(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

bool modulo_do_programa() { return GetModuleHandleW(nullptr) != nullptr; }

bool registrar_classe(const std::string& nome, ProcedimentoDeJanela procedimento) {
    const std::wstring n = win32::largo(nome);
    WNDCLASSW wc{};
    wc.style = 0;
    wc.lpfnWndProc = trampolim;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = nullptr;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = n.c_str();
    const ATOM atomo = RegisterClassW(&wc);
    if (!atomo) return false;
    std::lock_guard g(g_classes_trava);
    g_classes.push_back({atomo, procedimento});
    return true;
}

Hwnd criar_janela(std::uint32_t estilo_estendido, const std::string& classe, const std::string& titulo,
                  std::uint32_t estilo_, int x, int y, int largura, int altura, Hwnd pai) {
    return handle(CreateWindowExW(estilo_estendido, win32::largo(classe).c_str(),
                                  win32::largo(titulo).c_str(), estilo_, x, y, largura, altura, hwnd(pai),
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
}

bool definir_alfa(Hwnd janela, std::uint8_t alfa) {
    return SetLayeredWindowAttributes(hwnd(janela), 0, alfa, LWA_ALPHA) != 0;
}

int obter_mensagem(Mensagem& m) {
    MSG msg{};
    const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    g_ultima_mensagem = msg;
    m = {handle(msg.hwnd), msg.message, msg.wParam, msg.lParam};
    return r > 0 ? 1 : (r == 0 ? 0 : -1);
}

bool espiar_mensagem(Mensagem& m) {
    MSG msg{};
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    g_ultima_mensagem = msg;
    m = {handle(msg.hwnd), msg.message, msg.wParam, msg.lParam};
    return true;
}

void traduzir_e_despachar(const Mensagem& m) {
    MSG msg = g_ultima_mensagem;
    if (handle(msg.hwnd) != m.janela || msg.message != m.msg) {
        msg = MSG{};
        msg.hwnd = hwnd(m.janela);
        msg.message = m.msg;
    }
    msg.wParam = m.wparam;
    msg.lParam = m.lparam;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

std::intptr_t procedimento_padrao(Hwnd janela, std::uint32_t msg, std::uintptr_t wparam,
                                  std::intptr_t lparam) {
    return DefWindowProcW(hwnd(janela), msg, wparam, lparam);
}

bool postar_mensagem(Hwnd janela, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) {
    return PostMessageW(hwnd(janela), msg, wparam, lparam) != 0;
}

bool mostrar_janela(Hwnd janela, int comando) { return ShowWindow(hwnd(janela), comando) != 0; }

bool mostrar_janela_sem_esperar(Hwnd janela, int comando) {
    return ShowWindowAsync(hwnd(janela), comando) != 0;
}

bool invalidar(Hwnd janela, bool apagar) {
    return InvalidateRect(hwnd(janela), nullptr, apagar ? TRUE : FALSE) != 0;
}

bool existe_janela(Hwnd janela) { return IsWindow(hwnd(janela)) != 0; }
bool janela_visivel(Hwnd janela) { return IsWindowVisible(hwnd(janela)) != 0; }
bool janela_minimizada(Hwnd janela) { return IsIconic(hwnd(janela)) != 0; }

std::optional<Retangulo> retangulo_da_janela(Hwnd janela) {
    RECT r;
    if (!GetWindowRect(hwnd(janela), &r)) return std::nullopt;
    return win32::retangulo(r);
}

std::optional<Retangulo> retangulo_do_cliente(Hwnd janela) {
    RECT r;
    if (!GetClientRect(hwnd(janela), &r)) return std::nullopt;
    return win32::retangulo(r);
}

std::optional<Ponto> cliente_para_tela(Hwnd janela, Ponto p) {
    POINT q{p.x, p.y};
    if (!ClientToScreen(hwnd(janela), &q)) return std::nullopt;
    return Ponto{q.x, q.y};
}

std::optional<Ponto> tela_para_cliente(Hwnd janela, Ponto p) {
    POINT q{p.x, p.y};
    if (!ScreenToClient(hwnd(janela), &q)) return std::nullopt;
    return Ponto{q.x, q.y};
}

std::uint32_t dpi_da_janela(Hwnd janela) {
    using F = UINT(WINAPI*)(HWND);
    static const F f = funcao_do_user32<F>("GetDpiForWindow");
    return f ? f(hwnd(janela)) : 0;
}

bool posicionar_janela(Hwnd janela, Hwnd depois_de, int x, int y, int largura, int altura,
                       std::uint32_t opcoes) {
    return SetWindowPos(hwnd(janela), hwnd(depois_de), x, y, largura, altura, opcoes) != 0;
}

std::optional<std::uint32_t> estilo_da_janela(Hwnd janela) {
    SetLastError(0);
    const LONG_PTR v = GetWindowLongPtrW(hwnd(janela), GWL_STYLE);
    if (v == 0 && GetLastError() != 0) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::optional<std::uint32_t> estilo_ex_da_janela(Hwnd janela) {
    SetLastError(0);
    const LONG_PTR v = GetWindowLongPtrW(hwnd(janela), GWL_EXSTYLE);
    if (v == 0 && GetLastError() != 0) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

namespace {

// SetWindowLongPtrW devolve o valor anterior, que pode ser 0: só o erro da
// thread, zerado antes, diz se falhou.
FeitoNoWindows definir_palavra(Hwnd janela, int indice, LONG_PTR valor) {
    SetLastError(0);
    const LONG_PTR antes = SetWindowLongPtrW(hwnd(janela), indice, valor);
    const DWORD erro = antes == 0 ? GetLastError() : 0;
    return {static_cast<std::uint32_t>(erro)};
}

}  // namespace

FeitoNoWindows definir_estilo(Hwnd janela, std::uint32_t novo) {
    return definir_palavra(janela, GWL_STYLE, static_cast<LONG_PTR>(novo));
}

FeitoNoWindows definir_dono(Hwnd janela, Hwnd dono) {
    return definir_palavra(janela, GWLP_HWNDPARENT, static_cast<LONG_PTR>(dono));
}

FeitoNoWindows definir_pai(Hwnd janela, Hwnd pai) {
    // SetParent devolve a mãe anterior (a área de trabalho, numa de topo); nulo
    // é a falha. O GetLastError depois de um sucesso não vale nada.
    if (SetParent(hwnd(janela), hwnd(pai)) != nullptr) return {};
    return {win32::ultimo_erro()};
}

Hwnd ancestral(Hwnd janela, Ancestral qual) {
    return handle(GetAncestor(hwnd(janela), static_cast<UINT>(qual)));
}

Hwnd vizinha(Hwnd janela, Vizinha qual) { return handle(GetWindow(hwnd(janela), static_cast<UINT>(qual))); }

Hwnd janela_da_frente() { return handle(GetForegroundWindow()); }

bool trazer_para_frente(Hwnd janela) { return SetForegroundWindow(hwnd(janela)) != 0; }

Hwnd janela_no_ponto(Ponto p) { return handle(WindowFromPoint(POINT{p.x, p.y})); }

std::vector<Hwnd> janelas_de_topo() {
    std::vector<Hwnd> r;
    EnumWindows(juntar, reinterpret_cast<LPARAM>(&r));
    return r;
}

std::vector<Hwnd> janelas_filhas(Hwnd janela) {
    std::vector<Hwnd> r;
    EnumChildWindows(hwnd(janela), juntar, reinterpret_cast<LPARAM>(&r));
    return r;
}

std::optional<std::string> classe_da_janela(Hwnd janela) {
    wchar_t buf[64];
    const int n = GetClassNameW(hwnd(janela), buf, 64);
    // 63 unidades enchem o buffer: o nome pode ter sido cortado.
    if (n <= 0 || n >= 63) return std::nullopt;
    return win32::estreito(buf, static_cast<std::size_t>(n));
}

std::string titulo_da_janela(Hwnd janela) {
    wchar_t buf[512];
    const int n = GetWindowTextW(hwnd(janela), buf, 512);
    return n > 0 ? win32::estreito(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string titulo_interno(Hwnd janela) {
    wchar_t buf[512];
    const int n = InternalGetWindowText(hwnd(janela), buf, 512);
    return n > 0 ? win32::estreito(buf, static_cast<std::size_t>(n)) : std::string();
}

std::optional<DonoDaJanela> processo_da_janela(Hwnd janela) {
    DWORD processo = 0;
    const DWORD thread = GetWindowThreadProcessId(hwnd(janela), &processo);
    if (thread == 0) return std::nullopt;
    return DonoDaJanela{processo, thread};
}

std::uint32_t processo_atual() { return GetCurrentProcessId(); }

std::optional<std::string> caminho_do_processo(std::uint32_t processo) {
    const win32::HandleDono h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processo));
    if (!h) return std::nullopt;
    wchar_t buf[1024];
    DWORD tamanho = 1024;
    if (!QueryFullProcessImageNameW(h.get(), 0, buf, &tamanho)) return std::nullopt;
    return win32::estreito(buf, tamanho);
}

Hwnd foco_da_thread(std::uint32_t thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(thread, &info)) return 0;
    return handle(info.hwndFocus);
}

std::optional<Monitor> monitor_da_janela(Hwnd janela) {
    HMONITOR m = MonitorFromWindow(hwnd(janela), MONITOR_DEFAULTTONEAREST);
    if (!m) return std::nullopt;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(m, &info)) return std::nullopt;
    return Monitor{reinterpret_cast<std::intptr_t>(m), win32::retangulo(info.rcMonitor)};
}

namespace {
BOOL CALLBACK juntar_monitor(HMONITOR m, HDC, LPRECT, LPARAM dados) {
    auto* r = reinterpret_cast<std::vector<MonitorComDpi>*>(dados);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    // Um monitor que sumiu no meio da enumeração fica de fora.
    if (!GetMonitorInfoW(m, &info)) return TRUE;
    UINT x = 0;
    UINT y = 0;
    // Com o processo ciente de DPI por monitor, o DPI efetivo é o da escala
    // que o usuário escolheu para aquele monitor.
    const HRESULT hr = GetDpiForMonitor(m, MDT_EFFECTIVE_DPI, &x, &y);
    r->push_back(MonitorComDpi{win32::retangulo(info.rcMonitor), SUCCEEDED(hr) ? x : 0});
    return TRUE;
}
}  // namespace

std::vector<MonitorComDpi> monitores() {
    std::vector<MonitorComDpi> r;
    if (!EnumDisplayMonitors(nullptr, nullptr, juntar_monitor, reinterpret_cast<LPARAM>(&r))) return {};
    return r;
}

}  // namespace plataforma
