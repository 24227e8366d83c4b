#pragma once
// Métricas de texto da pintura simulada: larguras proporcionais aproximadas
// (estreitas, comuns, largas) e a quebra de linhas do DT_WORDBREAK.

#include <string>
#include <string_view>
#include <vector>

#include "plataforma/janelas.hpp"

namespace plataforma::simulada {

int altura_da_linha(const Fonte& f);
int largura_do_texto(std::string_view utf8, const Fonte& f);
// Quebra entre palavras quando a próxima passaria da largura; "\n" (e "\r\n")
// também quebra. Uma palavra maior que a caixa fica sozinha na linha e o
// desenho é cortado na caixa, como no GDI.
std::vector<std::string> quebrar_linhas(std::string_view utf8, const Fonte& f, int largura,
                                        bool quebrar_palavras);

}  // namespace plataforma::simulada
