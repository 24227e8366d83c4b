#include "acoes/executor.hpp"

#include <mutex>
#include <string>
#include <vector>

#include "acoes/comandos.hpp"
#include "acoes/emote.hpp"
#include "acoes/memoria.hpp"
#include "acoes/perfil.hpp"
#include "acoes/responder.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "janela/posicionamento.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;

namespace {

// Faz a linha escolhida do lote. Um comando de mensagem roda com a memória
// da página já na janela e no canal do alvo publicado de agora.
void fazer(MemoriaDoExecutor& m, const std::string& linha) {
    using Verbo = LinhaDeComando::Verbo;
    const auto c = ler_linha_de_comando(linha);
    if (!c) {
        if (comeca_com(linha, "emote ")) registrar("emote: código recusado");
        return;
    }
    if (c->verbo == Verbo::emote) {
        emote(m, c->codigo);
        return;
    }
    if (const auto alvo = ALVO_PUBLICADO.copiar()) rechavear(m.pagina, *alvo);
    switch (c->verbo) {
        case Verbo::perfil_botao:
            perfil_botao(m, c->botao, c->mensagem);
            break;
        case Verbo::responder:
            responder(m, c->mensagem);
            break;
        case Verbo::perfil:
            perfil(m, c->mensagem);
            break;
        case Verbo::preparar:
            preparar(m, c->mensagem);
            break;
        case Verbo::emote:
            break;
    }
}

}  // namespace

void executor_de_comandos() {
    MemoriaDoExecutor memoria{criar_automacao(), {}, {}, {}};
    FilaDeComandos& fila = processo().FILA;
    for (;;) {
        std::vector<std::string> lote;
        {
            std::unique_lock lk(fila.trava);
            while (fila.linhas.empty()) {
                if (fila.entrada_encerrada) {
                    lk.unlock();
                    soltar(JANELA.load(), "o app fechou o localizador");
                    pl::encerrar_processo(0);
                }
                fila.sinal.esperar(lk);
            }
            lote.assign(fila.linhas.begin(), fila.linhas.end());
            fila.linhas.clear();
        }
        fazer(memoria, lote[escolher_do_lote(lote)]);
    }
}
