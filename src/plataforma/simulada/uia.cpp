// UI Automation sobre as árvores da cena, com a mesma semântica do cliente
// real: o cache é uma foto tirada na busca (mudanças depois só aparecem numa
// leitura viva ou numa busca nova), as condições exatas e as de "contém sem
// caixa", os escopos da árvore, a visão crua e a de controle. Cada ida ao
// navegador é contada por nome de chamada e pode falhar ou demorar quando a
// cena manda. A semântica mora em consultas_uia.hpp; aqui fica o cliente.

#include "plataforma/uia.hpp"

#include <atomic>
#include <mutex>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/consultas_uia.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::uia {

using simulada::AreaDeTrabalho;
using simulada::CondicaoUia;
using simulada::ElementoPtr;
using simulada::ElementoSim;
using simulada::FotoUia;
using simulada::PassoUia;
using simulada::PedidoUia;

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
    ElementoImpl(ElementoPtr n, std::shared_ptr<const FotoUia> f, std::shared_ptr<DonoDoCliente> d)
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
    std::shared_ptr<const FotoUia> foto;  // nenhuma: elemento sem cache
    std::shared_ptr<DonoDoCliente> dono;
};

struct CondicaoImpl {
    std::shared_ptr<const CondicaoUia> c;
};

struct PedidoImpl {
    PedidoUia p;
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

// O tempo esgotado de transação que o cliente desta thread pediu ao criar a
// Automacao (IUIAutomation2); 0 antes disso: espera para sempre.
thread_local std::int64_t TEMPO_DA_TRANSACAO_MS = 0;

// Roda "f" com a trava da área, contando a chamada; a demora (a da cena e a
// do perfil de custo) é dormida fora da trava, no relógio de quem chamou.
template <class T, class F>
Resultado<T> chamar(const std::string& chamada, const ElementoPtr& e, F f, Hwnd janela = 0,
                    const std::string& falhas_de = {}) {
    avisar_ida();
    int demora = 0;
    std::optional<Resultado<T>> r;
    bool reagir = false;
    std::chrono::nanoseconds custo{0};
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto falha = simulada::ida_ao_navegador(a, chamada, e, demora, janela, falhas_de))
            r.emplace(erro(*falha));
        else
            r.emplace(f(a));
        const simulada::CustoDaIda c = a.custo.terminar(TEMPO_DA_TRANSACAO_MS);
        custo = std::chrono::nanoseconds{c.demora_ns};
        if (c.falha) r.emplace(erro(*c.falha));
        reagir = a.algo_a_despachar();
    }
    // A página reage ao aperto, ao foco, à rolagem: depois da resposta.
    if (reagir) simulada::despachar_reacoes();
    const auto total = custo + std::chrono::milliseconds(demora);
    if (total.count() > 0) plataforma::dormir(total);
    return std::move(*r);
}

// Cada elemento novo é do cliente de onde veio: o da Automacao que o pediu
// ou o do elemento de onde a busca ou o passo partiu.
Elemento embrulhar(const ElementoPtr& no, std::shared_ptr<DonoDoCliente> dono,
                   std::shared_ptr<const FotoUia> foto = nullptr) {
    Elemento e;
    e.impl = std::make_shared<ElementoImpl>(no, std::move(foto), std::move(dono));
    return e;
}

Elemento com_foto(AreaDeTrabalho& a, const ElementoPtr& no, const PedidoUia& p,
                  std::shared_ptr<DonoDoCliente> dono) {
    a.custo.devolveu(1);
    return embrulhar(no, std::move(dono),
                     std::make_shared<const FotoUia>(simulada::fotografar_subarvore(a, no, p)));
}

std::shared_ptr<DonoDoCliente> dono_de(const Automacao& a) { return a.impl ? a.impl->dono : nullptr; }

template <class T>
Resultado<T> foto_de(const Elemento& e, Propriedade p, T FotoUia::*campo) {
    if (!e.impl || !e.impl->no) return nulo();
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = simulada::erro_do_cache(a, *e.impl->no, e.impl->foto.get(), p)) return erro(*hr);
    }
    return (*e.impl->foto).*campo;
}

// O elemento como estava no instante da ação (tirado sob a trava da área): a
// reação da página, que roda em outra thread, pode mudá-lo logo depois.
simulada::Json foto_da_acao(const ElementoSim& e) {
    return {{"chave", e.chave}, {"classe", e.classe}, {"nome", e.nome}};
}

void rastrear_acao(const char* chamada, simulada::Json foto, bool ok) {
    simulada::Json linha = {{"efeito", chamada}};
    for (auto& [k, v] : foto.items()) linha[k] = v;
    linha["ok"] = ok;
    simulada::Rastro::global().registrar(std::move(linha));
}

}  // namespace

// --- Automacao -------------------------------------------------------------------

Resultado<Automacao> Automacao::criar() {
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = simulada::falha_local(a, "CoCreateInstance")) return erro(*hr);
    }
    // As esperas de 2 s de conexão e 3 s de transação do cliente real: uma
    // parada do navegador mais longa vira UIA_E_TIMEOUT.
    TEMPO_DA_TRANSACAO_MS = 3000;
    Automacao r;
    r.impl = std::make_shared<AutomacaoImpl>();
    return r;
}

Resultado<Elemento> Automacao::elemento_da_janela(Hwnd janela) const {
    return chamar<Elemento>(
        "ElementFromHandle", nullptr,
        [&](AreaDeTrabalho& a) -> Resultado<Elemento> {
            // Wine, tests/uiautomation.c, test_UiaNodeFromHandle: a janela
            // nula (e a que não existe mais) dá UIA_E_ELEMENTNOTAVAILABLE.
            ElementoPtr e = simulada::elemento_da_janela_uia(a, janela);
            if (!e) return erro(ELEMENTO_INDISPONIVEL);
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
            return embrulhar(simulada::elemento_no_ponto_uia(a, p), dono_de(*this));
        },
        janela);
}

Resultado<Elemento> Automacao::elemento_com_foco() const {
    return chamar<Elemento>("GetFocusedElement", nullptr, [&](AreaDeTrabalho& a) -> Resultado<Elemento> {
        ElementoPtr e = simulada::elemento_com_foco_uia(a);
        if (!e) return erro(ELEMENTO_INDISPONIVEL);
        return embrulhar(e, dono_de(*this));
    });
}

Resultado<PedidoDeCache> Automacao::pedido(std::initializer_list<Propriedade> propriedades, bool cru) const {
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = simulada::falha_local(a, "CreateCacheRequest")) return erro(*hr);
    }
    PedidoDeCache p;
    p.impl = std::make_shared<PedidoImpl>(PedidoImpl{PedidoUia{propriedades, cru, false}});
    return p;
}

Resultado<PedidoDeCache> Automacao::pedido_da_subarvore(
    std::initializer_list<Propriedade> propriedades) const {
    auto p = pedido(propriedades, true);
    if (p) p->impl->p.subarvore = true;
    return p;
}

namespace {
Resultado<Condicao> condicao(CondicaoUia c, const char* chamada) {
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        if (auto hr = simulada::falha_local(a, chamada)) return erro(*hr);
    }
    Condicao r;
    r.impl = std::make_shared<CondicaoImpl>(CondicaoImpl{std::make_shared<const CondicaoUia>(std::move(c))});
    return r;
}

Resultado<Condicao> de_propriedade(CondicaoUia::Tipo tipo, Propriedade p, Valor v, const char* chamada) {
    CondicaoUia c;
    c.tipo = tipo;
    c.propriedade = p;
    c.valor = std::move(v);
    return condicao(std::move(c), chamada);
}
}  // namespace

Resultado<Condicao> Automacao::verdadeira() const { return condicao({}, "CreateTrueCondition"); }

Resultado<Condicao> Automacao::igual(Propriedade p, const Valor& v) const {
    if (auto hr = simulada::erro_da_condicao(p, v)) return erro(*hr);
    return de_propriedade(CondicaoUia::Tipo::igual, p, v, "CreatePropertyCondition");
}

Resultado<Condicao> Automacao::contem(Propriedade p, const std::string& texto) const {
    if (auto hr = simulada::erro_da_condicao(p, texto)) return erro(*hr);
    return de_propriedade(CondicaoUia::Tipo::contem, p, texto, "CreatePropertyConditionEx");
}

Resultado<Condicao> Automacao::igual_sem_caixa(Propriedade p, const std::string& texto) const {
    if (auto hr = simulada::erro_da_condicao(p, texto)) return erro(*hr);
    return de_propriedade(CondicaoUia::Tipo::igual_sem_caixa, p, texto, "CreatePropertyConditionEx");
}

namespace {
Resultado<Condicao> composta(CondicaoUia::Tipo tipo, const Condicao& a, const Condicao& b,
                             const char* chamada) {
    if (!a.impl || !b.impl) return nulo();
    CondicaoUia c;
    c.tipo = tipo;
    c.a = a.impl->c;
    c.b = b.impl->c;
    return condicao(std::move(c), chamada);
}
}  // namespace

Resultado<Condicao> Automacao::ou(const Condicao& a, const Condicao& b) const {
    return composta(CondicaoUia::Tipo::ou, a, b, "CreateOrCondition");
}

Resultado<Condicao> Automacao::e(const Condicao& a, const Condicao& b) const {
    return composta(CondicaoUia::Tipo::e, a, b, "CreateAndCondition");
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
            if (simulada::sem_servidor(a, *impl->no)) return std::vector<Elemento>();
            if (auto hr = simulada::erro_de_ida(a, impl->no)) return erro(*hr);
            std::vector<Elemento> r;
            for (const ElementoPtr& e : simulada::buscar(a, impl->no, escopo, *c.impl->c, p.impl->p.cru))
                r.push_back(com_foto(a, e, p.impl->p, impl->dono));
            return r;
        });
}

Resultado<std::optional<Elemento>> Elemento::achar_primeiro(Escopo escopo, const Condicao& c) const {
    if (!impl || !c.impl) return nulo();
    return chamar<std::optional<Elemento>>(
        "FindFirst", impl->no, [&](AreaDeTrabalho& a) -> Resultado<std::optional<Elemento>> {
            if (simulada::sem_servidor(a, *impl->no)) return std::optional<Elemento>();
            if (auto hr = simulada::erro_de_ida(a, impl->no)) return erro(*hr);
            const auto achados = simulada::buscar(a, impl->no, escopo, *c.impl->c, false);
            if (achados.empty()) return std::optional<Elemento>();
            return std::optional<Elemento>(embrulhar(achados.front(), impl->dono));
        });
}

Resultado<Elemento> Elemento::atualizar_cache(const PedidoDeCache& p) const {
    if (!impl || !p.impl) return nulo();
    return chamar<Elemento>("BuildUpdatedCache", impl->no, [&](AreaDeTrabalho& a) -> Resultado<Elemento> {
        if (auto hr = simulada::erro_de_ida(a, impl->no)) return erro(*hr);
        return com_foto(a, impl->no, p.impl->p, impl->dono);
    });
}

Resultado<std::string> Elemento::papel_em_cache() const {
    return foto_de(*this, Propriedade::papel, &FotoUia::papel);
}
Resultado<std::string> Elemento::id_em_cache() const { return foto_de(*this, Propriedade::id, &FotoUia::id); }
Resultado<std::string> Elemento::classe_em_cache() const {
    return foto_de(*this, Propriedade::classe, &FotoUia::classe);
}
Resultado<std::string> Elemento::nome_em_cache() const {
    return foto_de(*this, Propriedade::nome, &FotoUia::nome);
}
Resultado<Retangulo> Elemento::retangulo_em_cache() const {
    return foto_de(*this, Propriedade::retangulo, &FotoUia::ret);
}
Resultado<std::int32_t> Elemento::tipo_em_cache() const {
    return foto_de(*this, Propriedade::tipo, &FotoUia::tipo);
}
Resultado<Hwnd> Elemento::janela_nativa_em_cache() const {
    return foto_de(*this, Propriedade::janela_nativa, &FotoUia::janela_nativa);
}
Resultado<bool> Elemento::fora_em_cache() const { return foto_de(*this, Propriedade::fora, &FotoUia::fora); }
Resultado<bool> Elemento::invocavel_em_cache() const {
    return foto_de(*this, Propriedade::invocavel, &FotoUia::invocavel);
}
Resultado<std::optional<std::string>> Elemento::valor_em_cache() const {
    return foto_de(*this, Propriedade::valor, &FotoUia::valor);
}
Resultado<bool> Elemento::rolavel_em_cache() const {
    return foto_de(*this, Propriedade::rolavel, &FotoUia::rolavel);
}
Resultado<bool> Elemento::focavel_em_cache() const {
    return foto_de(*this, Propriedade::focavel, &FotoUia::focavel);
}
Resultado<bool> Elemento::controle_em_cache() const {
    return foto_de(*this, Propriedade::controle, &FotoUia::controle);
}

// Como o cliente real: sem o escopo da árvore no pedido, não há filhos
// guardados para ler.
Resultado<std::vector<Elemento>> Elemento::filhos_em_cache() const {
    if (!impl || !impl->no) return nulo();
    if (!impl->foto || !impl->foto->com_filhos) return erro(ARGUMENTO_INVALIDO);
    std::vector<Elemento> r;
    r.reserve(impl->foto->filhos.size());
    for (const simulada::FilhoEmFoto& f : impl->foto->filhos)
        r.push_back(embrulhar(f.no, impl->dono, f.foto));
    return r;
}

namespace {
template <class T, class F>
Resultado<T> viva(const Elemento& e, const char* chamada, F f) {
    if (!e.impl || !e.impl->no) return nulo();
    return chamar<T>(chamada, e.impl->no, [&](AreaDeTrabalho& a) -> Resultado<T> {
        if (auto hr = simulada::erro_de_ida(a, e.impl->no)) return erro(*hr);
        return f(a, *e.impl->no);
    });
}

Resultado<std::string> viva_texto(const Elemento& e, const char* chamada, Propriedade p) {
    return viva<std::string>(
        e, chamada, [p](AreaDeTrabalho& a, const ElementoSim& x) { return simulada::texto_uia(a, x, p); });
}
}  // namespace

Resultado<Retangulo> Elemento::retangulo_atual() const {
    return viva<Retangulo>(
        *this, "get_CurrentBoundingRectangle",
        [](AreaDeTrabalho& a, const ElementoSim& e) { return simulada::retangulo_uia(a, e); });
}
Resultado<std::string> Elemento::classe_atual() const {
    return viva_texto(*this, "get_CurrentClassName", Propriedade::classe);
}
Resultado<std::string> Elemento::nome_atual() const {
    return viva_texto(*this, "get_CurrentName", Propriedade::nome);
}
Resultado<std::string> Elemento::papel_atual() const {
    return viva_texto(*this, "get_CurrentAriaRole", Propriedade::papel);
}
Resultado<std::string> Elemento::id_atual() const {
    return viva_texto(*this, "get_CurrentAutomationId", Propriedade::id);
}
Resultado<std::int32_t> Elemento::tipo_atual() const {
    return viva<std::int32_t>(*this, "get_CurrentControlType", [](AreaDeTrabalho& a, const ElementoSim& e) {
        return simulada::tipo_uia(a, e);
    });
}
Resultado<bool> Elemento::fora_atual() const {
    return viva<bool>(*this, "get_CurrentIsOffscreen",
                      [](AreaDeTrabalho& a, const ElementoSim& e) { return simulada::fora_uia(a, e); });
}
Resultado<std::uint32_t> Elemento::processo_atual() const {
    return viva<std::uint32_t>(*this, "get_CurrentProcessId", [](AreaDeTrabalho& a, const ElementoSim& e) {
        return simulada::processo_uia(a, e);
    });
}

namespace {

// GetCurrentPatternAs e a chamada do padrão numa ida só, contada com o nome
// da chamada. O pedido do padrão falha com as falhas "GetCurrentPatternAs"
// (e "*") da cena, como um elemento que sumiu; a chamada dele, com as do
// nome dela (Invoke, ScrollIntoView): o navegador recusou. Sem o padrão, o
// pedido vem nulo e a chamada nem acontece, como no cliente de verdade.
template <class Tem, class F>
Resultado<Padrao> usar_padrao(const Elemento& el, const char* chamada, Tem tem_o_padrao, F chamar_o_padrao) {
    if (!el.impl || !el.impl->no) return nulo();
    simulada::Json foto;
    const auto r = chamar<Padrao>(
        chamada, el.impl->no,
        [&](AreaDeTrabalho& a) -> Resultado<Padrao> {
            const ElementoPtr& no = el.impl->no;
            if (auto hr = simulada::erro_de_ida(a, no)) return erro(*hr);
            foto = foto_da_acao(*no);
            if (!tem_o_padrao(*no)) return Padrao::ausente;
            if (auto hr = a.deve_falhar(chamada, no->janela_dona, no->chave)) {
                Erro falha = erro(*hr);
                falha.na_chamada_do_padrao = true;
                return falha;
            }
            return chamar_o_padrao(a, no);
        },
        0, "GetCurrentPatternAs");
    if (r) rastrear_acao(chamada, std::move(foto), *r == Padrao::feito);
    return r;
}

}  // namespace

Resultado<Padrao> Elemento::invocar() const {
    return usar_padrao(
        *this, "Invoke", [](const ElementoSim& e) { return e.invocavel; }, simulada::invocar_uia);
}

Resultado<Padrao> Elemento::rolar_para_a_vista() const {
    return usar_padrao(
        *this, "ScrollIntoView", [](const ElementoSim& e) { return e.rolavel; }, simulada::rolar_uia);
}

Feito Elemento::focar() const {
    simulada::Json foto;
    const auto r = viva<Nada>(*this, "SetFocus", [&](AreaDeTrabalho& a, const ElementoSim& e) -> Feito {
        foto = foto_da_acao(e);
        if (auto hr = simulada::focar_uia(a, impl->no)) return erro(*hr);
        return Nada{};
    });
    if (impl && impl->no) {
        // Sem a foto (o elemento sumiu ou a chamada falhou antes), a chave da cena basta.
        if (foto.is_null()) foto = {{"chave", impl->no->chave}};
        rastrear_acao("SetFocus", std::move(foto), r.ok());
    }
    return r;
}

// --- Caminhante ------------------------------------------------------------------

namespace {

Resultado<std::optional<Elemento>> andar(const Caminhante& c, const Elemento& e, PassoUia passo,
                                         const PedidoUia* pedido, const char* chamada) {
    if (!c.impl || !e.impl || !e.impl->no) return nulo();
    const bool cru = c.impl->cru;
    return chamar<std::optional<Elemento>>(
        chamada, e.impl->no, [&](AreaDeTrabalho& a) -> Resultado<std::optional<Elemento>> {
            const ElementoPtr& no = e.impl->no;
            if (auto hr = simulada::erro_de_ida(a, no)) return erro(*hr);
            const ElementoPtr achado = simulada::passo_na_visao(a, no, passo, cru);
            if (!achado) return std::optional<Elemento>();
            return std::optional<Elemento>(pedido ? com_foto(a, achado, *pedido, e.impl->dono)
                                                  : embrulhar(achado, e.impl->dono));
        });
}

}  // namespace

Resultado<std::optional<Elemento>> Caminhante::pai(const Elemento& e) const {
    return andar(*this, e, PassoUia::pai, nullptr, "GetParentElement");
}
Resultado<std::optional<Elemento>> Caminhante::primeiro_filho(const Elemento& e) const {
    return andar(*this, e, PassoUia::primeiro, nullptr, "GetFirstChildElement");
}
Resultado<std::optional<Elemento>> Caminhante::ultimo_filho(const Elemento& e) const {
    return andar(*this, e, PassoUia::ultimo, nullptr, "GetLastChildElement");
}
Resultado<std::optional<Elemento>> Caminhante::proximo_irmao(const Elemento& e) const {
    return andar(*this, e, PassoUia::proximo, nullptr, "GetNextSiblingElement");
}
Resultado<std::optional<Elemento>> Caminhante::irmao_anterior(const Elemento& e) const {
    return andar(*this, e, PassoUia::anterior, nullptr, "GetPreviousSiblingElement");
}
Resultado<std::optional<Elemento>> Caminhante::pai(const Elemento& e, const PedidoDeCache& p) const {
    if (!p.impl) return nulo();
    return andar(*this, e, PassoUia::pai, &p.impl->p, "GetParentElementBuildCache");
}
Resultado<std::optional<Elemento>> Caminhante::ultimo_filho(const Elemento& e, const PedidoDeCache& p) const {
    if (!p.impl) return nulo();
    return andar(*this, e, PassoUia::ultimo, &p.impl->p, "GetLastChildElementBuildCache");
}
Resultado<std::optional<Elemento>> Caminhante::irmao_anterior(const Elemento& e,
                                                              const PedidoDeCache& p) const {
    if (!p.impl) return nulo();
    return andar(*this, e, PassoUia::anterior, &p.impl->p, "GetPreviousSiblingElementBuildCache");
}

}  // namespace plataforma::uia
