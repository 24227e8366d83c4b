#include <mutex>

#include "comum/globais.hpp"
#include "janela/vidrel_propria.hpp"
#include "localizador/localizador.hpp"
#include "localizador/saida.hpp"
#include "modos/modos.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

int rodar_prototipo() {
    if (!plataforma::iniciar_thread([] { rodar_localizador(); }))
        plataforma::parar("não consegui iniciar a thread do localizador");
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
