#include "vigias/pecas.hpp"

#include <algorithm>
#include <chrono>
#include <string>

#include "estado/consultas.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

// Só o que o PECAS_DEBUG mostra dos primeiros achados.
constexpr std::size_t kAchadosNaDepuracao = 15;

bool sobrepoe(const Retangulo& r, const Retangulo& c) {
    // Bordas que só se tocam não contam.
    return !(r.topo >= c.base || r.esquerda >= c.direita || c.esquerda >= r.direita || c.topo >= r.base);
}

bool dentro(const Retangulo& r, const Retangulo& fora) {
    return r.esquerda >= fora.esquerda && r.topo >= fora.topo && r.direita <= fora.direita &&
           r.base <= fora.base;
}

std::string forma_de_fora(const uia::Resultado<bool>& fora) {
    if (!fora) return "Err(" + fora.erro().texto() + ")";
    return *fora ? "Ok(true)" : "Ok(false)";
}

void depurar(const std::vector<uia::Elemento>& achados, const Retangulo& pagina) {
    std::size_t visiveis = 0;
    for (const uia::Elemento& e : achados) visiveis += e.fora_em_cache().valor_ou(true) ? 0 : 1;
    registrar("peças: página " + forma_de_depuracao(pagina) + ", " + std::to_string(achados.size()) +
              " achados, " + std::to_string(visiveis) + " visíveis");
    for (std::size_t i = 0; i < achados.size() && i < kAchadosNaDepuracao; ++i) {
        const auto ret = achados[i].retangulo_em_cache();
        registrar("  " + (ret ? "Some(" + forma_de_depuracao(*ret) + ")" : std::string("None")) +
                  " fora=" + forma_de_fora(achados[i].fora_em_cache()));
    }
}

// O OU dos quatro tipos, da esquerda para a direita; o tipo cuja condição não
// se deixa criar fica de fora.
std::optional<uia::Condicao> condicao_das_pecas(const uia::Automacao& a) {
    std::optional<uia::Condicao> c;
    for (const std::int32_t tipo : {uia::tipo::botao, uia::tipo::link, uia::tipo::imagem, uia::tipo::texto}) {
        auto nova = a.igual(Propriedade::tipo, tipo);
        if (!nova) continue;
        if (!c) {
            c = *nova;
            continue;
        }
        if (auto ou = a.ou(*c, *nova)) c = *ou;
    }
    return c;
}

void pedido_de_pecas() {
    {
        // O cliente é declarado primeiro: os elementos da leitura morrem antes dele.
        const uia::Automacao a = criar_automacao();
        const std::optional<Alvo> alvo = ALVO_PUBLICADO.copiar();
        if (alvo && alvo->pagina) listar_pecas(a, alvo->janela, *alvo->pagina, alvo->chat);
    }
    processo().pecas_em_curso = false;
}

}  // namespace

std::vector<Retangulo> escolher_pecas(std::span<const LidoDaPeca> lidos, const Retangulo& pagina,
                                      const std::optional<Retangulo>& chat, double escala) {
    const std::int64_t minimo = na_escala(8, escala);
    const std::int64_t largura_maxima = na_escala(320, escala);
    const std::int64_t altura_maxima = na_escala(48, escala);
    // A área de cada um calculada uma vez, não a cada comparação da ordem.
    struct Candidata {
        std::int64_t area;
        Retangulo r;
    };
    std::vector<Candidata> candidatos;
    candidatos.reserve(lidos.size());
    for (const LidoDaPeca& l : lidos) {
        if (!l.fora || *l.fora || !l.ret) continue;
        const Retangulo& r = *l.ret;
        if (chat && sobrepoe(r, *chat)) continue;
        if (!dentro(r, pagina)) continue;
        if (r.largura() < minimo || r.altura() < minimo) continue;
        if (r.largura() > largura_maxima || r.altura() > altura_maxima) continue;
        candidatos.push_back({r.area(), r});
    }
    std::stable_sort(candidatos.begin(), candidatos.end(),
                     [](const Candidata& x, const Candidata& y) { return x.area < y.area; });
    std::vector<Retangulo> pecas;
    pecas.reserve(std::min(candidatos.size(), kMaximoDePecas));
    // As peças ficadas também em ordem da esquerda: uma peça dentro do
    // candidato começa entre a esquerda e a direita dele, e só essas precisam
    // ser olhadas.
    std::vector<Retangulo> pela_esquerda;
    pela_esquerda.reserve(pecas.capacity());
    const auto esquerda_menor = [](const Retangulo& p, std::int32_t x) { return p.esquerda < x; };
    for (const Candidata& k : candidatos) {
        const Retangulo& c = k.r;
        // Um botão que contém o seu texto e o seu ícone sai: ficam as partes.
        auto it = std::lower_bound(pela_esquerda.begin(), pela_esquerda.end(), c.esquerda, esquerda_menor);
        const auto onde = it;
        bool contem_outra = false;
        for (; it != pela_esquerda.end() && it->esquerda <= c.direita; ++it) {
            if (dentro(*it, c)) {
                contem_outra = true;
                break;
            }
        }
        if (contem_outra) continue;
        pecas.push_back(c);
        if (pecas.size() == kMaximoDePecas) break;
        pela_esquerda.insert(onde, c);
    }
    return pecas;
}

std::string linha_de_pecas(const std::vector<Retangulo>& pecas) {
    std::string s = "{\"pecas\":[";
    for (std::size_t i = 0; i < pecas.size(); ++i) {
        if (i) s += ',';
        s += retangulo_json(pecas[i]);
    }
    return s + "]}";
}

void listar_pecas(const uia::Automacao& a, Hwnd janela, const Retangulo& pagina,
                  const std::optional<Retangulo>& chat) {
    const pl::Instante inicio = pl::agora();
    auto raiz = a.elemento_da_janela(janela_da_pagina(janela));
    if (!raiz) return;
    auto pedido = pedido_da_pagina(a, {Propriedade::retangulo, Propriedade::fora});
    if (!pedido) return;
    const auto condicao = condicao_das_pecas(a);
    if (!condicao) return;
    auto achados = buscar_fora_da_vidrel(a, *raiz, *condicao, *pedido);
    if (!achados) return;
    if (processo().PECAS_DEBUG) depurar(*achados, pagina);

    std::vector<LidoDaPeca> lidos;
    lidos.reserve(achados->size());
    for (const uia::Elemento& e : *achados) {
        LidoDaPeca l;
        if (auto fora = e.fora_em_cache()) l.fora = *fora;
        if (auto ret = e.retangulo_em_cache()) l.ret = *ret;
        lidos.push_back(l);
    }
    const std::vector<Retangulo> pecas = escolher_pecas(lidos, pagina, chat, escala_dpi(janela));
    escrever_linha(linha_de_pecas(pecas));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - inicio).count();
    registrar("peças: " + std::to_string(pecas.size()) + " em " + std::to_string(ms) + " ms");
}

void pedir_pecas() {
    if (processo().pecas_em_curso.exchange(true)) return;
    if (!pl::iniciar_thread(pedido_de_pecas)) pl::parar("não consegui iniciar a thread das peças");
}
