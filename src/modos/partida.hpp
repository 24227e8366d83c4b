#pragma once
// A partida do programa: DPI, linha de comando e o modo que roda.

#include <string>
#include <vector>

// Devolve o código de saída dos modos que terminam.
int partir(const std::vector<std::string>& argumentos);
