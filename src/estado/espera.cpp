#include "estado/espera.hpp"

#include <mutex>

#include "estado/processo.hpp"
#include "plataforma/sistema.hpp"

namespace {

EsperaDoLocalizador& espera() { return processo().ESPERA; }

}  // namespace

void acordar_localizador() {
    EsperaDoLocalizador& e = espera();
    {
        // A marca vai sob a trava de quem espera: marcada entre a conferência
        // dele e a espera, ela se perderia e a volta atrasaria até 100 ms.
        std::lock_guard g(e.trava);
        e.acordar_ja = true;
    }
    e.sinal.notificar_um();
}

void esperar_proxima_volta(std::chrono::milliseconds limite) {
    EsperaDoLocalizador& e = espera();
    std::unique_lock lk(e.trava);
    const plataforma::Instante prazo = plataforma::agora() + limite;
    while (!e.acordar_ja)
        if (!e.sinal.esperar_ate(lk, prazo)) break;
    e.acordar_ja = false;
}

void marcar_hora_do_ponteiro(plataforma::Instante quando) {
    std::lock_guard g(espera().trava);
    espera().hora_do_ponteiro = quando;
}

std::optional<plataforma::Instante> hora_do_ponteiro() {
    std::lock_guard g(espera().trava);
    return espera().hora_do_ponteiro;
}
