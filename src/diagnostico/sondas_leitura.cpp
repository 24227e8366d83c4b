// As sondas da leitura da página: a listagem das duas leituras, os tempos de
// leitura da Kick, a coluna do chat e a busca crua por classe.

#include <chrono>

#include "comum/minusculas.hpp"
#include "comum/texto.hpp"
#include "diagnostico/formas.hpp"
#include "diagnostico/sondas.hpp"
#include "estado/consultas.hpp"
#include "localizador/cobertura.hpp"
#include "localizador/escolha.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;
using uia::Propriedade;

namespace {

// Quantos elementos a listagem mostra antes de cortar com " ...".
constexpr std::size_t kElementosListados = 400;
// Quantos filhos de cada nível a sonda da coluna mostra, e quantos níveis.
constexpr std::size_t kFilhosPorNivel = 12;
constexpr int kNiveisDaColuna = 8;

std::vector<Candidato> candidatos_de(const LeituraDaPagina& l) {
    std::vector<Candidato> cs;
    cs.reserve(l.elementos.size());
    for (const ElementoLido& e : l.elementos) cs.push_back(e.candidato);
    return cs;
}

std::string forma_da_escolha_kick(const std::vector<Candidato>& cs, const std::optional<EscolhaKick>& e) {
    if (!e) return "None";
    return "Some(EscolhaKick { separador: " + forma_de_depuracao(cs[e->separador]) +
           ", caixa: " + forma_de_depuracao(cs[e->caixa]) + ", cabecalho: " + std::to_string(e->cabecalho) +
           ", folga: " + std::to_string(e->folga) + " })";
}

// A escolha do chat de uma leitura, na forma de depuração.
std::string forma_da_escolha(Site site, const std::vector<Candidato>& cs, Hwnd janela) {
    if (site == Site::Kick)
        return forma_da_escolha_kick(cs, escolher_kick(cs, escala_dpi(janela), std::nullopt));
    const auto i = escolher_twitch(cs);
    return i ? "Some(" + forma_de_depuracao(cs[*i]) + ")" : "None";
}

bool fala_de_chat(const Candidato& c) {
    for (const std::string* t : {&c.papel_aria, &c.id, &c.classe, &c.nome, &c.valor})
        if (contem(minusculas(*t), "chat")) return true;
    return false;
}

void listar(PaginaDaSonda& p, ModoLeitura modo, const char* rotulo, bool tudo) {
    const pl::Instante inicio = pl::agora();
    const auto lida = ler_pagina(p.a, p.j.janela, modo);
    const std::string ms = ms_desde(inicio);
    if (!lida) {
        dizer("Falhou: " + lida.erro().texto());
        return;
    }
    dizer(std::to_string(lida->elementos.size()) + " elementos em " + ms + " ms (" + rotulo + ")");
    const std::vector<Candidato> cs = candidatos_de(*lida);
    dizer("ESCOLHIDO: " + forma_da_escolha(p.j.site, cs, p.j.janela));
    std::size_t listados = 0;
    for (const Candidato& c : cs) {
        if (!tudo && !fala_de_chat(c)) continue;
        if (listados++ == kElementosListados) {
            dizer(" ...");
            break;
        }
        dizer("  " + tamanho_e_lugar(c.ret) + "  papel=" + c.papel_aria + " id=" + c.id +
              " classe=" + c.classe + " nome=" + c.nome);
    }
}

JanelaDeLive como_kick(const JanelaDeLive& j) {
    JanelaDeLive k = j;
    k.site = Site::Kick;
    return k;
}

// Uma leitura por volta, a cada 300 ms, por 20 s; e a média.
void medir_leituras(PaginaDaSonda& p, const std::string& valor) {
    const JanelaDeLive kick = como_kick(p.j);
    const pl::Instante inicio = pl::agora();
    std::int64_t total_ms = 0;
    std::int64_t n = 0;
    while (pl::agora() - inicio < 20s) {
        const pl::Instante t = pl::agora();
        if (valor == "janela")
            (void)ler_pagina(p.a, p.j.janela, ModoLeitura::Kick);
        else
            (void)localizar_chat(p.a, kick, p.memoria);
        total_ms += std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - t).count();
        ++n;
        pl::dormir(300ms);
    }
    dizer(valor + ": " + std::to_string(n) + " leituras, média " + std::to_string(n ? total_ms / n : 0) +
          " ms");
}

std::string linha_da_peca(const char* rotulo, const Candidato& c) {
    return std::string(rotulo) + " id=" + forma_de_depuracao(c.id) +
           " classe=" + forma_de_depuracao(c.classe) + " nome=" + forma_de_depuracao(c.nome) + " " +
           forma_de_depuracao(c.ret);
}

}  // namespace

void sonda_listagem(PaginaDaSonda& p, bool tudo) {
    listar(p, ModoLeitura::ArvoreInteira, "árvore inteira", tudo);
    listar(p, p.j.site == Site::Kick ? ModoLeitura::Kick : ModoLeitura::Twitch,
           "com filtro do lado do navegador", tudo);
}

void sonda_kick(PaginaDaSonda& p, const std::string& valor) {
    if (valor == "janela" || valor == "pagina") {
        medir_leituras(p, valor);
        return;
    }
    if (valor == "abrir") (void)ler_pagina(p.a, p.j.janela, ModoLeitura::ArvoreInteira);
    const auto inteira = ler_pagina(p.a, p.j.janela, ModoLeitura::ArvoreInteira);
    const std::vector<Candidato> cs = inteira ? candidatos_de(*inteira) : std::vector<Candidato>{};
    for (const Candidato& c : cs)
        if (c.papel_aria == "separator") dizer("separador " + forma_de_depuracao(c));
    const auto escolha = escolher_kick(cs, escala_dpi(p.j.janela), std::nullopt);
    if (escolha) {
        dizer(linha_da_peca("âncora", cs[escolha->separador]));
        dizer(linha_da_peca("caixa", cs[escolha->caixa]));
    }
    dizer("peças: " + forma_da_escolha_kick(cs, escolha));

    const JanelaDeLive kick = como_kick(p.j);
    const auto filtrada = localizar_chat(p.a, kick, p.memoria);
    if (filtrada)
        dizer("leitura filtrada: " + std::to_string(filtrada->lidos) + " elementos em " +
              std::to_string(filtrada->ms) +
              " ms; painel por cima: " + forma_de_booleano(filtrada->painel_do_site));
    else
        dizer("leitura filtrada: Falhou: " + filtrada.erro().texto());
    const LeituraChat vazia;
    const LeituraChat& leitura = filtrada ? *filtrada : vazia;
    for (int i = 0; i < 3; ++i) {
        const pl::Instante t = pl::agora();
        const Coberturas c = buscar_tudo_que_cobre(p.a, p.j.janela, p.j.titulo, leitura, leitura.ret_chat,
                                                   p.memoria);
        dizer("por cima, na página: " + forma_de_lista(c.buracos) + " em " + ms_desde(t) + " ms");
        if (c.erro) break;
    }
    const auto voltas = localizar_chat(p.a, kick, p.memoria);
    if (voltas)
        dizer("leitura das voltas: " + std::to_string(voltas->lidos) + " elementos em " +
              std::to_string(voltas->ms) +
              " ms; painel por cima: " + forma_de_booleano(voltas->painel_do_site) + "; peças " +
              forma_opcional(voltas->chat ? std::optional(voltas->ret_chat) : std::nullopt));
    else
        dizer("leitura das voltas: Falhou: " + voltas.erro().texto());
}

void sonda_coluna(PaginaDaSonda& p) {
    const auto lida = ler_pagina(p.a, p.j.janela, ModoLeitura::Twitch);
    const std::vector<Candidato> cs = lida ? candidatos_de(*lida) : std::vector<Candidato>{};
    const auto i = escolher_twitch(cs);
    if (!i) {
        dizer("lista None classe None");
        return;
    }
    const Retangulo chat = cs[*i].ret;
    dizer("lista " + forma_de_depuracao(chat) + " classe " + forma_de_depuracao(cs[*i].classe));
    auto cru = p.a.caminhante_cru();
    auto pedido = p.a.pedido({Propriedade::retangulo, Propriedade::tipo, Propriedade::fora,
                              Propriedade::classe, Propriedade::nome},
                             true);
    auto verdadeira = p.a.verdadeira();
    if (!cru || !pedido || !verdadeira) return;
    std::optional<uia::Elemento> atual = lida->elementos[*i].elemento;
    for (int nivel = 1; nivel <= kNiveisDaColuna; ++nivel) {
        auto pai = cru->pai(*atual);
        if (!pai || !*pai) break;
        atual = **pai;
        dizer("nível " + std::to_string(nivel) + ": pai " +
              forma_opcional(atual->retangulo_atual().ok() ? std::optional(*atual->retangulo_atual())
                                                           : std::nullopt) +
              " " + forma_de_depuracao(atual->classe_atual().valor_ou({})));
        const auto filhos = atual->achar_todos(uia::Escopo::filhos, *verdadeira, *pedido);
        if (!filhos) continue;
        std::size_t mostrados = 0;
        for (const uia::Elemento& f : *filhos) {
            if (mostrados == kFilhosPorNivel) break;
            const Retangulo r = f.retangulo_em_cache().valor_ou({});
            const bool toca = !intersecao(r, chat).vazio();
            dizer("   " + std::to_string(mostrados) + " " + forma_de_depuracao(r) + " tipo " +
                  std::to_string(f.tipo_em_cache().valor_ou(0)) + " fora " +
                  forma_de_booleano(f.fora_em_cache().valor_ou(false)) + " toca " + forma_de_booleano(toca) +
                  " classe " + forma_de_depuracao(f.classe_em_cache().valor_ou({})) + " nome " +
                  forma_de_depuracao(f.nome_em_cache().valor_ou({})));
            ++mostrados;
        }
        if (filhos->size() > mostrados)
            dizer("   ... " + std::to_string(filhos->size() - mostrados) + " filhos");
    }
}

void sonda_classe(PaginaDaSonda& p, const std::string& classe) {
    const pl::Instante inicio = pl::agora();
    auto raiz = p.a.elemento_da_janela(janela_da_pagina(p.j.janela));
    auto condicao = p.a.igual(Propriedade::classe, classe);
    auto pedido = p.a.pedido({Propriedade::retangulo, Propriedade::classe, Propriedade::nome}, true);
    auto filhos_pedido = p.a.pedido(
        {Propriedade::retangulo, Propriedade::invocavel, Propriedade::classe, Propriedade::nome}, true);
    auto verdadeira = p.a.verdadeira();
    std::vector<uia::Elemento> achados;
    if (raiz && condicao && pedido) {
        auto r = buscar_fora_da_vidrel(p.a, *raiz, *condicao, *pedido);
        if (r) achados = std::move(*r);
    }
    dizer("busca crua: " + std::to_string(achados.size()) + " em " + ms_desde(inicio) + " ms");
    for (const uia::Elemento& e : achados) {
        dizer(tamanho_e_lugar(e.retangulo_em_cache().valor_ou({})) + " " +
              forma_de_depuracao(e.nome_em_cache().valor_ou({})));
        if (!filhos_pedido || !verdadeira) continue;
        const auto filhos = e.achar_todos(uia::Escopo::filhos, *verdadeira, *filhos_pedido);
        if (!filhos) continue;
        for (const uia::Elemento& f : *filhos)
            dizer("    " + tamanho_e_lugar(f.retangulo_em_cache().valor_ou({})) +
                  " invoca=" + forma_de_booleano(f.invocavel_em_cache().valor_ou(false)) + " " +
                  forma_de_depuracao(f.classe_em_cache().valor_ou({})) + " " +
                  forma_de_depuracao(f.nome_em_cache().valor_ou({})));
    }
}
