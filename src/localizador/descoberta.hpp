#pragma once
// Qual janela de navegador mostra uma live da Twitch ou da Kick.

#include <optional>
#include <string>

#include "comum/tipos.hpp"
#include "estado/alvo.hpp"

struct JanelaDeLive {
    std::string titulo;
    std::string executavel;
    Hwnd janela = 0;
    Site site = Site::Twitch;
};

// Uma janela de topo visível, não minimizada, da classe dos navegadores
// Chromium, com título da Twitch ou da Kick e de um dos quatro executáveis.
std::optional<JanelaDeLive> janela_de_navegador(Hwnd janela);

// A janela de live a seguir: filtrada por SO_NAVEGADOR, SO_TITULO e DONO; a da
// frente, se estiver entre elas, senão a primeira na ordem z.
std::optional<JanelaDeLive> achar_janela_de_live();
