// O modo protótipo: a nossa Vidrel com o cartão de demonstração, o localizador
// numa thread e o laço de mensagens da janela nesta.

#include <mutex>

#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "janela/eventos_do_navegador.hpp"
#include "janela/ponteiro.hpp"
#include "janela/vidrel_propria.hpp"
#include "localizador/localizador.hpp"
#include "modos/modos.hpp"
#include "modos/threads.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

int rodar_prototipo() {
    iniciar_ou_parar(observador_do_ponteiro, "do ponteiro");
    iniciar_ou_parar(observador_de_janelas, "das janelas");
    iniciar_ou_parar([] { rodar_localizador(); }, "do localizador");
    // Até aqui JANELA é 0 e o localizador não avisa ninguém.
    JANELA = criar_vidrel();
    {
        std::lock_guard g(trava_da_saida());
        plataforma::escrever_saida(MENSAGEM_DO_PROTOTIPO);
    }
    plataforma::Mensagem m;
    // Ninguém posta WM_QUIT: na prática o laço vai até o processo ser morto.
    while (plataforma::obter_mensagem(m) > 0) plataforma::traduzir_e_despachar(m);
    return 0;
}
