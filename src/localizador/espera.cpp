#include "localizador/espera.hpp"

#include <mutex>

#include "plataforma/sistema.hpp"

std::atomic<bool> BOTAO_APERTADO{false};
std::atomic<bool> JANELAS_MUDARAM{false};

namespace {

struct Espera {
    plataforma::Trava trava;  // guarda também a hora do ponteiro
    plataforma::Sinal sinal;
    std::optional<plataforma::Instante> hora_do_ponteiro;
};

Espera& espera() {
    static Espera e;
    return e;
}

std::atomic<bool> ACORDAR_JA{false};

}  // namespace

void acordar_localizador() {
    ACORDAR_JA = true;
    espera().sinal.notificar_um();
}

void esperar_proxima_volta(std::chrono::milliseconds limite) {
    Espera& e = espera();
    std::unique_lock lk(e.trava);
    if (!ACORDAR_JA.exchange(false)) {
        const plataforma::Instante prazo = plataforma::agora() + limite;
        while (!ACORDAR_JA.load() && plataforma::agora() < prazo) {
            if (!e.sinal.esperar_ate(lk, prazo)) break;
        }
    }
    ACORDAR_JA = false;
}

void marcar_hora_do_ponteiro(plataforma::Instante quando) {
    std::lock_guard g(espera().trava);
    espera().hora_do_ponteiro = quando;
}

std::optional<plataforma::Instante> hora_do_ponteiro() {
    std::lock_guard g(espera().trava);
    return espera().hora_do_ponteiro;
}
