#include "plataforma/simulada/chromium.hpp"

#include <algorithm>
#include <map>
#include <set>

#include "plataforma/simulada/consultas_uia.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::simulada {

namespace {

// Os números de ControlType de UI Automation (UIAutomationClient.h).
enum : std::int32_t {
    kBotao = 50000,
    kCaixaDeMarcar = 50002,
    kCombo = 50003,
    kEdicao = 50004,
    kLink = 50005,
    kImagem = 50006,
    kItemDeLista = 50007,
    kLista = 50008,
    kMenu = 50009,
    kBarraDeMenu = 50010,
    kItemDeMenu = 50011,
    kProgresso = 50012,
    kRadio = 50013,
    kRolagem = 50014,
    kDeslizante = 50015,
    kGiratorio = 50016,
    kBarraDeEstado = 50017,
    kAbas = 50018,
    kAba = 50019,
    kTexto = 50020,
    kBarraDeFerramentas = 50021,
    kDica = 50022,
    kArvore = 50023,
    kItemDeArvore = 50024,
    kGrupo = 50026,
    kGrade = 50028,
    kItemDeGrade = 50029,
    kDocumento = 50030,
    kJanela = 50032,
    kPainel = 50033,
    kTabela = 50036,
    kSeparador = 50038,
};

// ui/accessibility/platform/ax_platform_node_win.cc, GetUIARoleProperties: o
// tipo de controle e o papel ARIA de cada papel da página.
const std::map<std::string, PapelDoChromium>& tabela_de_papeis() {
    static const std::map<std::string, PapelDoChromium> t = {
        {"generic", {kGrupo, "group"}},
        {"group", {kGrupo, "group"}},
        {"section", {kGrupo, "group"}},
        {"paragraph", {kGrupo, "group"}},
        {"figure", {kGrupo, "group"}},
        {"video", {kGrupo, "group"}},
        {"feed", {kGrupo, "group"}},
        {"region", {kGrupo, "region"}},
        {"log", {kGrupo, "log"}},
        {"main", {kGrupo, "main"}},
        {"navigation", {kGrupo, "navigation"}},
        {"banner", {kGrupo, "banner"}},
        {"contentinfo", {kGrupo, "contentinfo"}},
        {"complementary", {kGrupo, "complementary"}},
        {"search", {kGrupo, "search"}},
        {"form", {kGrupo, "form"}},
        {"article", {kGrupo, "article"}},
        {"list", {kLista, "list"}},
        {"listitem", {kItemDeLista, "listitem"}},
        {"listbox", {kLista, "listbox"}},
        {"option", {kItemDeLista, "option"}},
        {"button", {kBotao, "button"}},
        {"togglebutton", {kBotao, "button"}},
        {"switch", {kBotao, "switch"}},
        {"checkbox", {kCaixaDeMarcar, "checkbox"}},
        {"radio", {kRadio, "radio"}},
        {"link", {kLink, "link"}},
        // O diálogo de alerta sai como "alert", não "alertdialog" (o
        // comentário do Chromium: alguns leitores de tela não o conhecem).
        {"dialog", {kJanela, "dialog"}},
        {"alertdialog", {kJanela, "alert"}},
        {"alert", {kTexto, "alert"}},
        {"status", {kBarraDeEstado, "status"}},
        {"timer", {kPainel, "timer"}},
        {"menu", {kMenu, "menu"}},
        {"menubar", {kBarraDeMenu, "menubar"}},
        {"menuitem", {kItemDeMenu, "menuitem"}},
        {"menuitemcheckbox", {kCaixaDeMarcar, "menuitemcheckbox"}},
        {"menuitemradio", {kRadio, "menuitemradio"}},
        {"tooltip", {kDica, "tooltip"}},
        {"textbox", {kEdicao, "textbox"}},
        {"searchbox", {kEdicao, "searchbox"}},
        {"combobox", {kCombo, "combobox"}},
        {"heading", {kTexto, "heading"}},
        {"img", {kImagem, "img"}},
        {"document", {kDocumento, "document"}},
        {"iframe", {kDocumento, "document"}},
        {"text", {kTexto, "description"}},
        {"separator", {kSeparador, "separator"}},
        {"toolbar", {kBarraDeFerramentas, "toolbar"}},
        {"scrollbar", {kRolagem, "scrollbar"}},
        {"slider", {kDeslizante, "slider"}},
        {"spinbutton", {kGiratorio, "spinbutton"}},
        {"progressbar", {kProgresso, "progressbar"}},
        {"tab", {kAba, "tab"}},
        {"tablist", {kAbas, "tablist"}},
        {"tabpanel", {kPainel, "tabpanel"}},
        {"table", {kTabela, "grid"}},
        {"grid", {kGrade, "grid"}},
        {"row", {kItemDeGrade, "row"}},
        {"cell", {kItemDeGrade, "gridcell"}},
        {"gridcell", {kItemDeGrade, "gridcell"}},
        {"tree", {kArvore, "tree"}},
        {"treeitem", {kItemDeArvore, "treeitem"}},
    };
    return t;
}

bool um_de(const std::string& s, std::initializer_list<const char*> lista) {
    return std::any_of(lista.begin(), lista.end(), [&](const char* x) { return s == x; });
}

// ui/accessibility/ax_role_properties.cc, IsClickable (com AXNodeData::IsClickable):
// os papéis que têm clique por natureza, além de quem escuta o clique.
bool clicavel(const FatosDaWeb& w) {
    return w.clicavel || um_de(w.papel, {"button", "togglebutton", "switch", "checkbox", "radio", "link",
                                         "listbox", "option", "menuitem", "menuitemcheckbox", "menuitemradio",
                                         "searchbox", "spinbutton", "tab", "textbox", "combobox"});
}

// Os papéis que a página deixa focar sem tabindex (os controles nativos).
// Blink, third_party/blink/renderer/modules/accessibility/ax_object.cc,
// ComputeCanSetFocusAttribute: o documento (a área web) sempre; o resto só
// quando o elemento HTML aceita foco por si: o controle de formulário
// habilitado (core/html/forms/html_form_control_element.cc,
// HTMLFormControlElement::SupportsFocus), o link com href
// (core/html/html_anchor_element.cc, HTMLAnchorElementBase::SupportsFocus) e
// a raiz de um contenteditable (core/dom/element.cc, Element::SupportsFocus).
// O papel aqui está no lugar do elemento nativo: um div com role="button" e
// sem tabindex não foca.
bool focavel_por_natureza(const FatosDaWeb& w) {
    return w.editavel ||
           um_de(w.papel, {"button", "togglebutton", "switch", "checkbox", "radio", "link", "textbox",
                           "searchbox", "combobox", "listbox", "slider", "spinbutton", "document"});
}

// ui/accessibility/platform/ax_platform_node_win.cc, IsUIAControl: o texto
// direto de um item de lista, e o de dentro de um botão, link, título ou
// opção, já é o nome deles e não é controle. Sobe pelos ancestrais: célula
// ou linha dizem não; o item de lista diz não só se é a mãe direta (nivel 0),
// porque só então o nome do item sai do texto (ComputeListItemNameAsBstr);
// mais fundo, debaixo de outro invólucro, o texto é controle.
std::optional<bool> controle_do_texto(const ElementoSim& e) {
    int nivel = 0;
    for (ElementoPtr p = e.pai.lock(); p && p->web; p = p->pai.lock(), ++nivel) {
        const std::string& r = p->web->papel;
        if (um_de(r, {"cell", "gridcell", "row"})) return false;
        if (r == "listitem") return nivel > 0;  // não é a mãe direta: controle
        if (um_de(r, {"button", "togglebutton", "checkbox", "heading", "link", "option", "menuitem",
                      "menuitemcheckbox", "menuitemradio", "radio", "text", "switch", "tab", "tooltip",
                      "treeitem"}))
            return false;
    }
    return std::nullopt;
}

// ui/accessibility/platform/ax_platform_node_win.cc, IsUIAControl (com
// ax_role_properties.cc, IsControl e IsList): controles, marcos, tabelas,
// listas e imagens sempre; os outros (um div genérico, um diálogo, um título,
// um texto) só com algum atributo aria-*, nome, descrição, foco, clique ou
// edição.
bool eh_controle(const ElementoSim& e) {
    const FatosDaWeb& w = *e.web;
    if (w.papel == "text")
        if (const auto r = controle_do_texto(e)) return *r;
    if (um_de(w.papel, {"button", "togglebutton", "switch", "checkbox", "radio", "combobox", "listbox",
                        "menuitem", "menuitemcheckbox", "menuitemradio", "scrollbar", "searchbox", "slider",
                        "spinbutton", "tab", "textbox", "tree", "treeitem"}))
        return true;
    if (um_de(w.papel, {"banner", "complementary", "contentinfo", "main", "navigation", "search", "region"}))
        return true;
    if (um_de(w.papel, {"table", "grid", "list", "img", "article", "cell", "gridcell", "figure", "listitem",
                        "option", "progressbar", "row", "section", "separator"}))
        return true;
    return w.aria || w.editavel || !e.nome.empty() || !w.descricao.empty() || e.focavel || clicavel(w);
}

// ui/accessibility/ax_node_data.cc, IsInvocable (e IsActivatable,
// SupportsExpandCollapse, ax_role_properties.cc SupportsToggle): o clique
// que não é de um campo de texto, de algo que expande nem de um botão de
// alternar; os links sempre.
bool invocavel(const FatosDaWeb& w) {
    if (w.papel == "link") return true;
    const bool ativavel = w.editavel || um_de(w.papel, {"textbox", "searchbox", "combobox", "listbox"});
    const bool expande = w.expansivel || um_de(w.papel, {"combobox", "treeitem"});
    const bool alterna = w.alterna ||
                         um_de(w.papel, {"checkbox", "switch", "togglebutton", "menuitemcheckbox"});
    return clicavel(w) && !ativavel && !expande && !alterna;
}

Hwnd topo_do_elemento(AreaDeTrabalho& a, const ElementoSim& e) { return a.raiz_de(e.janela_dona); }

bool antes_de(const std::map<Hwnd, plataforma::Instante>& quando, Hwnd janela, std::int64_t ms) {
    if (ms <= 0) return false;
    const auto it = quando.find(janela);
    return it == quando.end() || plataforma::agora() < it->second + std::chrono::milliseconds(ms);
}

// O retângulo do próprio elemento, com o layout atrasado do perfil de custo.
Retangulo proprio(AreaDeTrabalho& a, const ElementoSim& e) {
    if (a.custo.com_atraso())
        if (const auto velho = a.custo.retangulo_atrasado(e.numero, plataforma::agora()))
            if (JanelaSim* j = a.achar(e.janela_dona)) return deslocar(*velho, j->ret.esquerda, j->ret.topo);
    return e.ret;
}

bool tem_area(const Retangulo& r) { return r.largura() > 0 && r.altura() > 0; }

Retangulo unir(const Retangulo& x, const Retangulo& y) {
    return {std::min(x.esquerda, y.esquerda), std::min(x.topo, y.topo), std::max(x.direita, y.direita),
            std::max(x.base, y.base)};
}

bool dentro(const Retangulo& fora, const Retangulo& r) {
    return r.esquerda >= fora.esquerda && r.topo >= fora.topo && r.direita <= fora.direita &&
           r.base <= fora.base;
}

// O deslocamento, num eixo, que centra [a, b) em [c, d) sem passar do
// conteúdo [lo, hi): a rolagem não leva o conteúdo além das pontas (Blink,
// third_party/blink/renderer/core/paint/paint_layer_scrollable_area.cc,
// PaintLayerScrollableArea::ScrollIntoView: o deslocamento que centra passa
// por ClampScrollOffset, entre 0 e o máximo que o conteúdo deixa).
std::int64_t para_o_centro(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t d, std::int64_t lo,
                           std::int64_t hi) {
    std::int64_t dx = (c + d) / 2 - (a + b) / 2;
    // O conteúdo maior que o contêiner só anda até as pontas dele encostarem.
    const std::int64_t menor = d - hi, maior = c - lo;
    if (menor > maior) return 0;
    return std::clamp(dx, menor, maior);
}

// ScrollIntoView chegou à página: o contêiner que rola (o ancestral com
// "rola", ou o documento) anda o que tem dentro até o elemento ficar no meio.
// Blink, third_party/blink/renderer/core/scroll/scroll_into_view_util.cc,
// PerformBubblingScrollIntoView: sobe pelos blocos que contêm o elemento, e o
// primeiro que rola é uma caixa com overflow (IsScrollContainer) ou, no topo,
// a janela de layout do documento (LayoutViewport). O Blink segue subindo e
// rola também os de fora; aqui só esse primeiro anda.
void rolar_agora(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (!a.vivo(e)) return;
    ElementoPtr caixa;
    for (ElementoPtr p = e->pai.lock(); p && p->web; p = p->pai.lock())
        if (p->web->rola || p->web->papel == "document") {
            caixa = p;
            break;
        }
    if (!caixa) return;
    const Retangulo c = retangulo_da_web(a, *caixa);
    const Retangulo r = retangulo_da_web(a, *e);
    // ui/accessibility/platform/ax_platform_node_win.cc, ScrollIntoView: nada
    // quando já está à vista (kDoNotScrollIfVisible).
    if (!tem_area(c) || dentro(c, r)) return;
    std::optional<Retangulo> conteudo;
    for (const ElementoPtr& f : caixa->filhos) {
        const Retangulo rf = proprio(a, *f);
        if (tem_area(rf)) conteudo = conteudo ? unir(*conteudo, rf) : rf;
    }
    if (!conteudo) return;
    const std::int64_t dx = para_o_centro(r.esquerda, r.direita, c.esquerda, c.direita, conteudo->esquerda,
                                          conteudo->direita);
    const std::int64_t dy = para_o_centro(r.topo, r.base, c.topo, c.base, conteudo->topo, conteudo->base);
    if (!dx && !dy) return;
    a.deslocar_elementos(caixa->filhos, dx, dy);
    a.avisar_elemento(evento::objeto_moveu, caixa);
    a.atualizar_hover();
}

void depois(AreaDeTrabalho& a, std::int64_t ms, std::function<void(AreaDeTrabalho&)> f) {
    if (ms <= 0) {
        f(a);
        return;
    }
    a.adiados_da_pagina.push_back({ms, std::move(f)});
}

}  // namespace

std::optional<PapelDoChromium> papel_do_chromium(const std::string& papel_web) {
    const auto& t = tabela_de_papeis();
    const auto it = t.find(papel_web);
    if (it == t.end()) return std::nullopt;
    return it->second;
}

void derivar_da_web(ElementoSim& e) {
    if (!e.web) return;
    const FatosDaWeb& w = *e.web;
    const auto p = papel_do_chromium(w.papel);
    if (!p) return;  // a cena recusa o papel desconhecido
    if (!w.tipo_dado) e.tipo = p->tipo;
    if (!w.papel_dado) e.papel = p->papel_aria;
    if (!w.focavel_dado) e.focavel = focavel_por_natureza(w);
    if (!w.padroes_dado) {
        // ui/accessibility/platform/ax_platform_node_win.cc,
        // GetPatternProviderFactoryMethod: ScrollItem em todo nó; Invoke só
        // no que se aperta (IsInvocable).
        e.rolavel = true;
        e.invocavel = invocavel(w);
    }
    if (!w.controle_dado) e.controle = eh_controle(e);
}

// ui/accessibility/ax_tree.cc, RelativeToTreeBoundsInternal: um nó vazio (0
// de largura ou de altura) vale a união dos filhos com área; na união
// (ui/gfx/geometry/rect_f.cc, RectF::Union) o vazio dá lugar ao outro e não
// entra, e então, sem filho com área, fica o retângulo do último filho. Só o
// que sobra sem largura e sem altura (0×0) pede emprestado: o do ancestral
// mais próximo com largura ou altura (um de 300×0 serve), inteiro quando a
// origem do nó é 0,0, senão da origem que sobrou até a ponta dele; e fica
// fora da tela. Um vazio num eixo só (300×0), ou sem tal ancestral, fica
// como está.
Retangulo retangulo_da_web(AreaDeTrabalho& a, const ElementoSim& e, bool* emprestado) {
    if (emprestado) *emprestado = false;
    if (documento_vazio(a, e)) return {};
    const Retangulo r = proprio(a, e);
    if (tem_area(r)) return r;
    Retangulo b = r;
    for (const ElementoPtr& f : e.filhos) {
        if (f->web && f->web->oculto) continue;
        const Retangulo rf = proprio(a, *f);
        if (!tem_area(b))
            b = rf;
        else if (tem_area(rf))
            b = unir(b, rf);
    }
    if (b.largura() > 0 || b.altura() > 0) return b;  // tem área, ou é vazio num eixo só
    for (ElementoPtr p = e.pai.lock(); p; p = p->pai.lock()) {
        const Retangulo rp = proprio(a, *p);
        if (rp.largura() <= 0 && rp.altura() <= 0) continue;
        if (emprestado) *emprestado = true;
        if (r.esquerda == 0 && r.topo == 0) return rp;
        return {b.esquerda, b.topo, std::max(b.esquerda, rp.direita), std::max(b.topo, rp.base)};
    }
    return b;
}

// content/browser/accessibility/browser_accessibility_manager.cc,
// GetEmptyDocument: antes de a página mandar a árvore, um documento só, sem
// filhos nem nome; e o perfil de custo também a faz chegar depois.
bool documento_vazio(AreaDeTrabalho& a, const ElementoSim& e) {
    if (e.tipo != 50030 || e.eh_janela) return false;
    const Hwnd topo = topo_do_elemento(a, e);
    if (a.custo.adormecida(topo, plataforma::agora())) return true;
    return e.web && antes_de(a.chromium.primeira_ida, topo, a.chromium.arvore_ms);
}

// ui/accessibility/platform/ax_platform_node_win.cc,
// NotifyAPIObserverForPropertyRequest: a primeira leitura de propriedade liga
// o modo de leitor de tela, que chega à página depois (a classe e o id vêm
// com ele).
bool sem_classe_nem_id(AreaDeTrabalho& a, const ElementoSim& e) {
    // Sem leitor_ms, antes_de é sempre falso: nem se procura a janela de topo.
    return e.web && a.chromium.leitor_ms > 0 &&
           antes_de(a.chromium.primeira_leitura, topo_do_elemento(a, e), a.chromium.leitor_ms);
}

void marcar_ida_do_chromium(AreaDeTrabalho& a, Hwnd janela_de_topo, bool le_propriedade) {
    if (!janela_de_topo) return;
    a.chromium.primeira_ida.try_emplace(janela_de_topo, plataforma::agora());
    if (le_propriedade) a.chromium.primeira_leitura.try_emplace(janela_de_topo, plataforma::agora());
}

// ui/accessibility/platform/ax_platform_node_win.cc, SetFocus (e Blink
// ax_node_object.cc, OnNativeFocusAction): o pedido vai para a página e
// volta S_OK; o foco chega depois, e nunca num elemento que não o aceita.
void focar_na_web(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (!e->focavel) return;
    std::weak_ptr<ElementoSim> fraco = e;
    depois(a, a.chromium.foco_ms, [fraco](AreaDeTrabalho& area) {
        const ElementoPtr x = fraco.lock();
        if (!x || !area.vivo(x) || !x->focavel) return;
        area.foco_uia = x;
        area.disparar(Gatilho::focado, x);
    });
}

// ui/accessibility/platform/ax_platform_node_win.cc, ScrollIntoView: rola
// até o elemento ficar no meio (kScrollAlignmentCenter nos dois eixos),
// depois do pedido.
void rolar_na_web(AreaDeTrabalho& a, const ElementoPtr& e) {
    std::weak_ptr<ElementoSim> fraco = e;
    depois(a, a.chromium.rolagem_ms, [fraco](AreaDeTrabalho& area) {
        if (const ElementoPtr x = fraco.lock()) rolar_agora(area, x);
    });
}

}  // namespace plataforma::simulada
