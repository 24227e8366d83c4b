#pragma once
// As linhas de comando que o app manda pela entrada padrão, lidas como
// funções puras: o lote que o executor faz, os campos de uma mensagem e o
// código de um emote.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ComandoDeMensagem {
    std::string verbo;
    std::string nick;
    std::string nome;
    std::string texto;
};

bool comeca_com(std::string_view s, std::string_view prefixo);

// Uma linha do app lida: o verbo, os campos da mensagem (os do "perfil" num
// "perfil-botao"), o botão de um "perfil-botao" e o código de um "emote".
struct LinhaDeComando {
    enum class Verbo { emote, perfil_botao, responder, perfil, preparar };
    Verbo verbo = Verbo::emote;
    ComandoDeMensagem mensagem;
    std::string botao;
    std::string codigo;
};

// Nenhuma quando a linha não é um comando que o executor faz: um prefixo
// desconhecido, campos errados ("fixar abc", um nick inválido) ou um emote
// recusado.
std::optional<LinhaDeComando> ler_linha_de_comando(std::string_view l);

// A linha que o executor faz de um lote: entre as que são comandos (com os
// campos certos), a mais nova que não é "preparar "; senão o "preparar " mais
// novo; sem comando nenhum, a mais nova (que não faz nada ou só registra a
// recusa do emote).
std::size_t escolher_do_lote(const std::vector<std::string>& lote);

// "nick TAB nome TAB texto" depois do verbo; nenhum quando o nick não é de
// 1 a 25 letras ASCII, dígitos ou "_".
std::optional<ComandoDeMensagem> ler_comando_de_mensagem(std::string_view verbo, std::string_view resto);
// O código de um "emote": aparado; recusado quando vazio, com mais de 100
// caracteres, com brancos ou caracteres de controle.
std::optional<std::string> ler_codigo_de_emote(std::string_view resto);
