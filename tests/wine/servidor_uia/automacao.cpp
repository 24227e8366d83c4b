// O cliente (CUIAutomation8 e CUIAutomation), os pequenos objetos que ele
// cria (condições, pedidos de cache, caminhantes) e a fábrica da DLL.

#include <new>

#include "comum_wine.hpp"
#include "servidor_uia/ida.hpp"
#include "servidor_uia/objetos.hpp"
#include "servidor_uia/traducao.hpp"

namespace servidor_uia {

using plataforma::uia::Propriedade;
namespace sim = plataforma::simulada;

namespace {

HRESULT entregar(IUIAutomationCondition** saida, Condicao* c) {
    *saida = c;
    return S_OK;
}

std::shared_ptr<const CondicaoUia> condicao_verdadeira() {
    static const auto c = std::make_shared<const CondicaoUia>();
    return c;
}

HRESULT de_propriedade(const char* metodo, const char* chamada, PROPERTYID id, const VARIANT& valor,
                       CondicaoUia::Tipo tipo, IUIAutomationCondition** saida) {
    if (!saida) return E_POINTER;
    *saida = nullptr;
    const auto p = propriedade_de(id);
    const auto v = p ? valor_de(*p, valor) : std::nullopt;
    if (!v) {
        usado(metodo);
        return argumento_ruim(
            metodo, "propriedade " + std::to_string(id) + " com VARIANT " + std::to_string(valor.vt));
    }
    // O valor de outro tipo que o da propriedade é recusado já aqui, como no
    // Windows (e como na simulação).
    if (const auto hr = sim::erro_da_condicao(*p, *v)) {
        usado(metodo);
        return static_cast<HRESULT>(*hr);
    }
    return local(metodo, chamada, [&](AreaDeTrabalho&) {
        CondicaoUia c;
        c.tipo = tipo;
        c.propriedade = *p;
        c.valor = *v;
        return entregar(saida, new Condicao(std::make_shared<const CondicaoUia>(std::move(c))));
    });
}

}  // namespace

// -------------------------------------------------------------- elementos

HRESULT Automacao::ElementFromHandle(UIA_HWND hwnd, IUIAutomationElement** element) {
    constexpr const char* metodo = "IUIAutomation::ElementFromHandle";
    if (!element) return E_POINTER;
    *element = nullptr;
    const HWND real = static_cast<HWND>(hwnd);
    const Hwnd cena = banco::cena_de(real);
    if (IsWindow(real) && !cena)
        anotar("problema ElementFromHandle de uma janela que não é da cena: " +
               std::to_string(banco::numero(real)));
    return ir_na_janela(
        metodo, "ElementFromHandle", nullptr, [&](AreaDeTrabalho&) { return cena; },
        [&](AreaDeTrabalho& a) -> HRESULT {
            const ElementoPtr e = sim::elemento_da_janela_uia(a, cena);
            if (!e) return kIndisponivel;
            *element = new Elemento(e, nullptr);
            return S_OK;
        });
}

HRESULT Automacao::ElementFromPoint(POINT pt, IUIAutomationElement** element) {
    if (!element) return E_POINTER;
    *element = nullptr;
    const Ponto p{pt.x, pt.y};
    return ir_na_janela(
        "IUIAutomation::ElementFromPoint", "ElementFromPoint", nullptr,
        [&](AreaDeTrabalho& a) { return a.raiz_de(a.janela_no_ponto(p)); },
        [&](AreaDeTrabalho& a) -> HRESULT {
            *element = new Elemento(sim::elemento_no_ponto_uia(a, p), nullptr);
            return S_OK;
        });
}

HRESULT Automacao::GetFocusedElement(IUIAutomationElement** element) {
    if (!element) return E_POINTER;
    *element = nullptr;
    return ir("IUIAutomation::GetFocusedElement", "GetFocusedElement", nullptr,
              [&](AreaDeTrabalho& a) -> HRESULT {
                  const ElementoPtr e = sim::elemento_com_foco_uia(a);
                  if (!e) return kIndisponivel;
                  *element = new Elemento(e, nullptr);
                  return S_OK;
              });
}

HRESULT Automacao::CompareElements(IUIAutomationElement* el1, IUIAutomationElement* el2, BOOL* areSame) {
    constexpr const char* metodo = "IUIAutomation::CompareElements";
    if (!areSame) return E_POINTER;
    *areSame = FALSE;
    const Elemento* a1 = elemento_de(el1);
    const Elemento* a2 = elemento_de(el2);
    if (!a1 || !a2) {
        usado(metodo);
        return argumento_ruim(metodo, "elemento");
    }
    return ir(metodo, "CompareElements", a1->no(), [&](AreaDeTrabalho&) {
        *areSame = a1->no() == a2->no() ? TRUE : FALSE;
        return S_OK;
    });
}

// ------------------------------------------------- condições e pedidos

HRESULT Automacao::CreateTrueCondition(IUIAutomationCondition** newCondition) {
    if (!newCondition) return E_POINTER;
    *newCondition = nullptr;
    return local("IUIAutomation::CreateTrueCondition", "CreateTrueCondition", [&](AreaDeTrabalho&) {
        return entregar(newCondition, new Condicao(condicao_verdadeira()));
    });
}

HRESULT Automacao::get_RawViewCondition(IUIAutomationCondition** condition) {
    if (!condition) return E_POINTER;
    *condition = nullptr;
    return local("IUIAutomation::get_RawViewCondition", nullptr, [&](AreaDeTrabalho&) {
        return entregar(condition, new Condicao(condicao_verdadeira(), Condicao::Visao::crua));
    });
}

HRESULT Automacao::CreatePropertyCondition(PROPERTYID propertyId, VARIANT value,
                                           IUIAutomationCondition** newCondition) {
    return de_propriedade("IUIAutomation::CreatePropertyCondition", "CreatePropertyCondition", propertyId,
                          value, CondicaoUia::Tipo::igual, newCondition);
}

HRESULT Automacao::CreatePropertyConditionEx(PROPERTYID propertyId, VARIANT value,
                                             PropertyConditionFlags flags,
                                             IUIAutomationCondition** newCondition) {
    constexpr const char* metodo = "IUIAutomation::CreatePropertyConditionEx";
    // Sem caixa (1) e sem caixa contendo (3) são as que a área conhece.
    CondicaoUia::Tipo tipo;
    switch (static_cast<int>(flags)) {
        case 0:
            tipo = CondicaoUia::Tipo::igual;
            break;
        case 1:
            tipo = CondicaoUia::Tipo::igual_sem_caixa;
            break;
        case 3:
            tipo = CondicaoUia::Tipo::contem;
            break;
        default:
            usado(metodo);
            if (newCondition) *newCondition = nullptr;
            return argumento_ruim(metodo, "opções " + std::to_string(static_cast<int>(flags)));
    }
    return de_propriedade(metodo, "CreatePropertyConditionEx", propertyId, value, tipo, newCondition);
}

namespace {

HRESULT composta(const char* metodo, const char* chamada, CondicaoUia::Tipo tipo,
                 IUIAutomationCondition* condition1, IUIAutomationCondition* condition2,
                 IUIAutomationCondition** saida) {
    if (!saida) return E_POINTER;
    *saida = nullptr;
    const Condicao* c1 = condicao_de(condition1);
    const Condicao* c2 = condicao_de(condition2);
    if (!c1 || !c2 || !c1->condicao() || !c2->condicao()) {
        usado(metodo);
        return argumento_ruim(metodo, "condição");
    }
    return local(metodo, chamada, [&](AreaDeTrabalho&) {
        CondicaoUia c;
        c.tipo = tipo;
        c.a = c1->condicao();
        c.b = c2->condicao();
        return entregar(saida, new Condicao(std::make_shared<const CondicaoUia>(std::move(c))));
    });
}

}  // namespace

HRESULT Automacao::CreateOrCondition(IUIAutomationCondition* condition1, IUIAutomationCondition* condition2,
                                     IUIAutomationCondition** newCondition) {
    return composta("IUIAutomation::CreateOrCondition", "CreateOrCondition", CondicaoUia::Tipo::ou,
                    condition1, condition2, newCondition);
}

HRESULT Automacao::CreateAndCondition(IUIAutomationCondition* condition1, IUIAutomationCondition* condition2,
                                      IUIAutomationCondition** newCondition) {
    return composta("IUIAutomation::CreateAndCondition", "CreateAndCondition", CondicaoUia::Tipo::e,
                    condition1, condition2, newCondition);
}

HRESULT Automacao::CreateCacheRequest(IUIAutomationCacheRequest** cacheRequest) {
    if (!cacheRequest) return E_POINTER;
    *cacheRequest = nullptr;
    return local("IUIAutomation::CreateCacheRequest", "CreateCacheRequest", [&](AreaDeTrabalho&) {
        *cacheRequest = new PedidoDeCache();
        return S_OK;
    });
}

HRESULT PedidoDeCache::AddProperty(PROPERTYID propertyId) {
    constexpr const char* metodo = "IUIAutomationCacheRequest::AddProperty";
    usado(metodo);
    const auto p = propriedade_de(propertyId);
    if (!p) return argumento_ruim(metodo, "propriedade " + std::to_string(propertyId));
    std::lock_guard g(m_);
    p_.propriedades.push_back(*p);
    return S_OK;
}

HRESULT PedidoDeCache::put_TreeFilter(IUIAutomationCondition* filter) {
    constexpr const char* metodo = "IUIAutomationCacheRequest::put_TreeFilter";
    usado(metodo);
    const Condicao* c = condicao_de(filter);
    if (!c || c->visao() == Condicao::Visao::nenhuma)
        return argumento_ruim(metodo, "só as condições das visões crua e de controle servem de filtro");
    std::lock_guard g(m_);
    p_.cru = c->visao() == Condicao::Visao::crua;
    return S_OK;
}

// Só TreeScope_Element (o padrão) e TreeScope_SubTree, a que guarda a
// subárvore no cache do BuildUpdatedCache.
HRESULT PedidoDeCache::put_TreeScope(TreeScope scope) {
    constexpr const char* metodo = "IUIAutomationCacheRequest::put_TreeScope";
    usado(metodo);
    if (scope != TreeScope_Element && scope != TreeScope_SubTree)
        return argumento_ruim(metodo, "escopo " + std::to_string(scope));
    std::lock_guard g(m_);
    p_.subarvore = scope == TreeScope_SubTree;
    return S_OK;
}

// ------------------------------------------------------------ caminhantes

HRESULT Automacao::get_RawViewWalker(IUIAutomationTreeWalker** walker) {
    usado("IUIAutomation::get_RawViewWalker");
    if (!walker) return E_POINTER;
    *walker = new Caminhante(true);
    return S_OK;
}

HRESULT Automacao::get_ControlViewWalker(IUIAutomationTreeWalker** walker) {
    usado("IUIAutomation::get_ControlViewWalker");
    if (!walker) return E_POINTER;
    *walker = new Caminhante(false);
    return S_OK;
}

namespace {

HRESULT andar(const char* metodo, const char* chamada, bool cru, IUIAutomationElement* de,
              sim::PassoUia passo, IUIAutomationCacheRequest* pedido_com, IUIAutomationElement** saida) {
    if (!saida) return E_POINTER;
    *saida = nullptr;
    const Elemento* e = elemento_de(de);
    const PedidoDeCache* p = pedido_com ? pedido_de(pedido_com) : nullptr;
    if (!e || (pedido_com && !p)) {
        usado(metodo);
        return argumento_ruim(metodo, "elemento ou pedido");
    }
    const std::optional<PedidoUia> pedido = p ? std::optional<PedidoUia>(p->copia()) : std::nullopt;
    return ir(metodo, chamada, e->no(), [&](AreaDeTrabalho& a) -> HRESULT {
        if (const auto hr = sim::erro_de_ida(a, e->no())) return static_cast<HRESULT>(*hr);
        const ElementoPtr achado = sim::passo_na_visao(a, e->no(), passo, cru);
        // No fim da árvore: sucesso com nulo.
        if (!achado) return S_OK;
        *saida = new Elemento(
            achado, pedido ? std::make_shared<const FotoUia>(sim::fotografar(a, *achado, *pedido)) : nullptr);
        return S_OK;
    });
}

}  // namespace

HRESULT Caminhante::GetParentElement(IUIAutomationElement* element, IUIAutomationElement** parent) {
    return andar("IUIAutomationTreeWalker::GetParentElement", "GetParentElement", cru_, element,
                 sim::PassoUia::pai, nullptr, parent);
}
HRESULT Caminhante::GetFirstChildElement(IUIAutomationElement* element, IUIAutomationElement** first) {
    return andar("IUIAutomationTreeWalker::GetFirstChildElement", "GetFirstChildElement", cru_, element,
                 sim::PassoUia::primeiro, nullptr, first);
}
HRESULT Caminhante::GetLastChildElement(IUIAutomationElement* element, IUIAutomationElement** last) {
    return andar("IUIAutomationTreeWalker::GetLastChildElement", "GetLastChildElement", cru_, element,
                 sim::PassoUia::ultimo, nullptr, last);
}
HRESULT Caminhante::GetNextSiblingElement(IUIAutomationElement* element, IUIAutomationElement** next) {
    return andar("IUIAutomationTreeWalker::GetNextSiblingElement", "GetNextSiblingElement", cru_, element,
                 sim::PassoUia::proximo, nullptr, next);
}
HRESULT Caminhante::GetPreviousSiblingElement(IUIAutomationElement* element,
                                              IUIAutomationElement** previous) {
    return andar("IUIAutomationTreeWalker::GetPreviousSiblingElement", "GetPreviousSiblingElement", cru_,
                 element, sim::PassoUia::anterior, nullptr, previous);
}
HRESULT Caminhante::GetParentElementBuildCache(IUIAutomationElement* element,
                                               IUIAutomationCacheRequest* cacheRequest,
                                               IUIAutomationElement** parent) {
    return andar("IUIAutomationTreeWalker::GetParentElementBuildCache", "GetParentElementBuildCache", cru_,
                 element, sim::PassoUia::pai, cacheRequest, parent);
}
HRESULT Caminhante::GetLastChildElementBuildCache(IUIAutomationElement* element,
                                                  IUIAutomationCacheRequest* cacheRequest,
                                                  IUIAutomationElement** last) {
    return andar("IUIAutomationTreeWalker::GetLastChildElementBuildCache", "GetLastChildElementBuildCache",
                 cru_, element, sim::PassoUia::ultimo, cacheRequest, last);
}
HRESULT Caminhante::GetPreviousSiblingElementBuildCache(IUIAutomationElement* element,
                                                        IUIAutomationCacheRequest* cacheRequest,
                                                        IUIAutomationElement** previous) {
    return andar("IUIAutomationTreeWalker::GetPreviousSiblingElementBuildCache",
                 "GetPreviousSiblingElementBuildCache", cru_, element, sim::PassoUia::anterior, cacheRequest,
                 previous);
}

// ------------------------------------------------------------ IUIAutomation2

HRESULT Automacao::put_ConnectionTimeout(DWORD timeout) {
    usado("IUIAutomation2::put_ConnectionTimeout");
    espera_de_conexao_ = timeout;
    anotar("efeito {\"efeito\":\"put_ConnectionTimeout\",\"ms\":" + std::to_string(timeout) + "}");
    return S_OK;
}

HRESULT Automacao::put_TransactionTimeout(DWORD timeout) {
    usado("IUIAutomation2::put_TransactionTimeout");
    espera_de_transacao_ = timeout;
    anotar("efeito {\"efeito\":\"put_TransactionTimeout\",\"ms\":" + std::to_string(timeout) + "}");
    return S_OK;
}

// ---------------------------------------------------------------- fábrica

namespace {

// Os dois CLSIDs que o localizador tenta, nesta ordem.
constexpr CLSID kCUIAutomation8 = {
    0xe22ad333, 0xb25f, 0x460c, {0x83, 0xd0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xc9}};
constexpr CLSID kCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};

// Uma só, estática: vive tanto quanto a DLL.
class Fabrica final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, __uuidof(IUnknown)) && !IsEqualIID(riid, __uuidof(IClassFactory)))
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* externo, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (externo) return CLASS_E_NOAGGREGATION;
        if (!Mundo::global().iniciar()) return E_FAIL;
        Automacao* a = new (std::nothrow) Automacao();
        if (!a) return E_OUTOFMEMORY;
        const HRESULT hr = a->QueryInterface(riid, ppv);
        a->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Fabrica g_fabrica;

}  // namespace

}  // namespace servidor_uia

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, servidor_uia::kCUIAutomation8) &&
        !IsEqualCLSID(rclsid, servidor_uia::kCUIAutomation))
        return CLASS_E_CLASSNOTAVAILABLE;
    return servidor_uia::g_fabrica.QueryInterface(riid, ppv);
}

// A DLL guarda a área da cena: fica carregada até o fim do processo.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }
