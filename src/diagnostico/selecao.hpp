#pragma once
// A leitura dos valores das variáveis que escolhem as sondas.

#include <cstdint>
#include <optional>
#include <string_view>

#include "comum/tipos.hpp"

// Os segundos de FAIXA: só dígitos decimais, com um "+" opcional na frente,
// dentro de 64 bits sem sinal. Qualquer outro valor é como não dado.
std::optional<std::uint64_t> segundos_da_faixa(std::string_view valor);

// O retângulo de MOSTRA: as partes entre vírgulas, aparadas, que são inteiros
// de 32 bits com sinal (as outras são puladas); exatamente quatro dão o
// retângulo.
std::optional<Retangulo> retangulo_de_mostra(std::string_view valor);
