// Bancadas do laço do localizador sobre as cenas de exemplo, na área de
// trabalho simulada e em tempo virtual. Além do tempo de CPU, contam as idas
// ao navegador (chamadas de UI Automation entre processos) e, sob o perfil de
// custo "chromium", o tempo que elas levariam num Chromium de verdade
// (ms_modelados, por iteração): no Windows é esse o custo do programa.

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <functional>
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
#include "localizador/cobertura.hpp"
#include "localizador/descoberta.hpp"
#include "localizador/localizador.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/console.hpp"
#include "plataforma/simulada/custo.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

using namespace plataforma::simulada;

namespace {

// A montagem dos testes dentro do processo, no modo hospedado (a janela 100
// das cenas faz o papel da janela do app), sob o perfil "chromium". A árvore
// da página chega 400 ms depois do primeiro cliente: uma ida acorda a janela
// e o relógio passa da partida antes de medir.
void preparar_texto(const std::string& texto) {
    carregar_cena_no_processo(texto, true);
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    {
        std::lock_guard g(a.m);
        a.custo.definir(perfil_chromium());
    }
    criar_automacao().elemento_da_janela(achar_janela_de_live()->janela);
    plataforma::dormir(std::chrono::seconds(1));
}
void preparar(const std::string& cena) { preparar_texto(ler_cena_de_exemplo(cena)); }

// Uma página de Twitch com "n" elementos a mais, todos fora do chat (o resto
// da página de uma live de verdade: vídeo, painéis, recomendações).
std::string twitch_com_elementos(int n) {
    Json j = Json::parse(ler_cena_de_exemplo("twitch_chrome.json"));
    std::function<bool(Json&)> achar = [&](Json& x) {
        if (x.is_object() && x.value("chave", "") == "pagina") {
            x["filhos"].push_back(
                {{"repetir", n},
                 {"passo", {0, 0}},
                 {"elemento", {{"tipo", "Group"}, {"classe", "tw-flex"}, {"ret", {108, 181, 1300, 900}}}}});
            return true;
        }
        if (x.is_object())
            for (auto& [k, v] : x.items())
                if (achar(v)) return true;
        if (x.is_array())
            for (auto& v : x)
                if (achar(v)) return true;
        return false;
    };
    achar(j);
    return j.dump();
}

int elementos_na_area() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    std::function<int(const std::vector<ElementoPtr>&)> contar = [&](const std::vector<ElementoPtr>& es) {
        int n = 0;
        for (const ElementoPtr& e : es) n += 1 + contar(e->filhos);
        return n;
    };
    int n = 0;
    for (const auto& [h, j] : a.janelas) n += contar(j.arvore);
    return n;
}

// O tempo modelado acumulado nas iterações medidas.
class Modelado {
public:
    void comecar() { inicio_ = plataforma::agora(); }
    void parar() { total_ += plataforma::agora() - inicio_; }
    void contar(benchmark::State& state) const {
        state.counters["ms_modelados"] = benchmark::Counter(
            std::chrono::duration<double, std::milli>(total_).count(), benchmark::Counter::kAvgIterations);
    }

private:
    plataforma::Instante inicio_;
    plataforma::Duracao total_{0};
};

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

// Uma volta entre buscas: só relê os elementos guardados na busca. As voltas
// andam o relógio pelo custo delas (nada de espera entre uma e outra); 100
// voltas cabem antes de a próxima busca ficar devida (300 ms na Kick), e uma
// busca no meio estraga a medida.
void BM_VoltaEntreBuscas(benchmark::State& state, const char* cena) {
    preparar(cena);
    Localizador l(criar_automacao());
    l.volta();  // a busca inteira, fora da medida
    tirar_chamadas();
    Modelado m;
    m.comecar();
    for (auto _ : state) l.volta();
    m.parar();
    const auto c = tirar_chamadas();
    if (c.count("FindAllBuildCache")) {
        state.SkipWithError("uma busca no meio das voltas");
        return;
    }
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        a.chamadas_uia = c;
    }
    contar_chamadas(state);
    m.contar(state);
}

// A primeira volta de um localizador novo: acha a janela, busca o chat e o
// que o cobre e publica o alvo.
void buscas_inteiras(benchmark::State& state) {
    tirar_chamadas();
    Modelado m;
    std::optional<Localizador> l;
    for (auto _ : state) {
        // Sem o alvo publicado e a página da Kick lembrados, cada volta busca
        // de fato; o localizador velho morre aqui também, fora da medida.
        state.PauseTiming();
        l.reset();
        ALVO_PUBLICADO.guardar(std::nullopt);
        state.ResumeTiming();
        m.comecar();
        l.emplace(criar_automacao());
        l->volta();
        m.parar();
    }
    contar_chamadas(state);
    m.contar(state);
}

void BM_BuscaInteira(benchmark::State& state, const char* cena) {
    preparar(cena);
    buscas_inteiras(state);
}

// A Twitch numa página de 3000 elementos. O piso é uma busca só, com cache,
// que examina a página uma vez e devolve só os elementos que a leitura da
// Twitch devolve, sem picos: a base média mais o preço deles.
void BM_BuscaInteiraTwitch3000(benchmark::State& state) {
    const std::string texto = twitch_com_elementos(2800);
    preparar_texto(texto);
    const int elementos = elementos_na_area();
    const auto j = achar_janela_de_live();
    MemoriaDoChat memoria;
    const auto lida = localizar_chat(criar_automacao(), *j, memoria);
    buscas_inteiras(state);
    const PerfilDeCusto p = perfil_chromium();
    const double piso_ms =
        (static_cast<double>(p.base_us) + static_cast<double>(p.variacao_us) / 2 +
         static_cast<double>(elementos) * static_cast<double>(p.por_examinado_ns) / 1000.0 +
         static_cast<double>(lida ? lida->lidos : 0) * static_cast<double>(p.por_devolvido_us)) /
        1000.0;
    state.counters["elementos"] = elementos;
    state.counters["lidos"] = lida ? lida->lidos : 0;
    state.counters["piso_ms"] = piso_ms;
}

// A busca do que cobre o chat, como o localizador a faz numa busca inteira:
// a das coberturas, a do cartão do 7TV e, na Twitch, a da coluna do chat.
void BM_BuscaDasCoberturas(benchmark::State& state, const char* cena) {
    preparar(cena);
    const uia::Automacao a = criar_automacao();
    const auto j = achar_janela_de_live();
    MemoriaDoChat memoria;
    const auto lida = localizar_chat(a, *j, memoria);
    if (!j || !lida || !lida->chat) {
        state.SkipWithError("sem o chat");
        return;
    }
    const Releitura r = reler_chat(a, *lida);
    tirar_chamadas();
    Modelado m;
    for (auto _ : state) {
        m.comecar();
        auto c = buscar_coberturas(a, j->janela, j->titulo, j->site, memoria);
        const auto cartao = buscar_cartao_do_7tv(a, j->janela);
        if (j->site == Site::Twitch && lida->chat->conteiner && lida->conteiner_de_mensagens)
            benchmark::DoNotOptimize(
                sobreposicoes_na_coluna(a, *lida->chat->conteiner, *lida->conteiner_de_mensagens, r.chat));
        benchmark::DoNotOptimize(cartao);
        m.parar();
    }
    contar_chamadas(state);
    m.contar(state);
}

BENCHMARK_CAPTURE(BM_VoltaEntreBuscas, twitch_chrome, "twitch_chrome.json")->Iterations(100);
BENCHMARK_CAPTURE(BM_VoltaEntreBuscas, twitch_7tv, "twitch_7tv.json")->Iterations(100);
BENCHMARK_CAPTURE(BM_VoltaEntreBuscas, kick_edge, "kick_edge.json")->Iterations(100);
BENCHMARK_CAPTURE(BM_BuscaInteira, twitch_chrome, "twitch_chrome.json")->Iterations(50);
BENCHMARK_CAPTURE(BM_BuscaInteira, twitch_7tv, "twitch_7tv.json")->Iterations(50);
BENCHMARK_CAPTURE(BM_BuscaInteira, kick_edge, "kick_edge.json")->Iterations(50);
BENCHMARK(BM_BuscaInteiraTwitch3000)->Iterations(20);
BENCHMARK_CAPTURE(BM_BuscaDasCoberturas, twitch_chrome, "twitch_chrome.json")->Iterations(50);
BENCHMARK_CAPTURE(BM_BuscaDasCoberturas, twitch_7tv, "twitch_7tv.json")->Iterations(50);
BENCHMARK_CAPTURE(BM_BuscaDasCoberturas, kick_edge, "kick_edge.json")->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
