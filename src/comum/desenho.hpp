#pragma once
// Um desenho da tela em SVG: retângulos em pixels físicos de tela, cada um
// com o seu papel (que dá a cor), um rótulo com o retângulo e uma dica. O
// diagnóstico desenha a página como o localizador a vê; a área de trabalho
// simulada, a tela inteira num instante. Os dois usam este mesmo desenho.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comum/tipos.hpp"

enum class Traco { monitor, janela, pagina, elemento, chat, buraco, botao, cartao, vidrel, regiao };

// O nome do traço, que é a classe CSS da figura ("buraco", "vidrel"...).
const char* nome_do_traco(Traco t);

struct Figura {
    Traco traco = Traco::janela;
    Retangulo ret;
    // Vai escrito dentro da figura, seguido do retângulo; vazio: sem texto
    // (os elementos lidos, que são muitos, só têm a dica).
    std::string rotulo;
    std::string dica;  // o <title>, que o visualizador mostra sob o mouse
};

struct Desenho {
    std::string titulo;
    // A parte da tela que o desenho mostra. O que passa dela é cortado; o que
    // fica todo fora vai para a legenda, com o seu retângulo.
    Retangulo quadro;
    std::vector<Figura> figuras;  // de baixo para cima
    std::optional<Ponto> cursor;
    std::vector<std::string> legenda;  // linhas embaixo do quadro
};

// O documento SVG inteiro, em UTF-8 válido e XML bem formado qualquer que
// seja o texto dos rótulos (o que não é UTF-8 vira U+FFFD, os caracteres de
// controle que o XML não aceita também). Cada figura desenhada é um <rect>
// com class, o retângulo de verdade em data-ret="l,t,r,b" e a dica.
std::string svg_do_desenho(const Desenho& d);

// O texto escapado para o XML (conteúdo ou valor de atributo entre aspas).
std::string texto_para_xml(std::string_view s);

// O menor retângulo que contém os dois (um vazio não conta).
Retangulo uniao(const Retangulo& a, const Retangulo& b);
