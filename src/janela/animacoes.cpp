#include "janela/animacoes.hpp"

#include <chrono>
#include <utility>

#include "estado/processo.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;

namespace {

constexpr std::uint32_t kSoMover = pl::swp::assincrono | pl::swp::sem_ativar | pl::swp::sem_ordem |
                                   pl::swp::sem_tamanho;

void mover_para(Hwnd janela, std::int64_t x, std::int64_t y) {
    pl::posicionar_janela(janela, 0, somar_saturado(0, x), somar_saturado(0, y), 0, 0, kSoMover);
}

// Move o navegador pelos deslocamentos (a partir da posição inicial), cada um
// seguido da pausa, e o devolve ao lugar.
template <std::size_t N>
void animar(const std::pair<int, int> (&passos)[N], std::chrono::milliseconds pausa) {
    const Hwnd nav = NAVEGADOR_ATUAL.load();
    if (nav != 0) {
        if (const auto r = pl::retangulo_da_janela(nav)) {
            for (const auto& [dx, dy] : passos) {
                mover_para(nav, std::int64_t{r->esquerda} + dx, std::int64_t{r->topo} + dy);
                pl::dormir(pausa);
            }
            mover_para(nav, r->esquerda, r->topo);
        }
    }
    ANIMACAO_OCUPADA = false;
}

}  // namespace

void pulsar_navegador(std::int32_t n) {
    if (ANIMACAO_OCUPADA.exchange(true)) return;
    const std::pair<int, int> passos[] = {{0, n}, {0, -(n / 2)}};
    if (!pl::iniciar_thread([passos] { animar(passos, 35ms); }))
        pl::parar("não consegui iniciar a thread do pulo");
}

void tremer_navegador() {
    static constexpr std::pair<int, int> kPassos[] = {{9, -6}, {-8, 7},  {7, 5}, {-6, -7},
                                                      {5, 4},  {-3, -3}, {2, 1}};
    if (!pl::iniciar_thread([] { animar(kPassos, 60ms); }))
        pl::parar("não consegui iniciar a thread do tremor");
}
