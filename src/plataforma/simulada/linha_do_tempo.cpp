// A aplicação da linha do tempo: cada evento, já validado na carga da cena,
// passa pela entrada da sua ação (acoes_da_cena) e vai ao rastro; uma thread
// dorme até o instante de cada um.

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "plataforma/simulada/acoes_da_cena.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::simulada {

namespace {

// Os retângulos de todos os elementos das páginas, relativos à janela dona:
// mover a janela não mexe neles, e o atraso do layout só pega o que a página
// mudou por dentro.
std::map<int, Retangulo> layout(AreaDeTrabalho& a) {
    std::map<int, Retangulo> r;
    std::function<void(const std::vector<ElementoPtr>&, const JanelaSim&)> juntar =
        [&](const std::vector<ElementoPtr>& es, const JanelaSim& j) {
            for (const ElementoPtr& e : es) {
                r[e->numero] = deslocar(e->ret, -std::int64_t{j.ret.esquerda}, -std::int64_t{j.ret.topo});
                juntar(e->filhos, j);
            }
        };
    for (const auto& [h, j] : a.janelas) juntar(j.arvore, j);
    return r;
}

}  // namespace

void aplicar_evento(const EventoDaCena& e, bool adiar_avisos) {
    Json rastro = {{"evento", e.acao}};
    for (auto it = e.dados.begin(); it != e.dados.end(); ++it)
        if (it.key() != "em" && it.key() != "acao") rastro[it.key()] = it.value();
    const AcaoDaCena* acao = acao_da_cena(e.acao);
    if (!acao) {
        Rastro::global().registrar(std::move(rastro));
        return;
    }
    if (acao->fora) {
        if (acao->rastro_antes) {
            Rastro::global().registrar(std::move(rastro));
            acao->fora(e);
        } else {
            acao->fora(e);
            Rastro::global().registrar(std::move(rastro));
        }
        return;
    }
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    bool acordar = false;
    {
        std::lock_guard g(a.m);
        Leitor l(e.dados, e.onde);
        const Hwnd h = l.tem("janela") && l.bruto("janela").is_number() ? l.inteiro("janela") : 0;
        AplicacaoNaArea p{a, l, rastro, h, a.achar(h)};
        if (acao->so_com_a_janela && !p.j) {
            if (h) rastro["ignorado"] = "a janela não existe mais";
        } else if (a.custo.com_atraso()) {
            const auto antes = layout(a);
            acao->na_area(p);
            a.custo.mudou_o_layout(antes, layout(a), plataforma::agora());
        } else {
            acao->na_area(p);
        }
        // O que mudou pode ter posto ou tirado algo de baixo do ponteiro.
        a.atualizar_hover();
        if (!adiar_avisos) acordar = std::exchange(a.acordar_pendente, false);
    }
    Rastro::global().registrar(std::move(rastro));
    if (acordar) acordar_filas();
    despachar_reacoes();
}

bool iniciar_linha_do_tempo(std::vector<EventoDaCena> eventos) {
    return plataforma::iniciar_thread([eventos = std::move(eventos)] {
        for (std::size_t i = 0; i < eventos.size(); ++i) {
            const EventoDaCena& e = eventos[i];
            Relogio::global().dormir_ate_primeiro(Instante{std::chrono::milliseconds{e.em_ms}});
            const bool outro_no_mesmo_instante = i + 1 < eventos.size() && eventos[i + 1].em_ms == e.em_ms;
            aplicar_evento(e, outro_no_mesmo_instante);
        }
    });
}

}  // namespace plataforma::simulada
