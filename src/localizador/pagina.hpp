#pragma once
// A leitura de uma página pelo UI Automation: o cliente de cada thread, a
// janela que guarda a página (a regra do Opera), a leitura numa só busca com
// cache, e a busca que nunca entra na janela da Vidrel.

#include <optional>
#include <string>
#include <vector>

#include "comum/tipos.hpp"
#include "plataforma/uia.hpp"

namespace uia = plataforma::uia;

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
// "(l, t, r, b)": a forma de depuração de um retângulo nos logs.
std::string forma_de_depuracao(const Retangulo& r);

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

// Busca a condição em cada filho direto da raiz, menos o da janela da Vidrel,
// juntando os achados na ordem. Uma busca por filho, nunca dentro da Vidrel.
uia::Resultado<std::vector<uia::Elemento>> buscar_fora_da_vidrel(const uia::Automacao& a,
                                                                 const uia::Elemento& raiz,
                                                                 const uia::Condicao& condicao,
                                                                 const uia::PedidoDeCache& pedido);

// As condições de ler_pagina para um modo (o OU de todas, na ordem da tabela).
uia::Resultado<uia::Condicao> condicao_do_modo(const uia::Automacao& a, ModoLeitura modo);

bool eh_opera(Hwnd janela);
// O nome do executável da janela, em minúsculas; nenhum quando o processo não
// se deixa consultar.
std::optional<std::string> executavel_da_janela(Hwnd janela);

// Para os testes dentro do processo: esquece o que se sabe das janelas.
void esquecer_cache_do_opera();
