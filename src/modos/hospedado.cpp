#include "acoes/comandos.hpp"
#include "comum/globais.hpp"
#include "localizador/localizador.hpp"
#include "modos/modos.hpp"
#include "plataforma/sistema.hpp"

void rodar_hospedado(Hwnd janela) {
    JANELA = janela;
    JANELA_EXTERNA = true;
    if (!plataforma::iniciar_thread(executor_de_comandos))
        plataforma::parar("não consegui iniciar a thread do executor de comandos");
    rodar_localizador();
}
