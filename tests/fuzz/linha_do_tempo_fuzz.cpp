// A linha do tempo de uma cena que carregou: cada evento aplicado na ordem,
// e depois de cada um a área é lida como o programa a leria (as árvores das
// janelas, o ponto sob o cursor, o foco). Um evento que a conferência deixou
// passar não pode deixar a área num estado que derrube quem a lê.

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "plataforma/simulada/acoes_da_cena.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/cena_limites.hpp"
#include "plataforma/simulada/consultas_uia.hpp"

using namespace plataforma::simulada;

namespace {

void exigir(bool condicao) {
    if (!condicao) std::abort();
}

// O que um turno do localizador pede à área, sem o programa.
void ler_a_area() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    const CondicaoUia todas;
    for (const auto& [h, j] : a.janelas) {
        const ElementoPtr raiz = elemento_da_janela_uia(a, h);
        if (!raiz) continue;
        for (const bool cru : {true, false}) {
            const auto achados = buscar(a, raiz, plataforma::uia::Escopo::subarvore, todas, cru);
            // Numa cena enorme, subir de cada elemento deixaria a rodada lenta.
            if (achados.size() > 5000) continue;
            for (const ElementoPtr& e : achados) {
                (void)fotografar(a, *e, PedidoUia{{}, cru});
                // Subir do elemento até a raiz termina: a árvore não tem ciclo.
                ElementoPtr p = e;
                for (int passos = 0; p; ++passos) {
                    exigir(passos <= limites::kNiveisDeElementos + 64);
                    p = passo_na_visao(a, p, PassoUia::pai, cru);
                }
            }
        }
        (void)elemento_no_ponto_uia(a, a.cursor);
    }
    (void)elemento_com_foco_uia(a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string texto(reinterpret_cast<const char*>(dados), tamanho);
    Cena cena;
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        try {
            cena = carregar_cena(texto, a);
        } catch (const ErroDeCena&) {
            return 0;
        }
    }
    ler_a_area();
    for (const EventoDaCena& e : cena.linha_do_tempo) {
        // A entrada, os arquivos, as threads travadas e o fim falam com o
        // processo, não com a área: ficam de fora.
        const AcaoDaCena* acao = acao_da_cena(e.acao);
        if (acao && acao->fora) continue;
        aplicar_evento(e);
        ler_a_area();
    }
    return 0;
}
