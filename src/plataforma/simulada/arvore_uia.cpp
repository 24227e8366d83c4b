// A árvore de UI Automation da área simulada: elementos das janelas, filhos e
// mãe na visão crua, o elemento sob um ponto.

#include <algorithm>
#include <functional>

#include "plataforma/simulada/area_de_trabalho.hpp"
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
        j->elemento->tipo = j->pai ? kPainel : kJanela;
    }
    return j->elemento;
}

bool AreaDeTrabalho::vivo(const ElementoPtr& e) {
    if (!e || e->removido) return false;
    if (e == raiz_uia) return true;
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
    if (!e->eh_janela) {
        // Antes de a árvore da página chegar, o documento está vazio (a barra
        // e as abas, que são do navegador, já estão lá).
        if (e->tipo == kDocumento && custo.adormecida(raiz_de(e->janela_dona), plataforma::agora())) return r;
        r = e->filhos;
        // Um elemento que cita uma janela filha traz também o que ela tiver.
        if (e->janela_nativa && e->janela_nativa != e->janela_dona) {
            if (JanelaSim* filha = achar(e->janela_nativa))
                r.insert(r.end(), filha->arvore.begin(), filha->arvore.end());
        }
        return r;
    }
    JanelaSim* j = achar(e->janela_dona);
    if (!j) return r;
    r = j->arvore;
    for (Hwnd f : j->filhas)
        if (!citando(j->arvore, f)) r.push_back(elemento_de(f));
    for (Hwnd o : ordem_z) {
        JanelaSim* possuida = achar(o);
        if (possuida && possuida->dono == j->hwnd) r.push_back(elemento_de(o));
    }
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
    // Desce pelo filho de cima (o último que contém o ponto) até o mais fundo.
    for (int profundidade = 0; profundidade < 256; ++profundidade) {
        ElementoPtr proximo;
        for (const ElementoPtr& f : filhos(atual)) {
            if (f->eh_janela) {
                // Uma janela filha (a da página, no Opera) faz parte desta; uma
                // janela possuída é outra janela na tela e não entra aqui.
                JanelaSim* j = achar(f->janela_nativa);
                if (j && j->pai && j->visivel && j->ret.contem(p)) proximo = f;
                continue;
            }
            if (f->ret.contem(p)) proximo = f;
        }
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
