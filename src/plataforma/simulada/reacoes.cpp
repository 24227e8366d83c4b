// As reações da página: o que o site faz quando o programa age sobre ele.
// Disparam com a trava da área tomada (no meio de um Invoke, de um SetFocus,
// de um movimento do ponteiro) e rodam depois, cada uma numa thread que conta
// para o relógio, aplicando ações comuns da linha do tempo.

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>
#include <utility>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::simulada {

namespace {

// O elemento é "e" ou está debaixo dele?
bool dentro_de(AreaDeTrabalho& a, const ElementoPtr& e, const std::string& chave) {
    for (ElementoPtr x = e; x; x = a.pai(x))
        if (!x->chave.empty() && x->chave == chave) return true;
    return false;
}

}  // namespace

void AreaDeTrabalho::disparar(Gatilho g, const ElementoPtr& e, int tecla) {
    if (!e) return;
    for (ReacaoSim& r : reacoes) {
        if (r.quando != g || r.gasta) continue;
        if (g == Gatilho::tecla) {
            if (r.tecla != tecla) continue;
            if (!r.chave.empty() ? !dentro_de(*this, e, r.chave) : raiz_de(e->janela_dona) != r.janela)
                continue;
        } else if (e->chave != r.chave) {
            continue;
        }
        if (r.uma_vez) r.gasta = true;
        disparadas.push_back(r);
    }
}

void AreaDeTrabalho::atualizar_hover() {
    std::vector<ElementoPtr> agora;
    if (janela_no_ponto(cursor) != 0) {
        // Do mais fundo sob o ponteiro até o elemento da janela: todos estão
        // "sob o ponteiro", como no :hover de uma página.
        for (ElementoPtr e = elemento_no_ponto(cursor); e && !e->eh_janela; e = pai(e)) agora.push_back(e);
    }
    auto estava = [&](const ElementoPtr& e) {
        return std::any_of(sob_o_ponteiro.begin(), sob_o_ponteiro.end(),
                           [&](const std::weak_ptr<ElementoSim>& w) { return w.lock() == e; });
    };
    auto esta = [&](const ElementoPtr& e) { return std::find(agora.begin(), agora.end(), e) != agora.end(); };
    for (const std::weak_ptr<ElementoSim>& w : sob_o_ponteiro)
        if (const ElementoPtr e = w.lock(); e && !esta(e)) disparar(Gatilho::saida_do_hover, e);
    for (const ElementoPtr& e : agora)
        if (!estava(e)) disparar(Gatilho::hover, e);
    sob_o_ponteiro.assign(agora.begin(), agora.end());
}

void despachar_reacoes() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::vector<ReacaoSim> prontas;
    std::vector<AreaDeTrabalho::Adiado> adiados;
    std::function<void(const ReacaoSim&)> depois;
    {
        std::lock_guard g(a.m);
        prontas = std::exchange(a.disparadas, {});
        adiados = std::exchange(a.adiados_da_pagina, {});
        depois = a.depois_da_reacao;
    }
    // O que a página faz sozinha depois de um pedido (o foco, a rolagem):
    // também numa thread que conta para o relógio.
    for (AreaDeTrabalho::Adiado& x : adiados)
        plataforma::iniciar_thread([x = std::move(x)] {
            plataforma::dormir(std::chrono::milliseconds(x.depois_ms));
            AreaDeTrabalho& area = AreaDeTrabalho::global();
            {
                std::lock_guard g(area.m);
                x.fazer(area);
            }
            acordar_filas();
            despachar_reacoes();
        });
    for (ReacaoSim& r : prontas) {
        Rastro::global().registrar({{"reacao", r.onde}, {"chave", r.chave}});
        plataforma::iniciar_thread([r = std::move(r), depois] {
            // Mesmo sem "depois" a reação espera a sua vez: no tempo virtual ela
            // roda quando o programa parar, não no meio do que ele está fazendo.
            plataforma::dormir(std::chrono::milliseconds(r.depois_ms));
            for (std::size_t i = 0; i < r.acoes.size(); ++i) {
                EventoDaCena e;
                e.em_ms = Relogio::global().agora_ms();
                e.acao = r.acoes[i].at("acao").get<std::string>();
                e.onde = r.onde + ".acoes[" + std::to_string(i) + "]";
                e.dados = r.acoes[i];
                aplicar_evento(e);
            }
            if (depois) depois(r);
        });
    }
}

}  // namespace plataforma::simulada
