// Bancadas das ações na página, sobre as cenas que reagem, no tempo virtual
// e sob o perfil de custo "chromium": quantas idas ao navegador cada ação
// custa (buscas à parte) e quanto tempo do programa ela leva (ms_modelados: o
// que ela espera de propósito, como as reações da página, os 80 ms do Esc e os
// avisos de movimento, mais o custo modelado das idas).

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "acoes/emote.hpp"
#include "acoes/memoria.hpp"
#include "acoes/responder.hpp"
#include "apoio/cena_no_processo.hpp"
#include "estado/processo.hpp"
#include "localizador/descoberta.hpp"
#include "localizador/localizador.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/custo.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/sistema.hpp"

using namespace plataforma::simulada;

namespace {

const ComandoDeMensagem kMensagem20{"responder", "visitante20", "visitante20", "mensagem número 20"};

std::map<std::string, int> tirar_chamadas() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    return std::exchange(a.chamadas_uia, {});
}

// A cena carregada, o alvo publicado por uma volta do localizador e a memória
// do executor pronta.
MemoriaDoExecutor preparar_cena(const std::string& texto) {
    carregar_cena_no_processo(texto, true);
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        a.custo.definir(perfil_chromium());
    }
    // A árvore da página chega 400 ms depois do primeiro cliente.
    if (const auto j = achar_janela_de_live()) criar_automacao().elemento_da_janela(j->janela);
    plataforma::dormir(std::chrono::seconds(1));
    Localizador l(criar_automacao());
    l.volta();
    MemoriaDoExecutor m{criar_automacao(), {}, {}, {}};
    if (const auto alvo = ALVO_PUBLICADO.copiar()) rechavear(m.pagina, *alvo);
    return m;
}

// Roda a ação uma vez e conta as idas ao navegador e o tempo do programa.
void medir(benchmark::State& state, const std::string& texto,
           const std::function<void(MemoriaDoExecutor&)>& antes,
           const std::function<void(MemoriaDoExecutor&)>& acao) {
    std::map<std::string, int> c;
    double ms = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MemoriaDoExecutor m = preparar_cena(texto);
        antes(m);
        tirar_chamadas();
        const auto inicio = plataforma::agora();
        state.ResumeTiming();
        acao(m);
        state.PauseTiming();
        ms = std::chrono::duration<double, std::milli>(plataforma::agora() - inicio).count();
        c = tirar_chamadas();
        state.ResumeTiming();
    }
    const auto de = [&](const char* nome) {
        const auto it = c.find(nome);
        return it == c.end() ? 0 : it->second;
    };
    int total = 0;
    for (const auto& [nome, n] : c) total += n;
    state.counters["chamadas"] = total;
    state.counters["buscas"] = de("FindAllBuildCache") + de("FindFirst");
    state.counters["caminhante"] = de("GetLastChildElementBuildCache") +
                                   de("GetPreviousSiblingElementBuildCache") + de("GetParentElement");
    state.counters["ms_modelados"] = ms;
}

std::string com_linhas(const char* cena, int linhas) {
    Json j = Json::parse(ler_cena_de_exemplo(cena));
    // A repetição das linhas do chat: mais linhas, todas antes da última de hoje.
    std::function<void(Json&)> achar = [&](Json& x) {
        if (x.is_object()) {
            if (x.contains("repetir") && x.value("repetir", 0) == 20) {
                x["repetir"] = linhas;
                x["passo"] = Json::array({0, 2});
            }
            for (auto& [k, v] : x.items()) achar(v);
        } else if (x.is_array()) {
            for (auto& v : x) achar(v);
        }
    };
    achar(j);
    return j.dump();
}

void nada(MemoriaDoExecutor&) {}

void BM_Preparar(benchmark::State& state) {
    medir(state, ler_cena_de_exemplo("twitch_respostas.json"), nada, [](MemoriaDoExecutor& m) {
        preparar(m, {"preparar", "visitante20", "visitante20", "mensagem número 20"});
    });
}

void BM_ResponderDepoisDoPreparar(benchmark::State& state) {
    medir(
        state, ler_cena_de_exemplo("twitch_respostas.json"),
        [](MemoriaDoExecutor& m) {
            preparar(m, {"preparar", "visitante20", "visitante20", "mensagem número 20"});
        },
        [](MemoriaDoExecutor& m) { responder(m, kMensagem20); });
}

void BM_ResponderSemPreparar(benchmark::State& state) {
    medir(state, ler_cena_de_exemplo("twitch_respostas.json"), nada,
          [](MemoriaDoExecutor& m) { responder(m, kMensagem20); });
}

// Num chat de 300 linhas: a mensagem mais nova e uma de 300 linhas atrás.
void BM_ResponderNum300Linhas(benchmark::State& state, int numero) {
    const std::string n = std::to_string(numero);
    const ComandoDeMensagem c{"responder", "visitante" + n, "visitante" + n, "mensagem número " + n};
    medir(state, com_linhas("twitch_respostas.json", 300), nada,
          [&](MemoriaDoExecutor& m) { responder(m, c); });
}

void BM_Responder7tv(benchmark::State& state, bool aprendido) {
    medir(
        state, ler_cena_de_exemplo("twitch_7tv_respostas.json"),
        [aprendido](MemoriaDoExecutor&) {
            processo().botao_aprendido = aprendido ? 2 : 0;
            AreaDeTrabalho& a = AreaDeTrabalho::global();
            std::lock_guard g(a.m);
            a.cursor = {1500, 500};
        },
        [](MemoriaDoExecutor& m) { responder(m, kMensagem20); });
}

void BM_Emote(benchmark::State& state, bool com_foco) {
    medir(
        state, ler_cena_de_exemplo("twitch_respostas.json"),
        [com_foco](MemoriaDoExecutor&) {
            if (!com_foco) return;
            AreaDeTrabalho& a = AreaDeTrabalho::global();
            std::lock_guard g(a.m);
            a.foco_uia = a.por_chave.at("caixa");
        },
        [](MemoriaDoExecutor& m) { emote(m, "Kappa"); });
}

BENCHMARK(BM_Preparar)->Iterations(1);
BENCHMARK(BM_ResponderDepoisDoPreparar)->Iterations(1);
BENCHMARK(BM_ResponderSemPreparar)->Iterations(1);
BENCHMARK_CAPTURE(BM_ResponderNum300Linhas, mais_nova, 300)->Iterations(1);
BENCHMARK_CAPTURE(BM_ResponderNum300Linhas, a_mais_velha, 1)->Iterations(1);
BENCHMARK_CAPTURE(BM_Responder7tv, sem_aprender, false)->Iterations(1);
BENCHMARK_CAPTURE(BM_Responder7tv, aprendido, true)->Iterations(1);
BENCHMARK_CAPTURE(BM_Emote, com_foco_na_caixa, true)->Iterations(1);
BENCHMARK_CAPTURE(BM_Emote, sem_foco, false)->Iterations(1);

}  // namespace
