#include "comum/tipos.hpp"

#include <algorithm>
#include <limits>

std::int32_t somar_saturado(std::int32_t a, std::int64_t b) {
    const std::int64_t s = std::int64_t{a} + b;
    const std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    const std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(s, lo, hi));
}

Retangulo deslocar(const Retangulo& r, std::int64_t dx, std::int64_t dy) {
    return {somar_saturado(r.esquerda, dx), somar_saturado(r.topo, dy),
            somar_saturado(r.direita, dx), somar_saturado(r.base, dy)};
}

Retangulo intersecao(const Retangulo& a, const Retangulo& b) {
    return {std::max(a.esquerda, b.esquerda), std::max(a.topo, b.topo),
            std::min(a.direita, b.direita), std::min(a.base, b.base)};
}

std::string retangulo_json(const Retangulo& r) {
    return "[" + std::to_string(r.esquerda) + "," + std::to_string(r.topo) + "," +
           std::to_string(r.direita) + "," + std::to_string(r.base) + "]";
}
