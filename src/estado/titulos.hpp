#pragma once
// Títulos de janela, endereços e nomes: o site, o canal e o rótulo da aba.

#include <optional>
#include <string>
#include <string_view>

#include "estado/alvo.hpp"

// Sem o contador de não lidas do começo ("(12) ", "(99+) ").
std::string titulo_sem_contador(std::string_view titulo);
// Mesmo título sem os contadores, sem ligar para a caixa ASCII.
bool mesmo_titulo(std::string_view a, std::string_view b);

std::optional<Site> site_do_titulo(std::string_view titulo);
// O canal de um título da Twitch ("canal - Twitch"), em minúsculas.
std::optional<std::string> canal_do_titulo(std::string_view titulo);
// O canal do endereço da barra ("twitch.tv/canal", "kick.com/popout/canal/chat").
std::optional<std::string> canal_da_url(std::string_view endereco, Site site);
// "Comunidade" em uma das línguas em que a Twitch a escreve.
bool e_palavra_de_comunidade(std::string_view texto);
// O começo do título para os logs, ou "outra aba".
std::string rotulo_da_aba(std::string_view titulo);
