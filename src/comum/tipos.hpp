#pragma once
// Tipos básicos partilhados por todo o programa: handles de janela, pontos e
// retângulos em pixels físicos de tela.

#include <cstdint>
#include <string>

// Handle de janela como inteiro com sinal do tamanho de um ponteiro; 0 = nenhuma.
using Hwnd = std::int64_t;

struct Ponto {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Ponto&) const = default;
};

// Esquerda, topo, direita, base. As contas de tamanho são feitas em 64 bits
// porque páginas estranhas trazem retângulos absurdos e o estouro em 32 bits
// seria comportamento indefinido.
struct Retangulo {
    std::int32_t esquerda = 0;
    std::int32_t topo = 0;
    std::int32_t direita = 0;
    std::int32_t base = 0;

    bool operator==(const Retangulo&) const = default;

    std::int64_t largura() const { return std::int64_t{direita} - esquerda; }
    std::int64_t altura() const { return std::int64_t{base} - topo; }
    // Largura × altura, saturada nos 64 bits (cada lado pode ter 2^32).
    std::int64_t area() const;
    // Vazio quando não tem largura ou altura positivas.
    bool vazio() const { return !(esquerda < direita && topo < base); }
    bool contem(Ponto p) const { return p.x >= esquerda && p.x < direita && p.y >= topo && p.y < base; }
};

// Desloca somando em 64 bits e saturando em 32: um deslocamento vindo de uma
// janela arrastada para longe não pode dar a volta.
std::int32_t somar_saturado(std::int32_t a, std::int64_t b);
inline std::int32_t saturar(std::int64_t v) { return somar_saturado(0, v); }
Retangulo deslocar(const Retangulo& r, std::int64_t dx, std::int64_t dy);
Retangulo intersecao(const Retangulo& a, const Retangulo& b);

// Relativo ao canto de cima à esquerda do chat (os buracos, a página).
Retangulo relativo_ao_chat(const Retangulo& r, const Retangulo& chat);

// Arredondado para o inteiro mais próximo (metade para longe do zero); NaN vira
// 0 e o que passa dos 32 bits satura.
std::int32_t arredondar(double x);
// Uma medida de "n" pixels a 96 DPI na escala da janela (DPI / 96).
inline std::int32_t na_escala(double n, double escala) { return arredondar(n * escala); }

// "a" é mais que num/den de "b" (ou pelo menos, com "ou_igual"), sem estourar.
bool fracao_de(std::int64_t a, std::int64_t b, int num, int den, bool ou_igual);

// "(l, t, r, b)": a forma de um retângulo nos logs, no diagnóstico e nos desenhos.
std::string forma_de_depuracao(const Retangulo& r);

// "[l,t,r,b]" sem brancos, a forma do retângulo nas linhas JSON.
std::string retangulo_json(const Retangulo& r);
