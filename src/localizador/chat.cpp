#include "localizador/chat.hpp"

#include <algorithm>

#include "comum/minusculas.hpp"
#include "comum/texto.hpp"
#include "estado/consultas.hpp"
#include "estado/titulos.hpp"
#include "localizador/escolha.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

bool tem_retangulo(const uia::Elemento& e) {
    const auto r = e.retangulo_atual();
    return r && !r->vazio();
}

uia::Resultado<LeituraDaPagina> ler_pagina_kick(const uia::Automacao& a, const JanelaDeLive& j,
                                                MemoriaDoChat& memoria) {
    if (const auto pagina = pagina_kick_lembrada(memoria, j.janela, j.titulo)) {
        auto pedido = pedido_da_pagina(a, {Propriedade::papel, Propriedade::id, Propriedade::classe,
                                           Propriedade::nome, Propriedade::retangulo});
        if (!pedido) return pedido.erro();
        auto c = condicao_de_tabela(a, linhas_do_modo(ModoLeitura::Kick));
        if (!c) return c.erro();
        auto achados = pagina->achar_todos(uia::Escopo::subarvore, *c, *pedido);
        if (!achados) return achados.erro();
        LeituraDaPagina l;
        l.documento = *pagina;
        if (memoria.pagina_kick->endereco) l.elementos.push_back(*memoria.pagina_kick->endereco);
        for (uia::Elemento& e : *achados) l.elementos.push_back(ler_elemento(std::move(e)));
        return l;
    }
    auto leitura = ler_pagina(a, j.janela, ModoLeitura::Kick);
    if (!leitura) return leitura;
    memoria.pagina_kick.reset();
    if (leitura->documento) {
        PaginaKick p{j.janela, j.titulo, *leitura->documento, std::nullopt};
        for (const ElementoLido& e : leitura->elementos)
            if (e.candidato.classe == "OmniboxViewViews") {
                p.endereco = e;
                break;
            }
        memoria.pagina_kick = std::move(p);
    }
    return leitura;
}

// Opera sem nada achado: quais páginas estavam à vista e qual foi lida.
void registrar_opera_vazio(Hwnd janela, UmaVezPorMudanca& log) {
    std::string visiveis = "[";
    for (Hwnd f : pl::janelas_filhas(janela)) {
        const auto classe = pl::classe_da_janela(f);
        if (!classe || *classe != "Chrome_RenderWidgetHostHWND" || !pl::janela_visivel(f)) continue;
        const auto r = pl::retangulo_da_janela(f);
        if (visiveis.size() > 1) visiveis += ", ";
        visiveis += r ? forma_de_depuracao(*r) : "?";
    }
    visiveis += "]";
    const Hwnd escolhida = janela_da_pagina(janela);
    std::string texto_escolhida = "nenhuma";
    if (escolhida != janela)
        if (const auto r = pl::retangulo_da_janela(escolhida)) texto_escolhida = forma_de_depuracao(*r);
    log.registrar("Opera: busca vazia; páginas visíveis " + visiveis + ", escolhida " + texto_escolhida);
}

// A folga da Twitch: o que sobra entre a última linha de mensagem e a base do
// contêiner, quando é de 0 a 60 pixels.
std::int32_t folga_twitch(const std::vector<ElementoLido>& elementos, const Retangulo& c) {
    std::optional<std::int32_t> mais_baixa;
    for (const ElementoLido& e : elementos) {
        const std::string classe = minusculas(e.candidato.classe);
        if (!contem(classe, "seventv-chat-message-background") && !contem(classe, "chat-line__message"))
            continue;
        const Retangulo& r = e.candidato.ret;
        if (std::int64_t{r.esquerda} < std::int64_t{c.esquerda} - 2) continue;
        if (std::int64_t{r.direita} > std::int64_t{c.direita} + 2) continue;
        if (!(r.base > c.topo && std::int64_t{r.base} <= std::int64_t{c.base} + 2)) continue;
        mais_baixa = std::max(mais_baixa.value_or(r.base), r.base);
    }
    if (!mais_baixa) return 0;
    const std::int64_t d = std::int64_t{c.base} - *mais_baixa;
    return d >= 0 && d <= 60 ? static_cast<std::int32_t>(d) : 0;
}

}  // namespace

std::optional<uia::Elemento> pagina_kick_lembrada(const MemoriaDoChat& memoria, Hwnd janela,
                                                  const std::string& titulo) {
    const auto& p = memoria.pagina_kick;
    if (!p || p->janela != janela || p->titulo != titulo) return std::nullopt;
    if (!tem_retangulo(p->pagina)) return std::nullopt;
    return p->pagina;
}

uia::Resultado<LeituraChat> localizar_chat(const uia::Automacao& a, const JanelaDeLive& j,
                                           MemoriaDoChat& memoria) {
    const pl::Instante inicio = pl::agora();
    auto lida = j.site == Site::Kick ? ler_pagina_kick(a, j, memoria)
                                     : ler_pagina(a, j.janela, ModoLeitura::Twitch);
    if (!lida) return lida.erro();
    const LeituraDaPagina& pagina = *lida;
    if (pagina.elementos.empty() && eh_opera(j.janela)) registrar_opera_vazio(j.janela, memoria.log_do_opera);

    LeituraChat l;
    l.site = j.site;
    l.pagina = pagina.documento;
    l.lidos = pagina.elementos.size();
    std::vector<Candidato> candidatos;
    candidatos.reserve(pagina.elementos.size());
    for (const ElementoLido& e : pagina.elementos) candidatos.push_back(e.candidato);

    for (const ElementoLido& e : pagina.elementos) {
        if (e.candidato.classe == "OmniboxViewViews") {
            l.canal = canal_da_url(e.candidato.valor, j.site);
            break;
        }
    }
    if (!l.canal) l.canal = canal_do_titulo(j.titulo);

    for (const ElementoLido& e : pagina.elementos) {
        const std::string& classe = e.candidato.classe;
        if (contem(classe, "seventv")) l.com7tv = true;
        if (!l.lista_7tv && contem(classe, "seventv-chat-list")) l.lista_7tv = e.elemento;
        if (!l.conteiner_de_mensagens && contem(classe, "chat-scrollable-area__message-container"))
            l.conteiner_de_mensagens = e.elemento;
        if (!l.chat_room && tem_palavra(classe, "chat-room")) l.chat_room = e.elemento;
    }

    if (j.site == Site::Twitch) {
        if (const auto i = escolher_twitch(candidatos)) {
            const ElementoLido& escolhido = pagina.elementos[*i];
            l.ret_chat = escolhido.elemento.retangulo_atual().valor_ou(escolhido.candidato.ret);
            l.folga = folga_twitch(pagina.elementos, l.ret_chat);
            l.sem_classes = escolhido.candidato.classe.empty();
            ChatLembrado c;
            c.site = Site::Twitch;
            c.conteiner = escolhido.elemento;
            c.folga = l.folga;
            l.chat = c;
        }
    } else {
        const double escala = escala_dpi(j.janela);
        const auto lembrado = memoria.cabecalhos.find(j.titulo);
        const std::optional<std::int32_t> fixo = lembrado == memoria.cabecalhos.end()
                                                     ? std::nullopt
                                                     : std::optional(lembrado->second);
        const auto escolha = escolher_kick(candidatos, escala, fixo);
        // O painel do site: um título logo abaixo do separador, onde o chat estaria.
        for (std::size_t i = 0; i < candidatos.size(); ++i) {
            const Candidato& s = candidatos[i];
            const bool separador = s.papel_aria == "separator" && contem(s.classe, "chatroom-resize");
            if (!separador) continue;
            const std::int64_t H = std::max<std::int64_t>(60, fixo.value_or(0));
            for (const Candidato& h : candidatos) {
                if (h.papel_aria == "heading" && !h.ret.vazio() && h.ret.esquerda >= s.ret.esquerda &&
                    h.ret.topo >= s.ret.topo && std::int64_t{h.ret.topo} < std::int64_t{s.ret.topo} + H)
                    l.painel_do_site = true;
            }
            break;
        }
        if (escolha) {
            if (!fixo) memoria.cabecalhos[j.titulo] = escolha->cabecalho;
            const Retangulo ancora = candidatos[escolha->separador].ret;
            const Retangulo caixa = candidatos[escolha->caixa].ret;
            const Retangulo p = l.pagina ? l.pagina->retangulo_atual().valor_ou({}) : Retangulo{};
            l.ret_chat = {ancora.direita, somar_saturado(ancora.topo, escolha->cabecalho), p.direita,
                          somar_saturado(caixa.topo, -std::int64_t{escolha->folga})};
            l.folga = escolha->folga;
            ChatLembrado c;
            c.site = Site::Kick;
            c.ancora = pagina.elementos[escolha->separador].elemento;
            c.caixa = pagina.elementos[escolha->caixa].elemento;
            c.cabecalho = escolha->cabecalho;
            c.folga = escolha->folga;
            l.chat = c;
        }
    }
    l.ms = std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - inicio).count();
    return l;
}

Releitura reler_chat(const uia::Automacao& a, const LeituraChat& l) {
    Releitura r;
    r.folga = l.folga;
    auto falhou = [&] {
        r.estado = Releitura::Estado::falha_de_leitura;
        r.motivo = "a leitura falhou";
        return r;
    };
    auto sem_forma = [&](const char* motivo) {
        r.estado = Releitura::Estado::sem_forma;
        r.motivo = motivo;
        return r;
    };
    if (!l.pagina) return sem_forma("sem a página");
    const auto P = l.pagina->retangulo_atual();
    if (!P) return falhou();
    r.pagina = *P;
    if (!l.chat) return sem_forma("chat sem forma");
    const ChatLembrado& c = *l.chat;
    Retangulo chat;
    if (c.site == Site::Twitch) {
        if (!c.conteiner) return sem_forma("chat sem forma");
        const auto rc = c.conteiner->retangulo_atual();
        if (!rc) return falhou();
        chat = *rc;
        chat.direita = std::min(chat.direita, P->direita);
    } else {
        if (!c.ancora || !c.caixa) return sem_forma("chat sem forma");
        const auto ra = c.ancora->retangulo_atual();
        if (!ra) return falhou();
        const auto rx = c.caixa->retangulo_atual();
        if (!rx) return falhou();
        chat = {ra->direita, somar_saturado(ra->topo, c.cabecalho), P->direita,
                somar_saturado(rx->topo, -std::int64_t{c.folga})};
    }
    chat = intersecao(chat, *P);
    if (chat.altura() < 120 || chat.largura() < 150) return sem_forma("chat fora da página");
    r.chat = chat;
    if (l.conteiner_de_mensagens)
        r.pausado = contem(l.conteiner_de_mensagens->classe_atual().valor_ou({}), "--paused");
    if (l.lista_7tv) {
        if (auto cru = a.caminhante_cru()) {
            const auto ultimo = cru->ultimo_filho(*l.lista_7tv);
            if (ultimo && *ultimo) {
                const auto rf = (*ultimo)->retangulo_atual();
                if (rf && rf->altura() > 3) {
                    const std::int64_t d = std::int64_t{chat.base} - rf->base;
                    r.folga = d >= 0 && d <= 60 ? static_cast<std::int32_t>(d) : 0;
                }
            }
        }
    }
    return r;
}

std::optional<uia::Elemento> achar_chat_room(const uia::Automacao& a, const uia::Elemento& raiz) {
    auto pedido = pedido_da_pagina(a, {Propriedade::classe});
    if (!pedido) return std::nullopt;
    auto condicao = a.contem(Propriedade::classe, "chat-room");
    if (!condicao) return std::nullopt;
    auto achados = buscar_fora_da_vidrel(a, raiz, *condicao, *pedido);
    if (!achados) return std::nullopt;
    for (const uia::Elemento& e : *achados)
        if (tem_palavra(e.classe_em_cache().valor_ou({}), "chat-room")) return e;
    return std::nullopt;
}
