#include <optional>

#include "comum_wine.hpp"
#include "servidor_uia/ida.hpp"
#include "servidor_uia/objetos.hpp"
#include "servidor_uia/traducao.hpp"

namespace servidor_uia {

using plataforma::simulada::ElementoSim;
using plataforma::uia::Escopo;
using plataforma::uia::Propriedade;
namespace sim = plataforma::simulada;

namespace {

// O escopo do Windows como a área simulada o entende; nenhum para os que o
// localizador não usa (a área não os conhece).
std::optional<Escopo> escopo_de(TreeScope escopo) {
    switch (static_cast<int>(escopo)) {
        case TreeScope_Children:
            return Escopo::filhos;
        case TreeScope_Descendants:
            return Escopo::descendentes;
        case 7:  // TreeScope_Subtree
            return Escopo::subarvore;
        default:
            return std::nullopt;
    }
}

Elemento* com_foto(AreaDeTrabalho& a, const ElementoPtr& no, const PedidoUia& p) {
    return new Elemento(no, std::make_shared<const FotoUia>(sim::fotografar_subarvore(a, no, p)));
}

}  // namespace

// ----------------------------------------------------------------- buscas

HRESULT Elemento::FindAllBuildCache(TreeScope scope, IUIAutomationCondition* condition,
                                    IUIAutomationCacheRequest* cacheRequest,
                                    IUIAutomationElementArray** found) {
    constexpr const char* metodo = "IUIAutomationElement::FindAllBuildCache";
    if (!found) return E_POINTER;
    *found = nullptr;
    const Condicao* c = condicao_de(condition);
    const PedidoDeCache* p = pedido_de(cacheRequest);
    const auto escopo = escopo_de(scope);
    if (!c || !c->condicao() || !p || !escopo) {
        usado(metodo);
        return argumento_ruim(metodo, "condição, pedido ou escopo " + std::to_string(scope));
    }
    const PedidoUia pedido = p->copia();
    return ir(metodo, "FindAllBuildCache", no_, [&](AreaDeTrabalho& a) -> HRESULT {
        if (sim::sem_servidor(a, *no_)) {
            *found = new ListaDeElementos({});
            return S_OK;
        }
        if (const auto hr = sim::erro_de_ida(a, no_)) return static_cast<HRESULT>(*hr);
        std::vector<Elemento*> itens;
        for (const ElementoPtr& e : sim::buscar(a, no_, *escopo, *c->condicao(), pedido.cru))
            itens.push_back(com_foto(a, e, pedido));
        *found = new ListaDeElementos(std::move(itens));
        return S_OK;
    });
}

HRESULT Elemento::FindFirst(TreeScope scope, IUIAutomationCondition* condition,
                            IUIAutomationElement** found) {
    constexpr const char* metodo = "IUIAutomationElement::FindFirst";
    if (!found) return E_POINTER;
    *found = nullptr;
    const Condicao* c = condicao_de(condition);
    const auto escopo = escopo_de(scope);
    if (!c || !c->condicao() || !escopo) {
        usado(metodo);
        return argumento_ruim(metodo, "condição ou escopo " + std::to_string(scope));
    }
    return ir(metodo, "FindFirst", no_, [&](AreaDeTrabalho& a) -> HRESULT {
        if (sim::sem_servidor(a, *no_)) return S_OK;
        if (const auto hr = sim::erro_de_ida(a, no_)) return static_cast<HRESULT>(*hr);
        const auto achados = sim::buscar(a, no_, *escopo, *c->condicao(), false);
        // Sem achado: sucesso com nulo, como no Windows.
        if (!achados.empty()) *found = new Elemento(achados.front(), nullptr);
        return S_OK;
    });
}

HRESULT Elemento::BuildUpdatedCache(IUIAutomationCacheRequest* cacheRequest,
                                    IUIAutomationElement** updatedElement) {
    constexpr const char* metodo = "IUIAutomationElement::BuildUpdatedCache";
    if (!updatedElement) return E_POINTER;
    *updatedElement = nullptr;
    const PedidoDeCache* p = pedido_de(cacheRequest);
    if (!p) {
        usado(metodo);
        return argumento_ruim(metodo, "pedido");
    }
    const PedidoUia pedido = p->copia();
    return ir(metodo, "BuildUpdatedCache", no_, [&](AreaDeTrabalho& a) -> HRESULT {
        if (const auto hr = sim::erro_de_ida(a, no_)) return static_cast<HRESULT>(*hr);
        *updatedElement = com_foto(a, no_, pedido);
        return S_OK;
    });
}

// ---------------------------------------------------------- leituras vivas

namespace {

template <class T, class F>
HRESULT vivo(const char* metodo, const char* chamada, const ElementoPtr& no, T* saida, F f) {
    if (!saida) return E_POINTER;
    return ir(metodo, chamada, no, [&](AreaDeTrabalho& a) -> HRESULT {
        if (const auto hr = sim::erro_de_ida(a, no)) return static_cast<HRESULT>(*hr);
        *saida = f(a, *no);
        return S_OK;
    });
}

}  // namespace

HRESULT Elemento::texto_vivo(const char* metodo, const char* chamada, Propriedade p, BSTR* saida) {
    if (saida) *saida = nullptr;
    return vivo(metodo, chamada, no_, saida,
                [p](AreaDeTrabalho& a, const ElementoSim& e) { return bstr(sim::texto_uia(a, e, p)); });
}

HRESULT Elemento::get_CurrentName(BSTR* r) {
    return texto_vivo("IUIAutomationElement::get_CurrentName", "get_CurrentName", Propriedade::nome, r);
}
HRESULT Elemento::get_CurrentClassName(BSTR* r) {
    return texto_vivo("IUIAutomationElement::get_CurrentClassName", "get_CurrentClassName",
                      Propriedade::classe, r);
}
HRESULT Elemento::get_CurrentAutomationId(BSTR* r) {
    return texto_vivo("IUIAutomationElement::get_CurrentAutomationId", "get_CurrentAutomationId",
                      Propriedade::id, r);
}
HRESULT Elemento::get_CurrentAriaRole(BSTR* r) {
    return texto_vivo("IUIAutomationElement::get_CurrentAriaRole", "get_CurrentAriaRole", Propriedade::papel,
                      r);
}

HRESULT Elemento::get_CurrentBoundingRectangle(RECT* r) {
    return vivo("IUIAutomationElement::get_CurrentBoundingRectangle", "get_CurrentBoundingRectangle", no_, r,
                [](AreaDeTrabalho& a, const ElementoSim& e) { return rect(sim::retangulo_uia(a, e)); });
}

HRESULT Elemento::get_CurrentControlType(CONTROLTYPEID* r) {
    return vivo("IUIAutomationElement::get_CurrentControlType", "get_CurrentControlType", no_, r,
                [](AreaDeTrabalho& a, const ElementoSim& e) {
                    return static_cast<CONTROLTYPEID>(sim::tipo_uia(a, e));
                });
}

HRESULT Elemento::get_CurrentIsOffscreen(BOOL* r) {
    return vivo(
        "IUIAutomationElement::get_CurrentIsOffscreen", "get_CurrentIsOffscreen", no_, r,
        [](AreaDeTrabalho& a, const ElementoSim& e) -> BOOL { return sim::fora_uia(a, e) ? TRUE : FALSE; });
}

HRESULT Elemento::get_CurrentProcessId(int* r) {
    // O processo de verdade da janela que guarda o elemento: o localizador o
    // compara com o de GetWindowThreadProcessId.
    return vivo("IUIAutomationElement::get_CurrentProcessId", "get_CurrentProcessId", no_, r,
                [](AreaDeTrabalho&, const ElementoSim& e) {
                    return static_cast<int>(Mundo::global().processo_real(e.janela_dona));
                });
}

// ----------------------------------------------------------- leituras do cache

namespace {

// A foto pode ser lida; a falha da cena ou E_INVALIDARG (não pedida, sem cache).
template <class T, class F>
HRESULT do_cache(const char* metodo, const ElementoPtr& no, const std::shared_ptr<const FotoUia>& foto,
                 Propriedade p, T* saida, F f) {
    if (!saida) return E_POINTER;
    return local(metodo, nullptr, [&](AreaDeTrabalho& a) -> HRESULT {
        if (auto hr = sim::erro_do_cache(a, *no, foto.get(), p)) return static_cast<HRESULT>(*hr);
        *saida = f(*foto);
        return S_OK;
    });
}

}  // namespace

HRESULT Elemento::texto_em_cache(const char* metodo, Propriedade p, std::string FotoUia::*campo,
                                 BSTR* saida) {
    if (saida) *saida = nullptr;
    return do_cache(metodo, no_, foto_, p, saida, [campo](const FotoUia& f) { return bstr(f.*campo); });
}

HRESULT Elemento::get_CachedName(BSTR* r) {
    return texto_em_cache("IUIAutomationElement::get_CachedName", Propriedade::nome, &FotoUia::nome, r);
}
HRESULT Elemento::get_CachedClassName(BSTR* r) {
    return texto_em_cache("IUIAutomationElement::get_CachedClassName", Propriedade::classe, &FotoUia::classe,
                          r);
}
HRESULT Elemento::get_CachedAutomationId(BSTR* r) {
    return texto_em_cache("IUIAutomationElement::get_CachedAutomationId", Propriedade::id, &FotoUia::id, r);
}
HRESULT Elemento::get_CachedAriaRole(BSTR* r) {
    return texto_em_cache("IUIAutomationElement::get_CachedAriaRole", Propriedade::papel, &FotoUia::papel, r);
}

HRESULT Elemento::get_CachedBoundingRectangle(RECT* r) {
    return do_cache("IUIAutomationElement::get_CachedBoundingRectangle", no_, foto_, Propriedade::retangulo,
                    r, [](const FotoUia& f) { return rect(f.ret); });
}

HRESULT Elemento::get_CachedControlType(CONTROLTYPEID* r) {
    return do_cache("IUIAutomationElement::get_CachedControlType", no_, foto_, Propriedade::tipo, r,
                    [](const FotoUia& f) { return static_cast<CONTROLTYPEID>(f.tipo); });
}

HRESULT Elemento::get_CachedIsOffscreen(BOOL* r) {
    return do_cache("IUIAutomationElement::get_CachedIsOffscreen", no_, foto_, Propriedade::fora, r,
                    [](const FotoUia& f) -> BOOL { return f.fora ? TRUE : FALSE; });
}

HRESULT Elemento::get_CachedNativeWindowHandle(UIA_HWND* r) {
    // O handle da cena volta como o da janela real (com a trava da área: o
    // mapa é o do último espelho).
    return do_cache(
        "IUIAutomationElement::get_CachedNativeWindowHandle", no_, foto_, Propriedade::janela_nativa, r,
        [](const FotoUia& f) { return static_cast<UIA_HWND>(Mundo::global().real_de(f.janela_nativa)); });
}

HRESULT Elemento::GetCachedPropertyValue(PROPERTYID propertyId, VARIANT* retVal) {
    constexpr const char* metodo = "IUIAutomationElement::GetCachedPropertyValue";
    if (!retVal) return E_POINTER;
    VariantInit(retVal);
    const auto p = propriedade_de(propertyId);
    if (!p) {
        usado(metodo);
        return argumento_ruim(metodo, "propriedade " + std::to_string(propertyId));
    }
    return local(metodo, nullptr, [&](AreaDeTrabalho& a) -> HRESULT {
        if (auto hr = sim::erro_do_cache(a, *no_, foto_.get(), *p)) return static_cast<HRESULT>(*hr);
        return variante_da_foto(*foto_, *p, *retVal);
    });
}

// Os filhos que o pedido da subárvore guardou; sem ele, E_INVALIDARG, e numa
// folha a lista nula, como o Windows.
HRESULT Elemento::GetCachedChildren(IUIAutomationElementArray** children) {
    constexpr const char* metodo = "IUIAutomationElement::GetCachedChildren";
    if (!children) return E_POINTER;
    *children = nullptr;
    return local(metodo, nullptr, [&](AreaDeTrabalho&) -> HRESULT {
        if (!foto_ || !foto_->com_filhos) return E_INVALIDARG;
        if (foto_->filhos.empty()) return S_OK;
        std::vector<Elemento*> itens;
        for (const sim::FilhoEmFoto& f : foto_->filhos) itens.push_back(new Elemento(f.no, f.foto));
        *children = new ListaDeElementos(std::move(itens));
        return S_OK;
    });
}

// ---------------------------------------------------------------- padrões

HRESULT Elemento::GetCurrentPatternAs(PATTERNID patternId, REFIID riid, void** patternObject) {
    constexpr const char* metodo = "IUIAutomationElement::GetCurrentPatternAs";
    if (!patternObject) return E_POINTER;
    *patternObject = nullptr;
    const bool invocar = patternId == UIA_InvokePatternId &&
                         IsEqualIID(riid, __uuidof(IUIAutomationInvokePattern));
    const bool rolar = patternId == UIA_ScrollItemPatternId &&
                       IsEqualIID(riid, __uuidof(IUIAutomationScrollItemPattern));
    if (!invocar && !rolar) {
        usado(metodo);
        return nao_implementado(
            ("IUIAutomationElement::GetCurrentPatternAs(" + std::to_string(patternId) + ")").c_str());
    }
    // A simulação conta o pedido do padrão e a chamada dele como uma ida só,
    // com o nome da chamada; o pedido falha com as falhas
    // "GetCurrentPatternAs" (e "*") da cena, e a chamada com as do nome dela.
    return ir(
        metodo, invocar ? "Invoke" : "ScrollIntoView", no_,
        [&](AreaDeTrabalho& a) -> HRESULT {
            if (const auto hr = sim::erro_de_ida(a, no_)) return static_cast<HRESULT>(*hr);
            if (invocar && no_->invocavel)
                *patternObject = static_cast<IUIAutomationInvokePattern*>(new PadraoInvocar(no_));
            if (rolar && no_->rolavel)
                *patternObject = static_cast<IUIAutomationScrollItemPattern*>(new PadraoRolar(no_));
            if (!*patternObject) anotar_efeito(invocar ? "Invoke" : "ScrollIntoView", *no_, false);
            return S_OK;
        },
        "GetCurrentPatternAs");
}

HRESULT Elemento::SetFocus() {
    return ir("IUIAutomationElement::SetFocus", "SetFocus", no_, [&](AreaDeTrabalho& a) -> HRESULT {
        if (const auto e = sim::erro_de_ida(a, no_)) return static_cast<HRESULT>(*e);
        const auto hr = sim::focar_uia(a, no_);
        anotar_efeito("SetFocus", *no_, !hr);
        return hr ? static_cast<HRESULT>(*hr) : S_OK;
    });
}

// O aperto e a rolagem mexem na página como na simulação (as reações da
// cena); a ida ao navegador, contada e sujeita às falhas, foi o
// GetCurrentPatternAs, como a simulação conta o padrão e a chamada dele.
HRESULT PadraoInvocar::Invoke() {
    return local("IUIAutomationInvokePattern::Invoke", nullptr, [&](AreaDeTrabalho& a) -> HRESULT {
        if (const auto hr = sim::erro_de_ida(a, no_)) return static_cast<HRESULT>(*hr);
        if (const auto hr = a.deve_falhar("Invoke", no_->janela_dona, no_->chave))
            return static_cast<HRESULT>(*hr);
        const bool feito = sim::invocar_uia(a, no_) == plataforma::uia::Padrao::feito;
        anotar_efeito("Invoke", *no_, feito);
        return S_OK;
    });
}

HRESULT PadraoRolar::ScrollIntoView() {
    return local("IUIAutomationScrollItemPattern::ScrollIntoView", nullptr,
                 [&](AreaDeTrabalho& a) -> HRESULT {
                     if (const auto hr = sim::erro_de_ida(a, no_)) return static_cast<HRESULT>(*hr);
                     if (const auto hr = a.deve_falhar("ScrollIntoView", no_->janela_dona, no_->chave))
                         return static_cast<HRESULT>(*hr);
                     const bool feito = sim::rolar_uia(a, no_) == plataforma::uia::Padrao::feito;
                     anotar_efeito("ScrollIntoView", *no_, feito);
                     return S_OK;
                 });
}

// ------------------------------------------------------------------- lista

ListaDeElementos::~ListaDeElementos() {
    for (Elemento* e : itens_) e->Release();
}

HRESULT ListaDeElementos::get_Length(int* length) {
    usado("IUIAutomationElementArray::get_Length");
    if (!length) return E_POINTER;
    *length = static_cast<int>(itens_.size());
    return S_OK;
}

HRESULT ListaDeElementos::GetElement(int index, IUIAutomationElement** element) {
    usado("IUIAutomationElementArray::GetElement");
    if (!element) return E_POINTER;
    *element = nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= itens_.size()) return E_INVALIDARG;
    *element = itens_[static_cast<std::size_t>(index)];
    (*element)->AddRef();
    return S_OK;
}

}  // namespace servidor_uia
