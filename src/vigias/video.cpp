#include "vigias/video.hpp"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "estado/consultas.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "janela/monitor.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/nick.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

std::string ms_desde(pl::Instante inicio) {
    return std::to_string(
        std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - inicio).count());
}

// Os retângulos em cache dos achados que estão na tela (uma leitura falhada
// do "fora" ou do retângulo deixa o achado de fora).
std::vector<Retangulo> na_tela(const std::vector<uia::Elemento>& achados) {
    std::vector<Retangulo> r;
    for (const uia::Elemento& e : achados) {
        const auto fora = e.fora_em_cache();
        if (!fora || *fora) continue;
        if (const auto ret = e.retangulo_em_cache()) r.push_back(*ret);
    }
    return r;
}

struct EscolhaDoNick {
    uia::Elemento elemento;
    std::optional<Retangulo> valido;  // o retângulo, quando o elemento vale
    bool da_busca_anterior = false;
};

struct PaginaDoPedido {
    Hwnd janela = 0;
    std::string canal;
    Retangulo video;
    std::optional<Retangulo> pagina;
    std::int32_t topo_minimo = 0;
    double escala = 1;
};

// O elemento lembrado do último pedido nesta janela e neste canal, se a busca
// o achou de novo.
std::optional<EscolhaDoNick> o_lembrado(const uia::Automacao& a, const PaginaDoPedido& p,
                                        const std::vector<uia::Elemento>& achados) {
    // A cópia do registro é tirada sob a trava; a comparação, que vai ao
    // navegador, fica fora dela.
    const std::optional<NickLembrado> lembrado = processo().nick_lembrado.copiar();
    if (!lembrado || lembrado->janela != p.janela || lembrado->canal != p.canal) return std::nullopt;
    for (const uia::Elemento& e : achados) {
        if (!a.mesmo_elemento(lembrado->elemento, e).valor_ou(false)) continue;
        EscolhaDoNick escolha{e, std::nullopt, true};
        const bool fora = e.fora_em_cache().valor_ou(true);
        const auto ret = e.retangulo_em_cache();
        if (ret && nick_valido(fora, *ret, p.topo_minimo, p.pagina)) escolha.valido = *ret;
        return escolha;
    }
    return std::nullopt;
}

std::optional<EscolhaDoNick> pela_geometria(const PaginaDoPedido& p,
                                            const std::vector<uia::Elemento>& achados) {
    std::vector<Retangulo> rets;
    std::vector<const uia::Elemento*> deles;
    for (const uia::Elemento& e : achados) {
        const auto fora = e.fora_em_cache();
        if (!fora || *fora) continue;
        const auto ret = e.retangulo_em_cache();
        if (!ret) continue;
        rets.push_back(*ret);
        deles.push_back(&e);
    }
    const auto i = escolher_nick(rets, p.video, p.escala);
    if (!i) return std::nullopt;
    // O primeiro achado na tela com o mesmo retângulo do escolhido.
    for (std::size_t k = 0; k < rets.size(); ++k)
        if (rets[k] == rets[*i]) return EscolhaDoNick{*deles[k], rets[k], false};
    return std::nullopt;
}

std::string forma_do_nick(const std::optional<EscolhaDoNick>& e) {
    if (!e) return "None";
    if (!e->valido) return "Some(None)";
    return "Some(Some(" + forma_de_depuracao(*e->valido) + "))";
}

struct BuscaDoNick {
    std::optional<EscolhaDoNick> escolha;
    std::size_t achados = 0;
};

// O nome do canal debaixo do vídeo; nenhuma busca (e nenhuma linha de log)
// quando ela não pôde ser feita.
std::optional<BuscaDoNick> achar_nick(const uia::Automacao& a, const PaginaDoPedido& p) {
    auto raiz = a.elemento_da_janela(janela_da_pagina(p.janela));
    if (!raiz) return std::nullopt;
    auto pedido = pedido_da_pagina(a, {Propriedade::retangulo, Propriedade::fora});
    if (!pedido) return std::nullopt;
    // O nome inteiro, sem caixa: "tarsio" não casa com "tarsio_ao_vivo".
    auto condicao = a.igual_sem_caixa(Propriedade::nome, p.canal);
    if (!condicao) return std::nullopt;
    auto achados = buscar_fora_da_vidrel(a, *raiz, *condicao, *pedido);
    if (!achados) return std::nullopt;
    BuscaDoNick busca{o_lembrado(a, p, *achados), achados->size()};
    if (!busca.escolha) busca.escolha = pela_geometria(p, *achados);
    return busca;
}

void lembrar(const PaginaDoPedido& p, const uia::Elemento& elemento) {
    std::optional<NickLembrado> velho;
    processo().nick_lembrado.com([&](std::optional<NickLembrado>& n) {
        velho = std::exchange(n, NickLembrado{p.canal, elemento, p.janela});
    });
    // O elemento velho é solto aqui, fora da trava.
}

std::string linha_do_video(const std::optional<Retangulo>& video, const std::optional<EscolhaDoNick>& nick,
                           bool cheia) {
    if (!video) return "{\"video\":null}";
    std::string s = "{\"video\":" + retangulo_json(*video) + ",\"nick\":";
    s += nick && nick->valido ? retangulo_json(*nick->valido) : "null";
    if (nick && !nick->valido) s += ",\"nickFora\":true";
    if (cheia) s += ",\"cheia\":true";
    return s + "}";
}

// Até a linha "video": o vídeo, o nome do canal e a linha. Devolve o que o
// acompanhamento do nick precisa, quando um nome foi escolhido.
std::optional<NickParaAcompanhar> primeira_fase(const uia::Automacao& a, std::uint64_t geracao) {
    const std::optional<Alvo> alvo = ALVO_PUBLICADO.copiar();
    std::optional<Retangulo> video;
    if (alvo) video = achar_video(a, alvo->janela, alvo->chat.esquerda, alvo->site);
    std::optional<EscolhaDoNick> nick;
    PaginaDoPedido p;
    if (video && alvo->canal) {
        p.janela = alvo->janela;
        p.canal = *alvo->canal;
        p.video = *video;
        p.pagina = alvo->pagina;
        p.topo_minimo = alvo->site == Site::Kick && alvo->pagina ? alvo->pagina->topo : video->topo;
        p.escala = escala_dpi(alvo->janela);
        if (auto busca = achar_nick(a, p)) {
            nick = std::move(busca->escolha);
            registrar("nick: " + forma_do_nick(nick) + " entre " + std::to_string(busca->achados) +
                      " achados" + (nick && nick->da_busca_anterior ? " (o da busca anterior)" : ""));
        }
        if (nick) lembrar(p, nick->elemento);
    }
    escrever_linha(linha_do_video(video, nick, video && tela_cheia(alvo->janela)));
    if (!nick) return std::nullopt;
    return NickParaAcompanhar{
        std::move(nick->elemento), geracao, p.janela, p.canal, p.topo_minimo, nick->valido};
}

void pedido_de_video(std::uint64_t geracao) {
    // O cliente é declarado primeiro: todo elemento do pedido morre antes
    // dele (o lembrado em NickLembrado fica, para ser só comparado).
    const uia::Automacao a = criar_automacao();
    auto nick = primeira_fase(a, geracao);
    processo().video_em_curso = false;
    if (nick) acompanhar_nick(a, std::move(*nick));
}

}  // namespace

std::optional<Retangulo> video_da_kick(std::span<const Retangulo> players, std::int32_t chat_esquerda,
                                       double escala) {
    const std::int64_t largura_minima = na_escala(200, escala);
    const std::int64_t altura_minima = na_escala(112, escala);
    const std::int64_t limite = std::int64_t{chat_esquerda} + na_escala(4, escala);
    std::optional<Retangulo> menor;
    for (const Retangulo& r : players) {
        if (r.largura() < largura_minima || r.altura() < altura_minima || r.direita > limite) continue;
        if (!menor || r.area() < menor->area()) menor = r;
    }
    return menor;
}

std::optional<Retangulo> video_do_principal(std::span<const Retangulo> principais, std::int32_t chat_esquerda,
                                            double escala) {
    std::optional<Retangulo> maior;
    for (const Retangulo& r : principais) {
        if (r.esquerda >= chat_esquerda) continue;
        if (!maior || r.area() >= maior->area()) maior = r;
    }
    if (!maior) return std::nullopt;
    const std::int32_t direita = std::min(maior->direita, chat_esquerda);
    const std::int64_t largura = std::int64_t{direita} - maior->esquerda;
    if (largura < na_escala(200, escala)) return std::nullopt;
    // Um quadro 16:9 no alto do marco, nunca abaixo da base dele.
    const std::int64_t base = std::min<std::int64_t>(maior->base,
                                                     std::int64_t{maior->topo} + largura * 9 / 16);
    return Retangulo{maior->esquerda, maior->topo, direita, static_cast<std::int32_t>(base)};
}

std::optional<std::size_t> escolher_nick(std::span<const Retangulo> nomes, const Retangulo& video,
                                         double escala) {
    const std::int64_t altura_maxima = na_escala(48, escala);
    const std::int64_t topo_de = std::int64_t{video.base} - na_escala(4, escala);
    const std::int64_t topo_ate = std::int64_t{video.base} + na_escala(200, escala);
    const std::int64_t esquerda_ate = std::int64_t{video.esquerda} + video.largura() / 2;
    std::optional<std::size_t> melhor;
    for (std::size_t i = 0; i < nomes.size(); ++i) {
        const Retangulo& r = nomes[i];
        const std::int64_t h = r.altura();
        if (h <= 0 || h > altura_maxima || r.largura() <= h) continue;
        if (r.topo < topo_de || r.topo > topo_ate) continue;
        if (r.esquerda < video.esquerda || r.esquerda >= esquerda_ate) continue;
        if (melhor) {
            const Retangulo& m = nomes[*melhor];
            if (h < m.altura() || (h == m.altura() && r.esquerda > m.esquerda)) continue;
        }
        melhor = i;
    }
    return melhor;
}

std::optional<Retangulo> achar_video(const uia::Automacao& a, Hwnd janela, std::int32_t chat_esquerda,
                                     Site site) {
    const pl::Instante inicio = pl::agora();
    auto raiz = a.elemento_da_janela(janela_da_pagina(janela));
    if (!raiz) return std::nullopt;
    auto pedido = pedido_da_pagina(a, {Propriedade::retangulo, Propriedade::fora});
    if (!pedido) return std::nullopt;
    const double escala = escala_dpi(janela);
    std::size_t n = 0;
    std::optional<Retangulo> video;
    if (site == Site::Kick) {
        auto classe = a.contem(Propriedade::classe, "video-player");
        auto id = a.igual(Propriedade::id, std::string("video-player"));
        if (!classe || !id) return std::nullopt;
        auto condicao = a.ou(*classe, *id);
        if (!condicao) return std::nullopt;
        auto achados = buscar_fora_da_vidrel(a, *raiz, *condicao, *pedido);
        if (!achados) return std::nullopt;
        const std::vector<Retangulo> players = na_tela(*achados);
        n = players.size();
        video = video_da_kick(players, chat_esquerda, escala);
    }
    if (!video) {
        auto condicao = a.igual(Propriedade::papel, std::string("main"));
        if (!condicao) return std::nullopt;
        auto achados = buscar_fora_da_vidrel(a, *raiz, *condicao, *pedido);
        if (!achados) return std::nullopt;
        std::vector<Retangulo> principais;
        for (const uia::Elemento& e : *achados)
            if (const auto ret = e.retangulo_em_cache()) principais.push_back(*ret);
        video = video_do_principal(principais, chat_esquerda, escala);
    }
    registrar("vídeo: " + (video ? "Some(" + forma_de_depuracao(*video) + ")" : std::string("None")) +
              " entre " + std::to_string(n) + " achados, em " + ms_desde(inicio) + " ms");
    return video;
}

void pedir_video() {
    Processo& p = processo();
    if (p.video_em_curso.exchange(true)) return;
    const std::uint64_t geracao = ++p.geracao_video;
    if (!pl::iniciar_thread([geracao] { pedido_de_video(geracao); }))
        pl::parar("não consegui iniciar a thread do vídeo");
}
