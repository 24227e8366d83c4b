#include "comum/globais.hpp"
#include "localizador/localizador.hpp"
#include "modos/modos.hpp"

void rodar_hospedado(Hwnd janela) {
    JANELA = janela;
    JANELA_EXTERNA = true;
    rodar_localizador();
}
