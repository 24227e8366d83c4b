// Quanto tempo passa, com as threads de verdade e no relógio de parede, entre
// o navegador se mover (o aviso de movimento da janela) e a Vidrel ser posta
// no lugar novo: o aviso chega à thread do observador de janelas, que acorda o
// localizador, que desloca o alvo e chama SetWindowPos. Sob o perfil de custo
// "chromium" (cada ida ao navegador dorme o que levaria de verdade), com o
// movimento solto ao acaso ou bem quando o localizador acaba de entrar numa
// chamada ao navegador (ocupado numa leitura).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "apoio/cena_no_processo.hpp"
#include "estado/alvo.hpp"
#include "estado/processo.hpp"
#include "janela/eventos_do_navegador.hpp"
#include "janela/ponteiro.hpp"
#include "localizador/localizador.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/console.hpp"
#include "plataforma/simulada/custo.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

using namespace plataforma::simulada;
using Parede = std::chrono::steady_clock;

namespace {

std::atomic<std::int64_t> POSTA_EM{0};  // ns do relógio de parede
std::atomic<int> POSICOES{0};
std::atomic<int> IDAS{0};  // chamadas ao navegador que começaram

std::int64_t agora_ns() { return Parede::now().time_since_epoch().count(); }

template <class F>
bool esperar_que(F condicao, std::chrono::milliseconds limite) {
    const auto fim = Parede::now() + limite;
    while (!condicao()) {
        if (Parede::now() > fim) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

// Uma vez por processo: a cena, o relógio de parede e o localizador rodando.
bool preparar() {
    carregar_cena_no_processo(ler_cena_de_exemplo("twitch_chrome.json"), true, Relogio::Modo::Real);
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    {
        std::lock_guard g(a.m);
        a.custo.definir(perfil_chromium());
        a.rastrear_uia = true;
    }
    Rastro::global().observar([](const Json& j) {
        if (j.value("efeito", "") == "SetWindowPos" && j.value("janela", 0) == 100) {
            POSTA_EM = agora_ns();
            ++POSICOES;
        }
        if (j.contains("uia")) ++IDAS;
    });
    plataforma::iniciar_thread(observador_do_ponteiro);
    plataforma::iniciar_thread(observador_de_janelas);
    plataforma::iniciar_thread([] { rodar_localizador(); });
    // O alvo publicado e os quatro ganchos no processo do navegador.
    return esperar_que([] { return ALVO_PUBLICADO.copiar().has_value(); }, std::chrono::seconds(5)) &&
           esperar_que(
               [&] {
                   std::lock_guard g(a.m);
                   return a.ganchos.size() == 4;
               },
               std::chrono::seconds(5));
}

void BM_LatenciaDoMovimento(benchmark::State& state, bool durante_leitura) {
    static const bool pronto = preparar();
    if (!pronto) {
        state.SkipWithError("o localizador não publicou o alvo");
        return;
    }
    std::vector<double> us;
    int sentido = 1;
    for (auto _ : state) {
        // Longe de uma volta de espera normal: a Vidrel só anda pelo aviso.
        std::this_thread::sleep_for(std::chrono::milliseconds(7));
        if (durante_leitura) {
            // O localizador acaba de entrar numa chamada ao navegador.
            const int idas = IDAS.load();
            if (!esperar_que([&] { return IDAS.load() > idas; }, std::chrono::seconds(2))) {
                state.SkipWithError("o localizador não leu a página");
                return;
            }
        }
        const int antes = POSICOES.load();
        const std::int64_t inicio = agora_ns();
        const Json ev = {
            {"em", 0}, {"acao", "mover"}, {"janela", 2001}, {"deslocar", {5 * sentido, 3 * sentido}}};
        aplicar_evento({0, "mover", "bancada", ev});
        sentido = -sentido;
        if (!esperar_que([&] { return POSICOES.load() > antes; }, std::chrono::seconds(2))) {
            state.SkipWithError("a Vidrel não andou");
            return;
        }
        const double d = static_cast<double>(POSTA_EM.load() - inicio) / 1000.0;
        us.push_back(d);
        state.SetIterationTime(d / 1e6);
    }
    std::sort(us.begin(), us.end());
    if (!us.empty()) {
        state.counters["mediana_us"] = us[us.size() / 2];
        state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
        state.counters["maior_us"] = us.back();
    }
}
BENCHMARK_CAPTURE(BM_LatenciaDoMovimento, ao_acaso, false)
    ->UseManualTime()
    ->Iterations(400)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LatenciaDoMovimento, durante_leitura, true)
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // O localizador e os observadores não terminam: sai sem destruir nada.
    std::_Exit(0);
}
