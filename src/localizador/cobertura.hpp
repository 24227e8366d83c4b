#pragma once
// O que o site desenha por cima do próprio chat (menus, dicas, diálogos,
// avisos, o cartão do espectador, os seletores de emote): cada um vira um
// buraco na Vidrel. E a caixa de digitar do chat, cujo canto ancora o quadrado
// do botão.

#include <optional>
#include <string>
#include <vector>

#include "comum/protegido.hpp"
#include "comum/tipos.hpp"
#include "localizador/alvo.hpp"
#include "localizador/pagina.hpp"

// A caixa de digitar achada na última busca (o canto dela dá o botão).
extern Protegido<std::optional<Retangulo>> RET_DA_CAIXA;
// Um botão achado dentro da caixa, usado como está.
extern Protegido<std::optional<Retangulo>> RET_DO_BOTAO;

// A busca do que cobre o chat numa janela; zera a caixa e o botão antes.
std::vector<Retangulo> buscar_coberturas(const uia::Automacao& a, Hwnd janela, const std::string& titulo,
                                         Site site);

// O cartão flutuante do 7TV: um buraco para cada peça dele.
std::vector<Retangulo> buscar_cartao_do_7tv(const uia::Automacao& a, Hwnd janela);

// Barras, faixas e fixados que o site desenha dentro da coluna do chat, por
// cima das mensagens (só Twitch, com o contêiner do chat e o das mensagens).
std::vector<Retangulo> sobreposicoes_na_coluna(const uia::Automacao& a, const uia::Elemento& conteiner,
                                               const uia::Elemento& mensagens, const Retangulo& chat);

// Junta os retângulos que chegam a 12 pixels um do outro.
std::vector<Retangulo> juntar_vizinhos(std::vector<Retangulo> rs);

// A faixa logo acima do chat ainda é do chat? Falso quando algo de fora cobre
// o cabeçalho (o chat foi escondido).
bool cabecalho_livre(const uia::Automacao& a, Hwnd janela, const Retangulo& chat, const Retangulo& pagina,
                     const std::optional<uia::Elemento>& lista);

// A página começa menos de 20 pixels abaixo do topo da área cliente, fora da
// tela cheia: foi lida sem o seu lugar na tela (uma barra do navegador desliza).
bool pagina_sem_lugar(Hwnd janela, const Retangulo& pagina);
