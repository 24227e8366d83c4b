#include "janela/eventos_do_navegador.hpp"

#include <array>
#include <chrono>

#include "estado/espera.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "estado/titulos.hpp"
#include "janela/posicionamento.hpp"
#include "plataforma/eventos.hpp"
#include "plataforma/janelas.hpp"

namespace pl = plataforma;
namespace ev = plataforma::evento;

namespace {

constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 4> kFaixas = {{
    {ev::objeto_moveu, ev::objeto_moveu},
    {ev::objeto_mostrado, ev::objeto_reordenado},
    {ev::objeto_renomeado, ev::objeto_renomeado},
    {ev::movimento_inicio, ev::movimento_fim},
}};

// A janela do app é de outro processo: esconder sem esperar por ele, senão
// um app ocupado pararia esta thread.
void esconder_a_vidrel() {
    if (const Hwnd v = JANELA.load(); v != 0) pl::mostrar_janela_sem_esperar(v, pl::sw::esconder);
}

void titulo_mudou(Hwnd w) {
    if (!JANELA_EXTERNA || JANELA.load() == 0) return;
    const std::string novo = pl::titulo_interno(w);
    // Sob a trava, só comparar e limpar; o log e a janela vêm depois.
    const std::string velho = TITULO_DO_ALVO.com([&](std::string& t) -> std::string {
        if (t.empty() || mesmo_titulo(t, novo)) return {};
        return std::exchange(t, {});
    });
    if (velho.empty()) return;
    registrar("título mudou (" + rotulo_da_aba(velho) + " para " + rotulo_da_aba(novo) +
              "): Vidrel escondida até o alvo voltar");
    esconder_a_vidrel();
    processo().VIDREL_ESCONDIDA = true;
}

}  // namespace

void reagir_ao_evento(std::uint32_t evento, Hwnd w, std::int32_t objeto, std::int32_t filho) {
    const Hwnd nav = NAVEGADOR_ATUAL.load();
    const bool do_navegador = nav != 0 && w == nav;
    switch (evento) {
        case ev::objeto_renomeado:
            if (!do_navegador || objeto != pl::OBJETO_JANELA) return;
            titulo_mudou(w);
            acordar_localizador();
            return;
        case ev::movimento_inicio:
        case ev::movimento_fim:
            // Presa, a Vidrel anda com o navegador sozinha: o app não precisa saber.
            if (!do_navegador || !JANELA_EXTERNA || PRESA_EM.load() != 0) return;
            if (evento == ev::movimento_inicio) esconder_a_vidrel();
            escrever_linha(evento == ev::movimento_inicio ? "{\"arrasto\":true}" : "{\"arrasto\":false}");
            acordar_localizador();
            return;
        case ev::objeto_moveu:
            // O navegador manda estes avisos aos montes pelo conteúdo; só a
            // janela dele interessa.
            if (do_navegador && objeto == pl::OBJETO_JANELA && filho == pl::FILHO_PROPRIO)
                acordar_localizador();
            return;
        case ev::objeto_escondido:
            if (objeto == pl::OBJETO_JANELA && w != 0 && w == PRESA_EM.load()) {
                soltar(JANELA.load(), "o navegador escondeu a janela");
                esconder_a_vidrel();
            }
            [[fallthrough]];
        case ev::objeto_mostrado:
        case ev::objeto_reordenado:
            JANELAS_MUDARAM = true;
            acordar_localizador();
            return;
        default:
            return;
    }
}

void observador_de_janelas() {
    std::uint32_t ligado = 0;  // o processo dos ganchos instalados
    std::array<pl::Gancho, kFaixas.size()> ganchos;
    auto remover = [&] {
        for (pl::Gancho& g : ganchos) g.remover();
        ligado = 0;
    };
    for (;;) {
        const Hwnd nav = NAVEGADOR_ATUAL.load();
        const auto dono = nav ? pl::processo_da_janela(nav) : std::nullopt;
        const std::uint32_t processo = dono ? dono->processo : 0;
        if (processo != ligado) {
            remover();
            if (processo != 0) {
                bool todos = true;
                for (std::size_t i = 0; i < kFaixas.size(); ++i) {
                    ganchos[i] = pl::Gancho(kFaixas[i].first, kFaixas[i].second, processo, reagir_ao_evento);
                    todos = todos && static_cast<bool>(ganchos[i]);
                }
                // Sem os quatro, nenhum: um jogo completo é tentado na volta seguinte.
                if (todos)
                    ligado = processo;
                else
                    remover();
            }
        }
        pl::esperar_mensagens(std::chrono::milliseconds(500));
        pl::Mensagem m;
        while (pl::espiar_mensagem(m)) pl::traduzir_e_despachar(m);
    }
}
