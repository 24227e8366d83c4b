#pragma once
// O que as sondas do diagnóstico imprimem: linhas de texto na saída padrão e
// as formas de depuração dos valores das leituras.

#include <optional>
#include <string>
#include <vector>

#include "comum/tipos.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/sincronia.hpp"

// Uma linha de texto na saída padrão, inteira, sob a trava da saída.
void dizer(const std::string& linha);

// Milissegundos inteiros desde "inicio", no relógio monotônico.
std::string ms_desde(plataforma::Instante inicio);

// "None" ou "Some((l, t, r, b))".
std::string forma_opcional(const std::optional<Retangulo>& r);
// "[(l, t, r, b), ...]".
std::string forma_de_lista(const std::vector<Retangulo>& rs);
// "LxA em (x,y)".
std::string tamanho_e_lugar(const Retangulo& r);
// "true" ou "false".
inline const char* forma_de_booleano(bool b) { return b ? "true" : "false"; }
