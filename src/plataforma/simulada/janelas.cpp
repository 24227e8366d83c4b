// O gerenciador de janelas sobre a área de trabalho simulada. Cada efeito do
// programa é aplicado e vai para o rastro com o nome da chamada do Windows.

#include "plataforma/janelas.hpp"

#include <algorithm>
#include <functional>
#include <utility>

#include "comum/texto.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/rastro.hpp"

namespace plataforma {

using simulada::AreaDeTrabalho;
using simulada::JanelaSim;
using simulada::Json;
using simulada::Rastro;

namespace {

// A janela da área de trabalho, a mãe de todas as de topo (GetDesktopWindow).
constexpr Hwnd kJanelaDaArea = 0x10010;

AreaDeTrabalho& area() { return AreaDeTrabalho::global(); }

// Roda "f" com a trava da área e, depois de soltá-la, acorda as filas de
// mensagens se alguma janela própria pediu pintura.
template <class F>
auto com_area(F f) {
    AreaDeTrabalho& a = area();
    bool acordar = false;
    bool reagir = false;
    if constexpr (std::is_void_v<decltype(f(a))>) {
        {
            std::lock_guard g(a.m);
            f(a);
            acordar = std::exchange(a.acordar_pendente, false);
            reagir = a.algo_a_despachar();
        }
        if (acordar) simulada::acordar_filas();
        if (reagir) simulada::despachar_reacoes();
    } else {
        decltype(f(a)) r;
        {
            std::lock_guard g(a.m);
            r = f(a);
            acordar = std::exchange(a.acordar_pendente, false);
            reagir = a.algo_a_despachar();
        }
        if (acordar) simulada::acordar_filas();
        if (reagir) simulada::despachar_reacoes();
        return r;
    }
}

Json ret_json(const Retangulo& r) { return Json::array({r.esquerda, r.topo, r.direita, r.base}); }

void rastrear(Json j) { Rastro::global().registrar(std::move(j)); }

// Uma chamada que o Windows manda à thread da janela e espera a resposta
// (SendMessage por baixo): com a thread travada, quem chama fica parado até
// ela voltar. Chamada sem a trava da área.
void esperar_a_thread_da(Hwnd janela) {
    AreaDeTrabalho& a = area();
    std::uint32_t thread = 0;
    {
        std::lock_guard g(a.m);
        const JanelaSim* j = a.achar(janela);
        if (!j || j->propria) return;  // as nossas respondem na nossa thread
        thread = j->thread;
    }
    std::unique_lock lk(a.travadas_trava);
    while (a.threads_travadas.count(thread)) a.travadas_sinal.esperar(lk);
}

// Uma chamada que o Windows só entrega à thread da janela (SWP_ASYNCWINDOWPOS,
// ShowWindowAsync): com a thread travada, o efeito fica para quando ela voltar.
// Com a trava da área tomada; falso quando não foi adiada.
bool adiar_se_travada(AreaDeTrabalho& a, Hwnd janela, AreaDeTrabalho::EfeitoGuardado efeito) {
    const JanelaSim* j = a.achar(janela);
    if (!j || j->propria) return false;
    std::lock_guard g(a.travadas_trava);
    if (!a.threads_travadas.count(j->thread)) return false;
    a.adiados[j->thread].push_back(std::move(efeito));
    return true;
}

}  // namespace

void tornar_ciente_de_dpi() { rastrear({{"efeito", "SetProcessDpiAwarenessContext"}}); }

bool modulo_do_programa() {
    return com_area([](AreaDeTrabalho& a) { return !a.deve_falhar("GetModuleHandleW"); });
}

bool registrar_classe(const std::string& nome, ProcedimentoDeJanela procedimento) {
    const bool ok = com_area([&](AreaDeTrabalho& a) {
        if (a.deve_falhar("RegisterClassW") || a.classes.count(nome)) return false;
        a.classes[nome] = procedimento;
        return true;
    });
    rastrear({{"efeito", "RegisterClassW"}, {"classe", nome}, {"ok", ok}});
    return ok;
}

Hwnd criar_janela(std::uint32_t estilo_estendido, const std::string& classe, const std::string& titulo,
                  std::uint32_t estilo_, int x, int y, int largura, int altura, Hwnd pai) {
    const Hwnd h = com_area([&](AreaDeTrabalho& a) -> Hwnd {
        if (a.deve_falhar("CreateWindowExW")) return 0;
        return a.nova_janela_propria(estilo_estendido, classe, titulo, estilo_,
                                     {x, y, somar_saturado(x, largura), somar_saturado(y, altura)}, pai);
    });
    rastrear({{"efeito", "CreateWindowExW"},
              {"janela", h},
              {"classe", classe},
              {"titulo", titulo},
              {"estilo", estilo_},
              {"estilo_ex", estilo_estendido},
              {"ret", ret_json({x, y, x + largura, y + altura})},
              {"pai", pai}});
    return h;
}

bool definir_alfa(Hwnd janela, std::uint8_t alfa) {
    const bool ok = com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("SetLayeredWindowAttributes", janela)) return false;
        if (!(j->estilo_ex & estilo_ex::camadas)) return false;
        j->alfa = alfa;
        return true;
    });
    rastrear({{"efeito", "SetLayeredWindowAttributes"}, {"janela", janela}, {"alfa", alfa}, {"ok", ok}});
    return ok;
}

namespace {

// A próxima mensagem da thread: as postadas primeiro; WM_PAINT, como no
// Windows, só com a fila vazia. Com a trava da área tomada.
bool proxima_mensagem(AreaDeTrabalho& a, Mensagem& m) {
    const auto eu = std::this_thread::get_id();
    auto fila = a.filas.find(eu);
    if (fila != a.filas.end() && !fila->second.empty()) {
        m = fila->second.front();
        fila->second.pop_front();
        return true;
    }
    for (auto& [h, j] : a.janelas) {
        if (j.propria && j.thread_dona == eu && j.precisa_pintar && j.visivel) {
            m = {h, wm::pintar, 0, 0};
            return true;
        }
    }
    return false;
}

}  // namespace

int obter_mensagem(Mensagem& m) {
    AreaDeTrabalho& a = area();
    std::unique_lock lk(a.filas_trava);
    for (;;) {
        {
            std::lock_guard g(a.m);
            if (proxima_mensagem(a, m)) return 1;
        }
        a.filas_sinal.esperar(lk);
    }
}

bool espiar_mensagem(Mensagem& m) {
    return com_area([&](AreaDeTrabalho& a) { return proxima_mensagem(a, m); });
}

void traduzir_e_despachar(const Mensagem& m) {
    if (m.msg == simulada::kMensagemDeAviso && m.janela == 0) {
        // Um WinEvent de fora do processo: a chamada do gancho roda aqui.
        const auto aviso = com_area([&](AreaDeTrabalho& a) -> std::optional<simulada::AvisoPendente> {
            const auto it = a.avisos.find(m.wparam);
            if (it == a.avisos.end()) return std::nullopt;
            const simulada::AvisoPendente p = it->second;
            a.avisos.erase(it);
            return p;
        });
        if (aviso && aviso->chamada)
            aviso->chamada(aviso->evento, aviso->janela, aviso->objeto, aviso->filho);
        return;
    }
    ProcedimentoDeJanela proc = com_area([&](AreaDeTrabalho& a) -> ProcedimentoDeJanela {
        JanelaSim* j = a.achar(m.janela);
        return j && j->propria ? j->procedimento : nullptr;
    });
    if (!proc) return;
    const std::intptr_t r = proc(m.janela, m.msg, m.wparam, m.lparam);
    if (m.msg == wm::pintar) {
        // Um WM_PAINT que não chamou BeginPaint voltaria sem fim; o
        // procedimento padrão o valida.
        com_area([&](AreaDeTrabalho& a) {
            if (JanelaSim* j = a.achar(m.janela)) j->precisa_pintar = false;
        });
    }
    (void)r;
}

std::intptr_t procedimento_padrao(Hwnd janela, std::uint32_t msg, std::uintptr_t, std::intptr_t) {
    if (msg == wm::pintar)
        com_area([&](AreaDeTrabalho& a) {
            if (JanelaSim* j = a.achar(janela)) j->precisa_pintar = false;
        });
    return 0;
}

bool postar_mensagem(Hwnd janela, std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam) {
    AreaDeTrabalho& a = area();
    bool ok = false;
    bool para_o_programa = false;
    {
        std::lock_guard g(a.m);
        JanelaSim* j = a.achar(janela);
        if (j && !a.deve_falhar("PostMessageW", janela)) {
            ok = true;
            if (j->propria) {
                a.filas[j->thread_dona].push_back({janela, msg, wparam, lparam});
                para_o_programa = true;
            } else if (msg == wm::mover_mouse) {
                // O navegador olha de novo o que está debaixo do ponteiro.
                a.atualizar_hover();
            }
        }
    }
    rastrear({{"efeito", "PostMessageW"},
              {"janela", janela},
              {"msg", msg},
              {"wparam", wparam},
              {"lparam", lparam},
              {"ok", ok}});
    if (para_o_programa) simulada::acordar_filas();
    simulada::despachar_reacoes();
    return ok;
}

bool mostrar_janela(Hwnd janela, int comando) {
    esperar_a_thread_da(janela);
    bool antes = false;
    const bool existe = com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        if (!j) return false;
        antes = j->visivel;
        a.mudar_visibilidade(janela, comando != sw::esconder);
        return true;
    });
    rastrear({{"efeito", "ShowWindow"}, {"janela", janela}, {"comando", comando}, {"ok", existe}});
    return antes;
}

bool mostrar_janela_sem_esperar(Hwnd janela, int comando) {
    bool adiado = false;
    const bool existe = com_area([&](AreaDeTrabalho& a) {
        if (!a.existe(janela)) return false;
        auto efeito = [janela, comando](AreaDeTrabalho& x) -> std::optional<Json> {
            if (!x.existe(janela)) return std::nullopt;
            x.mudar_visibilidade(janela, comando != sw::esconder);
            return Json{{"efeito", "entregue"},
                        {"chamada", "ShowWindowAsync"},
                        {"janela", janela},
                        {"comando", comando}};
        };
        adiado = adiar_se_travada(a, janela, efeito);
        if (!adiado) efeito(a);
        return true;
    });
    Json linha = {{"efeito", "ShowWindowAsync"}, {"janela", janela}, {"comando", comando}, {"ok", existe}};
    if (adiado) linha["adiado"] = true;
    rastrear(std::move(linha));
    return existe;
}

bool invalidar(Hwnd janela, bool apagar) {
    const bool ok = com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        if (!j) return false;
        a.pedir_pintura(*j);
        return true;
    });
    rastrear({{"efeito", "InvalidateRect"}, {"janela", janela}, {"apagar", apagar}, {"ok", ok}});
    return ok;
}

bool existe_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) { return a.existe(janela); });
}

bool janela_visivel(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) { return a.visivel_de_fato(janela); });
}

bool janela_minimizada(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        return j && j->minimizada;
    });
}

std::optional<Retangulo> retangulo_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<Retangulo> {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("GetWindowRect", janela)) return std::nullopt;
        return j->ret;
    });
}

std::optional<Retangulo> retangulo_do_cliente(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<Retangulo> {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("GetClientRect", janela)) return std::nullopt;
        const Retangulo c = a.cliente_em_tela(*j);
        return Retangulo{0, 0, static_cast<std::int32_t>(std::max<std::int64_t>(0, c.largura())),
                         static_cast<std::int32_t>(std::max<std::int64_t>(0, c.altura()))};
    });
}

std::optional<Ponto> cliente_para_tela(Hwnd janela, Ponto p) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<Ponto> {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("ClientToScreen", janela)) return std::nullopt;
        const Retangulo c = a.cliente_em_tela(*j);
        return Ponto{somar_saturado(c.esquerda, p.x), somar_saturado(c.topo, p.y)};
    });
}

std::optional<Ponto> tela_para_cliente(Hwnd janela, Ponto p) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<Ponto> {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("ScreenToClient", janela)) return std::nullopt;
        const Retangulo c = a.cliente_em_tela(*j);
        return Ponto{somar_saturado(p.x, -std::int64_t{c.esquerda}),
                     somar_saturado(p.y, -std::int64_t{c.topo})};
    });
}

std::uint32_t dpi_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::uint32_t {
        if (a.deve_falhar("GetDpiForWindow", janela)) return 0;
        return a.dpi_de(janela);
    });
}

namespace {

// O efeito de um SetWindowPos, com a trava da área tomada.
std::optional<Retangulo> aplicar_posicao(AreaDeTrabalho& a, Hwnd janela, Hwnd depois_de, int x, int y,
                                         int largura, int altura, std::uint32_t opcoes) {
    JanelaSim* j = a.achar(janela);
    if (!j) return std::nullopt;
    Retangulo novo = j->ret;
    Ponto origem{0, 0};
    if (JanelaSim* mae = a.achar(j->pai)) {
        const Retangulo c = a.cliente_em_tela(*mae);
        origem = {c.esquerda, c.topo};
    }
    if (!(opcoes & swp::sem_mover)) {
        const std::int32_t nx = somar_saturado(origem.x, x);
        const std::int32_t ny = somar_saturado(origem.y, y);
        novo = deslocar(novo, std::int64_t{nx} - novo.esquerda, std::int64_t{ny} - novo.topo);
    }
    if (!(opcoes & swp::sem_tamanho)) {
        novo.direita = somar_saturado(novo.esquerda, std::max(0, largura));
        novo.base = somar_saturado(novo.topo, std::max(0, altura));
    }
    a.mover(janela, novo);
    if (!(opcoes & swp::sem_ordem)) a.colocar_depois_de(janela, depois_de);
    if (opcoes & swp::mostrar) a.mudar_visibilidade(janela, true);
    if (opcoes & swp::esconder) a.mudar_visibilidade(janela, false);
    return a.achar(janela)->ret;
}

}  // namespace

bool posicionar_janela(Hwnd janela, Hwnd depois_de, int x, int y, int largura, int altura,
                       std::uint32_t opcoes) {
    const bool sem_esperar = (opcoes & swp::assincrono) != 0;
    if (!sem_esperar) esperar_a_thread_da(janela);
    std::optional<Retangulo> resultado;
    bool adiado = false;
    const bool ok = com_area([&](AreaDeTrabalho& a) {
        if (!a.achar(janela) || a.deve_falhar("SetWindowPos", janela)) return false;
        a.achar(janela)->posta_pelo_programa = true;
        if (sem_esperar)
            adiado = adiar_se_travada(a, janela, [=](AreaDeTrabalho& x_) -> std::optional<Json> {
                const auto r = aplicar_posicao(x_, janela, depois_de, x, y, largura, altura, opcoes);
                if (!r) return std::nullopt;
                return Json{{"efeito", "entregue"},
                            {"chamada", "SetWindowPos"},
                            {"janela", janela},
                            {"ret", ret_json(*r)}};
            });
        if (!adiado) resultado = aplicar_posicao(a, janela, depois_de, x, y, largura, altura, opcoes);
        return true;
    });
    Json linha = {
        {"efeito", "SetWindowPos"}, {"janela", janela}, {"depois_de", depois_de}, {"x", x},  {"y", y},
        {"largura", largura},       {"altura", altura}, {"opcoes", opcoes},       {"ok", ok}};
    if (resultado) linha["ret"] = ret_json(*resultado);
    if (adiado) linha["adiado"] = true;
    rastrear(std::move(linha));
    return ok;
}

std::optional<std::uint32_t> estilo_ex_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<std::uint32_t> {
        JanelaSim* j = a.achar(janela);
        if (!j) return std::nullopt;
        return j->estilo_ex;
    });
}

std::optional<std::uint32_t> estilo_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<std::uint32_t> {
        JanelaSim* j = a.achar(janela);
        if (!j) return std::nullopt;
        std::uint32_t e = j->estilo & ~(estilo::visivel | estilo::minimizada);
        if (j->visivel) e |= estilo::visivel;
        if (j->minimizada) e |= estilo::minimizada;
        return e;
    });
}

namespace {

FeitoNoWindows feito_se(std::optional<std::int32_t> falha, bool ok) {
    if (falha) return {static_cast<std::uint32_t>(*falha)};
    return {ok ? 0u : 1400u};  // ERROR_INVALID_WINDOW_HANDLE
}

}  // namespace

FeitoNoWindows definir_estilo(Hwnd janela, std::uint32_t novo) {
    esperar_a_thread_da(janela);
    const FeitoNoWindows r = com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        if (!j) return feito_se(std::nullopt, false);
        if (const auto falha = a.deve_falhar("SetWindowLongPtrW", janela)) return feito_se(falha, false);
        j->estilo = novo;
        // O bit WS_VISIBLE é o próprio estado de visível.
        a.mudar_visibilidade(janela, (novo & estilo::visivel) != 0);
        return feito_se(std::nullopt, true);
    });
    rastrear({{"efeito", "SetWindowLongPtrW"},
              {"janela", janela},
              {"indice", "GWL_STYLE"},
              {"valor", novo},
              {"ok", static_cast<bool>(r)}});
    return r;
}

FeitoNoWindows definir_dono(Hwnd janela, Hwnd dono) {
    // Trocar o dono não manda mensagem à janela (o estilo, sim): não espera.
    const FeitoNoWindows r = com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        if (!j) return feito_se(std::nullopt, false);
        if (const auto falha = a.deve_falhar("SetWindowLongPtrW", janela)) return feito_se(falha, false);
        j->dono = a.existe(dono) ? dono : 0;
        return feito_se(std::nullopt, true);
    });
    rastrear({{"efeito", "SetWindowLongPtrW"},
              {"janela", janela},
              {"indice", "GWLP_HWNDPARENT"},
              {"valor", dono},
              {"ok", static_cast<bool>(r)}});
    return r;
}

FeitoNoWindows definir_pai(Hwnd janela, Hwnd pai) {
    esperar_a_thread_da(janela);
    const FeitoNoWindows r = com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        if (!j || (pai && !a.existe(pai))) return feito_se(std::nullopt, false);
        if (const auto falha = a.deve_falhar("SetParent", pai ? pai : janela)) return feito_se(falha, false);
        a.mudar_pai(janela, pai);
        return feito_se(std::nullopt, true);
    });
    rastrear({{"efeito", "SetParent"}, {"janela", janela}, {"pai", pai}, {"ok", static_cast<bool>(r)}});
    return r;
}

Hwnd ancestral(Hwnd janela, Ancestral qual) {
    return com_area([&](AreaDeTrabalho& a) -> Hwnd {
        JanelaSim* j = a.achar(janela);
        if (!j) return 0;
        switch (qual) {
            case Ancestral::pai:
                return j->pai ? j->pai : kJanelaDaArea;
            case Ancestral::raiz:
                return a.raiz_de(janela);
            case Ancestral::dono_raiz:
                return a.dono_raiz_de(janela);
        }
        return 0;
    });
}

Hwnd vizinha(Hwnd janela, Vizinha qual) {
    return com_area([&](AreaDeTrabalho& a) -> Hwnd {
        JanelaSim* j = a.achar(janela);
        if (!j) return 0;
        if (qual == Vizinha::primeira_filha) return j->filhas.empty() ? 0 : j->filhas.front();
        // Como no Windows, a dona que já fechou não é mais devolvida.
        if (qual == Vizinha::dona) return a.existe(j->dono) ? j->dono : Hwnd{0};
        const std::vector<Hwnd>* irmas = &a.ordem_z;
        if (JanelaSim* mae = a.achar(j->pai)) irmas = &mae->filhas;
        const auto it = std::find(irmas->begin(), irmas->end(), janela);
        if (it == irmas->end() || it == irmas->begin()) return 0;
        return *(it - 1);
    });
}

Hwnd janela_da_frente() {
    return com_area([](AreaDeTrabalho& a) { return a.existe(a.frente) ? a.frente : Hwnd{0}; });
}

bool trazer_para_frente(Hwnd janela) {
    const bool ok = com_area([&](AreaDeTrabalho& a) {
        if (!a.existe(janela) || a.deve_falhar("SetForegroundWindow", janela)) return false;
        a.trazer_para_frente(janela);
        return true;
    });
    rastrear({{"efeito", "SetForegroundWindow"}, {"janela", janela}, {"ok", ok}});
    return ok;
}

Hwnd janela_no_ponto(Ponto p) {
    return com_area([&](AreaDeTrabalho& a) { return a.janela_no_ponto(p); });
}

std::vector<Hwnd> janelas_de_topo() {
    return com_area([](AreaDeTrabalho& a) { return a.ordem_z; });
}

std::vector<Hwnd> janelas_filhas(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) {
        std::vector<Hwnd> r;
        std::function<void(Hwnd)> juntar = [&](Hwnd h) {
            JanelaSim* j = a.achar(h);
            if (!j) return;
            for (Hwnd f : j->filhas) {
                r.push_back(f);
                juntar(f);
            }
        };
        juntar(janela);
        return r;
    });
}

std::optional<std::string> classe_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<std::string> {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("GetClassNameW", janela)) return std::nullopt;
        // 64 unidades com o terminador: um nome de 64 ou mais não coube.
        if (utf8_para_utf16(j->classe).size() >= 64) return std::nullopt;
        return j->classe;
    });
}

std::string titulo_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::string {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("GetWindowTextW", janela)) return {};
        return cortar_em_unidades_utf16(j->titulo, 511);
    });
}

std::string titulo_interno(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::string {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("InternalGetWindowText", janela)) return {};
        return cortar_em_unidades_utf16(j->titulo, 511);
    });
}

std::optional<DonoDaJanela> processo_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<DonoDaJanela> {
        JanelaSim* j = a.achar(janela);
        if (!j) return std::nullopt;
        return DonoDaJanela{j->processo, j->thread};
    });
}

std::uint32_t processo_atual() {
    return com_area([](AreaDeTrabalho& a) { return a.processo_do_programa; });
}

std::optional<std::string> caminho_do_processo(std::uint32_t processo) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<std::string> {
        const auto it = a.processos.find(processo);
        if (it == a.processos.end() || !it->second.acessivel) return std::nullopt;
        return it->second.caminho;
    });
}

Hwnd foco_da_thread(std::uint32_t thread) {
    return com_area([&](AreaDeTrabalho& a) -> Hwnd {
        for (auto& [h, j] : a.janelas)
            if (j.thread == thread && j.foco && a.existe(j.foco)) return j.foco;
        return 0;
    });
}

std::optional<Monitor> monitor_da_janela(Hwnd janela) {
    return com_area([&](AreaDeTrabalho& a) -> std::optional<Monitor> {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("MonitorFromWindow", janela)) return std::nullopt;
        const simulada::MonitorSim* m = a.monitor_mais_proximo(j->ret);
        if (!m) return std::nullopt;
        return Monitor{m->id, m->ret};
    });
}

std::vector<MonitorComDpi> monitores() {
    return com_area([](AreaDeTrabalho& a) {
        std::vector<MonitorComDpi> r;
        if (a.deve_falhar("EnumDisplayMonitors")) return r;
        for (const simulada::MonitorSim& m : a.monitores) r.push_back(MonitorComDpi{m.ret, m.dpi});
        return r;
    });
}

}  // namespace plataforma

// --- Regiões ----------------------------------------------------------------------

namespace plataforma {

namespace {

// "a" sem "b": até quatro pedaços de "a" que ficam fora de "b".
void subtrair(const Retangulo& a, const Retangulo& b, std::vector<Retangulo>& saida) {
    const Retangulo i = intersecao(a, b);
    if (i.vazio()) {
        if (!a.vazio()) saida.push_back(a);
        return;
    }
    const Retangulo pedacos[] = {
        {a.esquerda, a.topo, a.direita, i.topo},   // em cima
        {a.esquerda, i.base, a.direita, a.base},   // embaixo
        {a.esquerda, i.topo, i.esquerda, i.base},  // à esquerda
        {i.direita, i.topo, a.direita, i.base},    // à direita
    };
    for (const Retangulo& p : pedacos)
        if (!p.vazio()) saida.push_back(p);
}

Json retangulos_json(const std::vector<Retangulo>& rs) {
    Json l = Json::array();
    for (const Retangulo& r : rs) l.push_back(ret_json(r));
    return l;
}

std::intptr_t nova_regiao(AreaDeTrabalho& a, std::vector<Retangulo> rs) {
    const std::intptr_t h = a.proxima_regiao++;
    a.regioes[h] = std::move(rs);
    return h;
}

}  // namespace

Regiao::~Regiao() {
    if (!h_) return;
    bool da_janela = false;
    const bool existia = com_area([&](AreaDeTrabalho& a) {
        for (const auto& [hw, j] : a.janelas)
            if (j.regiao == h_) da_janela = true;
        if (da_janela) return true;  // o programa não pode apagar a região de uma janela
        return a.regioes.erase(h_) > 0;
    });
    Json linha = {{"efeito", "DeleteObject"}, {"regiao", h_}, {"ok", existia && !da_janela}};
    if (da_janela) linha["erro"] = "a região é de uma janela";
    rastrear(std::move(linha));
}

Regiao& Regiao::operator=(Regiao&& o) noexcept {
    if (this != &o) {
        Regiao velha(h_);
        h_ = std::exchange(o.h_, 0);
    }
    return *this;
}

Regiao Regiao::retangulo(const Retangulo& r) {
    const std::intptr_t h = com_area([&](AreaDeTrabalho& a) {
        return nova_regiao(a, r.vazio() ? std::vector<Retangulo>{} : std::vector<Retangulo>{r});
    });
    return Regiao(h);
}

Regiao Regiao::menos(const Regiao& outra) const {
    const std::intptr_t h = com_area([&](AreaDeTrabalho& a) -> std::intptr_t {
        const auto x = a.regioes.find(h_);
        if (x == a.regioes.end()) return 0;
        std::vector<Retangulo> resto = x->second;
        if (const auto y = a.regioes.find(outra.h_); y != a.regioes.end()) {
            for (const Retangulo& b : y->second) {
                std::vector<Retangulo> novo;
                for (const Retangulo& r : resto) subtrair(r, b, novo);
                resto = std::move(novo);
            }
        }
        return nova_regiao(a, std::move(resto));
    });
    return Regiao(h);
}

std::optional<Regiao> regiao_da_janela(Hwnd janela) {
    std::optional<std::vector<Retangulo>> rs;
    const std::intptr_t h = com_area([&](AreaDeTrabalho& a) -> std::intptr_t {
        JanelaSim* j = a.achar(janela);
        if (!j || !j->regiao || a.deve_falhar("GetWindowRgn", janela)) return 0;
        const auto it = a.regioes.find(j->regiao);
        if (it == a.regioes.end()) return 0;
        rs = it->second;
        return nova_regiao(a, it->second);
    });
    rastrear(
        {{"efeito", "GetWindowRgn"}, {"janela", janela}, {"regiao", rs ? retangulos_json(*rs) : Json()}});
    if (!h) return std::nullopt;
    return Regiao::entregue_a_nos(h);
}

bool definir_regiao(Hwnd janela, std::optional<Regiao>& regiao) {
    esperar_a_thread_da(janela);
    std::optional<std::vector<Retangulo>> rs;
    const bool ok = com_area([&](AreaDeTrabalho& a) {
        JanelaSim* j = a.achar(janela);
        if (!j || a.deve_falhar("SetWindowRgn", janela)) return false;
        const std::intptr_t nova = regiao && *regiao ? regiao->handle() : 0;
        if (nova) {
            const auto it = a.regioes.find(nova);
            if (it == a.regioes.end()) return false;
            rs = it->second;
        }
        // A região de antes era da janela: o sistema a apaga.
        if (j->regiao) a.regioes.erase(j->regiao);
        j->regiao = nova;
        j->posta_pelo_programa = true;
        a.atualizar_hover();
        return true;
    });
    if (ok && regiao) {
        regiao->entregar();
        regiao.reset();
    }
    rastrear({{"efeito", "SetWindowRgn"},
              {"janela", janela},
              {"regiao", rs ? retangulos_json(*rs) : Json()},
              {"ok", ok}});
    return ok;
}

}  // namespace plataforma
