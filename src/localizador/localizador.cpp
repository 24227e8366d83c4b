#include "localizador/localizador.hpp"

#include <chrono>

#include "comum/globais.hpp"
#include "comum/log.hpp"
#include "localizador/alvo.hpp"
#include "localizador/espera.hpp"
#include "localizador/saida.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace {

using namespace std::chrono_literals;

// Hospedado: some a janela do app, acaba o localizador; senão um batimento a
// cada 250 ms no mínimo.
void conferir_e_bater(plataforma::Instante& ultimo_batimento) {
    if (!JANELA_EXTERNA) return;
    if (!plataforma::existe_janela(JANELA.load())) {
        registrar("a janela da Vidrel não existe mais; localizador encerrado");
        plataforma::encerrar_processo(0);
    }
    const plataforma::Instante agora = plataforma::agora();
    if (agora - ultimo_batimento >= 250ms) {
        ultimo_batimento = agora;
        escrever_linha(LINHA_DO_BATIMENTO);
    }
}

}  // namespace

void rodar_localizador() {
    // Um segundo antes do começo: a primeira volta já manda um batimento.
    plataforma::Instante ultimo_batimento = plataforma::agora() - 1s;
    for (;;) {
        esperar_proxima_volta(100ms);
        conferir_e_bater(ultimo_batimento);
    }
}
