// UI Automation sobre as árvores da cena, com a mesma semântica do cliente
// real: o cache é uma foto tirada na busca (mudanças depois só aparecem numa
// leitura viva ou numa busca nova), as condições exatas e as de "contém sem
// caixa", os escopos da árvore, a visão crua e a de controle. Cada ida ao
// navegador é contada por nome de chamada e pode falhar ou demorar quando a
// cena manda.

#include "plataforma/uia.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>

#include "comum/minusculas.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::uia {

using simulada::AreaDeTrabalho;
using simulada::ElementoPtr;
using simulada::ElementoSim;
using simulada::JanelaSim;

// A foto das propriedades pedidas, tirada no momento da busca.
struct Foto {
    std::set<Propriedade> pedidas;
    std::string papel, id, classe, nome;
    std::optional<std::string> valor;
    Retangulo ret;
    std::int32_t tipo = 0;
    Hwnd janela_nativa = 0;
    bool fora = false;
};

// O cliente de uma thread. No Windows o fim dele é o CoUninitialize da thread
// (plataforma/win32/uia.cpp): um elemento solto depois disso, na mesma
// thread, solta um objeto COM fora do apartamento. A simulação deixa isso no
// rastro, para os testes acharem a ordem errada.
namespace {
// As threads por um número que nunca se repete: o std::thread::id de uma
// thread que acabou volta numa thread nova.
std::uint64_t esta_thread() {
    static std::atomic<std::uint64_t> contador{0};
    thread_local const std::uint64_t numero = ++contador;
    return numero;
}
}  // namespace

struct DonoDoCliente {
    std::uint64_t thread = esta_thread();
    std::atomic<bool> acabou{false};
};

struct ElementoImpl {
    ElementoImpl(ElementoPtr n, std::shared_ptr<const Foto> f, std::shared_ptr<DonoDoCliente> d)
        : no(std::move(n)), foto(std::move(f)), dono(std::move(d)) {}
    ElementoImpl(const ElementoImpl&) = delete;
    ElementoImpl& operator=(const ElementoImpl&) = delete;
    ~ElementoImpl() {
        if (dono && dono->acabou && dono->thread == esta_thread())
            simulada::Rastro::global().registrar(
                {{"aviso_uia", "elemento solto depois do fim do cliente da thread"},
                 {"chave", no ? no->chave : ""}});
    }
    ElementoPtr no;
    std::shared_ptr<const Foto> foto;  // nenhuma: elemento sem cache
    std::shared_ptr<DonoDoCliente> dono;
};

struct CondicaoImpl {
    enum class Tipo { verdadeira, igual, contem, igual_sem_caixa, ou } tipo = Tipo::verdadeira;
    Propriedade propriedade = Propriedade::nome;
    Valor valor;
    std::shared_ptr<CondicaoImpl> a, b;
};

struct PedidoImpl {
    std::vector<Propriedade> propriedades;
    bool cru = false;
};

struct CaminhanteImpl {
    bool cru = true;
};

struct AutomacaoImpl {
    AutomacaoImpl() = default;
    AutomacaoImpl(const AutomacaoImpl&) = delete;
    AutomacaoImpl& operator=(const AutomacaoImpl&) = delete;
    ~AutomacaoImpl() { dono->acabou = true; }
    std::shared_ptr<DonoDoCliente> dono = std::make_shared<DonoDoCliente>();
};

namespace {

AreaDeTrabalho& area() { return AreaDeTrabalho::global(); }

Erro erro(std::int32_t hr) { return Erro{hr, {}}; }
Erro nulo() { return erro(ERRO_PONTEIRO_NULO); }

// Uma ida ao navegador: conta, confere as falhas e a demora que a cena pediu.
// Chamada com a trava da área tomada; devolve a demora em ms.
// "janela" vale quando a chamada não é sobre um elemento (ElementFromHandle).
std::optional<Erro> ida(AreaDeTrabalho& a, const std::string& chamada, const ElementoPtr& e, int& demora,
                        Hwnd janela_da_chamada = 0) {
    ++a.chamadas_uia[chamada];
    if (a.rastrear_uia)
        simulada::Rastro::global().registrar(
            {{"uia", chamada}, {"chave", e ? e->chave : ""}, {"thread", simulada::numero_da_thread()}});
    const Hwnd janela = e ? e->janela_dona : janela_da_chamada;
    const std::string chave = e ? e->chave : std::string();
    demora += a.lentidao(chamada, janela);
    if (auto hr = a.deve_falhar(chamada, janela, chave)) return erro(*hr);
    if (auto hr = a.deve_falhar("*", janela, chave)) return erro(*hr);
    return std::nullopt;
}

void esperar(int ms) {
    if (ms > 0) plataforma::dormir(std::chrono::milliseconds(ms));
}

// Roda "f" com a trava da área, contando a chamada; a demora é dormida fora
// da trava.
template <class T, class F>
Resultado<T> chamar(const std::string& chamada, const ElementoPtr& e, F f, Hwnd janela = 0) {
    int demora = 0;
    std::optional<Resultado<T>> r;
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto falha = ida(a, chamada, e, demora, janela))
            r.emplace(*falha);
        else
            r.emplace(f(a));
    }
    esperar(demora);
    return std::move(*r);
}

// Propriedades vivas de um elemento (as de uma janela vêm da janela).
std::string texto_de(AreaDeTrabalho& a, const ElementoSim& e, Propriedade p) {
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

Retangulo ret_de(AreaDeTrabalho& a, const ElementoSim& e) {
    if (e.eh_janela) {
        if (JanelaSim* j = a.achar(e.janela_nativa)) return j->ret;
        if (!a.monitores.empty()) return a.monitores.front().ret;
    }
    return e.ret;
}

Foto fotografar(AreaDeTrabalho& a, const ElementoSim& e, const PedidoImpl& p) {
    Foto f;
    f.pedidas.insert(p.propriedades.begin(), p.propriedades.end());
    f.papel = texto_de(a, e, Propriedade::papel);
    f.id = texto_de(a, e, Propriedade::id);
    f.classe = texto_de(a, e, Propriedade::classe);
    f.nome = texto_de(a, e, Propriedade::nome);
    f.valor = e.eh_janela ? std::nullopt : e.valor;
    f.ret = ret_de(a, e);
    f.tipo = e.tipo;
    f.janela_nativa = e.janela_nativa;
    f.fora = e.fora;
    return f;
}

// Cada elemento novo é do cliente de onde veio: o da Automacao que o pediu
// ou o do elemento de onde a busca ou o passo partiu.
Elemento embrulhar(const ElementoPtr& no, std::shared_ptr<DonoDoCliente> dono,
                   std::shared_ptr<const Foto> foto = nullptr) {
    Elemento e;
    e.impl = std::make_shared<ElementoImpl>(no, std::move(foto), std::move(dono));
    return e;
}

Elemento com_foto(AreaDeTrabalho& a, const ElementoPtr& no, const PedidoImpl& p,
                  std::shared_ptr<DonoDoCliente> dono) {
    return embrulhar(no, std::move(dono), std::make_shared<const Foto>(fotografar(a, *no, p)));
}

std::shared_ptr<DonoDoCliente> dono_de(const Automacao& a) { return a.impl ? a.impl->dono : nullptr; }

bool atende(AreaDeTrabalho& a, const ElementoSim& e, const CondicaoImpl& c) {
    using T = CondicaoImpl::Tipo;
    switch (c.tipo) {
        case T::verdadeira:
            return true;
        case T::ou:
            return (c.a && atende(a, e, *c.a)) || (c.b && atende(a, e, *c.b));
        default:
            break;
    }
    if (const auto* n = std::get_if<std::int32_t>(&c.valor)) {
        if (c.tipo != T::igual) return false;
        if (c.propriedade == Propriedade::tipo) return e.tipo == *n;
        if (c.propriedade == Propriedade::janela_nativa) return e.janela_nativa == *n;
        return false;
    }
    if (const auto* b = std::get_if<bool>(&c.valor))
        return c.tipo == T::igual && c.propriedade == Propriedade::fora && e.fora == *b;
    // Um valor que não é texto não casa com condição de texto.
    if (c.propriedade == Propriedade::valor && !e.valor) return false;
    const std::string atual = texto_de(a, e, c.propriedade);
    const std::string& procurado = std::get<std::string>(c.valor);
    if (c.tipo == T::igual) return atual == procurado;
    if (c.tipo == T::igual_sem_caixa) return minusculas(atual) == minusculas(procurado);
    return minusculas(atual).find(minusculas(procurado)) != std::string::npos;
}

// Os filhos na visão pedida: na de controle, os que não são de controle
// somem e os filhos deles sobem no lugar.
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

void juntar(AreaDeTrabalho& a, const ElementoPtr& e, const CondicaoImpl& c, bool cru, bool incluir_este,
            bool descer, std::vector<ElementoPtr>& saida, int profundidade) {
    if (profundidade > 512) return;  // uma cena com ciclo não derruba nada
    if (incluir_este && (cru || e->controle) && atende(a, *e, c)) saida.push_back(e);
    if (!descer) return;
    for (const ElementoPtr& f : a.filhos(e)) juntar(a, f, c, cru, true, true, saida, profundidade + 1);
}

std::vector<ElementoPtr> buscar(AreaDeTrabalho& a, const ElementoPtr& e, Escopo escopo, const CondicaoImpl& c,
                                bool cru) {
    std::vector<ElementoPtr> r;
    const bool este = escopo == Escopo::subarvore;
    if (este && (cru || e->controle) && atende(a, *e, c)) r.push_back(e);
    if (escopo == Escopo::filhos) {
        // Na visão de controle, os filhos de um filho que não é de controle
        // sobem para o lugar dele.
        for (const ElementoPtr& f : filhos_na_visao(a, e, cru))
            if (atende(a, *f, c)) r.push_back(f);
        return r;
    }
    for (const ElementoPtr& f : a.filhos(e)) juntar(a, f, c, cru, true, true, r, 1);
    return r;
}

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

// As leituras do cache não vão ao navegador (não contam), mas a cena ainda
// pode mandá-las falhar.
template <class T>
Resultado<T> foto_de(const Elemento& e, Propriedade p, T Foto::*campo) {
    if (!e.impl || !e.impl->no) return nulo();
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = a.deve_falhar(nome_do_getter(p), e.impl->no->janela_dona, e.impl->no->chave))
            return erro(*hr);
    }
    if (!e.impl->foto || !e.impl->foto->pedidas.count(p)) return erro(ARGUMENTO_INVALIDO);
    return (*e.impl->foto).*campo;
}

void rastrear_acao(const char* chamada, const ElementoPtr& no, bool ok) {
    simulada::Rastro::global().registrar(
        {{"efeito", chamada}, {"chave", no->chave}, {"classe", no->classe}, {"nome", no->nome}, {"ok", ok}});
}

}  // namespace

// --- Automacao -------------------------------------------------------------------

Resultado<Automacao> Automacao::criar() {
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = a.deve_falhar("CoCreateInstance")) return erro(*hr);
    }
    Automacao r;
    r.impl = std::make_shared<AutomacaoImpl>();
    return r;
}

Resultado<Elemento> Automacao::elemento_da_janela(Hwnd janela) const {
    return chamar<Elemento>(
        "ElementFromHandle", nullptr,
        [&](AreaDeTrabalho& a) -> Resultado<Elemento> {
            ElementoPtr e = a.elemento_de(janela);
            if (!e) return erro(static_cast<std::int32_t>(0x80070578u));  // ERROR_INVALID_WINDOW_HANDLE
            return embrulhar(e, dono_de(*this));
        },
        janela);
}

Resultado<Elemento> Automacao::elemento_no_ponto(Ponto p) const {
    Hwnd janela = 0;
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        janela = a.raiz_de(a.janela_no_ponto(p));
    }
    return chamar<Elemento>(
        "ElementFromPoint", nullptr,
        [&](AreaDeTrabalho& a) -> Resultado<Elemento> {
            a.raiz();
            return embrulhar(a.elemento_no_ponto(p), dono_de(*this));
        },
        janela);
}

Resultado<Elemento> Automacao::elemento_com_foco() const {
    return chamar<Elemento>("GetFocusedElement", nullptr, [&](AreaDeTrabalho& a) -> Resultado<Elemento> {
        if (ElementoPtr f = a.foco_uia.lock(); f && a.vivo(f)) return embrulhar(f, dono_de(*this));
        if (a.frente) return embrulhar(a.elemento_de(a.frente), dono_de(*this));
        return embrulhar(a.raiz(), dono_de(*this));
    });
}

Resultado<PedidoDeCache> Automacao::pedido(std::initializer_list<Propriedade> propriedades, bool cru) const {
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = a.deve_falhar("CreateCacheRequest")) return erro(*hr);
    }
    PedidoDeCache p;
    p.impl = std::make_shared<PedidoImpl>(PedidoImpl{propriedades, cru});
    return p;
}

namespace {
Resultado<Condicao> condicao(CondicaoImpl c, const char* chamada) {
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = a.deve_falhar(chamada)) return erro(*hr);
    }
    Condicao r;
    r.impl = std::make_shared<CondicaoImpl>(std::move(c));
    return r;
}
}  // namespace

Resultado<Condicao> Automacao::verdadeira() const { return condicao({}, "CreateTrueCondition"); }

namespace {
Resultado<Condicao> de_propriedade(CondicaoImpl::Tipo tipo, Propriedade p, Valor v, const char* chamada) {
    CondicaoImpl c;
    c.tipo = tipo;
    c.propriedade = p;
    c.valor = std::move(v);
    return condicao(std::move(c), chamada);
}
}  // namespace

Resultado<Condicao> Automacao::igual(Propriedade p, const Valor& v) const {
    return de_propriedade(CondicaoImpl::Tipo::igual, p, v, "CreatePropertyCondition");
}

Resultado<Condicao> Automacao::contem(Propriedade p, const std::string& texto) const {
    return de_propriedade(CondicaoImpl::Tipo::contem, p, texto, "CreatePropertyConditionEx");
}

Resultado<Condicao> Automacao::igual_sem_caixa(Propriedade p, const std::string& texto) const {
    return de_propriedade(CondicaoImpl::Tipo::igual_sem_caixa, p, texto, "CreatePropertyConditionEx");
}

Resultado<Condicao> Automacao::ou(const Condicao& a, const Condicao& b) const {
    if (!a.impl || !b.impl) return nulo();
    CondicaoImpl c;
    c.tipo = CondicaoImpl::Tipo::ou;
    c.a = a.impl;
    c.b = b.impl;
    return condicao(std::move(c), "CreateOrCondition");
}

Resultado<Caminhante> Automacao::caminhante_cru() const {
    Caminhante c;
    c.impl = std::make_shared<CaminhanteImpl>(CaminhanteImpl{true});
    return c;
}

Resultado<Caminhante> Automacao::caminhante_controle() const {
    Caminhante c;
    c.impl = std::make_shared<CaminhanteImpl>(CaminhanteImpl{false});
    return c;
}

Resultado<bool> Automacao::mesmo_elemento(const Elemento& a, const Elemento& b) const {
    if (!a.impl || !b.impl) return nulo();
    return chamar<bool>("CompareElements", a.impl->no,
                        [&](AreaDeTrabalho&) -> Resultado<bool> { return a.impl->no == b.impl->no; });
}

// --- Elemento --------------------------------------------------------------------

Resultado<std::vector<Elemento>> Elemento::achar_todos(Escopo escopo, const Condicao& c,
                                                       const PedidoDeCache& p) const {
    if (!impl || !c.impl || !p.impl) return nulo();
    return chamar<std::vector<Elemento>>(
        "FindAllBuildCache", impl->no, [&](AreaDeTrabalho& a) -> Resultado<std::vector<Elemento>> {
            if (!a.vivo(impl->no)) return erro(ELEMENTO_INDISPONIVEL);
            std::vector<Elemento> r;
            for (const ElementoPtr& e : buscar(a, impl->no, escopo, *c.impl, p.impl->cru))
                r.push_back(com_foto(a, e, *p.impl, impl->dono));
            return r;
        });
}

Resultado<std::optional<Elemento>> Elemento::achar_primeiro(Escopo escopo, const Condicao& c) const {
    if (!impl || !c.impl) return nulo();
    return chamar<std::optional<Elemento>>(
        "FindFirst", impl->no, [&](AreaDeTrabalho& a) -> Resultado<std::optional<Elemento>> {
            if (!a.vivo(impl->no)) return erro(ELEMENTO_INDISPONIVEL);
            const auto achados = buscar(a, impl->no, escopo, *c.impl, false);
            if (achados.empty()) return std::optional<Elemento>();
            return std::optional<Elemento>(embrulhar(achados.front(), impl->dono));
        });
}

Resultado<Elemento> Elemento::atualizar_cache(const PedidoDeCache& p) const {
    if (!impl || !p.impl) return nulo();
    return chamar<Elemento>("BuildUpdatedCache", impl->no, [&](AreaDeTrabalho& a) -> Resultado<Elemento> {
        if (!a.vivo(impl->no)) return erro(ELEMENTO_INDISPONIVEL);
        return com_foto(a, impl->no, *p.impl, impl->dono);
    });
}

Resultado<std::string> Elemento::papel_em_cache() const {
    return foto_de(*this, Propriedade::papel, &Foto::papel);
}
Resultado<std::string> Elemento::id_em_cache() const { return foto_de(*this, Propriedade::id, &Foto::id); }
Resultado<std::string> Elemento::classe_em_cache() const {
    return foto_de(*this, Propriedade::classe, &Foto::classe);
}
Resultado<std::string> Elemento::nome_em_cache() const {
    return foto_de(*this, Propriedade::nome, &Foto::nome);
}
Resultado<Retangulo> Elemento::retangulo_em_cache() const {
    return foto_de(*this, Propriedade::retangulo, &Foto::ret);
}
Resultado<std::int32_t> Elemento::tipo_em_cache() const {
    return foto_de(*this, Propriedade::tipo, &Foto::tipo);
}
Resultado<Hwnd> Elemento::janela_nativa_em_cache() const {
    return foto_de(*this, Propriedade::janela_nativa, &Foto::janela_nativa);
}
Resultado<bool> Elemento::fora_em_cache() const { return foto_de(*this, Propriedade::fora, &Foto::fora); }
Resultado<std::optional<std::string>> Elemento::valor_em_cache() const {
    return foto_de(*this, Propriedade::valor, &Foto::valor);
}

namespace {
template <class T, class F>
Resultado<T> viva(const Elemento& e, const char* chamada, F f) {
    if (!e.impl || !e.impl->no) return nulo();
    return chamar<T>(chamada, e.impl->no, [&](AreaDeTrabalho& a) -> Resultado<T> {
        if (!a.vivo(e.impl->no)) return erro(ELEMENTO_INDISPONIVEL);
        return f(a, *e.impl->no);
    });
}
}  // namespace

Resultado<Retangulo> Elemento::retangulo_atual() const {
    return viva<Retangulo>(*this, "get_CurrentBoundingRectangle",
                           [](AreaDeTrabalho& a, const ElementoSim& e) { return ret_de(a, e); });
}
Resultado<std::string> Elemento::classe_atual() const {
    return viva<std::string>(*this, "get_CurrentClassName", [](AreaDeTrabalho& a, const ElementoSim& e) {
        return texto_de(a, e, Propriedade::classe);
    });
}
Resultado<std::string> Elemento::nome_atual() const {
    return viva<std::string>(*this, "get_CurrentName", [](AreaDeTrabalho& a, const ElementoSim& e) {
        return texto_de(a, e, Propriedade::nome);
    });
}
Resultado<std::string> Elemento::papel_atual() const {
    return viva<std::string>(*this, "get_CurrentAriaRole", [](AreaDeTrabalho& a, const ElementoSim& e) {
        return texto_de(a, e, Propriedade::papel);
    });
}
Resultado<std::string> Elemento::id_atual() const {
    return viva<std::string>(*this, "get_CurrentAutomationId", [](AreaDeTrabalho& a, const ElementoSim& e) {
        return texto_de(a, e, Propriedade::id);
    });
}
Resultado<std::int32_t> Elemento::tipo_atual() const {
    return viva<std::int32_t>(*this, "get_CurrentControlType",
                              [](AreaDeTrabalho&, const ElementoSim& e) { return e.tipo; });
}
Resultado<bool> Elemento::fora_atual() const {
    return viva<bool>(*this, "get_CurrentIsOffscreen",
                      [](AreaDeTrabalho&, const ElementoSim& e) { return e.fora; });
}
Resultado<std::uint32_t> Elemento::processo_atual() const {
    return viva<std::uint32_t>(*this, "get_CurrentProcessId", [](AreaDeTrabalho& a, const ElementoSim& e) {
        JanelaSim* j = a.achar(e.janela_dona);
        return j ? j->processo : 0u;
    });
}

Resultado<Padrao> Elemento::invocar() const {
    const auto r = viva<Padrao>(*this, "Invoke", [](AreaDeTrabalho&, const ElementoSim& e) {
        return e.invocavel ? Padrao::feito : Padrao::ausente;
    });
    if (r) rastrear_acao("Invoke", impl->no, *r == Padrao::feito);
    return r;
}

Resultado<Padrao> Elemento::rolar_para_a_vista() const {
    const auto r = viva<Padrao>(*this, "ScrollIntoView", [](AreaDeTrabalho&, const ElementoSim& e) {
        return e.rolavel ? Padrao::feito : Padrao::ausente;
    });
    if (r) rastrear_acao("ScrollIntoView", impl->no, *r == Padrao::feito);
    return r;
}

Feito Elemento::focar() const {
    const auto r = viva<Nada>(*this, "SetFocus", [&](AreaDeTrabalho& a, const ElementoSim& e) -> Feito {
        if (!e.focavel) return erro(static_cast<std::int32_t>(0x80040202u));  // UIA_E_ELEMENTNOTENABLED
        a.foco_uia = impl->no;
        return Nada{};
    });
    if (impl && impl->no) rastrear_acao("SetFocus", impl->no, r.ok());
    return r;
}

// --- Caminhante ------------------------------------------------------------------

namespace {

enum class Passo { pai, primeiro, ultimo, proximo, anterior };

Resultado<std::optional<Elemento>> andar(const Caminhante& c, const Elemento& e, Passo passo,
                                         const PedidoImpl* pedido, const char* chamada) {
    if (!c.impl || !e.impl || !e.impl->no) return nulo();
    const bool cru = c.impl->cru;
    return chamar<std::optional<Elemento>>(
        chamada, e.impl->no, [&](AreaDeTrabalho& a) -> Resultado<std::optional<Elemento>> {
            const ElementoPtr& no = e.impl->no;
            if (!a.vivo(no)) return erro(ELEMENTO_INDISPONIVEL);
            ElementoPtr achado;
            if (passo == Passo::pai) {
                achado = pai_na_visao(a, no, cru);
            } else if (passo == Passo::primeiro || passo == Passo::ultimo) {
                const auto fs = filhos_na_visao(a, no, cru);
                if (!fs.empty()) achado = passo == Passo::primeiro ? fs.front() : fs.back();
            } else {
                const ElementoPtr mae = pai_na_visao(a, no, cru);
                if (mae) {
                    const auto irmas = filhos_na_visao(a, mae, cru);
                    const auto it = std::find(irmas.begin(), irmas.end(), no);
                    if (it != irmas.end()) {
                        if (passo == Passo::proximo && it + 1 != irmas.end()) achado = *(it + 1);
                        if (passo == Passo::anterior && it != irmas.begin()) achado = *(it - 1);
                    }
                }
            }
            if (!achado) return std::optional<Elemento>();
            return std::optional<Elemento>(pedido ? com_foto(a, achado, *pedido, e.impl->dono)
                                                  : embrulhar(achado, e.impl->dono));
        });
}

}  // namespace

Resultado<std::optional<Elemento>> Caminhante::pai(const Elemento& e) const {
    return andar(*this, e, Passo::pai, nullptr, "GetParentElement");
}
Resultado<std::optional<Elemento>> Caminhante::primeiro_filho(const Elemento& e) const {
    return andar(*this, e, Passo::primeiro, nullptr, "GetFirstChildElement");
}
Resultado<std::optional<Elemento>> Caminhante::ultimo_filho(const Elemento& e) const {
    return andar(*this, e, Passo::ultimo, nullptr, "GetLastChildElement");
}
Resultado<std::optional<Elemento>> Caminhante::proximo_irmao(const Elemento& e) const {
    return andar(*this, e, Passo::proximo, nullptr, "GetNextSiblingElement");
}
Resultado<std::optional<Elemento>> Caminhante::irmao_anterior(const Elemento& e) const {
    return andar(*this, e, Passo::anterior, nullptr, "GetPreviousSiblingElement");
}
Resultado<std::optional<Elemento>> Caminhante::pai(const Elemento& e, const PedidoDeCache& p) const {
    if (!p.impl) return nulo();
    return andar(*this, e, Passo::pai, p.impl.get(), "GetParentElementBuildCache");
}
Resultado<std::optional<Elemento>> Caminhante::ultimo_filho(const Elemento& e, const PedidoDeCache& p) const {
    if (!p.impl) return nulo();
    return andar(*this, e, Passo::ultimo, p.impl.get(), "GetLastChildElementBuildCache");
}
Resultado<std::optional<Elemento>> Caminhante::irmao_anterior(const Elemento& e,
                                                              const PedidoDeCache& p) const {
    if (!p.impl) return nulo();
    return andar(*this, e, Passo::anterior, p.impl.get(), "GetPreviousSiblingElementBuildCache");
}

}  // namespace plataforma::uia
