#include "plataforma/simulada/consultas_uia.hpp"

#include <algorithm>

#include "comum/minusculas.hpp"
#include "plataforma/simulada/chromium.hpp"
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

// Em ordem de documento: o elemento, depois cada filho com os de baixo.
// "pular": o primeiro da visão ainda não foi deixado de fora (veja buscar).
void juntar(AreaDeTrabalho& a, const ElementoPtr& e, const CondicaoUia& c, bool cru, bool& pular,
            std::vector<ElementoPtr>& saida, int profundidade) {
    if (profundidade > 512) return;  // uma cena com ciclo não derruba nada
    a.custo.examinou(1);
    if (cru || e->controle) {
        if (pular)
            pular = false;
        else if (atende(a, *e, c))
            saida.push_back(e);
    }
    for (const ElementoPtr& f : a.filhos(e)) juntar(a, f, c, cru, pular, saida, profundidade + 1);
}

}  // namespace

std::string texto_uia(AreaDeTrabalho& a, const ElementoSim& e, Propriedade p) {
    if (e.eh_janela) {
        // O provedor do programa da janela responde primeiro; o que ele não
        // diz vem da janela (Wine, tests/uiautomation.c,
        // test_UiaRegisterProviderCallback: Override, Main, Nonclient, Hwnd).
        if (JanelaSim* j = a.achar(e.janela_nativa)) {
            if (p == Propriedade::nome) return j->provedor.nome.value_or(j->titulo);
            if (p == Propriedade::classe) return j->provedor.classe.value_or(j->classe);
        }
        if (p == Propriedade::nome) return e.nome;
        if (p == Propriedade::classe) return e.classe;
        return {};
    }
    switch (p) {
        case Propriedade::papel:
            return e.papel;
        case Propriedade::id:
            return sem_classe_nem_id(a, e) ? std::string() : e.id;
        case Propriedade::classe:
            return sem_classe_nem_id(a, e) ? std::string() : e.classe;
        case Propriedade::nome:
            return documento_vazio(a, e) ? std::string() : e.nome;
        case Propriedade::valor:
            return valor_uia(a, e).value_or("");
        default:
            return {};
    }
}

std::optional<std::string> valor_uia(AreaDeTrabalho& a, const ElementoSim& e) {
    if (e.eh_janela || documento_vazio(a, e))
        return std::nullopt;  // o documento vazio ainda não tem endereço
    return e.valor;
}

Retangulo retangulo_uia(AreaDeTrabalho& a, const ElementoSim& e) {
    if (e.eh_janela) {
        if (JanelaSim* j = a.achar(e.janela_nativa)) {
            // Wine, tests/uiautomation.c, test_node_hwnd_provider_: a janela
            // de topo minimizada não dá retângulo, e o cliente COM o entrega
            // zerado.
            if (!j->pai && j->minimizada) return {};
            return j->ret;
        }
        if (!a.monitores.empty()) return a.monitores.front().ret;
    }
    if (e.web) return retangulo_da_web(a, e);
    // O layout da página atrasado: o lugar de antes, relativo à janela, que
    // anda na hora com ela.
    if (a.custo.com_atraso())
        if (const auto velho = a.custo.retangulo_atrasado(e.numero, plataforma::agora()))
            if (JanelaSim* j = a.achar(e.janela_dona)) return deslocar(*velho, j->ret.esquerda, j->ret.topo);
    return e.ret;
}

bool fora_uia(AreaDeTrabalho& a, const ElementoSim& e) {
    if (e.fora || !e.web) return e.fora;
    bool emprestado = false;
    retangulo_da_web(a, e, &emprestado);
    return emprestado;
}

std::int32_t tipo_uia(AreaDeTrabalho& a, const ElementoSim& e) {
    if (e.eh_janela)
        if (JanelaSim* j = a.achar(e.janela_nativa)) return AreaDeTrabalho::tipo_da_janela(*j);
    return e.tipo;
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
    f.valor = valor_uia(a, e);
    f.ret = retangulo_uia(a, e);
    f.tipo = tipo_uia(a, e);
    f.janela_nativa = e.janela_nativa;
    f.fora = fora_uia(a, e);
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
        if (c.propriedade == Propriedade::tipo) return tipo_uia(a, e) == *n;
        if (c.propriedade == Propriedade::janela_nativa) return e.janela_nativa == *n;
        return false;
    }
    if (const auto* b = std::get_if<bool>(&c.valor)) {
        if (c.tipo != T::igual) return false;
        if (c.propriedade == Propriedade::fora) return fora_uia(a, e) == *b;
        if (c.propriedade == Propriedade::invocavel) return e.invocavel == *b;
        return false;
    }
    // Um valor que não é texto não casa com condição de texto.
    if (c.propriedade == Propriedade::valor && !valor_uia(a, e)) return false;
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
    // Wine, tests/uiautomation.c, test_Element_Find (o comentário sobre
    // excluir a raiz): sem o próprio elemento no escopo, o núcleo deixa de
    // fora o primeiro elemento da visão que a busca encontra, que ele toma
    // pela raiz. Partindo de um elemento que está na visão, é ele mesmo; de
    // um que não está, quem perde o lugar é o primeiro achado de verdade.
    const bool perde_o_primeiro = !este && !cru && !e->controle;
    if (escopo == Escopo::filhos) {
        // Na visão de controle, os filhos de um filho que não é de controle
        // sobem para o lugar dele.
        auto fs = filhos_na_visao(a, e, cru);
        a.custo.examinou(static_cast<std::int64_t>(fs.size()));
        if (perde_o_primeiro && !fs.empty()) fs.erase(fs.begin());
        for (const ElementoPtr& f : fs)
            if (atende(a, *f, c)) r.push_back(f);
        return r;
    }
    bool pular = perde_o_primeiro;
    for (const ElementoPtr& f : a.filhos(e)) juntar(a, f, c, cru, pular, r, 1);
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
    ElementoPtr f = a.foco_uia.lock();
    if (!f || !a.vivo(f)) return a.frente ? a.elemento_de(a.frente) : a.raiz();
    // Wine, tests/uiautomation.c, test_GetFocusedElement: o foco fora da
    // visão de controle sobe para o ancestral mais próximo que está nela;
    // sem nenhum, UIA_E_ELEMENTNOTAVAILABLE (nulo aqui).
    while (f && !f->controle) f = a.pai(f);
    return f;
}

ElementoPtr elemento_no_ponto_uia(AreaDeTrabalho& a, Ponto p) {
    a.raiz();
    return a.elemento_no_ponto(p);
}

std::optional<std::int32_t> ida_ao_navegador(AreaDeTrabalho& a, const std::string& chamada,
                                             const ElementoPtr& e, int& demora, Hwnd janela_da_chamada,
                                             const std::string& falhas_de) {
    ++a.chamadas_uia[chamada];
    if (a.rastrear_uia)
        Rastro::global().registrar(
            {{"uia", chamada}, {"chave", e ? e->chave : ""}, {"thread", numero_da_thread()}});
    const Hwnd janela = e ? e->janela_dona : janela_da_chamada;
    const std::string chave = e ? e->chave : std::string();
    a.custo.comecar(a.raiz_de(janela), plataforma::agora());
    // Achar um elemento (pela janela, pelo ponto, pelo foco) ou comparar dois
    // não lê propriedade nenhuma; o resto lê, e liga o leitor de tela.
    const bool estrutural = chamada == "ElementFromHandle" || chamada == "ElementFromPoint" ||
                            chamada == "GetFocusedElement" || chamada == "CompareElements";
    marcar_ida_do_chromium(a, a.raiz_de(janela), !estrutural);
    demora += a.lentidao(chamada, janela);
    if (auto hr = a.deve_falhar(falhas_de.empty() ? chamada : falhas_de, janela, chave)) return hr;
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
    if (e->web) {
        focar_na_web(a, e);
        return std::nullopt;
    }
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
    if (e->web) rolar_na_web(a, e);
    a.disparar(Gatilho::rolado, e);
    return uia::Padrao::feito;
}

// Wine, tests/uiautomation.c, test_CUIAutomation_condition_ifaces: uma
// condição cujo valor não é do tipo da propriedade é recusada já ao ser
// criada (o Windows o prova para o RuntimeId; a simulação vale para todas).
std::optional<std::int32_t> erro_da_condicao(Propriedade p, const uia::Valor& v) {
    switch (p) {
        case Propriedade::tipo:
        case Propriedade::janela_nativa:
        case Propriedade::processo:
            if (std::holds_alternative<std::int32_t>(v)) return std::nullopt;
            break;
        case Propriedade::fora:
        case Propriedade::focavel:
        case Propriedade::controle:
        case Propriedade::invocavel:
        case Propriedade::rolavel:
            if (std::holds_alternative<bool>(v)) return std::nullopt;
            break;
        case Propriedade::nome:
        case Propriedade::id:
        case Propriedade::classe:
        case Propriedade::papel:
        case Propriedade::valor:
            if (std::holds_alternative<std::string>(v)) return std::nullopt;
            break;
        case Propriedade::retangulo:
            break;
    }
    return uia::ARGUMENTO_INVALIDO;
}

bool sem_servidor(AreaDeTrabalho& a, const ElementoSim& e) {
    return e.janela_dona && a.janelas_de_processo_morto.count(e.janela_dona) > 0;
}

std::optional<std::int32_t> erro_de_ida(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (e && sem_servidor(a, *e)) return kServidorSumiu;
    if (!a.vivo(e)) return uia::ELEMENTO_INDISPONIVEL;
    return std::nullopt;
}

}  // namespace plataforma::simulada
