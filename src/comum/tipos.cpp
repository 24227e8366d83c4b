#include "comum/tipos.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

std::int32_t somar_saturado(std::int32_t a, std::int64_t b) {
    const std::int64_t s = std::int64_t{a} + b;
    const std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    const std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(s, lo, hi));
}

std::int64_t Retangulo::area() const {
    const double a = static_cast<double>(largura()) * static_cast<double>(altura());
    if (a >= 9.2e18) return std::numeric_limits<std::int64_t>::max();
    if (a <= -9.2e18) return std::numeric_limits<std::int64_t>::min();
    return largura() * altura();
}

bool fracao_de(std::int64_t a, std::int64_t b, int num, int den, bool ou_igual) {
    // Em ponto flutuante: as áreas de páginas estranhas estourariam o produto.
    const long double x = static_cast<long double>(a) * den;
    const long double y = static_cast<long double>(b) * num;
    return ou_igual ? x >= y : x > y;
}

Retangulo deslocar(const Retangulo& r, std::int64_t dx, std::int64_t dy) {
    return {somar_saturado(r.esquerda, dx), somar_saturado(r.topo, dy), somar_saturado(r.direita, dx),
            somar_saturado(r.base, dy)};
}

Retangulo intersecao(const Retangulo& a, const Retangulo& b) {
    return {std::max(a.esquerda, b.esquerda), std::max(a.topo, b.topo), std::min(a.direita, b.direita),
            std::min(a.base, b.base)};
}

std::string forma_de_depuracao(const Retangulo& r) {
    return "(" + std::to_string(r.esquerda) + ", " + std::to_string(r.topo) + ", " +
           std::to_string(r.direita) + ", " + std::to_string(r.base) + ")";
}

std::string retangulo_json(const Retangulo& r) {
    return "[" + std::to_string(r.esquerda) + "," + std::to_string(r.topo) + "," + std::to_string(r.direita) +
           "," + std::to_string(r.base) + "]";
}

Retangulo relativo_ao_chat(const Retangulo& r, const Retangulo& chat) {
    return deslocar(r, -std::int64_t{chat.esquerda}, -std::int64_t{chat.topo});
}

std::int32_t arredondar(double x) {
    if (std::isnan(x)) return 0;
    const double r = std::round(x);
    if (r >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (r <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}
