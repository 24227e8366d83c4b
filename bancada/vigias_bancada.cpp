// Bancadas dos vigias da página, na área de trabalho simulada e no tempo
// virtual: a conta local das peças (filtro, ordem estável e contenção) contra
// a busca inteira, e as idas ao navegador de uma volta do vigia dos resgates,
// de uma olhada do nick, de uma volta da prévia e de um pedido "video".

#include <benchmark/benchmark.h>

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "apoio/cena_no_processo.hpp"
#include "estado/processo.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/nick.hpp"
#include "vigias/pecas.hpp"
#include "vigias/previa.hpp"
#include "vigias/resgates.hpp"
#include "vigias/video.hpp"

using namespace plataforma::simulada;
using namespace std::chrono_literals;

namespace {

std::map<std::string, int> tirar() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    return std::exchange(a.chamadas_uia, {});
}

// As idas ao navegador desde a última tirada, divididas por "vezes" (uma
// volta, uma olhada, um pedido), por nome de chamada e no total.
void contar(benchmark::State& state, double vezes) {
    int total = 0;
    for (const auto& [nome, n] : tirar()) {
        state.counters[nome] = n / vezes;
        total += n;
    }
    state.counters["chamadas"] = total / vezes;
}

// A live da Twitch com resgates, com o alvo publicado como o localizador o
// publica (a página e o navegador na frente).
void preparar_resgates() {
    carregar_cena_no_processo(ler_cena_de_exemplo("twitch_resgates.json"), true);
    Alvo a;
    a.site = Site::Twitch;
    a.canal = "tarsio_ao_vivo";
    a.janela = 2001;
    a.chat = {1352, 231, 1692, 877};
    a.pagina = Retangulo{108, 131, 1692, 992};
    a.frente = true;
    ALVO_PUBLICADO.guardar(a);
}

// Candidatos como os de uma página cheia: tamanhos de 8 a 207 por 8 a 57,
// um em dez fora da tela, muitos contendo outros.
std::vector<LidoDaPeca> candidatos(int n) {
    std::vector<LidoDaPeca> l;
    l.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int x = 108 + (i * 37) % 1500, y = 131 + (i * 53) % 800;
        l.push_back({i % 10 == 0, Retangulo{x, y, x + 8 + (i * 7) % 200, y + 8 + (i * 5) % 50}});
    }
    return l;
}

void BM_EscolherPecas(benchmark::State& state) {
    const auto l = candidatos(static_cast<int>(state.range(0)));
    const Retangulo pagina{108, 131, 1692, 992};
    const Retangulo chat{1352, 231, 1692, 877};
    std::size_t pecas = 0;
    for (auto _ : state) {
        auto p = escolher_pecas(l, pagina, chat, 1.0);
        pecas = p.size();
        benchmark::DoNotOptimize(p);
    }
    state.counters["pecas"] = static_cast<double>(pecas);
}

// listar_pecas inteiro sobre uma página com "n" imagens a mais: a busca na
// árvore simulada, a leitura do cache, a conta e a linha.
void BM_ListarPecas(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Json cena = Json::parse(ler_cena_de_exemplo("twitch_chrome.json"));
    Json& documento = cena["janelas"][1]["pagina"][1];
    documento["filhos"].push_back(Json::parse(R"({"repetir": )" + std::to_string(n) + R"(, "passo": [0, 0],
        "elemento": {"tipo": "Image", "ret": [200, 300, 220, 320]}})"));
    carregar_cena_no_processo(cena.dump(), true);
    const uia::Automacao a = criar_automacao();
    const Retangulo pagina{108, 131, 1692, 992};
    const Retangulo chat{1352, 231, 1692, 877};
    tirar();
    for (auto _ : state) listar_pecas(a, 2001, pagina, chat);
    contar(state, static_cast<double>(state.iterations()));
    Rastro::global().esquecer();
}

// Uma volta do vigia dos resgates numa página parada: a busca do nome em cada
// filho da raiz, a subida e o texto de cada achado, e a comparação com os vistos.
void BM_VoltaDosResgates(benchmark::State& state) {
    preparar_resgates();
    VigiaDeResgates v(criar_automacao());
    v.volta();  // a primeira só registra, fora da medida
    tirar();
    for (auto _ : state) v.volta();
    contar(state, static_cast<double>(state.iterations()));
}

// 20 s de acompanhamento do nick (umas 600 olhadas): por olhada, uma
// releitura e nada mais.
void BM_OlhadaDoNick(benchmark::State& state) {
    preparar_resgates();
    const uia::Automacao a = criar_automacao();
    auto raiz = a.elemento_da_janela(2001);
    auto nome = buscar_fora_da_vidrel(a, *raiz, *a.igual_sem_caixa(uia::Propriedade::nome, "tarsio_ao_vivo"),
                                      *a.pedido({uia::Propriedade::retangulo}));
    uia::Elemento elemento;
    for (const uia::Elemento& e : *nome)
        if (e.retangulo_em_cache().valor_ou({}) == Retangulo{230, 870, 380, 894}) elemento = e;
    tirar();
    int releituras = 0;
    for (auto _ : state) {
        acompanhar_nick(a, {elemento, processo().geracao_video.load(), 2001, "tarsio_ao_vivo", 181,
                            Retangulo{230, 870, 380, 894}});
        releituras += tirar()["BuildUpdatedCache"];
    }
    state.counters["olhadas"] = static_cast<double>(releituras) / static_cast<double>(state.iterations());
    // As idas por olhada, contadas de novo numa rodada à parte.
    acompanhar_nick(a, {elemento, processo().geracao_video.load(), 2001, "tarsio_ao_vivo", 181,
                        Retangulo{230, 870, 380, 894}});
    auto c = tirar();
    int total = 0;
    for (const auto& [nome_da_chamada, k] : c) total += k;
    state.counters["chamadas_por_olhada"] = static_cast<double>(total) / c["BuildUpdatedCache"];
}

// Uma volta da prévia com a bandeja aberta.
void BM_VoltaDaPrevia(benchmark::State& state) {
    carregar_cena_no_processo(ler_cena_de_exemplo("twitch_7tv_previa.json"), true);
    const Json j = Json::parse(R"({"acao": "adicionar", "dentro_de": "bandeja", "elemento":
        {"classe": "seventv-tray-user-message", "ret": [1362, 830, 1682, 876]}})");
    aplicar_evento({0, "adicionar", "ev", j});
    VigiaDaPrevia v(criar_automacao(), 2001);
    tirar();
    for (auto _ : state) v.volta();
    contar(state, static_cast<double>(state.iterations()));
}

// Um pedido "video" até a sua linha (a primeira fase, numa thread própria);
// o acompanhamento que vem depois é calado com uma geração nova.
void BM_PedidoDeVideo(benchmark::State& state) {
    preparar_resgates();
    std::map<std::string, int> soma;
    for (auto _ : state) {
        tirar();
        pedir_video();
        while (processo().video_em_curso.load()) plataforma::dormir(1ms);
        for (const auto& [nome, n] : tirar()) soma[nome] += n;
        state.PauseTiming();
        ++processo().geracao_video;
        plataforma::dormir(100ms);
        state.ResumeTiming();
    }
    int total = 0;
    for (const auto& [nome, n] : soma) {
        state.counters[nome] = n / static_cast<double>(state.iterations());
        total += n;
    }
    state.counters["chamadas"] = total / static_cast<double>(state.iterations());
    Rastro::global().esquecer();
}

BENCHMARK(BM_EscolherPecas)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListarPecas)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VoltaDosResgates)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OlhadaDoNick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VoltaDaPrevia)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PedidoDeVideo)->Unit(benchmark::kMicrosecond);

}  // namespace
