#include "vigias/nick.hpp"

#include <atomic>
#include <chrono>
#include <utility>

#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;
using namespace std::chrono_literals;

namespace {

constexpr auto kEntreOlhadas = 33ms;
constexpr auto kDuracao = 20s;

struct CopiaDoAlvo {
    Hwnd janela = 0;
    std::optional<std::string> canal;
    std::optional<Retangulo> pagina;
    bool frente = false;
};

std::optional<CopiaDoAlvo> copiar_alvo() {
    return ALVO_PUBLICADO.com([](const std::optional<Alvo>& a) -> std::optional<CopiaDoAlvo> {
        if (!a) return std::nullopt;
        return CopiaDoAlvo{a->janela, a->canal, a->pagina, a->frente};
    });
}

}  // namespace

bool nick_valido(bool fora, const Retangulo& r, std::int32_t topo_minimo,
                 const std::optional<Retangulo>& pagina) {
    if (fora || r.direita <= r.esquerda || r.base <= r.topo || r.topo < topo_minimo) return false;
    return !pagina || (r.esquerda >= pagina->esquerda && r.topo >= pagina->topo &&
                       r.direita <= pagina->direita && r.base <= pagina->base);
}

std::string linha_do_nick_agora(const std::optional<Retangulo>& r) {
    return std::string("{\"nickAgora\":") + (r ? retangulo_json(*r) : "null") + "}";
}

void acompanhar_nick(const uia::Automacao& a, NickParaAcompanhar n) {
    const auto pedido = a.pedido({Propriedade::retangulo, Propriedade::fora});
    if (!pedido) return;
    const pl::Instante inicio = pl::agora();
    std::atomic<std::uint64_t>& geracao = processo().geracao_video;
    // Um "video" mais novo pode chegar enquanto o elemento é relido: a
    // geração é olhada de novo logo antes de escrever, para o acompanhamento
    // velho não falar depois do novo.
    const auto escrever = [&](const std::optional<Retangulo>& r) {
        if (geracao.load() != n.geracao) return false;
        escrever_linha(linha_do_nick_agora(r));
        return true;
    };
    for (;;) {
        pl::dormir(kEntreOlhadas);
        if (geracao.load() != n.geracao) return;
        if (pl::agora() - inicio > kDuracao) return;
        const auto alvo = copiar_alvo();
        if (!alvo || alvo->janela != n.janela || alvo->canal != n.canal) return;
        if (!alvo->frente) continue;
        const auto novo = n.elemento.atualizar_cache(*pedido);
        if (!novo) {
            if (n.relatado) escrever(std::nullopt);
            return;
        }
        const bool fora = novo->fora_em_cache().valor_ou(true);
        const auto ret = novo->retangulo_em_cache();
        const bool valido = ret && nick_valido(fora, *ret, n.topo_minimo, alvo->pagina);
        if (!valido) {
            if (n.relatado && escrever(std::nullopt)) n.relatado.reset();
            continue;
        }
        if (n.relatado != *ret && escrever(*ret)) n.relatado = *ret;
    }
}
