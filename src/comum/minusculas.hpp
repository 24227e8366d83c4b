#pragma once
// Minúsculas pelas regras do Unicode (mapeamento simples), para comparar
// títulos, nomes e classes sem ligar para caixa: "COMUNITÀ" e "comunità" são
// iguais. Uma tabela própria cobre os alfabetos latino, grego, cirílico e
// armênio e as letras de largura total; o resto passa como está, igual nos
// dois lados da comparação.

#include <string>
#include <string_view>

char32_t minuscula(char32_t c);
std::string minusculas(std::string_view utf8);
// Letra ou dígito, para partir títulos em palavras.
bool eh_letra_ou_digito(char32_t c);
