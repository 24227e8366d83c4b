#pragma once
// Gerenciador de janelas (user32) e pintura GDI, do jeito que o programa os
// usa. Os valores das constantes são os do Windows; o backend real confere
// cada um contra os cabeçalhos do sistema.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comum/texto.hpp"
#include "comum/tipos.hpp"

namespace plataforma {

// Mensagens de janela.
namespace wm {
constexpr std::uint32_t pintar = 0x000F;        // WM_PAINT
constexpr std::uint32_t apagar_fundo = 0x0014;  // WM_ERASEBKGND
constexpr std::uint32_t mover_mouse = 0x0200;   // WM_MOUSEMOVE
constexpr std::uint32_t app = 0x8000;           // WM_APP
}  // namespace wm

// Estilos de janela (GWL_STYLE).
namespace estilo {
constexpr std::uint32_t popup = 0x80000000u;       // WS_POPUP
constexpr std::uint32_t filha = 0x40000000u;       // WS_CHILD
constexpr std::uint32_t minimizada = 0x20000000u;  // WS_MINIMIZE
constexpr std::uint32_t visivel = 0x10000000u;     // WS_VISIBLE
}  // namespace estilo

// Estilos estendidos (GWL_EXSTYLE).
namespace estilo_ex {
constexpr std::uint32_t transparente = 0x00000020u;  // WS_EX_TRANSPARENT
constexpr std::uint32_t ferramenta = 0x00000080u;    // WS_EX_TOOLWINDOW
constexpr std::uint32_t topo = 0x00000008u;          // WS_EX_TOPMOST
constexpr std::uint32_t camadas = 0x00080000u;       // WS_EX_LAYERED
constexpr std::uint32_t sem_ativar = 0x08000000u;    // WS_EX_NOACTIVATE
}  // namespace estilo_ex

// Opções de SetWindowPos.
namespace swp {
constexpr std::uint32_t sem_tamanho = 0x0001;  // SWP_NOSIZE
constexpr std::uint32_t sem_mover = 0x0002;    // SWP_NOMOVE
constexpr std::uint32_t sem_ordem = 0x0004;    // SWP_NOZORDER
constexpr std::uint32_t sem_ativar = 0x0010;   // SWP_NOACTIVATE
constexpr std::uint32_t mostrar = 0x0040;      // SWP_SHOWWINDOW
constexpr std::uint32_t esconder = 0x0080;     // SWP_HIDEWINDOW
constexpr std::uint32_t assincrono = 0x4000;   // SWP_ASYNCWINDOWPOS
}  // namespace swp

// Comandos de ShowWindow.
namespace sw {
constexpr int esconder = 0;            // SW_HIDE
constexpr int mostrar_sem_ativar = 4;  // SW_SHOWNOACTIVATE
constexpr int mostrar = 5;             // SW_SHOW
}  // namespace sw

// GetAncestor.
enum class Ancestral : std::uint32_t { pai = 1, raiz = 2, dono_raiz = 3 };
// GetWindow.
enum class Vizinha : std::uint32_t { anterior = 3, dona = 4, primeira_filha = 5 };

// Uma chamada do Windows que pode falhar: vazio = feita; senão o erro
// (GetLastError) como "HRESULT 0x8007....".
struct FeitoNoWindows {
    std::uint32_t erro = 0;  // 0 = feito
    explicit operator bool() const { return erro == 0; }
    std::string texto() const { return texto_de_hresult(hresult_do_win32(erro)); }
};

struct Mensagem {
    Hwnd janela = 0;
    std::uint32_t msg = 0;
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
};

using ProcedimentoDeJanela = std::intptr_t (*)(Hwnd, std::uint32_t, std::uintptr_t, std::intptr_t);

// --- Processo e janela própria -------------------------------------------------

// SetProcessDpiAwarenessContext(PER_MONITOR_AWARE_V2); falha ignorada.
void tornar_ciente_de_dpi();
// GetModuleHandleW(nullptr) deu um módulo.
bool modulo_do_programa();
// RegisterClassW com estilo 0, sem ícone nem fundo, seta padrão como cursor.
bool registrar_classe(const std::string& nome, ProcedimentoDeJanela procedimento);
// CreateWindowExW sem menu nem dados de criação; 0 quando falhou.
Hwnd criar_janela(std::uint32_t estilo_estendido, const std::string& classe, const std::string& titulo,
                  std::uint32_t estilo, int x, int y, int largura, int altura, Hwnd pai);
// SetLayeredWindowAttributes com chave de cor 0, o alfa dado e LWA_ALPHA.
bool definir_alfa(Hwnd janela, std::uint8_t alfa);

// GetMessageW para qualquer janela da thread: >0 mensagem, 0 WM_QUIT, -1 erro.
int obter_mensagem(Mensagem& m);
// PeekMessageW com PM_REMOVE: a próxima mensagem da thread, sem esperar.
bool espiar_mensagem(Mensagem& m);
// TranslateMessage e DispatchMessageW.
void traduzir_e_despachar(const Mensagem& m);
std::intptr_t procedimento_padrao(Hwnd janela, std::uint32_t msg, std::uintptr_t wparam,
                                  std::intptr_t lparam);
bool postar_mensagem(Hwnd janela, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam);
// ShowWindow: espera a thread da janela (só para janelas nossas).
bool mostrar_janela(Hwnd janela, int comando);
// ShowWindowAsync: não espera a thread da janela (a do app, ocupada, não nos para).
bool mostrar_janela_sem_esperar(Hwnd janela, int comando);
// InvalidateRect da área cliente inteira.
bool invalidar(Hwnd janela, bool apagar);

// --- Consultas e movimentos ---------------------------------------------------

bool existe_janela(Hwnd janela);                               // IsWindow
bool janela_visivel(Hwnd janela);                              // IsWindowVisible
bool janela_minimizada(Hwnd janela);                           // IsIconic
std::optional<Retangulo> retangulo_da_janela(Hwnd janela);     // GetWindowRect
std::optional<Retangulo> retangulo_do_cliente(Hwnd janela);    // GetClientRect
std::optional<Ponto> cliente_para_tela(Hwnd janela, Ponto p);  // ClientToScreen
std::optional<Ponto> tela_para_cliente(Hwnd janela, Ponto p);  // ScreenToClient
std::uint32_t dpi_da_janela(Hwnd janela);                      // GetDpiForWindow; 0 na falha
// SetWindowPos; "depois_de" 0 é HWND_TOP.
bool posicionar_janela(Hwnd janela, Hwnd depois_de, int x, int y, int largura, int altura,
                       std::uint32_t opcoes);
std::optional<std::uint32_t> estilo_da_janela(Hwnd janela);      // GetWindowLongPtrW(GWL_STYLE)
std::optional<std::uint32_t> estilo_ex_da_janela(Hwnd janela);   // GetWindowLongPtrW(GWL_EXSTYLE)
FeitoNoWindows definir_estilo(Hwnd janela, std::uint32_t novo);  // SetWindowLongPtrW(GWL_STYLE)
FeitoNoWindows definir_dono(Hwnd janela, Hwnd dono);             // SetWindowLongPtrW(GWLP_HWNDPARENT)
FeitoNoWindows definir_pai(Hwnd janela, Hwnd pai);               // SetParent; 0 = nenhum
Hwnd ancestral(Hwnd janela, Ancestral qual);                     // GetAncestor
Hwnd vizinha(Hwnd janela, Vizinha qual);                         // GetWindow
Hwnd janela_da_frente();                                         // GetForegroundWindow
bool trazer_para_frente(Hwnd janela);                            // SetForegroundWindow
Hwnd janela_no_ponto(Ponto p);                                   // WindowFromPoint

// Janelas de topo em ordem z (a de cima primeiro), como EnumWindows.
std::vector<Hwnd> janelas_de_topo();
// Filhas e netas em ordem de enumeração, como EnumChildWindows.
std::vector<Hwnd> janelas_filhas(Hwnd janela);
// GetClassNameW num buffer de 64 unidades; nenhum na falha ou se não coube.
std::optional<std::string> classe_da_janela(Hwnd janela);
// GetWindowTextW com no máximo 512 unidades (convertido com substituição).
std::string titulo_da_janela(Hwnd janela);
// InternalGetWindowText com no máximo 512 unidades.
std::string titulo_interno(Hwnd janela);

struct DonoDaJanela {
    std::uint32_t processo = 0;
    std::uint32_t thread = 0;
};
// GetWindowThreadProcessId; nenhum quando a janela não existe.
std::optional<DonoDaJanela> processo_da_janela(Hwnd janela);
std::uint32_t processo_atual();  // GetCurrentProcessId
// OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION) e QueryFullProcessImageNameW,
// caminho inteiro; nenhum quando o processo não se deixa abrir ou consultar.
std::optional<std::string> caminho_do_processo(std::uint32_t processo);
// hwndFocus de GetGUIThreadInfo; 0 quando não há.
Hwnd foco_da_thread(std::uint32_t thread);

struct Monitor {
    std::intptr_t id = 0;  // HMONITOR
    Retangulo ret;         // rcMonitor
};
// MonitorFromWindow(MONITOR_DEFAULTTONEAREST) e GetMonitorInfoW.
std::optional<Monitor> monitor_da_janela(Hwnd janela);

struct MonitorComDpi {
    Retangulo ret;          // rcMonitor
    std::uint32_t dpi = 0;  // GetDpiForMonitor(MDT_EFFECTIVE_DPI); 0 quando falhou
};
// Todos os monitores, na ordem de EnumDisplayMonitors; vazio na falha.
std::vector<MonitorComDpi> monitores();

// --- Regiões da janela ----------------------------------------------------------

// Uma região GDI (HRGN) com dono: DeleteObject quando morre. Entregue a uma
// janela por definir_regiao, passa a ser da janela e nunca é apagada por nós.
// As coordenadas são relativas ao canto de cima à esquerda da janela.
class Regiao {
public:
    Regiao() = default;
    ~Regiao();
    Regiao(const Regiao&) = delete;
    Regiao& operator=(const Regiao&) = delete;
    Regiao(Regiao&& o) noexcept : h_(o.h_) { o.h_ = 0; }
    Regiao& operator=(Regiao&& o) noexcept;
    explicit operator bool() const { return h_ != 0; }

    static Regiao retangulo(const Retangulo& r);  // CreateRectRgn
    // A região sem a outra (CombineRgn RGN_DIFF), numa região nova.
    Regiao menos(const Regiao& outra) const;

    std::intptr_t handle() const { return h_; }
    // Uma região que o sistema acabou de criar para nós (GetWindowRgn).
    static Regiao entregue_a_nos(std::intptr_t h) { return Regiao(h); }
    // Deixa de ser dona (a janela ficou com ela).
    std::intptr_t entregar() {
        const std::intptr_t h = h_;
        h_ = 0;
        return h;
    }

private:
    explicit Regiao(std::intptr_t h) : h_(h) {}
    std::intptr_t h_ = 0;
};

// A região da janela (GetWindowRgn) numa região nova; nenhuma quando a janela
// não tem região (ou a chamada falhou).
std::optional<Regiao> regiao_da_janela(Hwnd janela);
// SetWindowRgn pedindo redesenho. Sem região, a janela volta a ser inteira.
// Dando certo, a região é da janela; falhando, continua de quem chamou.
bool definir_regiao(Hwnd janela, std::optional<Regiao>& regiao);

// --- Pintura GDI ---------------------------------------------------------------

struct Cor {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Cor&) const = default;
};

struct Fonte {
    std::string nome;
    int altura = 0;
    int peso = 400;
    bool italico = false;
    bool sublinhado = false;
    bool riscado = false;
};

namespace dt {
constexpr std::uint32_t quebrar_palavras = 0x0010;  // DT_WORDBREAK
constexpr std::uint32_t sem_prefixo = 0x0800;       // DT_NOPREFIX
}  // namespace dt

// Contexto de um WM_PAINT, entre BeginPaint e EndPaint.
class TelaDePintura {
public:
    virtual ~TelaDePintura() = default;
    // GetClientRect; zeros na falha.
    virtual Retangulo cliente() = 0;
    // CreateSolidBrush, FillRect, DeleteObject.
    virtual void preencher(const Retangulo& r, Cor cor) = 0;
    // CreateFontW (DEFAULT_CHARSET, CLEARTYPE_QUALITY) e SelectObject; a fonte
    // anterior volta e esta é apagada no fim da pintura.
    virtual void usar_fonte(const Fonte& f) = 0;
    virtual void fundo_transparente() = 0;   // SetBkMode(TRANSPARENT)
    virtual void cor_do_texto(Cor cor) = 0;  // SetTextColor
    // DrawTextW com o comprimento explícito; devolve a altura desenhada.
    virtual int desenhar_texto(std::string_view utf8, const Retangulo& caixa, std::uint32_t formato) = 0;
};

// BeginPaint, o corpo e EndPaint.
void pintar(Hwnd janela, const std::function<void(TelaDePintura&)>& corpo);

}  // namespace plataforma
