// O cliente real de UI Automation: cada operação é uma chamada COM, com o
// HRESULT e o nulo conferidos e os ponteiros, BSTRs e VARIANTs em donos RAII.

#include "plataforma/uia.hpp"

#include "plataforma/win32/uia_com.hpp"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "comum/texto.hpp"
#include "plataforma/win32/com_raii.hpp"
#include "plataforma/win32/comum_win32.hpp"

using plataforma::win32::Bstr;
using plataforma::win32::ComPtr;
using plataforma::win32::Variante;

// Os objetos opacos do cabeçalho: cada um guarda a sua interface.
struct plataforma::uia::ElementoImpl {
    explicit ElementoImpl(ComPtr<IUIAutomationElement> p) : e(std::move(p)) {}
    ComPtr<IUIAutomationElement> e;
};

struct plataforma::uia::CondicaoImpl {
    explicit CondicaoImpl(ComPtr<IUIAutomationCondition> p) : c(std::move(p)) {}
    ComPtr<IUIAutomationCondition> c;
};

struct plataforma::uia::PedidoImpl {
    explicit PedidoImpl(ComPtr<IUIAutomationCacheRequest> pedido) : p(std::move(pedido)) {}
    ComPtr<IUIAutomationCacheRequest> p;
};

struct plataforma::uia::CaminhanteImpl {
    explicit CaminhanteImpl(ComPtr<IUIAutomationTreeWalker> p) : w(std::move(p)) {}
    ComPtr<IUIAutomationTreeWalker> w;
};

// A entrada da thread no apartamento multithread: cada CoInitializeEx que deu
// certo (S_FALSE também) pede o seu CoUninitialize, na mesma thread. Uma
// thread curta (os pedidos do app) que saísse sem ele deixaria a contagem do
// apartamento presa.
namespace plataforma::win32 {
class EntradaNoCom {
public:
    EntradaNoCom() = default;
    EntradaNoCom(const EntradaNoCom&) = delete;
    EntradaNoCom& operator=(const EntradaNoCom&) = delete;
    ~EntradaNoCom() {
        // Em outra thread o CoUninitialize desfaria a entrada dela, não a
        // desta; o cliente nunca muda de thread, mas se mudasse sobraria só
        // uma entrada a mais, que é o menor dos males.
        if (entrou_ && thread_ == GetCurrentThreadId()) CoUninitialize();
    }
    HRESULT entrar() {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        entrou_ = SUCCEEDED(hr);
        thread_ = GetCurrentThreadId();
        return hr;
    }

private:
    bool entrou_ = false;
    DWORD thread_ = 0;
};
}  // namespace plataforma::win32

// O dono do cliente de uma thread: ao morrer solta o IUIAutomation e só depois
// sai do apartamento (os membros morrem na ordem inversa da declaração). Os
// elementos da thread precisam morrer antes dele.
struct plataforma::uia::AutomacaoImpl {
    std::unique_ptr<plataforma::win32::EntradaNoCom> com;
    ComPtr<IUIAutomation> a;
};

namespace plataforma::uia {

static_assert(static_cast<PROPERTYID>(Propriedade::retangulo) == UIA_BoundingRectanglePropertyId &&
              static_cast<PROPERTYID>(Propriedade::processo) == UIA_ProcessIdPropertyId &&
              static_cast<PROPERTYID>(Propriedade::tipo) == UIA_ControlTypePropertyId &&
              static_cast<PROPERTYID>(Propriedade::nome) == UIA_NamePropertyId &&
              static_cast<PROPERTYID>(Propriedade::id) == UIA_AutomationIdPropertyId &&
              static_cast<PROPERTYID>(Propriedade::classe) == UIA_ClassNamePropertyId &&
              static_cast<PROPERTYID>(Propriedade::janela_nativa) == UIA_NativeWindowHandlePropertyId &&
              static_cast<PROPERTYID>(Propriedade::fora) == UIA_IsOffscreenPropertyId &&
              static_cast<PROPERTYID>(Propriedade::invocavel) == UIA_IsInvokePatternAvailablePropertyId &&
              static_cast<PROPERTYID>(Propriedade::valor) == UIA_ValueValuePropertyId &&
              static_cast<PROPERTYID>(Propriedade::papel) == UIA_AriaRolePropertyId &&
              static_cast<PROPERTYID>(Propriedade::rolavel) == UIA_IsScrollItemPatternAvailablePropertyId &&
              static_cast<PROPERTYID>(Propriedade::focavel) == UIA_IsKeyboardFocusablePropertyId &&
              static_cast<PROPERTYID>(Propriedade::controle) == UIA_IsControlElementPropertyId);
static_assert(tipo::botao == UIA_ButtonControlTypeId && tipo::edicao == UIA_EditControlTypeId &&
              tipo::link == UIA_HyperlinkControlTypeId && tipo::imagem == UIA_ImageControlTypeId &&
              tipo::texto == UIA_TextControlTypeId && tipo::documento == UIA_DocumentControlTypeId);
static_assert(static_cast<int>(Escopo::filhos) == TreeScope_Children &&
              static_cast<int>(Escopo::descendentes) == TreeScope_Descendants &&
              static_cast<int>(Escopo::subarvore) == win32::kTreeScopeSubtree);

namespace {

// Os GUIDs escritos aqui: a libuuid do MinGW não traz os de UI Automation, e
// assim nenhum dos dois compiladores depende de biblioteca para eles.
constexpr CLSID kClsidCUIAutomation8 = {
    0xe22ad333, 0xb25f, 0x460c, {0x83, 0xd0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xc9}};
constexpr CLSID kClsidCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID kIidIUIAutomation = {
    0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr IID kIidIUIAutomation2 = {
    0x34723aff, 0x0c9d, 0x49d0, {0x98, 0x96, 0x7a, 0xb5, 0x2d, 0xf8, 0xcd, 0x8a}};
constexpr IID kIidInvokePattern = {
    0xfb377fbe, 0x8ea6, 0x46d5, {0x9c, 0x73, 0x64, 0x99, 0x64, 0x2d, 0x30, 0x59}};
constexpr IID kIidScrollItemPattern = {
    0xb488300f, 0xd015, 0x4f19, {0x9c, 0x29, 0xbb, 0x59, 0x5e, 0x36, 0x45, 0xef}};

constexpr DWORD kEsperaDeConexaoMs = 2000;
constexpr DWORD kEsperaDeTransacaoMs = 3000;
constexpr PropertyConditionFlags kIgnorarCaixa = PropertyConditionFlags_IgnoreCase;

// Um BSTR nulo com sucesso é uma propriedade vazia, o que é normal.
std::string utf8(const Bstr& b) {
    return b.get() ? win32::estreito(b.get(), SysStringLen(b.get())) : std::string();
}

// A descrição vem do IErrorInfo da thread; GetErrorInfo também o apaga, para
// que não apareça de novo num erro seguinte.
Erro erro_de(HRESULT hr) {
    Erro erro{static_cast<std::int32_t>(hr), {}};
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.receber()) == S_OK && info) {
        Bstr descricao;
        // As mensagens do sistema terminam em "\r\n".
        if (SUCCEEDED(info->GetDescription(descricao.receber()))) erro.descricao = aparar(utf8(descricao));
    }
    return erro;
}

Erro nulo() { return Erro{ERRO_PONTEIRO_NULO, {}}; }

// Falha vira o erro da chamada; sucesso com ponteiro nulo vira ERRO_PONTEIRO_NULO.
template <class T>
std::optional<Erro> conferir(HRESULT hr, const ComPtr<T>& p) {
    if (FAILED(hr)) return erro_de(hr);
    if (!p) return nulo();
    return std::nullopt;
}

Elemento embrulhar(ComPtr<IUIAutomationElement> p) {
    return Elemento{std::make_shared<ElementoImpl>(std::move(p))};
}

// Nulo quando o objeto do programa está vazio (construído por padrão).
IUIAutomationElement* interface_de(const Elemento& e) { return e.impl ? e.impl->e.get() : nullptr; }
IUIAutomationCondition* interface_de(const Condicao& c) { return c.impl ? c.impl->c.get() : nullptr; }
IUIAutomationCacheRequest* interface_de(const PedidoDeCache& p) { return p.impl ? p.impl->p.get() : nullptr; }
IUIAutomationTreeWalker* interface_de(const Caminhante& c) { return c.impl ? c.impl->w.get() : nullptr; }
IUIAutomation* interface_de(const Automacao& a) { return a.impl ? a.impl->a.get() : nullptr; }

Resultado<Elemento> elemento_ou_erro(HRESULT hr, ComPtr<IUIAutomationElement> p) {
    if (auto erro = conferir(hr, p)) return *erro;
    return embrulhar(std::move(p));
}

// Para as chamadas em que o nulo quer dizer "não há".
Resultado<std::optional<Elemento>> talvez_elemento(HRESULT hr, ComPtr<IUIAutomationElement> p) {
    if (FAILED(hr)) return erro_de(hr);
    if (!p) return std::optional<Elemento>{};
    return std::optional<Elemento>{embrulhar(std::move(p))};
}

Resultado<Condicao> condicao_ou_erro(HRESULT hr, ComPtr<IUIAutomationCondition> p) {
    if (auto erro = conferir(hr, p)) return *erro;
    return Condicao{std::make_shared<CondicaoImpl>(std::move(p))};
}

Resultado<Caminhante> caminhante_ou_erro(HRESULT hr, ComPtr<IUIAutomationTreeWalker> p) {
    if (auto erro = conferir(hr, p)) return *erro;
    return Caminhante{std::make_shared<CaminhanteImpl>(std::move(p))};
}

// Lê uma propriedade de tipo simples com um get_Cached*/get_Current*.
template <class Bruto, class Metodo>
Resultado<Bruto> ler(const Elemento& el, Metodo metodo) {
    IUIAutomationElement* e = interface_de(el);
    if (!e) return nulo();
    Bruto v{};
    const HRESULT hr = (e->*metodo)(&v);
    if (FAILED(hr)) return erro_de(hr);
    return v;
}

template <class Metodo>
Resultado<std::string> ler_texto(const Elemento& el, Metodo metodo) {
    IUIAutomationElement* e = interface_de(el);
    if (!e) return nulo();
    Bstr b;
    const HRESULT hr = (e->*metodo)(b.receber());
    if (FAILED(hr)) return erro_de(hr);
    return utf8(b);
}

template <class Metodo>
Resultado<Retangulo> ler_retangulo(const Elemento& el, Metodo metodo) {
    auto r = ler<RECT>(el, metodo);
    if (!r) return r.erro();
    return win32::retangulo(*r);
}

template <class Metodo>
Resultado<bool> ler_booleano(const Elemento& el, Metodo metodo) {
    auto r = ler<BOOL>(el, metodo);
    if (!r) return r.erro();
    return *r != FALSE;
}

// GetCurrentPatternAs e a chamada do padrão; sem o padrão (nulo) é "ausente".
template <class Interface, class Metodo>
Resultado<Padrao> usar_padrao(const Elemento& el, PATTERNID padrao, const IID& iid, Metodo metodo) {
    avisar_ida();
    IUIAutomationElement* e = interface_de(el);
    if (!e) return nulo();
    // Recebido por um void* de verdade, para não converter Interface** em void**.
    void* bruto = nullptr;
    HRESULT hr = e->GetCurrentPatternAs(padrao, iid, &bruto);
    const ComPtr<Interface> p = ComPtr<Interface>::adotar(static_cast<Interface*>(bruto));
    if (FAILED(hr)) return erro_de(hr);
    if (!p) return Padrao::ausente;
    hr = (p.get()->*metodo)();
    if (FAILED(hr)) {
        Erro falha = erro_de(hr);
        falha.na_chamada_do_padrao = true;
        return falha;
    }
    return Padrao::feito;
}

template <class Metodo>
Resultado<std::optional<Elemento>> navegar(const Caminhante& c, const Elemento& el, Metodo metodo) {
    avisar_ida();
    IUIAutomationTreeWalker* w = interface_de(c);
    IUIAutomationElement* e = interface_de(el);
    if (!w || !e) return nulo();
    ComPtr<IUIAutomationElement> achado;
    const HRESULT hr = (w->*metodo)(e, achado.receber());
    return talvez_elemento(hr, std::move(achado));
}

template <class Metodo>
Resultado<std::optional<Elemento>> navegar(const Caminhante& c, const Elemento& el, const PedidoDeCache& p,
                                           Metodo metodo) {
    avisar_ida();
    IUIAutomationTreeWalker* w = interface_de(c);
    IUIAutomationElement* e = interface_de(el);
    IUIAutomationCacheRequest* pedido = interface_de(p);
    if (!w || !e || !pedido) return nulo();
    ComPtr<IUIAutomationElement> achado;
    const HRESULT hr = (w->*metodo)(e, pedido, achado.receber());
    return talvez_elemento(hr, std::move(achado));
}

// Os elementos de uma lista que uma chamada entregou. A documentação diz que
// sem achados (ou numa folha, em GetCachedChildren) vem nulo em vez de uma
// lista vazia. Cada elemento tirado da lista ganha a sua referência; a lista
// é solta por quem chamou.
Resultado<std::vector<Elemento>> elementos_da_lista(const ComPtr<IUIAutomationElementArray>& lista) {
    std::vector<Elemento> r;
    if (!lista) return r;
    int n = 0;
    HRESULT hr = lista->get_Length(&n);
    if (FAILED(hr)) return erro_de(hr);
    if (n > 0) r.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ComPtr<IUIAutomationElement> e;
        hr = lista->GetElement(i, e.receber());
        if (auto erro = conferir(hr, e)) return *erro;
        r.push_back(embrulhar(std::move(e)));
    }
    return r;
}

TreeScope escopo_com(Escopo escopo) { return static_cast<TreeScope>(static_cast<int>(escopo)); }

// Um BSTR novo dentro do VARIANT, que passa a ser o dono dele.
HRESULT preencher_texto(Variante& v, const std::string& texto) {
    const std::wstring largo = win32::largo(texto);
    BSTR b = SysAllocStringLen(largo.data(), static_cast<UINT>(largo.size()));
    if (!b) return E_OUTOFMEMORY;
    v.get().vt = VT_BSTR;
    v.get().bstrVal = b;
    return S_OK;
}

HRESULT preencher_valor(Variante& v, const Valor& valor) {
    if (const auto* texto = std::get_if<std::string>(&valor)) return preencher_texto(v, *texto);
    if (const auto* inteiro = std::get_if<std::int32_t>(&valor)) {
        v.get().vt = VT_I4;
        v.get().lVal = *inteiro;
        return S_OK;
    }
    v.get().vt = VT_BOOL;
    v.get().boolVal = std::get<bool>(valor) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

Resultado<Condicao> condicao_de_texto(const Automacao& automacao, Propriedade p, const std::string& texto,
                                      PropertyConditionFlags flags) {
    IUIAutomation* a = interface_de(automacao);
    if (!a) return nulo();
    Variante v;
    HRESULT hr = preencher_texto(v, texto);
    if (FAILED(hr)) return Erro{static_cast<std::int32_t>(hr), {}};
    ComPtr<IUIAutomationCondition> c;
    hr = a->CreatePropertyConditionEx(static_cast<PROPERTYID>(p), v.get(), flags, c.receber());
    return condicao_ou_erro(hr, std::move(c));
}

}  // namespace

// ---------------------------------------------------------------- Elemento

Resultado<std::vector<Elemento>> Elemento::achar_todos(Escopo escopo, const Condicao& c,
                                                       const PedidoDeCache& p) const {
    avisar_ida();
    IUIAutomationElement* e = interface_de(*this);
    IUIAutomationCondition* condicao = interface_de(c);
    IUIAutomationCacheRequest* pedido = interface_de(p);
    if (!e || !condicao || !pedido) return nulo();
    ComPtr<IUIAutomationElementArray> lista;
    const HRESULT hr = e->FindAllBuildCache(escopo_com(escopo), condicao, pedido, lista.receber());
    if (FAILED(hr)) return erro_de(hr);
    return elementos_da_lista(lista);
}

Resultado<std::optional<Elemento>> Elemento::achar_primeiro(Escopo escopo, const Condicao& c) const {
    avisar_ida();
    IUIAutomationElement* e = interface_de(*this);
    IUIAutomationCondition* condicao = interface_de(c);
    if (!e || !condicao) return nulo();
    ComPtr<IUIAutomationElement> achado;
    const HRESULT hr = e->FindFirst(escopo_com(escopo), condicao, achado.receber());
    return talvez_elemento(hr, std::move(achado));
}

Resultado<Elemento> Elemento::atualizar_cache(const PedidoDeCache& p) const {
    avisar_ida();
    IUIAutomationElement* e = interface_de(*this);
    IUIAutomationCacheRequest* pedido = interface_de(p);
    if (!e || !pedido) return nulo();
    ComPtr<IUIAutomationElement> novo;
    const HRESULT hr = e->BuildUpdatedCache(pedido, novo.receber());
    return elemento_ou_erro(hr, std::move(novo));
}

Resultado<std::string> Elemento::papel_em_cache() const {
    return ler_texto(*this, &IUIAutomationElement::get_CachedAriaRole);
}

Resultado<std::string> Elemento::id_em_cache() const {
    return ler_texto(*this, &IUIAutomationElement::get_CachedAutomationId);
}

Resultado<std::string> Elemento::classe_em_cache() const {
    return ler_texto(*this, &IUIAutomationElement::get_CachedClassName);
}

Resultado<std::string> Elemento::nome_em_cache() const {
    return ler_texto(*this, &IUIAutomationElement::get_CachedName);
}

Resultado<Retangulo> Elemento::retangulo_em_cache() const {
    return ler_retangulo(*this, &IUIAutomationElement::get_CachedBoundingRectangle);
}

Resultado<std::int32_t> Elemento::tipo_em_cache() const {
    auto r = ler<CONTROLTYPEID>(*this, &IUIAutomationElement::get_CachedControlType);
    if (!r) return r.erro();
    return static_cast<std::int32_t>(*r);
}

Resultado<Hwnd> Elemento::janela_nativa_em_cache() const {
    auto r = ler<UIA_HWND>(*this, &IUIAutomationElement::get_CachedNativeWindowHandle);
    if (!r) return r.erro();
    return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(*r));
}

Resultado<bool> Elemento::fora_em_cache() const {
    return ler_booleano(*this, &IUIAutomationElement::get_CachedIsOffscreen);
}

namespace {
Resultado<bool> booleano_em_cache(const Elemento& el, PROPERTYID propriedade) {
    IUIAutomationElement* e = interface_de(el);
    if (!e) return nulo();
    Variante v;
    const HRESULT hr = e->GetCachedPropertyValue(propriedade, v.receber());
    if (FAILED(hr)) return erro_de(hr);
    // Um valor que não é booleano (propriedade não suportada) vale como falso.
    return v.get().vt == VT_BOOL && v.get().boolVal != VARIANT_FALSE;
}
}  // namespace

Resultado<bool> Elemento::invocavel_em_cache() const {
    return booleano_em_cache(*this, UIA_IsInvokePatternAvailablePropertyId);
}

Resultado<bool> Elemento::rolavel_em_cache() const {
    return booleano_em_cache(*this, UIA_IsScrollItemPatternAvailablePropertyId);
}

Resultado<bool> Elemento::focavel_em_cache() const {
    return booleano_em_cache(*this, UIA_IsKeyboardFocusablePropertyId);
}

Resultado<bool> Elemento::controle_em_cache() const {
    return booleano_em_cache(*this, UIA_IsControlElementPropertyId);
}

Resultado<std::vector<Elemento>> Elemento::filhos_em_cache() const {
    IUIAutomationElement* e = interface_de(*this);
    if (!e) return nulo();
    ComPtr<IUIAutomationElementArray> lista;
    const HRESULT hr = e->GetCachedChildren(lista.receber());
    if (FAILED(hr)) return erro_de(hr);
    return elementos_da_lista(lista);
}

Resultado<std::optional<std::string>> Elemento::valor_em_cache() const {
    IUIAutomationElement* e = interface_de(*this);
    if (!e) return nulo();
    Variante v;
    const HRESULT hr = e->GetCachedPropertyValue(UIA_ValueValuePropertyId, v.receber());
    if (FAILED(hr)) return erro_de(hr);
    // Sem o padrão Value vem o valor "não suportado" (VT_UNKNOWN) ou vazio.
    if (v.get().vt != VT_BSTR) return std::optional<std::string>{};
    const BSTR b = v.get().bstrVal;
    return std::optional<std::string>{b ? win32::estreito(b, SysStringLen(b)) : std::string()};
}

Resultado<Retangulo> Elemento::retangulo_atual() const {
    avisar_ida();
    return ler_retangulo(*this, &IUIAutomationElement::get_CurrentBoundingRectangle);
}

Resultado<std::string> Elemento::classe_atual() const {
    avisar_ida();
    return ler_texto(*this, &IUIAutomationElement::get_CurrentClassName);
}

Resultado<std::string> Elemento::nome_atual() const {
    avisar_ida();
    return ler_texto(*this, &IUIAutomationElement::get_CurrentName);
}

Resultado<std::string> Elemento::papel_atual() const {
    avisar_ida();
    return ler_texto(*this, &IUIAutomationElement::get_CurrentAriaRole);
}

Resultado<std::string> Elemento::id_atual() const {
    avisar_ida();
    return ler_texto(*this, &IUIAutomationElement::get_CurrentAutomationId);
}

Resultado<std::int32_t> Elemento::tipo_atual() const {
    avisar_ida();
    auto r = ler<CONTROLTYPEID>(*this, &IUIAutomationElement::get_CurrentControlType);
    if (!r) return r.erro();
    return static_cast<std::int32_t>(*r);
}

Resultado<bool> Elemento::fora_atual() const {
    avisar_ida();
    return ler_booleano(*this, &IUIAutomationElement::get_CurrentIsOffscreen);
}

Resultado<std::uint32_t> Elemento::processo_atual() const {
    avisar_ida();
    auto r = ler<int>(*this, &IUIAutomationElement::get_CurrentProcessId);
    if (!r) return r.erro();
    return static_cast<std::uint32_t>(*r);
}

Resultado<Padrao> Elemento::invocar() const {
    return usar_padrao<IUIAutomationInvokePattern>(*this, UIA_InvokePatternId, kIidInvokePattern,
                                                   &IUIAutomationInvokePattern::Invoke);
}

Resultado<Padrao> Elemento::rolar_para_a_vista() const {
    return usar_padrao<IUIAutomationScrollItemPattern>(*this, UIA_ScrollItemPatternId, kIidScrollItemPattern,
                                                       &IUIAutomationScrollItemPattern::ScrollIntoView);
}

Feito Elemento::focar() const {
    avisar_ida();
    IUIAutomationElement* e = interface_de(*this);
    if (!e) return nulo();
    const HRESULT hr = e->SetFocus();
    if (FAILED(hr)) return erro_de(hr);
    return Nada{};
}

// -------------------------------------------------------------- Caminhante

Resultado<std::optional<Elemento>> Caminhante::pai(const Elemento& e) const {
    return navegar(*this, e, &IUIAutomationTreeWalker::GetParentElement);
}

Resultado<std::optional<Elemento>> Caminhante::primeiro_filho(const Elemento& e) const {
    return navegar(*this, e, &IUIAutomationTreeWalker::GetFirstChildElement);
}

Resultado<std::optional<Elemento>> Caminhante::ultimo_filho(const Elemento& e) const {
    return navegar(*this, e, &IUIAutomationTreeWalker::GetLastChildElement);
}

Resultado<std::optional<Elemento>> Caminhante::proximo_irmao(const Elemento& e) const {
    return navegar(*this, e, &IUIAutomationTreeWalker::GetNextSiblingElement);
}

Resultado<std::optional<Elemento>> Caminhante::irmao_anterior(const Elemento& e) const {
    return navegar(*this, e, &IUIAutomationTreeWalker::GetPreviousSiblingElement);
}

Resultado<std::optional<Elemento>> Caminhante::pai(const Elemento& e, const PedidoDeCache& p) const {
    return navegar(*this, e, p, &IUIAutomationTreeWalker::GetParentElementBuildCache);
}

Resultado<std::optional<Elemento>> Caminhante::ultimo_filho(const Elemento& e, const PedidoDeCache& p) const {
    return navegar(*this, e, p, &IUIAutomationTreeWalker::GetLastChildElementBuildCache);
}

Resultado<std::optional<Elemento>> Caminhante::irmao_anterior(const Elemento& e,
                                                              const PedidoDeCache& p) const {
    return navegar(*this, e, p, &IUIAutomationTreeWalker::GetPreviousSiblingElementBuildCache);
}

// --------------------------------------------------------------- Automacao

Resultado<Automacao> Automacao::criar() {
    // A entrada é desfeita em qualquer saída daqui em diante, também nas de erro.
    auto com = std::make_unique<win32::EntradaNoCom>();
    // S_FALSE: a thread já estava no apartamento multithread, o que serve.
    const HRESULT hr_com = com->entrar();
    if (hr_com != S_OK && hr_com != S_FALSE) return erro_de(hr_com);

    void* bruto = nullptr;
    HRESULT hr = CoCreateInstance(kClsidCUIAutomation8, nullptr, CLSCTX_INPROC_SERVER, kIidIUIAutomation,
                                  &bruto);
    // O CUIAutomation8 só existe do Windows 8 em diante.
    if (hr == REGDB_E_CLASSNOTREG) {
        bruto = nullptr;
        hr = CoCreateInstance(kClsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER, kIidIUIAutomation, &bruto);
    }
    ComPtr<IUIAutomation> cliente = ComPtr<IUIAutomation>::adotar(static_cast<IUIAutomation*>(bruto));
    if (auto erro = conferir(hr, cliente)) return *erro;

    // As esperas limitam quanto um navegador travado segura a thread; sem o
    // IUIAutomation2 (Windows 7) ficam as do sistema.
    void* bruto2 = nullptr;
    const HRESULT hr2 = cliente->QueryInterface(kIidIUIAutomation2, &bruto2);
    const ComPtr<IUIAutomation2> cliente2 = ComPtr<IUIAutomation2>::adotar(
        static_cast<IUIAutomation2*>(bruto2));
    if (SUCCEEDED(hr2) && cliente2) {
        const HRESULT hr_conexao = cliente2->put_ConnectionTimeout(kEsperaDeConexaoMs);
        const HRESULT hr_transacao = cliente2->put_TransactionTimeout(kEsperaDeTransacaoMs);
        // Falhas ignoradas não deixam descrição velha para o próximo erro.
        if (FAILED(hr_conexao) || FAILED(hr_transacao)) SetErrorInfo(0, nullptr);
    }

    return Automacao{std::make_shared<AutomacaoImpl>(AutomacaoImpl{std::move(com), std::move(cliente)})};
}

Resultado<Elemento> Automacao::elemento_da_janela(Hwnd janela) const {
    avisar_ida();
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    ComPtr<IUIAutomationElement> e;
    const HRESULT hr = a->ElementFromHandle(static_cast<UIA_HWND>(win32::hwnd(janela)), e.receber());
    return elemento_ou_erro(hr, std::move(e));
}

Resultado<Elemento> Automacao::elemento_no_ponto(Ponto p) const {
    avisar_ida();
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    const POINT ponto{static_cast<LONG>(p.x), static_cast<LONG>(p.y)};
    ComPtr<IUIAutomationElement> e;
    const HRESULT hr = a->ElementFromPoint(ponto, e.receber());
    return elemento_ou_erro(hr, std::move(e));
}

Resultado<Elemento> Automacao::elemento_com_foco() const {
    avisar_ida();
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    ComPtr<IUIAutomationElement> e;
    const HRESULT hr = a->GetFocusedElement(e.receber());
    return elemento_ou_erro(hr, std::move(e));
}

Resultado<PedidoDeCache> Automacao::pedido(std::initializer_list<Propriedade> propriedades, bool cru) const {
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    ComPtr<IUIAutomationCacheRequest> p;
    HRESULT hr = a->CreateCacheRequest(p.receber());
    if (auto erro = conferir(hr, p)) return *erro;
    for (const Propriedade prop : propriedades) {
        hr = p->AddProperty(static_cast<PROPERTYID>(prop));
        if (FAILED(hr)) return erro_de(hr);
    }
    if (cru) {
        // O filtro padrão é a visão de controle, que esconde elementos que a
        // busca precisa ver.
        ComPtr<IUIAutomationCondition> visao_crua;
        hr = a->get_RawViewCondition(visao_crua.receber());
        if (auto erro = conferir(hr, visao_crua)) return *erro;
        hr = p->put_TreeFilter(visao_crua.get());
        if (FAILED(hr)) return erro_de(hr);
    }
    return PedidoDeCache{std::make_shared<PedidoImpl>(std::move(p))};
}

Resultado<PedidoDeCache> Automacao::pedido_da_subarvore(
    std::initializer_list<Propriedade> propriedades) const {
    auto p = pedido(propriedades, true);
    if (!p) return p;
    const HRESULT hr = interface_de(*p)->put_TreeScope(win32::kTreeScopeSubtree);
    if (FAILED(hr)) return erro_de(hr);
    return p;
}

Resultado<Condicao> Automacao::verdadeira() const {
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    ComPtr<IUIAutomationCondition> c;
    const HRESULT hr = a->CreateTrueCondition(c.receber());
    return condicao_ou_erro(hr, std::move(c));
}

Resultado<Condicao> Automacao::igual(Propriedade p, const Valor& v) const {
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    Variante valor;
    HRESULT hr = preencher_valor(valor, v);
    if (FAILED(hr)) return Erro{static_cast<std::int32_t>(hr), {}};
    ComPtr<IUIAutomationCondition> c;
    // O VARIANT vai por valor, mas continua nosso: quem chama não o libera.
    hr = a->CreatePropertyCondition(static_cast<PROPERTYID>(p), valor.get(), c.receber());
    return condicao_ou_erro(hr, std::move(c));
}

Resultado<Condicao> Automacao::contem(Propriedade p, const std::string& texto) const {
    return condicao_de_texto(*this, p, texto, win32::kIgnorarCasoEContem);
}

Resultado<Condicao> Automacao::igual_sem_caixa(Propriedade p, const std::string& texto) const {
    return condicao_de_texto(*this, p, texto, kIgnorarCaixa);
}

Resultado<Condicao> Automacao::ou(const Condicao& a, const Condicao& b) const {
    IUIAutomation* cliente = interface_de(*this);
    IUIAutomationCondition* ca = interface_de(a);
    IUIAutomationCondition* cb = interface_de(b);
    if (!cliente || !ca || !cb) return nulo();
    ComPtr<IUIAutomationCondition> c;
    const HRESULT hr = cliente->CreateOrCondition(ca, cb, c.receber());
    return condicao_ou_erro(hr, std::move(c));
}

Resultado<Condicao> Automacao::e(const Condicao& a, const Condicao& b) const {
    IUIAutomation* cliente = interface_de(*this);
    IUIAutomationCondition* ca = interface_de(a);
    IUIAutomationCondition* cb = interface_de(b);
    if (!cliente || !ca || !cb) return nulo();
    ComPtr<IUIAutomationCondition> c;
    const HRESULT hr = cliente->CreateAndCondition(ca, cb, c.receber());
    return condicao_ou_erro(hr, std::move(c));
}

Resultado<Caminhante> Automacao::caminhante_cru() const {
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    ComPtr<IUIAutomationTreeWalker> w;
    const HRESULT hr = a->get_RawViewWalker(w.receber());
    return caminhante_ou_erro(hr, std::move(w));
}

Resultado<Caminhante> Automacao::caminhante_controle() const {
    IUIAutomation* a = interface_de(*this);
    if (!a) return nulo();
    ComPtr<IUIAutomationTreeWalker> w;
    const HRESULT hr = a->get_ControlViewWalker(w.receber());
    return caminhante_ou_erro(hr, std::move(w));
}

Resultado<bool> Automacao::mesmo_elemento(const Elemento& a, const Elemento& b) const {
    avisar_ida();
    IUIAutomation* cliente = interface_de(*this);
    IUIAutomationElement* ea = interface_de(a);
    IUIAutomationElement* eb = interface_de(b);
    if (!cliente || !ea || !eb) return nulo();
    BOOL iguais = FALSE;
    const HRESULT hr = cliente->CompareElements(ea, eb, &iguais);
    if (FAILED(hr)) return erro_de(hr);
    return iguais != FALSE;
}

}  // namespace plataforma::uia
