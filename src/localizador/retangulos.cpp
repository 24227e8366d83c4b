#include "localizador/retangulos.hpp"

#include <cstdlib>

bool contem_com_folga(const Retangulo& fora, const Retangulo& dentro) {
    if (dentro.vazio()) return false;
    const auto f = [](std::int32_t v) { return std::int64_t{v}; };
    return f(dentro.esquerda) + 4 >= fora.esquerda && f(dentro.topo) + 4 >= fora.topo &&
           f(fora.direita) >= f(dentro.direita) - 4 && f(fora.base) >= f(dentro.base) - 4;
}

bool mesma_coluna(const Retangulo& a, const Retangulo& b) {
    return std::llabs(std::int64_t{a.esquerda} - b.esquerda) <= 2 &&
           std::llabs(std::int64_t{a.direita} - b.direita) <= 2 && a.altura() * 10 >= b.altura() * 8;
}
