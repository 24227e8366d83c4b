#pragma once
// A montagem do alvo publicado a partir da leitura do chat: buracos relativos
// ao chat, o buraco do cartão, o quadrado do botão e as marcas "frente" e
// "avista".

#include <optional>
#include <string>
#include <vector>

#include "estado/alvo.hpp"

struct PecasDoAlvo {
    Site site = Site::Twitch;
    std::optional<std::string> canal;
    Hwnd janela = 0;
    Retangulo chat;
    Retangulo pagina;
    std::int32_t folga = 0;
    bool com7tv = false;
    bool pausado = false;
    std::vector<Retangulo> buracos;  // já relativos ao canto do chat
    std::optional<Retangulo> caixa;  // a caixa de digitar e o botão da busca do que cobre
    std::optional<Retangulo> botao;
};

// Lê o buraco do cartão, a janela da frente e o que está por cima do chat, e
// monta o alvo.
Alvo montar_alvo(const PecasDoAlvo& p);

// O buraco do cartão recortado no chat e relativo a ele; nenhum quando sobra
// menos de 4 × 4 pixels.
std::optional<Retangulo> buraco_extra(const std::optional<Retangulo>& cartao, const Retangulo& chat);
// O botão achado, ou um quadrado de 32 pixels (na escala) 4 pixels para
// dentro do canto de baixo à direita da caixa.
std::optional<Retangulo> quadrado_do_botao(const std::optional<Retangulo>& botao,
                                           const std::optional<Retangulo>& caixa, double escala);
// A janela da frente, a raiz dela ou a dona da raiz é o navegador.
bool navegador_na_frente(Hwnd navegador);
// Nos três pontos da linha do meio do chat não há janela de outro programa.
bool chat_a_vista(const Retangulo& chat, Hwnd navegador);
