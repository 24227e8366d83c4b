#include "janela/ponteiro.hpp"

#include <chrono>
#include <cstdlib>

#include "estado/espera.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "plataforma/entrada.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;

namespace {

bool mesmo_processo(Hwnd a, Hwnd b) {
    const auto pa = pl::processo_da_janela(a);
    const auto pb = pl::processo_da_janela(b);
    return pa && pb && pa->processo == pb->processo;
}

// A janela sob o ponteiro é a Vidrel ou uma janela do mesmo programa que ela.
bool sobre_a_vidrel(Hwnd w, Hwnd vidrel) {
    if (w == vidrel || pl::ancestral(w, pl::Ancestral::raiz) == vidrel) return true;
    if (!mesmo_processo(w, vidrel)) return false;
    const Hwnd dono = pl::ancestral(w, pl::Ancestral::dono_raiz);
    return mesmo_processo(dono, vidrel) || dono == pl::ancestral(vidrel, pl::Ancestral::dono_raiz);
}

}  // namespace

void postar_movimento_ao_navegador(Ponto p) {
    const Hwnd nav = NAVEGADOR_ATUAL.load();
    if (nav == 0) return;
    Hwnd alvo = nav;
    if (const auto dono = pl::processo_da_janela(nav))
        if (const Hwnd foco = pl::foco_da_thread(dono->thread)) alvo = foco;
    if (const auto c = pl::tela_para_cliente(alvo, p)) {
        const std::intptr_t lparam = static_cast<std::intptr_t>(
            (static_cast<std::uint32_t>(c->x) & 0xFFFF) |
            ((static_cast<std::uint32_t>(c->y) & 0xFFFF) << 16));
        pl::postar_mensagem(alvo, pl::wm::mover_mouse, 0, lparam);
    }
}

void passo_do_ponteiro(EstadoDoPonteiro& e) {
    // O fim de um clique ou de um Enter.
    if (pl::tecla_apertada(pl::tecla::botao_esquerdo)) {
        e.armado = true;
    } else {
        const bool enter = pl::tecla_apertada(pl::tecla::enter);
        if (e.armado && !enter) {
            marcar_hora_do_ponteiro(pl::agora());
            acordar_localizador();
            e.armado = false;
        } else {
            e.armado = enter;
        }
    }
    const bool botao = pl::tecla_apertada(pl::tecla::botao_esquerdo);
    if (BOTAO_APERTADO.exchange(botao) != botao) acordar_localizador();

    const Hwnd vidrel = JANELA.load();
    if (vidrel == 0) return;
    const auto cursor = pl::info_do_cursor();
    if (!cursor) return;
    const Hwnd w = pl::janela_no_ponto(cursor->posicao);
    if (w == 0 || cursor->mostrando || !sobre_a_vidrel(w, vidrel)) {
        e.inicio.reset();
        e.avisado = false;
        return;
    }
    const pl::Instante agora = pl::agora();
    if (!e.inicio) {
        e.inicio = agora;
        e.posicao_no_inicio = cursor->posicao;
    }
    const std::int64_t andou = std::llabs(std::int64_t{cursor->posicao.x} - e.posicao_no_inicio.x) +
                               std::llabs(std::int64_t{cursor->posicao.y} - e.posicao_no_inicio.y);
    if (andou > 2 && agora - *e.inicio >= 60ms && !e.avisado) {
        postar_movimento_ao_navegador(cursor->posicao);
        registrar("ponteiro: sumido em cima da Vidrel; movimento avisado ao navegador");
        e.avisado = true;
    }
}

void observador_do_ponteiro() {
    EstadoDoPonteiro e;
    for (;;) {
        passo_do_ponteiro(e);
        pl::dormir(15ms);
    }
}
