#pragma once
// UI Automation, do jeito que o programa lê as páginas: um cliente por thread
// (Automacao), elementos contados por referência, pedidos de cache,
// condições, buscas com cache, leituras vivas, caminhantes da árvore e os
// padrões Invoke e ScrollItem.
//
// Cada operação devolve o valor ou um Erro com o HRESULT que falhou. Uma
// chamada que diz sucesso mas devolve ponteiro nulo vira o erro
// ERRO_PONTEIRO_NULO: quem chama nunca recebe um elemento nulo. As exceções
// são as chamadas em que nulo quer dizer "nenhum": FindFirst e os passos dos
// caminhantes (std::nullopt), o padrão que o elemento não tem
// (Padrao::ausente) e a busca sem achados (lista vazia).
//
// Nenhum objeto daqui passa de uma thread para outra, exceto para comparar
// elementos (CompareElements), que o próprio UI Automation permite.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "comum/texto.hpp"
#include "comum/tipos.hpp"

namespace plataforma::uia {

// Código próprio, fora de COM (FACILITY_ITF com um número que o UI Automation
// não usa), para "deu certo mas veio nulo".
inline constexpr std::int32_t ERRO_PONTEIRO_NULO = static_cast<std::int32_t>(0x8004A001u);
inline constexpr std::int32_t ELEMENTO_INDISPONIVEL = static_cast<std::int32_t>(0x80040201u);
inline constexpr std::int32_t ARGUMENTO_INVALIDO = static_cast<std::int32_t>(0x80070057u);

struct Erro {
    std::int32_t hresult = 0;
    std::string descricao;  // do IErrorInfo da thread, quando havia
    // Num padrão: quem falhou foi a chamada dele (Invoke, ScrollIntoView), e
    // não o pedido do padrão (GetCurrentPatternAs) nem a ida ao elemento.
    bool na_chamada_do_padrao = false;

    // "HRESULT 0x80040201" (mais a descrição, se houver).
    std::string texto() const {
        const std::string hex = texto_de_hresult(static_cast<std::uint32_t>(hresult));
        return descricao.empty() ? hex : hex + ": " + descricao;
    }
};

// Valor ou erro.
template <class T>
class Resultado {
public:
    Resultado(T v) : v_(std::move(v)) {}
    Resultado(Erro e) : v_(std::move(e)) {}
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& valor() { return std::get<0>(v_); }
    const T& valor() const { return std::get<0>(v_); }
    T& operator*() { return valor(); }
    const T& operator*() const { return valor(); }
    T* operator->() { return &valor(); }
    const T* operator->() const { return &valor(); }
    const Erro& erro() const { return std::get<1>(v_); }
    T valor_ou(T padrao) const { return ok() ? valor() : std::move(padrao); }

private:
    std::variant<T, Erro> v_;
};

struct Nada {};
using Feito = Resultado<Nada>;

enum class Propriedade : std::int32_t {
    retangulo = 30001,      // UIA_BoundingRectanglePropertyId
    processo = 30002,       // UIA_ProcessIdPropertyId
    tipo = 30003,           // UIA_ControlTypePropertyId
    nome = 30005,           // UIA_NamePropertyId
    focavel = 30009,        // UIA_IsKeyboardFocusablePropertyId
    id = 30011,             // UIA_AutomationIdPropertyId
    classe = 30012,         // UIA_ClassNamePropertyId
    controle = 30016,       // UIA_IsControlElementPropertyId
    janela_nativa = 30020,  // UIA_NativeWindowHandlePropertyId
    fora = 30022,           // UIA_IsOffscreenPropertyId
    invocavel = 30031,      // UIA_IsInvokePatternAvailablePropertyId
    rolavel = 30035,        // UIA_IsScrollItemPatternAvailablePropertyId
    valor = 30045,          // UIA_ValueValuePropertyId
    papel = 30101,          // UIA_AriaRolePropertyId
};

namespace tipo {
constexpr std::int32_t botao = 50000;      // UIA_ButtonControlTypeId
constexpr std::int32_t edicao = 50004;     // UIA_EditControlTypeId
constexpr std::int32_t link = 50005;       // UIA_HyperlinkControlTypeId
constexpr std::int32_t imagem = 50006;     // UIA_ImageControlTypeId
constexpr std::int32_t texto = 50020;      // UIA_TextControlTypeId
constexpr std::int32_t documento = 50030;  // UIA_DocumentControlTypeId
constexpr std::int32_t janela = 50032;     // UIA_WindowControlTypeId
}  // namespace tipo

enum class Escopo : std::int32_t {
    filhos = 2,        // TreeScope_Children
    descendentes = 4,  // TreeScope_Descendants
    subarvore = 7,     // TreeScope_Subtree (elemento, filhos e descendentes)
};

// O valor comparado numa condição de propriedade.
using Valor = std::variant<std::string, std::int32_t, bool>;

// Cada backend define estes objetos do seu lado.
struct ElementoImpl;
struct CondicaoImpl;
struct PedidoImpl;
struct CaminhanteImpl;
struct AutomacaoImpl;

class Condicao {
public:
    std::shared_ptr<CondicaoImpl> impl;
};

class PedidoDeCache {
public:
    std::shared_ptr<PedidoImpl> impl;
};

// Resultado de pedir um padrão e chamá-lo.
enum class Padrao { feito, ausente };

class Elemento {
public:
    std::shared_ptr<ElementoImpl> impl;

    // FindAllBuildCache: os achados em ordem de documento, com as propriedades
    // do pedido guardadas no momento da busca.
    Resultado<std::vector<Elemento>> achar_todos(Escopo escopo, const Condicao& c,
                                                 const PedidoDeCache& p) const;
    // FindFirst: o primeiro achado, sem cache.
    Resultado<std::optional<Elemento>> achar_primeiro(Escopo escopo, const Condicao& c) const;
    // BuildUpdatedCache: o mesmo elemento com o cache lido de novo agora.
    Resultado<Elemento> atualizar_cache(const PedidoDeCache& p) const;

    // Propriedades guardadas no cache (get_Cached*, GetCachedPropertyValue).
    Resultado<std::string> papel_em_cache() const;
    Resultado<std::string> id_em_cache() const;
    Resultado<std::string> classe_em_cache() const;
    Resultado<std::string> nome_em_cache() const;
    Resultado<Retangulo> retangulo_em_cache() const;
    Resultado<std::int32_t> tipo_em_cache() const;
    Resultado<Hwnd> janela_nativa_em_cache() const;
    Resultado<bool> fora_em_cache() const;
    Resultado<bool> invocavel_em_cache() const;
    Resultado<bool> rolavel_em_cache() const;
    Resultado<bool> focavel_em_cache() const;
    Resultado<bool> controle_em_cache() const;
    // Os filhos guardados por um pedido da subárvore (get_CachedChildren), na
    // visão do pedido; cada um com o seu cache e os seus filhos.
    Resultado<std::vector<Elemento>> filhos_em_cache() const;
    // O valor quando é texto (VT_BSTR); nenhum quando é de outro tipo.
    Resultado<std::optional<std::string>> valor_em_cache() const;

    // Leituras vivas (get_Current*): uma ida ao processo do navegador cada.
    Resultado<Retangulo> retangulo_atual() const;
    Resultado<std::string> classe_atual() const;
    Resultado<std::string> nome_atual() const;
    Resultado<std::string> papel_atual() const;
    Resultado<std::string> id_atual() const;
    Resultado<std::int32_t> tipo_atual() const;
    Resultado<bool> fora_atual() const;
    Resultado<std::uint32_t> processo_atual() const;

    // GetCurrentPatternAs(Invoke) e Invoke.
    Resultado<Padrao> invocar() const;
    // GetCurrentPatternAs(ScrollItem) e ScrollIntoView.
    Resultado<Padrao> rolar_para_a_vista() const;
    Feito focar() const;  // SetFocus
};

class Caminhante {
public:
    std::shared_ptr<CaminhanteImpl> impl;

    // Nenhum quando não há (fim da árvore); erro quando a chamada falhou.
    Resultado<std::optional<Elemento>> pai(const Elemento& e) const;
    Resultado<std::optional<Elemento>> primeiro_filho(const Elemento& e) const;
    Resultado<std::optional<Elemento>> ultimo_filho(const Elemento& e) const;
    Resultado<std::optional<Elemento>> proximo_irmao(const Elemento& e) const;
    Resultado<std::optional<Elemento>> irmao_anterior(const Elemento& e) const;
    // As variantes BuildCache.
    Resultado<std::optional<Elemento>> pai(const Elemento& e, const PedidoDeCache& p) const;
    Resultado<std::optional<Elemento>> ultimo_filho(const Elemento& e, const PedidoDeCache& p) const;
    Resultado<std::optional<Elemento>> irmao_anterior(const Elemento& e, const PedidoDeCache& p) const;
};

// O cliente de UI Automation de uma thread.
class Automacao {
public:
    std::shared_ptr<AutomacaoImpl> impl;

    // CoInitializeEx (multithread) e o CUIAutomation8, com as esperas de 2 s de
    // conexão e 3 s de transação do IUIAutomation2.
    static Resultado<Automacao> criar();

    Resultado<Elemento> elemento_da_janela(Hwnd janela) const;  // ElementFromHandle
    Resultado<Elemento> elemento_no_ponto(Ponto p) const;       // ElementFromPoint
    Resultado<Elemento> elemento_com_foco() const;              // GetFocusedElement

    // CreateCacheRequest com as propriedades, na ordem dada; "cru" troca o
    // filtro da árvore pela visão crua (get_RawViewCondition).
    Resultado<PedidoDeCache> pedido(std::initializer_list<Propriedade> propriedades, bool cru = false) const;
    // O mesmo na visão crua com o escopo da árvore TreeScope_Subtree: um
    // BuildUpdatedCache com ele traz a subárvore inteira numa ida só, lida
    // depois por filhos_em_cache.
    Resultado<PedidoDeCache> pedido_da_subarvore(std::initializer_list<Propriedade> propriedades) const;
    Resultado<Condicao> verdadeira() const;  // CreateTrueCondition
    // CreatePropertyCondition: igualdade exata.
    Resultado<Condicao> igual(Propriedade p, const Valor& v) const;
    // CreatePropertyConditionEx com ignorar caixa e conter (flags 3).
    Resultado<Condicao> contem(Propriedade p, const std::string& texto) const;
    // CreatePropertyConditionEx só com ignorar caixa (flags 1): o texto inteiro.
    Resultado<Condicao> igual_sem_caixa(Propriedade p, const std::string& texto) const;
    Resultado<Condicao> ou(const Condicao& a, const Condicao& b) const;  // CreateOrCondition
    Resultado<Condicao> e(const Condicao& a, const Condicao& b) const;   // CreateAndCondition

    Resultado<Caminhante> caminhante_cru() const;       // get_RawViewWalker
    Resultado<Caminhante> caminhante_controle() const;  // get_ControlViewWalker

    Resultado<bool> mesmo_elemento(const Elemento& a, const Elemento& b) const;  // CompareElements
};

// Uma função desta thread chamada no começo de cada ida ao navegador (as
// buscas, os passos dos caminhantes, as leituras vivas, os padrões; não as
// leituras do cache, que não saem do processo). Uma ida pode esperar a thread
// ocupada da página por muito tempo, e quem lê a página ainda quer seguir, a
// cada ida, o que não depende dela: a janela que andou. Uma por thread; nula
// para nenhuma. Não é chamada de novo de dentro dela mesma.
void antes_de_cada_ida(void (*f)(void*), void* contexto);
void avisar_ida();

}  // namespace plataforma::uia
