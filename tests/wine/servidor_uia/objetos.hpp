#pragma once
// Os objetos COM do servidor de UI Automation: cascas sobre a semântica da
// área simulada (plataforma/simulada/consultas_uia.hpp), a mesma que serve o
// cliente simulado dos testes no Linux. Cada um só escreve os métodos que o
// localizador chama; os outros vêm das bases geradas (bases_uia.hpp), que
// respondem E_NOTIMPL e anotam o nome no registro.
//
// Na fronteira ficam as traduções entre o mundo real e a cena: a janela real
// de ElementFromHandle vira o handle da cena pela marca dela, e o
// NativeWindowHandle e o processo voltam como os da janela real.

#include <atomic>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

#include "bases_uia.hpp"
#include "plataforma/simulada/consultas_uia.hpp"

namespace servidor_uia {

using plataforma::simulada::CondicaoUia;
using plataforma::simulada::ElementoPtr;
using plataforma::simulada::FotoUia;
using plataforma::simulada::PedidoUia;

// A contagem de referências e o QueryInterface de todos.
template <class Interface>
class Contado : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++referencias_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG r = --referencias_;
        if (r == 0) delete this;
        return r;
    }

protected:
    virtual ~Contado() = default;

    // IUnknown e as interfaces dadas respondem com este mesmo objeto (a
    // herança é simples: o ponteiro é o mesmo para todas).
    HRESULT responder(REFIID riid, void** ppv, std::initializer_list<IID> iids) {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        bool serve = IsEqualIID(riid, __uuidof(IUnknown));
        for (const IID& i : iids) serve = serve || IsEqualIID(riid, i);
        if (!serve) return E_NOINTERFACE;
        *ppv = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> referencias_{1};
};

class Elemento final : public Contado<BaseIUIAutomationElement> {
public:
    Elemento(ElementoPtr no, std::shared_ptr<const FotoUia> foto)
        : no_(std::move(no)), foto_(std::move(foto)) {}
    const ElementoPtr& no() const { return no_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomationElement)});
    }

    HRESULT STDMETHODCALLTYPE SetFocus() override;
    HRESULT STDMETHODCALLTYPE FindFirst(TreeScope scope, IUIAutomationCondition* condition,
                                        IUIAutomationElement** found) override;
    HRESULT STDMETHODCALLTYPE FindAllBuildCache(TreeScope scope, IUIAutomationCondition* condition,
                                                IUIAutomationCacheRequest* cacheRequest,
                                                IUIAutomationElementArray** found) override;
    HRESULT STDMETHODCALLTYPE BuildUpdatedCache(IUIAutomationCacheRequest* cacheRequest,
                                                IUIAutomationElement** updatedElement) override;
    HRESULT STDMETHODCALLTYPE GetCachedPropertyValue(PROPERTYID propertyId, VARIANT* retVal) override;
    HRESULT STDMETHODCALLTYPE GetCachedChildren(IUIAutomationElementArray** children) override;
    HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(PATTERNID patternId, REFIID riid,
                                                  void** patternObject) override;

    HRESULT STDMETHODCALLTYPE get_CurrentProcessId(int* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CurrentControlType(CONTROLTYPEID* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CurrentName(BSTR* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CurrentAutomationId(BSTR* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CurrentClassName(BSTR* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CurrentIsOffscreen(BOOL* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CurrentBoundingRectangle(RECT* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CurrentAriaRole(BSTR* retVal) override;

    HRESULT STDMETHODCALLTYPE get_CachedControlType(CONTROLTYPEID* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CachedName(BSTR* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CachedAutomationId(BSTR* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CachedClassName(BSTR* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CachedNativeWindowHandle(UIA_HWND* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CachedIsOffscreen(BOOL* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CachedBoundingRectangle(RECT* retVal) override;
    HRESULT STDMETHODCALLTYPE get_CachedAriaRole(BSTR* retVal) override;

private:
    HRESULT texto_vivo(const char* metodo, const char* chamada, plataforma::uia::Propriedade p, BSTR* saida);
    HRESULT texto_em_cache(const char* metodo, plataforma::uia::Propriedade p, std::string FotoUia::*campo,
                           BSTR* saida);

    ElementoPtr no_;
    std::shared_ptr<const FotoUia> foto_;  // nenhuma: elemento sem cache
};

class ListaDeElementos final : public Contado<BaseIUIAutomationElementArray> {
public:
    explicit ListaDeElementos(std::vector<Elemento*> itens) : itens_(std::move(itens)) {}
    ~ListaDeElementos() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomationElementArray)});
    }
    HRESULT STDMETHODCALLTYPE get_Length(int* length) override;
    HRESULT STDMETHODCALLTYPE GetElement(int index, IUIAutomationElement** element) override;

private:
    std::vector<Elemento*> itens_;  // cada um com uma referência nossa
};

// Uma condição. As das visões (get_RawViewCondition, get_ControlViewCondition)
// servem de filtro de pedido de cache; a crua também serve de condição de
// busca (ela aceita tudo).
class Condicao final : public Contado<BaseIUIAutomationCondition> {
public:
    enum class Visao { nenhuma, crua, controle };
    Condicao(std::shared_ptr<const CondicaoUia> c, Visao visao = Visao::nenhuma)
        : c_(std::move(c)), visao_(visao) {}
    const std::shared_ptr<const CondicaoUia>& condicao() const { return c_; }
    Visao visao() const { return visao_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomationCondition)});
    }

private:
    std::shared_ptr<const CondicaoUia> c_;  // nula na visão de controle
    Visao visao_;
};

class PedidoDeCache final : public Contado<BaseIUIAutomationCacheRequest> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomationCacheRequest)});
    }
    HRESULT STDMETHODCALLTYPE AddProperty(PROPERTYID propertyId) override;
    HRESULT STDMETHODCALLTYPE put_TreeFilter(IUIAutomationCondition* filter) override;
    HRESULT STDMETHODCALLTYPE put_TreeScope(TreeScope scope) override;

    PedidoUia copia() const {
        std::lock_guard g(m_);
        return p_;
    }

private:
    mutable std::mutex m_;
    PedidoUia p_;
};

class Caminhante final : public Contado<BaseIUIAutomationTreeWalker> {
public:
    explicit Caminhante(bool cru) : cru_(cru) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomationTreeWalker)});
    }
    HRESULT STDMETHODCALLTYPE GetParentElement(IUIAutomationElement* element,
                                               IUIAutomationElement** parent) override;
    HRESULT STDMETHODCALLTYPE GetFirstChildElement(IUIAutomationElement* element,
                                                   IUIAutomationElement** first) override;
    HRESULT STDMETHODCALLTYPE GetLastChildElement(IUIAutomationElement* element,
                                                  IUIAutomationElement** last) override;
    HRESULT STDMETHODCALLTYPE GetNextSiblingElement(IUIAutomationElement* element,
                                                    IUIAutomationElement** next) override;
    HRESULT STDMETHODCALLTYPE GetPreviousSiblingElement(IUIAutomationElement* element,
                                                        IUIAutomationElement** previous) override;
    HRESULT STDMETHODCALLTYPE GetParentElementBuildCache(IUIAutomationElement* element,
                                                         IUIAutomationCacheRequest* cacheRequest,
                                                         IUIAutomationElement** parent) override;
    HRESULT STDMETHODCALLTYPE GetLastChildElementBuildCache(IUIAutomationElement* element,
                                                            IUIAutomationCacheRequest* cacheRequest,
                                                            IUIAutomationElement** last) override;
    HRESULT STDMETHODCALLTYPE GetPreviousSiblingElementBuildCache(IUIAutomationElement* element,
                                                                  IUIAutomationCacheRequest* cacheRequest,
                                                                  IUIAutomationElement** previous) override;

private:
    bool cru_;
};

// Os padrões que o localizador usa; o efeito vai para o registro, como a
// simulação põe no rastro.
class PadraoInvocar final : public Contado<IUIAutomationInvokePattern> {
public:
    explicit PadraoInvocar(ElementoPtr no) : no_(std::move(no)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomationInvokePattern)});
    }
    HRESULT STDMETHODCALLTYPE Invoke() override;

private:
    ElementoPtr no_;
};

class PadraoRolar final : public Contado<IUIAutomationScrollItemPattern> {
public:
    explicit PadraoRolar(ElementoPtr no) : no_(std::move(no)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomationScrollItemPattern)});
    }
    HRESULT STDMETHODCALLTYPE ScrollIntoView() override;

private:
    ElementoPtr no_;
};

class Automacao final : public Contado<BaseIUIAutomation2> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return responder(riid, ppv, {__uuidof(IUIAutomation), __uuidof(IUIAutomation2)});
    }

    HRESULT STDMETHODCALLTYPE CompareElements(IUIAutomationElement* el1, IUIAutomationElement* el2,
                                              BOOL* areSame) override;
    HRESULT STDMETHODCALLTYPE ElementFromHandle(UIA_HWND hwnd, IUIAutomationElement** element) override;
    HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT pt, IUIAutomationElement** element) override;
    HRESULT STDMETHODCALLTYPE GetFocusedElement(IUIAutomationElement** element) override;
    HRESULT STDMETHODCALLTYPE get_ControlViewWalker(IUIAutomationTreeWalker** walker) override;
    HRESULT STDMETHODCALLTYPE get_RawViewWalker(IUIAutomationTreeWalker** walker) override;
    HRESULT STDMETHODCALLTYPE get_RawViewCondition(IUIAutomationCondition** condition) override;
    HRESULT STDMETHODCALLTYPE CreateCacheRequest(IUIAutomationCacheRequest** cacheRequest) override;
    HRESULT STDMETHODCALLTYPE CreateTrueCondition(IUIAutomationCondition** newCondition) override;
    HRESULT STDMETHODCALLTYPE CreatePropertyCondition(PROPERTYID propertyId, VARIANT value,
                                                      IUIAutomationCondition** newCondition) override;
    HRESULT STDMETHODCALLTYPE CreatePropertyConditionEx(PROPERTYID propertyId, VARIANT value,
                                                        PropertyConditionFlags flags,
                                                        IUIAutomationCondition** newCondition) override;
    HRESULT STDMETHODCALLTYPE CreateOrCondition(IUIAutomationCondition* condition1,
                                                IUIAutomationCondition* condition2,
                                                IUIAutomationCondition** newCondition) override;
    HRESULT STDMETHODCALLTYPE CreateAndCondition(IUIAutomationCondition* condition1,
                                                 IUIAutomationCondition* condition2,
                                                 IUIAutomationCondition** newCondition) override;
    HRESULT STDMETHODCALLTYPE put_ConnectionTimeout(DWORD timeout) override;
    HRESULT STDMETHODCALLTYPE put_TransactionTimeout(DWORD timeout) override;

private:
    std::atomic<DWORD> espera_de_conexao_{20000};
    std::atomic<DWORD> espera_de_transacao_{20000};
};

}  // namespace servidor_uia
