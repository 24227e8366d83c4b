#include "diagnostico/selecao.hpp"

#include <charconv>
#include <limits>
#include <vector>

#include "comum/texto.hpp"

std::optional<std::uint64_t> segundos_da_faixa(std::string_view v) {
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty()) return std::nullopt;
    for (char c : v)
        if (c < '0' || c > '9') return std::nullopt;
    std::uint64_t n = 0;
    const auto [fim, erro] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (erro != std::errc{} || fim != v.data() + v.size()) return std::nullopt;
    return n;
}

std::optional<Retangulo> retangulo_de_mostra(std::string_view valor) {
    std::vector<std::int32_t> numeros;
    for (;;) {
        const std::size_t virgula = valor.find(',');
        const auto n = ler_numero(valor.substr(0, virgula), std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
        if (n) numeros.push_back(static_cast<std::int32_t>(*n));
        if (virgula == std::string_view::npos) break;
        valor.remove_prefix(virgula + 1);
    }
    if (numeros.size() != 4) return std::nullopt;
    return Retangulo{numeros[0], numeros[1], numeros[2], numeros[3]};
}
