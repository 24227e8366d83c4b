// O modo hospedado, o de produção: a janela do app é a Vidrel; o localizador
// roda nesta thread, e estas são as threads que o acompanham.

#include "acoes/executor.hpp"
#include "acoes/leitor.hpp"
#include "estado/processo.hpp"
#include "janela/eventos_do_navegador.hpp"
#include "janela/ponteiro.hpp"
#include "localizador/localizador.hpp"
#include "modos/modos.hpp"
#include "modos/threads.hpp"
#include "vigias/resgates.hpp"

void rodar_hospedado(Hwnd janela) {
    JANELA = janela;
    JANELA_EXTERNA = true;
    iniciar_ou_parar(executor_de_comandos, "do executor de comandos");
    iniciar_ou_parar(leitor_de_comandos, "do leitor de comandos");
    iniciar_ou_parar(vigia_de_resgates, "dos resgates");
    iniciar_ou_parar(observador_do_ponteiro, "do ponteiro");
    iniciar_ou_parar(observador_de_janelas, "das janelas");
    rodar_localizador();
}
