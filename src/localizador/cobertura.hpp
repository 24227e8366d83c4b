#pragma once
// O que o site desenha por cima do próprio chat (menus, dicas, diálogos,
// avisos, o cartão do espectador, os seletores de emote): cada um vira um
// buraco na Vidrel. E a caixa de digitar do chat, cujo canto ancora o quadrado
// do botão.

#include <optional>
#include <string>
#include <vector>

#include "comum/tipos.hpp"
#include "estado/alvo.hpp"
#include "localizador/chat.hpp"
#include "localizador/pagina.hpp"

// O que uma busca do que cobre o chat achou: os buracos (em tela, na ordem
// achada), a caixa de digitar (o canto dela dá o botão) e um botão achado
// dentro dela, usado como está. Ficam com o alvo a que pertencem.
struct Coberturas {
    std::vector<Retangulo> buracos;
    std::optional<Retangulo> caixa;
    std::optional<Retangulo> botao;
    std::optional<uia::Erro> erro;  // a busca falhou
};

// A busca do que cobre o chat numa janela (na Kick, só dentro da página
// lembrada, quando ainda vale).
Coberturas buscar_coberturas(const uia::Automacao& a, Hwnd janela, const std::string& titulo, Site site,
                             const MemoriaDoChat& memoria);

// O cartão flutuante do 7TV: um buraco para cada peça dele.
std::vector<Retangulo> buscar_cartao_do_7tv(const uia::Automacao& a, Hwnd janela);

// Barras, faixas e fixados que o site desenha dentro da coluna do chat, por
// cima das mensagens (só Twitch, com o contêiner do chat e o das mensagens).
std::vector<Retangulo> sobreposicoes_na_coluna(const uia::Automacao& a, const uia::Elemento& conteiner,
                                               const uia::Elemento& mensagens, const Retangulo& chat);

// Tudo o que cobre o chat de uma leitura, na ordem em que o localizador junta:
// a busca da página, o cartão do 7TV e, na Twitch, o que fica dentro da coluna.
Coberturas buscar_tudo_que_cobre(const uia::Automacao& a, Hwnd janela, const std::string& titulo,
                                 const LeituraChat& leitura, const Retangulo& chat,
                                 const MemoriaDoChat& memoria);

// Junta os retângulos que chegam a 12 pixels um do outro.
std::vector<Retangulo> juntar_vizinhos(std::vector<Retangulo> rs);

// A faixa logo acima do chat ainda é do chat? Falso quando algo de fora cobre
// o cabeçalho (o chat foi escondido).
bool cabecalho_livre(const uia::Automacao& a, Hwnd janela, const Retangulo& chat, const Retangulo& pagina,
                     const std::optional<uia::Elemento>& lista);

// A página começa menos de 20 pixels abaixo do topo da área cliente, fora da
// tela cheia: foi lida sem o seu lugar na tela (uma barra do navegador desliza).
bool pagina_sem_lugar(Hwnd janela, const Retangulo& pagina);
