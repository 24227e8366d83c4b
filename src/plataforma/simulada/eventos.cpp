// WinEvents e lupa na área simulada. Os avisos saem das mudanças da área (da
// linha do tempo ou do próprio programa) e chegam pela fila de mensagens da
// thread que instalou o gancho, como os de verdade fora de contexto.

#include "plataforma/eventos.hpp"

#include <mutex>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma {

using simulada::AreaDeTrabalho;

std::intptr_t instalar_gancho(std::uint32_t de, std::uint32_t ate, std::uint32_t processo,
                              ChamadaDeEvento chamada) {
    std::intptr_t id = 0;
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        if (!a.deve_falhar("SetWinEventHook")) {
            id = a.proximo_gancho++;
            a.ganchos.push_back({id, de, ate, processo, chamada, std::this_thread::get_id()});
        }
    }
    simulada::Rastro::global().registrar(
        {{"efeito", "SetWinEventHook"}, {"de", de}, {"ate", ate}, {"processo", processo}, {"gancho", id}});
    return id;
}

bool remover_gancho(std::intptr_t gancho) {
    bool ok = false;
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        const auto antes = a.ganchos.size();
        std::erase_if(a.ganchos, [&](const simulada::GanchoSim& x) { return x.id == gancho; });
        ok = a.ganchos.size() != antes;
    }
    simulada::Rastro::global().registrar({{"efeito", "UnhookWinEvent"}, {"gancho", gancho}, {"ok", ok}});
    return ok;
}

void esperar_mensagens(std::chrono::milliseconds limite) {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    const auto eu = std::this_thread::get_id();
    const Instante prazo = agora() + limite;
    std::unique_lock lk(a.filas_trava);
    for (;;) {
        {
            std::lock_guard g(a.m);
            const auto fila = a.filas.find(eu);
            if (fila != a.filas.end() && !fila->second.empty()) return;
        }
        if (!a.filas_sinal.esperar_ate(lk, prazo)) return;
    }
}

SessaoDaLupa::SessaoDaLupa() {
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        const auto falha = a.deve_falhar("MagInitialize");
        iniciada_ = !falha;
        if (falha) erro_ = texto_de_hresult(static_cast<std::uint32_t>(*falha));
        a.lupa_iniciada = iniciada_;
    }
    simulada::Rastro::global().registrar({{"efeito", "MagInitialize"}, {"ok", iniciada_}});
}

SessaoDaLupa::~SessaoDaLupa() {
    if (!iniciada_) return;
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        a.lupa_iniciada = false;
    }
    simulada::Rastro::global().registrar({{"efeito", "MagUninitialize"}});
}

bool lupa_transformar(float fator, int x, int y) {
    bool ok = false;
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        ok = a.lupa_iniciada;
    }
    simulada::Rastro::global().registrar(
        {{"efeito", "MagSetFullscreenTransform"}, {"fator", fator}, {"x", x}, {"y", y}, {"ok", ok}});
    return ok;
}

}  // namespace plataforma
