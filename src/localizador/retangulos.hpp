#pragma once
// Comparações de retângulos que o localizador usa para decidir o que é chat.

#include "comum/tipos.hpp"

// "dentro" não é vazio e cabe em "fora" com 4 pixels de folga em cada lado.
bool contem_com_folga(const Retangulo& fora, const Retangulo& dentro);
// Mesmas bordas esquerda e direita (2 pixels de folga) e "a" com pelo menos
// 80 % da altura de "b".
bool mesma_coluna(const Retangulo& a, const Retangulo& b);
