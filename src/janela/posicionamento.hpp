#pragma once
// Publicação do alvo e posição da Vidrel sobre o chat: flutuando por cima do
// navegador como janela possuída por ele, ou presa como filha dele enquanto o
// arquivo-chave de --presa existe.

#include <optional>
#include <string>
#include <string_view>

#include "comum/tipos.hpp"
#include "estado/alvo.hpp"

enum class ModoDePosicao {
    da_propria_thread = 1,  // o procedimento da nossa janela (protótipo)
    de_outra_thread = 2,    // o localizador movendo a janela do app (hospedado)
};

// Guarda o alvo, avisa o app ou a nossa janela e move a Vidrel.
void publicar_estado(const std::optional<Alvo>& novo);
// O mesmo, só se o alvo publicado ainda é "esperado" (comparado e trocado
// sob a trava do alvo): quem copiou o alvo para mudar um pedaço dele não traz
// de volta um alvo que o localizador retirou ou trocou no meio. Verdadeiro
// quando guardou.
bool publicar_estado_se(const std::optional<Alvo>& esperado, const std::optional<Alvo>& novo);
void posicionar(Hwnd vidrel, const Alvo& estado, ModoDePosicao modo);
// Solta a Vidrel do navegador, com o motivo no log; flutuando, não faz nada.
void soltar(Hwnd vidrel, std::string_view motivo);
// Hospedado, a cada volta: mantém presa, ou por cima do navegador na ordem z.
void manter_posicao(Hwnd vidrel);
// O arquivo-chave existe? Olha o disco no máximo uma vez por segundo.
bool chave_ligada();
