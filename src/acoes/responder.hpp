#pragma once
// Responder a uma mensagem do chat: o site abre a resposta dele (o botão da
// linha, ou os botões do 7TV que só aparecem com o ponteiro em cima da
// linha), e então "@", o nick e um branco vão para a caixa de digitar. Na
// Kick só há a digitação. E o "preparar", que acha antes do clique o que a
// resposta vai precisar.

#include <optional>

#include "acoes/memoria.hpp"

void responder(MemoriaDoExecutor& m, const ComandoDeMensagem& c);
void preparar(MemoriaDoExecutor& m, const ComandoDeMensagem& c);

// O que o "preparar" deixou para esta mensagem, consumido (a memória fica
// vazia, casando ou não). Nenhum quando a chave é outra.
std::optional<Preparada> tirar_preparada(MemoriaDoExecutor& m, const ComandoDeMensagem& c);

// A posição (de 1) do botão de responder entre os botões do 7TV de uma linha
// da esquerda para a direita, aprendida na primeira vez que um deles abriu a
// resposta; 0 = não aprendida. A tentar primeiro, quando cabe nesta linha.
std::vector<int> ordem_dos_botoes(int quantos, int aprendido);
