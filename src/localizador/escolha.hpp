#pragma once
// A escolha dos elementos que definem o chat numa leitura da página, olhando
// só papéis, classes, nomes e retângulos (sem UI Automation): na Twitch, o
// contêiner das mensagens; na Kick, o separador de redimensionar o chat, a
// caixa de texto e os botões quadrados que flutuam sobre ela.

#include <cstdint>
#include <optional>
#include <vector>

#include "localizador/pagina.hpp"

// Pontos de um candidato a contêiner do chat da Twitch (0: não serve).
int pontuacao_twitch(const Candidato& c);
// O de maior pontuação; no empate a maior área, depois o último na ordem.
std::optional<std::size_t> escolher_twitch(const std::vector<Candidato>& candidatos);

struct EscolhaKick {
    std::size_t separador = 0;  // a âncora
    std::size_t caixa = 0;      // a caixa de texto do chat
    std::int32_t cabecalho = 0;
    std::int32_t folga = 0;
};

// "escala" é o DPI da janela / 96; "cabecalho_fixo", a altura já medida para
// o título, quando houver.
std::optional<EscolhaKick> escolher_kick(const std::vector<Candidato>& candidatos, double escala,
                                         std::optional<std::int32_t> cabecalho_fixo);
