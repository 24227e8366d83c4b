#pragma once
// As peças pequenas da página fora do chat (botões, links, imagens e textos de
// até uma linha de altura), pedidas pelo app com "pecas": uma busca só na
// página, com os retângulos e o "fora da tela" no cache; o resto é conta
// local.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "comum/tipos.hpp"
#include "localizador/pagina.hpp"

// No máximo tantas peças numa linha "pecas".
inline constexpr std::size_t kMaximoDePecas = 240;

// O que a busca trouxe de um elemento: nenhum onde a leitura do cache falhou.
struct LidoDaPeca {
    std::optional<bool> fora;
    std::optional<Retangulo> ret;
};

// Os candidatos que valem como peça (na tela, fora do chat, dentro da página,
// de 8 a 320 por 8 a 48 pixels a 96 DPI), do menor para o maior (estável), sem
// os que contêm uma peça já ficada; no máximo kMaximoDePecas.
std::vector<Retangulo> escolher_pecas(std::span<const LidoDaPeca> lidos, const Retangulo& pagina,
                                      const std::optional<Retangulo>& chat, double escala);

// {"pecas":[...]} com as peças na ordem.
std::string linha_de_pecas(const std::vector<Retangulo>& pecas);

// Lê a página da janela uma vez e escreve a linha "pecas" e o log "peças: k em
// ms ms"; com PECAS_DEBUG, também o que a busca achou. Sem a raiz, o pedido de
// cache, nenhuma condição ou com a busca falhada, nada é escrito.
void listar_pecas(const uia::Automacao& a, Hwnd janela, const Retangulo& pagina,
                  const std::optional<Retangulo>& chat);

// O comando "pecas" do app: um pedido por vez, numa thread própria, sobre o
// alvo publicado; um pedido com outro em curso é ignorado.
void pedir_pecas();
