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

// Um comando de mensagem com a memória da página já na janela e no canal do
// alvo publicado de agora.
template <class F>
void com_mensagem(MemoriaDoExecutor& m, std::string_view verbo, std::string_view resto, F acao) {
    const auto c = ler_comando_de_mensagem(verbo, resto);
    if (!c) return;
    if (const auto alvo = ALVO_PUBLICADO.copiar()) rechavear(m.pagina, *alvo);
    acao(*c);
}

// Faz a linha escolhida do lote, lida nesta ordem de prefixos.
void fazer(MemoriaDoExecutor& m, const std::string& linha) {
    const std::string_view l = linha;
    if (comeca_com(l, "emote ")) {
        const auto codigo = ler_codigo_de_emote(l.substr(6));
        if (!codigo) {
            registrar("emote: código recusado");
            return;
        }
        emote(m, *codigo);
    } else if (comeca_com(l, "perfil-botao ")) {
        const std::string_view resto = l.substr(13);
        const std::size_t branco = resto.find(' ');
        if (branco == std::string_view::npos) return;
        const std::string botao(resto.substr(0, branco));
        com_mensagem(m, "perfil", resto.substr(branco + 1),
                     [&](const ComandoDeMensagem& c) { perfil_botao(m, botao, c); });
    } else if (comeca_com(l, "responder ")) {
        com_mensagem(m, "responder", l.substr(10), [&](const ComandoDeMensagem& c) { responder(m, c); });
    } else if (comeca_com(l, "perfil ")) {
        com_mensagem(m, "perfil", l.substr(7), [&](const ComandoDeMensagem& c) { perfil(m, c); });
    } else if (comeca_com(l, "preparar ")) {
        com_mensagem(m, "preparar", l.substr(9), [&](const ComandoDeMensagem& c) { preparar(m, c); });
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
