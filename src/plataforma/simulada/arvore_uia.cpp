// A árvore de UI Automation da área simulada: elementos das janelas, filhos e
// mãe na visão crua, o elemento sob um ponto.

#include <algorithm>
#include <functional>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/chromium.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::simulada {

namespace {

constexpr std::int32_t kJanela = 50032;
constexpr std::int32_t kPainel = 50033;
constexpr std::int32_t kDocumento = 50030;

// Algum elemento da árvore cita a janela como sua "hwnd"?
ElementoPtr citando(const std::vector<ElementoPtr>& arvore, Hwnd h) {
    for (const ElementoPtr& e : arvore) {
        if (e->janela_nativa == h && !e->eh_janela) return e;
        if (ElementoPtr achado = citando(e->filhos, h)) return achado;
    }
    return nullptr;
}

}  // namespace

ElementoPtr AreaDeTrabalho::raiz() {
    if (!raiz_uia) {
        raiz_uia = novo_elemento();
        raiz_uia->eh_janela = true;
        raiz_uia->tipo = kPainel;
        raiz_uia->nome = "Área de trabalho 1";
        raiz_uia->classe = "#32769";
    }
    return raiz_uia;
}

ElementoPtr AreaDeTrabalho::elemento_de(Hwnd h) {
    JanelaSim* j = achar(h);
    if (!j) return nullptr;
    if (j->pai) {
        if (JanelaSim* topo = achar(raiz_de(h)))
            if (ElementoPtr e = citando(topo->arvore, h)) return e;
    }
    if (!j->elemento) {
        j->elemento = novo_elemento();
        j->elemento->eh_janela = true;
        j->elemento->janela_nativa = h;
        j->elemento->janela_dona = h;
    }
    j->elemento->tipo = tipo_da_janela(*j);
    return j->elemento;
}

// O tipo do elemento de uma janela: o que o provedor do programa dela diz
// e, sem ele, o do provedor de janela do Windows (Wine,
// dlls/uiautomationcore/tests/uiautomation.c, hwnd_control_type_test): Window
// para a de topo com moldura, Pane para a filha e para a janela solta sem
// título (um popup ou uma janela de ferramenta sem WS_CAPTION).
std::int32_t AreaDeTrabalho::tipo_da_janela(const JanelaSim& j) {
    if (j.provedor.tipo) return *j.provedor.tipo;
    if (j.pai) return kPainel;
    constexpr std::uint32_t kComTitulo = 0x00C00000u;    // WS_CAPTION
    constexpr std::uint32_t kJanelaDeApp = 0x00040000u;  // WS_EX_APPWINDOW
    const bool titulo = (j.estilo & kComTitulo) == kComTitulo;
    if ((j.estilo_ex & kJanelaDeApp) || titulo) return kJanela;
    const bool solta = (j.estilo & estilo::popup) || (j.estilo_ex & estilo_ex::ferramenta);
    return solta ? kPainel : kJanela;
}

bool AreaDeTrabalho::vivo(const ElementoPtr& e) {
    if (!e || e->removido) return false;
    if (e == raiz_uia) return true;
    // Um elemento que a página escondeu (aria-hidden, display:none), ou que
    // está debaixo de um, saiu da árvore do Chromium. Blink,
    // third_party/blink/renderer/modules/accessibility/ax_object.cc,
    // ShouldIgnoreForHiddenOrInert: o escondido é ignorado, e
    // ComputeIsAriaHidden (pelo pai) e ComputeIsHiddenViaStyle (display:none
    // vale para a subárvore) passam isso aos de baixo; fora dos casos de
    // ComputeIsIgnoredButIncludedInTree o nó nem vai ao navegador, e o
    // provedor que sobrou responde UIA_E_ELEMENTNOTAVAILABLE
    // (ui/accessibility/platform/ax_platform_node_win.h, UIA_VALIDATE_CALL).
    for (ElementoPtr x = e; x; x = x->pai.lock())
        if (x->web && x->web->oculto) return false;
    return achar(e->janela_dona) != nullptr;
}

Hwnd AreaDeTrabalho::janela_do_elemento(const ElementoPtr& e) { return e ? e->janela_dona : 0; }

std::vector<ElementoPtr> AreaDeTrabalho::filhos(const ElementoPtr& e) {
    std::vector<ElementoPtr> r;
    if (!e) return r;
    if (e == raiz_uia) {
        for (Hwnd h : ordem_z) {
            JanelaSim* j = achar(h);
            if (j && !achar(j->dono)) r.push_back(elemento_de(h));
        }
        return r;
    }
    // Os escondidos pela página não estão na árvore, e os de baixo deles
    // também não: ui/accessibility/ax_node.cc, GetUnignoredChildAtIndex, põe
    // os filhos de um nó ignorado no lugar dele, mas o Blink (ax_object.cc,
    // ComputeIsAriaHidden e ComputeIsHiddenViaStyle) esconde também cada um
    // dos de baixo, e então nenhum sobe.
    const auto juntar = [&](const std::vector<ElementoPtr>& de) {
        for (const ElementoPtr& f : de)
            if (!f->web || !f->web->oculto) r.push_back(f);
    };
    if (!e->eh_janela) {
        // Antes de a árvore da página chegar, o documento está vazio (a barra
        // e as abas, que são do navegador, já estão lá).
        if (documento_vazio(*this, *e)) return r;
        juntar(e->filhos);
        // Um elemento que cita uma janela filha traz também o que ela tiver.
        if (e->janela_nativa && e->janela_nativa != e->janela_dona) {
            if (JanelaSim* filha = achar(e->janela_nativa)) juntar(filha->arvore);
        }
        return r;
    }
    JanelaSim* j = achar(e->janela_dona);
    if (!j) return r;
    // Na ordem do núcleo do UI Automation (Wine, tests/uiautomation.c,
    // test_UiaNavigate): os filhos do provedor de janela (as janelas filhas
    // que nenhum elemento cita e as possuídas por ela), a parte de fora da
    // área cliente (que a simulação não tem) e então os do provedor do
    // programa (a página).
    for (Hwnd f : j->filhas)
        if (!citando(j->arvore, f)) r.push_back(elemento_de(f));
    for (Hwnd o : ordem_z) {
        JanelaSim* possuida = achar(o);
        if (possuida && possuida->dono == j->hwnd) r.push_back(elemento_de(o));
    }
    juntar(j->arvore);
    return r;
}

ElementoPtr AreaDeTrabalho::pai(const ElementoPtr& e) {
    if (!e || e == raiz_uia) return nullptr;
    if (ElementoPtr p = e->pai.lock()) return p;
    JanelaSim* j = achar(e->janela_dona);
    if (!j) return nullptr;
    if (!e->eh_janela) {
        // No topo da árvore de uma janela: a mãe é o elemento dela (ou quem a cita).
        return elemento_de(j->hwnd);
    }
    if (j->pai) return elemento_de(j->pai);
    if (achar(j->dono)) return elemento_de(j->dono);
    return raiz();
}

ElementoPtr AreaDeTrabalho::elemento_no_ponto(Ponto p) {
    const Hwnd h = raiz_de(janela_no_ponto(p));
    if (!h) return raiz();
    ElementoPtr atual = elemento_de(h);
    // Desce pelo filho de cima (o último que contém o ponto) até o mais fundo:
    // ui/accessibility/platform/browser_accessibility.cc, ApproximateHitTest,
    // anda nos filhos de trás para frente (o que vem depois na árvore está
    // por cima).
    for (int profundidade = 0; profundidade < 256; ++profundidade) {
        ElementoPtr elemento, janela;
        for (const ElementoPtr& f : filhos(atual)) {
            if (f->eh_janela) {
                // Uma janela filha (a da página, no Opera) faz parte desta e
                // fica por cima da área dela; uma janela possuída é outra
                // janela na tela e não entra aqui. O ponto cai na janela mais
                // funda, e é ela que responde pela página:
                // content/browser/renderer_host/legacy_render_widget_host_win.cc,
                // OnGetObject, dá a raiz de UI Automation da página na
                // Chrome_RenderWidgetHostHWND, e
                // ui/accessibility/platform/ax_fragment_root_win.cc,
                // ElementProviderFromPoint, desce dela. O Wine não prova isso
                // (uia_com_client.c, uia_iface_ElementFromPoint é um esboço).
                JanelaSim* j = achar(f->janela_nativa);
                if (j && j->pai && j->visivel && j->ret.contem(p)) janela = f;
                continue;
            }
            // Um invólucro da web sem tamanho vale a união dos filhos; um que
            // só tem o retângulo emprestado de cima não está ali para o ponto:
            // a resposta que vale é a do Blink (ax_node_object.cc,
            // AXNodeObject::AccessibilityHitTest, o teste de ponto do layout,
            // que nunca cai numa caixa vazia), guardada pelo navegador
            // (ui/accessibility/platform/browser_accessibility_manager.cc,
            // CachingAsyncHitTest).
            bool emprestado = false;
            const Retangulo rf = f->web ? retangulo_da_web(*this, *f, &emprestado) : f->ret;
            if (!emprestado && rf.contem(p)) elemento = f;
        }
        const ElementoPtr proximo = janela ? janela : elemento;
        if (!proximo) break;
        atual = proximo;
    }
    return atual;
}

int AreaDeTrabalho::lentidao(const std::string& chamada, Hwnd janela) {
    int ms = 0;
    for (const LentidaoSim& l : lentidoes)
        if ((l.chamada == chamada || l.chamada == "*") &&
            (!l.janela || l.janela == janela || l.janela == raiz_de(janela)))
            ms += l.ms;
    return ms;
}

}  // namespace plataforma::simulada
