#pragma once
// O alvo publicado: onde está o chat e o que o cobre. O localizador é o único
// que escreve; a janela própria, a publicação e o executor de comandos leem.

#include <optional>
#include <string>
#include <vector>

#include "comum/tipos.hpp"

enum class Site { Twitch, Kick };

// "Twitch" ou "Kick", como nos logs e no cartão.
const char* nome_do_site(Site s);

struct Alvo {
    std::vector<Retangulo> buracos;         // relativos ao canto do chat
    std::optional<std::string> canal;       // minúsculo
    Hwnd janela = 0;                        // janela de topo do navegador
    Retangulo chat;                         // tela
    std::optional<Retangulo> buraco_extra;  // o do cartão, recortado e relativo ao chat
    std::optional<Retangulo> pagina;        // tela
    std::optional<Retangulo> botao;         // tela
    std::optional<Ponto> origem_cliente;    // tela
    std::int32_t folga = 0;
    Site site = Site::Twitch;
    bool com7tv = false;
    bool pausado = false;
    bool frente = false;
    bool avista = false;

    bool operator==(const Alvo&) const = default;
};

// As linhas que o localizador escreve na saída padrão.
// {"site":null} sem alvo; com alvo, as chaves na ordem do protocolo.
std::string linha_de_estado(const std::optional<Alvo>& alvo);
inline constexpr const char* LINHA_DO_BATIMENTO = "{\"vivo\":1}";
std::string linha_de_tela_cheia(bool cheia);
