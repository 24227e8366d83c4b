#pragma once
// A leitura de uma página pelo UI Automation: o cliente de cada thread, a
// janela que guarda a página (a regra do Opera), a leitura numa só busca com
// cache, e a busca que nunca entra na janela da Vidrel.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "comum/tipos.hpp"
#include "plataforma/uia.hpp"

namespace uia = plataforma::uia;

// As subidas pela árvore acabam na raiz; o limite só protege de árvores
// absurdas.
inline constexpr int kMaximoDeAncestrais = 64;

// O primeiro ancestral (visão crua) que satisfaz "serve"; nenhum na raiz ou
// quando um passo falha. Com um pedido, cada passo já traz o cache dele numa
// ida só.
template <class F>
std::optional<uia::Elemento> ancestral_que(const uia::Caminhante& cru, const uia::Elemento& e, F serve,
                                           int limite = kMaximoDeAncestrais,
                                           const uia::PedidoDeCache* pedido = nullptr) {
    uia::Elemento atual = e;
    for (int i = 0; i < limite; ++i) {
        auto pai = pedido ? cru.pai(atual, *pedido) : cru.pai(atual);
        if (!pai || !*pai) return std::nullopt;
        atual = std::move(**pai);
        if (serve(atual)) return atual;
    }
    return std::nullopt;
}

// A foto de um elemento da página.
struct Candidato {
    std::string papel_aria;
    std::string id;
    std::string classe;
    std::string nome;
    std::string valor;
    Retangulo ret;
};

// "Candidato { papel_aria: "log", id: "", classe: "...", nome: "", valor: "", ret: (l, t, r, b) }"
std::string forma_de_depuracao(const Candidato& c);
// O texto entre aspas, com aspas e barras escapadas.
std::string forma_de_depuracao(std::string_view texto);

struct ElementoLido {
    Candidato candidato;
    uia::Elemento elemento;
};

struct LeituraDaPagina {
    std::vector<ElementoLido> elementos;  // em ordem de documento
    std::optional<uia::Elemento> documento;
};

enum class ModoLeitura { Twitch, Kick, ArvoreInteira };

// O cliente de UI Automation da thread; sem ele o processo para.
uia::Automacao criar_automacao();

// A janela cuja árvore tem a página: no Opera, a maior filha visível
// "Chrome_RenderWidgetHostHWND"; nos outros, a própria janela.
Hwnd janela_da_pagina(Hwnd janela);

uia::Resultado<LeituraDaPagina> ler_pagina(const uia::Automacao& a, Hwnd janela, ModoLeitura modo);

// A raiz da árvore da página da janela (ElementFromHandle de janela_da_pagina).
// Dentro de uma BuscaDeUmaVez, a raiz e os filhos dela são pedidos ao
// navegador uma vez só, e não uma vez por quem procura algo na página.
uia::Resultado<uia::Elemento> raiz_da_pagina(const uia::Automacao& a, Hwnd janela);

// Enquanto vive, as leituras desta thread partilham a raiz da página e os
// filhos dela (uma busca inteira do localizador: o chat, as coberturas, a
// coluna). Uma página que mudou no meio dá erro na ida, como sem ela.
class BuscaDeUmaVez {
public:
    BuscaDeUmaVez();
    ~BuscaDeUmaVez();
    BuscaDeUmaVez(const BuscaDeUmaVez&) = delete;
    BuscaDeUmaVez& operator=(const BuscaDeUmaVez&) = delete;

private:
    struct Raiz;
    std::unique_ptr<Raiz> raiz_;  // a da busca de fora; as de dentro a partilham
};

// O pedido de cache das buscas na página, na visão crua. O Chromium deixa
// fora da visão de controle os divs sem nome, sem atributo aria-*, sem foco
// e sem clique, e é neles que os sites põem as classes que o programa
// procura (a sala do chat, a lista de mensagens, o cartão): na visão de
// controle, a busca não os acharia.
uia::Resultado<uia::PedidoDeCache> pedido_da_pagina(const uia::Automacao& a,
                                                    std::initializer_list<uia::Propriedade> propriedades);

// O primeiro achado da condição na subárvore do elemento, na visão crua (um
// FindFirst só vê a de controle).
std::optional<uia::Elemento> primeiro_na_subarvore(const uia::Automacao& a, const uia::Elemento& e,
                                                   const uia::Condicao& condicao);

// Busca a condição em cada filho direto da raiz, menos o da janela da Vidrel,
// juntando os achados na ordem. Uma busca por filho, nunca dentro da Vidrel.
uia::Resultado<std::vector<uia::Elemento>> buscar_fora_da_vidrel(const uia::Automacao& a,
                                                                 const uia::Elemento& raiz,
                                                                 const uia::Condicao& condicao,
                                                                 const uia::PedidoDeCache& pedido);

// Uma linha de uma tabela de condições.
struct LinhaDeCondicao {
    uia::Propriedade propriedade;
    bool exata;  // senão: contém, sem caixa
    const char* texto;
};

// O OU das linhas, feito da esquerda para a direita a partir de "antes"
// (quando há); sem linha nem "antes", a condição verdadeira.
uia::Resultado<uia::Condicao> condicao_de_tabela(const uia::Automacao& a,
                                                 std::span<const LinhaDeCondicao> linhas,
                                                 std::optional<uia::Condicao> antes = std::nullopt);
// As linhas do site de um modo (vazias em ArvoreInteira).
std::span<const LinhaDeCondicao> linhas_do_modo(ModoLeitura modo);
// As condições de ler_pagina para um modo: documento, barra de endereço e as
// linhas do site.
uia::Resultado<uia::Condicao> condicao_do_modo(const uia::Automacao& a, ModoLeitura modo);

// A foto de um elemento achado numa busca com cache; o que o pedido não trouxe
// fica vazio.
ElementoLido ler_elemento(uia::Elemento e);

bool eh_opera(Hwnd janela);
