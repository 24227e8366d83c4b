// Bancadas do laço do localizador sobre as cenas de exemplo, na área de
// trabalho simulada e em tempo virtual. Além do tempo de CPU, contam as idas
// ao navegador (chamadas de UI Automation entre processos): no Windows são
// elas que custam, e o simulador as conta por nome de chamada.

#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "apoio/cena_no_processo.hpp"
#include "estado/alvo.hpp"
#include "estado/processo.hpp"
#include "janela/posicionamento.hpp"
#include "localizador/chat.hpp"
#include "localizador/localizador.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/console.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

using namespace plataforma::simulada;

namespace {

// A montagem dos testes dentro do processo, no modo hospedado: a janela 100
// das cenas faz o papel da janela do app.
void preparar(const std::string& cena) { carregar_cena_no_processo(ler_cena_de_exemplo(cena), true); }

std::map<std::string, int> tirar_chamadas() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    return std::exchange(a.chamadas_uia, {});
}

// As idas ao navegador desde a última tirada, por iteração.
void contar_chamadas(benchmark::State& state) {
    const std::map<std::string, int> c = tirar_chamadas();
    const auto de = [&](const char* nome) {
        const auto it = c.find(nome);
        return it == c.end() ? 0 : it->second;
    };
    int total = 0;
    for (const auto& [nome, n] : c) total += n;
    const auto por_volta = [](int n) { return benchmark::Counter(n, benchmark::Counter::kAvgIterations); };
    state.counters["chamadas"] = por_volta(total);
    state.counters["retangulo"] = por_volta(de("get_CurrentBoundingRectangle"));
    state.counters["classe"] = por_volta(de("get_CurrentClassName"));
    state.counters["buscas"] = por_volta(de("FindAllBuildCache") + de("FindFirst"));
}

// O relógio virtual não pode andar durante a medida: passados 5 s virtuais a
// busca da Twitch fica devida e as voltas deixariam de ser só releituras.
bool relogio_parado(benchmark::State& state, plataforma::Instante inicio) {
    if (plataforma::agora() == inicio) return true;
    state.SkipWithError("o relógio virtual andou durante a medida");
    return false;
}

// Uma volta entre buscas: só relê os elementos guardados na busca.
void BM_VoltaEntreBuscas(benchmark::State& state, const char* cena) {
    preparar(cena);
    Localizador l(criar_automacao());
    l.volta();  // a busca inteira, fora da medida
    tirar_chamadas();
    const plataforma::Instante inicio = plataforma::agora();
    for (auto _ : state) l.volta();
    if (relogio_parado(state, inicio)) contar_chamadas(state);
}

// A primeira volta de um localizador novo: acha a janela, busca o chat e o
// que o cobre e publica o alvo.
void BM_BuscaInteira(benchmark::State& state, const char* cena) {
    preparar(cena);
    tirar_chamadas();
    const plataforma::Instante inicio = plataforma::agora();
    std::optional<Localizador> l;
    for (auto _ : state) {
        // Sem o alvo publicado e a página da Kick lembrados, cada volta busca
        // de fato; o localizador velho morre aqui também, fora da medida.
        state.PauseTiming();
        l.reset();
        ALVO_PUBLICADO.guardar(std::nullopt);
        state.ResumeTiming();
        l.emplace(criar_automacao());
        l->volta();
    }
    if (relogio_parado(state, inicio)) contar_chamadas(state);
}

BENCHMARK_CAPTURE(BM_VoltaEntreBuscas, twitch_chrome, "twitch_chrome.json");
BENCHMARK_CAPTURE(BM_VoltaEntreBuscas, twitch_7tv, "twitch_7tv.json");
BENCHMARK_CAPTURE(BM_VoltaEntreBuscas, kick_edge, "kick_edge.json");
BENCHMARK_CAPTURE(BM_BuscaInteira, twitch_chrome, "twitch_chrome.json");
BENCHMARK_CAPTURE(BM_BuscaInteira, kick_edge, "kick_edge.json");

}  // namespace

BENCHMARK_MAIN();
