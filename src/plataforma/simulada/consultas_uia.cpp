#include "plataforma/simulada/consultas_uia.hpp"

#include <algorithm>

#include "comum/minusculas.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::simulada {

using uia::Escopo;
using uia::Propriedade;

namespace {

const char* nome_do_getter(Propriedade p) {
    switch (p) {
        case Propriedade::papel:
            return "get_CachedAriaRole";
        case Propriedade::id:
            return "get_CachedAutomationId";
        case Propriedade::classe:
            return "get_CachedClassName";
        case Propriedade::nome:
            return "get_CachedName";
        case Propriedade::retangulo:
            return "get_CachedBoundingRectangle";
        case Propriedade::tipo:
            return "get_CachedControlType";
        case Propriedade::janela_nativa:
            return "get_CachedNativeWindowHandle";
        case Propriedade::fora:
            return "get_CachedIsOffscreen";
        default:
            return "GetCachedPropertyValue";
    }
}

void juntar(AreaDeTrabalho& a, const ElementoPtr& e, const CondicaoUia& c, bool cru, bool incluir_este,
            bool descer, std::vector<ElementoPtr>& saida, int profundidade) {
    if (profundidade > 512) return;  // uma cena com ciclo não derruba nada
    a.custo.examinou(1);
    if (incluir_este && (cru || e->controle) && atende(a, *e, c)) saida.push_back(e);
    if (!descer) return;
    for (const ElementoPtr& f : a.filhos(e)) juntar(a, f, c, cru, true, true, saida, profundidade + 1);
}

}  // namespace

std::string texto_uia(AreaDeTrabalho& a, const ElementoSim& e, Propriedade p) {
    if (e.eh_janela) {
        if (JanelaSim* j = a.achar(e.janela_nativa)) {
            if (p == Propriedade::nome) return j->titulo;
            if (p == Propriedade::classe) return j->classe;
        }
        if (p == Propriedade::nome) return e.nome;
        if (p == Propriedade::classe) return e.classe;
        return {};
    }
    switch (p) {
        case Propriedade::papel:
            return e.papel;
        case Propriedade::id:
            return e.id;
        case Propriedade::classe:
            return e.classe;
        case Propriedade::nome:
            return e.nome;
        case Propriedade::valor:
            return e.valor.value_or("");
        default:
            return {};
    }
}

Retangulo retangulo_uia(AreaDeTrabalho& a, const ElementoSim& e) {
    if (e.eh_janela) {
        if (JanelaSim* j = a.achar(e.janela_nativa)) return j->ret;
        if (!a.monitores.empty()) return a.monitores.front().ret;
    }
    // O layout da página atrasado: o lugar de antes, relativo à janela, que
    // anda na hora com ela.
    if (a.custo.com_atraso())
        if (const auto velho = a.custo.retangulo_atrasado(e.numero, plataforma::agora()))
            if (JanelaSim* j = a.achar(e.janela_dona)) return deslocar(*velho, j->ret.esquerda, j->ret.topo);
    return e.ret;
}

std::uint32_t processo_uia(AreaDeTrabalho& a, const ElementoSim& e) {
    JanelaSim* j = a.achar(e.janela_dona);
    return j ? j->processo : 0u;
}

FotoUia fotografar(AreaDeTrabalho& a, const ElementoSim& e, const PedidoUia& p) {
    FotoUia f;
    f.pedidas.insert(p.propriedades.begin(), p.propriedades.end());
    f.papel = texto_uia(a, e, Propriedade::papel);
    f.id = texto_uia(a, e, Propriedade::id);
    f.classe = texto_uia(a, e, Propriedade::classe);
    f.nome = texto_uia(a, e, Propriedade::nome);
    f.valor = e.eh_janela ? std::nullopt : e.valor;
    f.ret = retangulo_uia(a, e);
    f.tipo = e.tipo;
    f.janela_nativa = e.janela_nativa;
    f.fora = e.fora;
    f.invocavel = e.invocavel;
    f.rolavel = e.rolavel;
    f.focavel = e.focavel;
    f.controle = e.controle;
    return f;
}

FotoUia fotografar_subarvore(AreaDeTrabalho& a, const ElementoPtr& e, const PedidoUia& p, int profundidade) {
    FotoUia f = fotografar(a, *e, p);
    if (!p.subarvore) return f;
    f.com_filhos = true;
    // Uma cena com ciclo não derruba nada (o mesmo teto das buscas).
    if (profundidade > 512) return f;
    for (const ElementoPtr& filho : filhos_na_visao(a, e, p.cru))
        f.filhos.push_back(
            {filho, std::make_shared<const FotoUia>(fotografar_subarvore(a, filho, p, profundidade + 1))});
    return f;
}

bool atende(AreaDeTrabalho& a, const ElementoSim& e, const CondicaoUia& c) {
    using T = CondicaoUia::Tipo;
    switch (c.tipo) {
        case T::verdadeira:
            return true;
        case T::ou:
            return (c.a && atende(a, e, *c.a)) || (c.b && atende(a, e, *c.b));
        case T::e:
            return c.a && c.b && atende(a, e, *c.a) && atende(a, e, *c.b);
        default:
            break;
    }
    if (const auto* n = std::get_if<std::int32_t>(&c.valor)) {
        if (c.tipo != T::igual) return false;
        if (c.propriedade == Propriedade::tipo) return e.tipo == *n;
        if (c.propriedade == Propriedade::janela_nativa) return e.janela_nativa == *n;
        return false;
    }
    if (const auto* b = std::get_if<bool>(&c.valor)) {
        if (c.tipo != T::igual) return false;
        if (c.propriedade == Propriedade::fora) return e.fora == *b;
        if (c.propriedade == Propriedade::invocavel) return e.invocavel == *b;
        return false;
    }
    // Um valor que não é texto não casa com condição de texto.
    if (c.propriedade == Propriedade::valor && !e.valor) return false;
    const std::string atual = texto_uia(a, e, c.propriedade);
    const std::string& procurado = std::get<std::string>(c.valor);
    if (c.tipo == T::igual) return atual == procurado;
    if (c.tipo == T::igual_sem_caixa) return minusculas(atual) == minusculas(procurado);
    return minusculas(atual).find(minusculas(procurado)) != std::string::npos;
}

std::vector<ElementoPtr> filhos_na_visao(AreaDeTrabalho& a, const ElementoPtr& e, bool cru) {
    std::vector<ElementoPtr> r;
    for (const ElementoPtr& f : a.filhos(e)) {
        if (cru || f->controle) {
            r.push_back(f);
        } else {
            const auto netos = filhos_na_visao(a, f, false);
            r.insert(r.end(), netos.begin(), netos.end());
        }
    }
    return r;
}

ElementoPtr pai_na_visao(AreaDeTrabalho& a, const ElementoPtr& e, bool cru) {
    ElementoPtr p = a.pai(e);
    while (p && !cru && !p->controle) p = a.pai(p);
    return p;
}

std::vector<ElementoPtr> buscar(AreaDeTrabalho& a, const ElementoPtr& e, Escopo escopo, const CondicaoUia& c,
                                bool cru) {
    std::vector<ElementoPtr> r;
    const bool este = escopo == Escopo::subarvore;
    if (este) a.custo.examinou(1);
    if (este && (cru || e->controle) && atende(a, *e, c)) r.push_back(e);
    if (escopo == Escopo::filhos) {
        // Na visão de controle, os filhos de um filho que não é de controle
        // sobem para o lugar dele.
        const auto fs = filhos_na_visao(a, e, cru);
        a.custo.examinou(static_cast<std::int64_t>(fs.size()));
        for (const ElementoPtr& f : fs)
            if (atende(a, *f, c)) r.push_back(f);
        return r;
    }
    for (const ElementoPtr& f : a.filhos(e)) juntar(a, f, c, cru, true, true, r, 1);
    return r;
}

ElementoPtr passo_na_visao(AreaDeTrabalho& a, const ElementoPtr& no, PassoUia passo, bool cru) {
    if (passo == PassoUia::pai) return pai_na_visao(a, no, cru);
    if (passo == PassoUia::primeiro || passo == PassoUia::ultimo) {
        const auto fs = filhos_na_visao(a, no, cru);
        if (fs.empty()) return nullptr;
        return passo == PassoUia::primeiro ? fs.front() : fs.back();
    }
    const ElementoPtr mae = pai_na_visao(a, no, cru);
    if (!mae) return nullptr;
    const auto irmas = filhos_na_visao(a, mae, cru);
    const auto it = std::find(irmas.begin(), irmas.end(), no);
    if (it == irmas.end()) return nullptr;
    if (passo == PassoUia::proximo && it + 1 != irmas.end()) return *(it + 1);
    if (passo == PassoUia::anterior && it != irmas.begin()) return *(it - 1);
    return nullptr;
}

ElementoPtr elemento_da_janela_uia(AreaDeTrabalho& a, Hwnd janela) { return a.elemento_de(janela); }

ElementoPtr elemento_com_foco_uia(AreaDeTrabalho& a) {
    if (ElementoPtr f = a.foco_uia.lock(); f && a.vivo(f)) return f;
    if (a.frente) return a.elemento_de(a.frente);
    return a.raiz();
}

ElementoPtr elemento_no_ponto_uia(AreaDeTrabalho& a, Ponto p) {
    a.raiz();
    return a.elemento_no_ponto(p);
}

std::optional<std::int32_t> ida_ao_navegador(AreaDeTrabalho& a, const std::string& chamada,
                                             const ElementoPtr& e, int& demora, Hwnd janela_da_chamada) {
    ++a.chamadas_uia[chamada];
    if (a.rastrear_uia)
        Rastro::global().registrar(
            {{"uia", chamada}, {"chave", e ? e->chave : ""}, {"thread", numero_da_thread()}});
    const Hwnd janela = e ? e->janela_dona : janela_da_chamada;
    const std::string chave = e ? e->chave : std::string();
    a.custo.comecar(a.raiz_de(janela), plataforma::agora());
    demora += a.lentidao(chamada, janela);
    if (auto hr = a.deve_falhar(chamada, janela, chave)) return hr;
    if (auto hr = a.deve_falhar("*", janela, chave)) return hr;
    return std::nullopt;
}

std::optional<std::int32_t> falha_local(AreaDeTrabalho& a, const std::string& chamada) {
    return a.deve_falhar(chamada);
}

std::optional<std::int32_t> erro_do_cache(AreaDeTrabalho& a, const ElementoSim& e, const FotoUia* foto,
                                          Propriedade p) {
    // As leituras do cache não vão ao navegador (não contam), mas a cena ainda
    // pode mandá-las falhar.
    if (auto hr = a.deve_falhar(nome_do_getter(p), e.janela_dona, e.chave)) return hr;
    if (!foto || !foto->pedidas.count(p)) return uia::ARGUMENTO_INVALIDO;
    return std::nullopt;
}

std::optional<std::int32_t> focar_uia(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (!e->focavel) return static_cast<std::int32_t>(0x80040202u);  // UIA_E_ELEMENTNOTENABLED
    a.foco_uia = e;
    a.disparar(Gatilho::focado, e);
    return std::nullopt;
}

uia::Padrao invocar_uia(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (!e->invocavel) return uia::Padrao::ausente;
    a.disparar(Gatilho::invocado, e);
    return uia::Padrao::feito;
}

uia::Padrao rolar_uia(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (!e->rolavel) return uia::Padrao::ausente;
    a.disparar(Gatilho::rolado, e);
    return uia::Padrao::feito;
}

}  // namespace plataforma::simulada
