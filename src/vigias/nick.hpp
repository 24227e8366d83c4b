#pragma once
// O nick de agora: depois de um "video" que achou o elemento do nome do canal
// debaixo do player, acompanha esse elemento por até 20 s e avisa o app
// quando o retângulo dele muda ou quando ele sai e volta da parte visível da
// página. Roda na thread do próprio pedido.

#include <cstdint>
#include <optional>
#include <string>

#include "comum/tipos.hpp"
#include "localizador/pagina.hpp"

// O elemento vale: na tela, com largura e altura, sem subir acima do topo
// mínimo e, quando a página é conhecida, inteiro dentro dela.
bool nick_valido(bool fora, const Retangulo& r, std::int32_t topo_minimo,
                 const std::optional<Retangulo>& pagina);

// {"nickAgora":[l,t,r,b]} ou {"nickAgora":null}.
std::string linha_do_nick_agora(const std::optional<Retangulo>& r);

struct NickParaAcompanhar {
    uia::Elemento elemento;  // desta thread
    std::uint64_t geracao = 0;
    Hwnd janela = 0;
    std::string canal;
    std::int32_t topo_minimo = 0;
    // O que a linha "video" disse: o retângulo, quando válido.
    std::optional<Retangulo> relatado;
};

// A cada 33 ms, com o navegador na frente, relê o elemento e escreve uma
// linha quando ele muda. Para em 20 s, num "video" mais novo, quando o alvo
// some, troca de janela ou de canal, ou quando o elemento não se deixa reler.
void acompanhar_nick(const uia::Automacao& a, NickParaAcompanhar n);
