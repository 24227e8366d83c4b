#pragma once
// O observador do ponteiro: a cada 15 ms avisa o localizador do fim de um
// clique ou Enter e do botão esquerdo apertado, e conserta o ponteiro que o
// navegador escondeu enquanto se digitava e que some em cima da Vidrel.

#include <optional>

#include "comum/tipos.hpp"
#include "plataforma/sincronia.hpp"

struct EstadoDoPonteiro {
    bool armado = false;                         // um clique ou Enter visto, o fim ainda não avisado
    std::optional<plataforma::Instante> inicio;  // do episódio de ponteiro sumido
    Ponto posicao_no_inicio;
    bool avisado = false;
};

// Um WM_MOUSEMOVE na posição de tela dada para a janela com o foco do
// navegador seguido (ou para ele mesmo), para ele olhar de novo o ponteiro.
void postar_movimento_ao_navegador(Ponto tela);

// Um passo (as esperas ficam com quem chama).
void passo_do_ponteiro(EstadoDoPonteiro& e);

[[noreturn]] void observador_do_ponteiro();
