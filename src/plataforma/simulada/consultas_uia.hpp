#pragma once
// A semântica de UI Automation da área simulada, separada de quem a chama: as
// propriedades vivas, a foto do cache, as condições, as visões crua e de
// controle, as buscas com escopo, os passos dos caminhantes e a ida ao
// navegador (contagem, falhas e lentidões da cena). O cliente simulado
// (uia.cpp) é uma casca fina sobre isto; o servidor COM que o banco de provas
// no Wine registra no lugar do UI Automation é outra, e assim as duas pontas
// respondem a mesma coisa sobre a mesma cena.
//
// Tudo aqui roda com a trava da área (AreaDeTrabalho::m) tomada.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "comum/tipos.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/uia.hpp"

namespace plataforma::simulada {

struct FotoUia;
// Um filho guardado pelo pedido da subárvore, com a sua foto.
struct FilhoEmFoto {
    ElementoPtr no;
    std::shared_ptr<const FotoUia> foto;
};

// A foto das propriedades pedidas, tirada no momento da busca.
struct FotoUia {
    std::set<uia::Propriedade> pedidas;
    std::string papel, id, classe, nome;
    std::optional<std::string> valor;
    Retangulo ret;
    std::int32_t tipo = 0;
    Hwnd janela_nativa = 0;
    bool fora = false;
    bool invocavel = false;
    bool rolavel = false;
    bool focavel = true;
    bool controle = true;
    // Só com o pedido da subárvore: os filhos na visão do pedido, já fotografados.
    bool com_filhos = false;
    std::vector<FilhoEmFoto> filhos;
};

// Um pedido de cache: as propriedades e a visão (crua ou de controle).
struct PedidoUia {
    std::vector<uia::Propriedade> propriedades;
    bool cru = false;
    bool subarvore = false;  // TreeScope_Subtree no próprio pedido
};

struct CondicaoUia {
    enum class Tipo { verdadeira, igual, contem, igual_sem_caixa, ou, e } tipo = Tipo::verdadeira;
    uia::Propriedade propriedade = uia::Propriedade::nome;
    uia::Valor valor;
    std::shared_ptr<const CondicaoUia> a, b;
};

enum class PassoUia { pai, primeiro, ultimo, proximo, anterior };

// Propriedades vivas de um elemento (as de um elemento de janela vêm do
// provedor dela e da janela; as de um elemento da web, das regras do Chromium).
std::string texto_uia(AreaDeTrabalho& a, const ElementoSim& e, uia::Propriedade p);
std::optional<std::string> valor_uia(AreaDeTrabalho& a, const ElementoSim& e);
Retangulo retangulo_uia(AreaDeTrabalho& a, const ElementoSim& e);
bool fora_uia(AreaDeTrabalho& a, const ElementoSim& e);
std::int32_t tipo_uia(AreaDeTrabalho& a, const ElementoSim& e);
// O processo da janela que guarda o elemento (get_CurrentProcessId).
std::uint32_t processo_uia(AreaDeTrabalho& a, const ElementoSim& e);

FotoUia fotografar(AreaDeTrabalho& a, const ElementoSim& e, const PedidoUia& p);
// A foto com os filhos, netos... quando o pedido é o da subárvore (senão só a do elemento).
FotoUia fotografar_subarvore(AreaDeTrabalho& a, const ElementoPtr& e, const PedidoUia& p,
                             int profundidade = 0);
bool atende(AreaDeTrabalho& a, const ElementoSim& e, const CondicaoUia& c);

// Os filhos na visão pedida: na de controle, os que não são de controle
// somem e os filhos deles sobem no lugar.
std::vector<ElementoPtr> filhos_na_visao(AreaDeTrabalho& a, const ElementoPtr& e, bool cru);
ElementoPtr pai_na_visao(AreaDeTrabalho& a, const ElementoPtr& e, bool cru);
// FindAll: os achados em ordem de documento.
std::vector<ElementoPtr> buscar(AreaDeTrabalho& a, const ElementoPtr& e, uia::Escopo escopo,
                                const CondicaoUia& c, bool cru);
// Um passo de caminhante; nulo quando não há (fim da árvore).
ElementoPtr passo_na_visao(AreaDeTrabalho& a, const ElementoPtr& no, PassoUia passo, bool cru);

// O elemento de ElementFromHandle, GetFocusedElement e ElementFromPoint.
ElementoPtr elemento_da_janela_uia(AreaDeTrabalho& a, Hwnd janela);  // nulo: 0x80070578
ElementoPtr elemento_com_foco_uia(AreaDeTrabalho& a);
ElementoPtr elemento_no_ponto_uia(AreaDeTrabalho& a, Ponto p);

// Uma ida ao navegador: conta, registra no rastro (--rastro-uia), soma a
// demora pedida pela cena em "demora", começa a conta do perfil de custo
// (a.custo, fechada por quem chama depois do pedido) e confere as falhas. "janela" vale
// quando a chamada não é sobre um elemento (ElementFromHandle). Devolve o
// HRESULT quando a cena manda falhar.
// "falhas_de" troca o nome com que as falhas da cena são procuradas (o
// pedido de um padrão vai na ida do Invoke, mas falha como
// GetCurrentPatternAs).
std::optional<std::int32_t> ida_ao_navegador(AreaDeTrabalho& a, const std::string& chamada,
                                             const ElementoPtr& e, int& demora, Hwnd janela = 0,
                                             const std::string& falhas_de = {});

// As chamadas que ficam no processo do cliente (criar condições e pedidos):
// só a falha da cena, sem contagem.
std::optional<std::int32_t> falha_local(AreaDeTrabalho& a, const std::string& chamada);

// Ler uma propriedade do cache (get_Cached*, GetCachedPropertyValue): a
// falha da cena, ou E_INVALIDARG quando o elemento veio sem foto ou a
// propriedade não foi pedida. Nenhum: pode ler.
std::optional<std::int32_t> erro_do_cache(AreaDeTrabalho& a, const ElementoSim& e, const FotoUia* foto,
                                          uia::Propriedade p);

// SetFocus: o erro (elemento que não aceita o foco) ou nenhum, com o foco
// de UI Automation passado para ele.
std::optional<std::int32_t> focar_uia(AreaDeTrabalho& a, const ElementoPtr& e);

// Invoke e ScrollIntoView: o padrão que o elemento não tem dá "ausente".
// O aperto, a rolagem e o foco disparam as reações da página, que começam
// quando a trava for solta (despachar_reacoes).
uia::Padrao invocar_uia(AreaDeTrabalho& a, const ElementoPtr& e);
uia::Padrao rolar_uia(AreaDeTrabalho& a, const ElementoPtr& e);

// CreatePropertyCondition: E_INVALIDARG quando o valor não é do tipo da
// propriedade; nenhum quando serve.
std::optional<std::int32_t> erro_da_condicao(uia::Propriedade p, const uia::Valor& v);

// RPC_S_SERVER_UNAVAILABLE: o processo do provedor morreu.
inline constexpr std::int32_t kServidorSumiu = static_cast<std::int32_t>(0x800706BAu);
// O elemento é de uma janela cujo processo morreu (ação "morrer"): o
// cliente guardou um proxy de um servidor COM que sumiu. Wine, que só passa
// o erro do RPC adiante (dlls/uiautomationcore/uia_client.c), dá
// RPC_S_SERVER_UNAVAILABLE nas leituras e buscas vazias.
bool sem_servidor(AreaDeTrabalho& a, const ElementoSim& e);
// O erro de uma ida a partir do elemento: kServidorSumiu para o de um
// processo morto, UIA_E_ELEMENTNOTAVAILABLE para o removido, escondido ou de
// janela fechada; nenhum quando ele responde.
std::optional<std::int32_t> erro_de_ida(AreaDeTrabalho& a, const ElementoPtr& e);

}  // namespace plataforma::simulada
