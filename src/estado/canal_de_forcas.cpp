#include "estado/canal_de_forcas.hpp"

#include <mutex>

namespace pl = plataforma;

void CanalDeForcas::enviar(std::int32_t forca) {
    std::lock_guard g(trava_);
    forcas_.push_back(forca);
    tela_normal_ = false;
    sinal_.notificar_todos();
}

void CanalDeForcas::fechar() {
    std::lock_guard g(trava_);
    fechado_ = true;
    sinal_.notificar_todos();
}

CanalDeForcas::Recebido CanalDeForcas::pegar(std::int32_t& forca) {
    if (!forcas_.empty()) {
        forca = forcas_.front();
        forcas_.pop_front();
        return Recebido::valor;
    }
    return fechado_ ? Recebido::fechado : Recebido::nada;
}

CanalDeForcas::Recebido CanalDeForcas::receber(std::int32_t& forca) {
    std::unique_lock lk(trava_);
    for (;;) {
        const Recebido r = pegar(forca);
        if (r != Recebido::nada) return r;
        sinal_.esperar(lk);
    }
}

CanalDeForcas::Recebido CanalDeForcas::tentar(std::int32_t& forca) {
    std::lock_guard g(trava_);
    return pegar(forca);
}

CanalDeForcas::Recebido CanalDeForcas::receber_ate(pl::Instante prazo, std::int32_t& forca) {
    std::unique_lock lk(trava_);
    for (;;) {
        const Recebido r = pegar(forca);
        if (r != Recebido::nada) return r;
        if (!sinal_.esperar_ate(lk, prazo)) return pegar(forca);
    }
}

void CanalDeForcas::avisar_tela_normal(bool acabou) {
    std::lock_guard g(trava_);
    // Só vale se nenhuma força chegou depois das que a thread já tirou.
    if (forcas_.empty()) tela_normal_ = true;
    acabou_ = acabou_ || acabou;
    sinal_.notificar_todos();
}

bool CanalDeForcas::esperar_tela_normal(pl::Instante prazo) {
    std::unique_lock lk(trava_);
    while (!tela_normal_ && !acabou_)
        if (!sinal_.esperar_ate(lk, prazo)) return tela_normal_ || acabou_;
    return true;
}
