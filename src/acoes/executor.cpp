#include "acoes/executor.hpp"

#include <mutex>
#include <string>
#include <vector>

#include "acoes/comandos.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "janela/posicionamento.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;

namespace {

// Faz a linha escolhida do lote. As ações na página ainda não existem; o que
// já se pode é validar e recusar como o app espera.
void fazer(const std::string& linha) {
    if (comeca_com(linha, "emote ")) {
        if (!ler_codigo_de_emote(std::string_view(linha).substr(6))) registrar("emote: código recusado");
        return;
    }
}

}  // namespace

void executor_de_comandos() {
    const uia::Automacao automacao = criar_automacao();
    (void)automacao;
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
        fazer(lote[escolher_do_lote(lote)]);
    }
}
