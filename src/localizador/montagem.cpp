#include "localizador/montagem.hpp"

#include "estado/consultas.hpp"
#include "estado/processo.hpp"
#include "plataforma/janelas.hpp"

namespace pl = plataforma;

std::optional<Retangulo> buraco_extra(const std::optional<Retangulo>& cartao, const Retangulo& chat) {
    if (!cartao) return std::nullopt;
    const Retangulo i = intersecao(*cartao, chat);
    if (i.largura() < 4 || i.altura() < 4) return std::nullopt;
    return relativo_ao_chat(i, chat);
}

std::optional<Retangulo> quadrado_do_botao(const std::optional<Retangulo>& botao,
                                           const std::optional<Retangulo>& caixa, double escala) {
    if (botao) return botao;
    if (!caixa) return std::nullopt;
    const std::int32_t lado = na_escala(32, escala);
    const std::int32_t margem = na_escala(4, escala);
    const std::int32_t direita = somar_saturado(caixa->direita, -std::int64_t{margem});
    const std::int32_t base = somar_saturado(caixa->base, -std::int64_t{margem});
    return Retangulo{somar_saturado(direita, -std::int64_t{lado}), somar_saturado(base, -std::int64_t{lado}),
                     direita, base};
}

bool navegador_na_frente(Hwnd navegador) {
    const Hwnd f = pl::janela_da_frente();
    if (f == 0) return false;
    return f == navegador || pl::ancestral(f, pl::Ancestral::raiz) == navegador ||
           pl::ancestral(f, pl::Ancestral::dono_raiz) == navegador;
}

bool chat_a_vista(const Retangulo& c, Hwnd navegador) {
    const Hwnd vidrel = JANELA.load();
    const auto processo_da_vidrel = vidrel ? pl::processo_da_janela(vidrel) : std::nullopt;
    const std::int32_t x = static_cast<std::int32_t>((std::int64_t{c.esquerda} + c.direita) / 2);
    const std::int64_t h = c.altura();
    for (const std::int64_t y : {c.topo + h / 4, c.topo + h / 2, c.topo + 3 * h / 4}) {
        const Hwnd w = pl::janela_no_ponto({x, somar_saturado(0, y)});
        if (w == 0) continue;
        const Hwnd raiz = pl::ancestral(w, pl::Ancestral::raiz);
        if (raiz == navegador || pl::ancestral(raiz, pl::Ancestral::dono_raiz) == navegador) continue;
        if (processo_da_vidrel) {
            const auto p = pl::processo_da_janela(raiz);
            if (p && p->processo == processo_da_vidrel->processo) continue;
        }
        return false;
    }
    return true;
}

Alvo montar_alvo(const PecasDoAlvo& p) {
    Alvo a;
    a.site = p.site;
    a.canal = p.canal;
    a.janela = p.janela;
    a.chat = p.chat;
    a.pagina = p.pagina;
    a.folga = p.folga;
    a.com7tv = p.com7tv;
    a.pausado = p.pausado;
    a.buracos = p.buracos;
    a.buraco_extra = buraco_extra(buraco_do_cartao.copiar(), p.chat);
    a.botao = quadrado_do_botao(p.botao, p.caixa, escala_dpi(p.janela));
    a.origem_cliente = pl::cliente_para_tela(p.janela, {0, 0});
    a.frente = navegador_na_frente(p.janela);
    a.avista = chat_a_vista(p.chat, p.janela);
    return a;
}
