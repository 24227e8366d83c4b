#include "localizador/cobertura.hpp"

#include <algorithm>
#include <atomic>

#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "janela/monitor.hpp"
#include "localizador/chat.hpp"
#include "localizador/retangulos.hpp"
#include "plataforma/janelas.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

Retangulo crescer(const Retangulo& r, std::int32_t d) {
    return {somar_saturado(r.esquerda, -std::int64_t{d}), somar_saturado(r.topo, -std::int64_t{d}),
            somar_saturado(r.direita, d), somar_saturado(r.base, d)};
}

Retangulo uniao(const Retangulo& a, const Retangulo& b) {
    return {std::min(a.esquerda, b.esquerda), std::min(a.topo, b.topo), std::max(a.direita, b.direita),
            std::max(a.base, b.base)};
}

bool se_tocam(const Retangulo& a, const Retangulo& b) {
    return a.esquerda <= b.direita && b.esquerda <= a.direita && a.topo <= b.base && b.topo <= a.base;
}

// A caixa de digitar: guarda o retângulo dela e o do botão de dentro, e
// devolve a bandeja de resposta aberta acima dela, se houver.
std::optional<Retangulo> tratar_caixa(const uia::Automacao& a, const uia::Caminhante& cru,
                                      const uia::Elemento& editor, Coberturas& c) {
    const auto conteiner = ancestral_que(cru, editor, [](const uia::Elemento& x) {
        return contem(x.classe_atual().valor_ou({}), "chat-wysiwyg-input-box");
    });
    const Retangulo B = conteiner ? conteiner->retangulo_atual().valor_ou({})
                                  : editor.retangulo_em_cache().valor_ou({});
    if (B.largura() > 39 && B.altura() > 9) {
        c.caixa = B;
        if (conteiner) {
            auto pedido = a.pedido({Propriedade::retangulo});
            auto botao = a.igual(Propriedade::tipo, uia::tipo::botao);
            if (pedido && botao) {
                // A subárvore, e não só os descendentes: partindo de um
                // contêiner fora da visão de controle (um div sem nome), o
                // núcleo do UI Automation deixaria de fora o primeiro achado.
                // O contêiner não é um botão, então a resposta é a mesma.
                if (auto botoes = conteiner->achar_todos(uia::Escopo::subarvore, *botao, *pedido)) {
                    std::optional<Retangulo> melhor;
                    for (const uia::Elemento& b : *botoes) {
                        const auto r = b.retangulo_em_cache();
                        if (!r) continue;
                        const std::int64_t w = r->largura(), h = r->altura();
                        if (w <= 11 || h <= 11 || std::llabs(w - h) >= 5) continue;
                        if (r->esquerda < B.esquerda || r->topo < B.topo || r->direita > B.direita ||
                            r->base > B.base)
                            continue;
                        if (2 * w > B.altura() + 40) continue;
                        if (!melhor || r->direita >= melhor->direita) melhor = *r;
                    }
                    if (melhor) c.botao = *melhor;
                }
            }
        }
    }
    // A bandeja aberta fica num irmão anterior do bloco que está dentro do
    // conteúdo da sala do chat.
    std::optional<uia::Elemento> bloco = editor;
    for (int i = 0; i < kMaximoDeAncestrais && bloco; ++i) {
        auto pai = cru.pai(*bloco);
        if (!pai || !*pai) return std::nullopt;
        if (tem_palavra((*pai)->classe_atual().valor_ou({}), "chat-room__content")) break;
        bloco = **pai;
    }
    if (!bloco) return std::nullopt;
    for (std::optional<uia::Elemento> irmao = *bloco;;) {
        auto anterior = cru.irmao_anterior(*irmao);
        if (!anterior || !*anterior) return std::nullopt;
        irmao = **anterior;
        if (contem(irmao->classe_atual().valor_ou({}), "chat-input-tray__open")) {
            const auto r = irmao->retangulo_atual();
            return r ? std::optional(*r) : std::nullopt;
        }
    }
}

// Um elemento comum: o retângulo dele, ou, se ele é um ponto, a união dos
// filhos com 8 pixels em volta.
std::optional<Retangulo> buraco_de(const uia::Automacao& a, const uia::Elemento& e, const Retangulo& r) {
    if (r.largura() > 1 && r.altura() > 1) return r;
    auto pedido = a.pedido({Propriedade::retangulo});
    auto tudo = a.verdadeira();
    if (!pedido || !tudo) return std::nullopt;
    // A subárvore (veja tratar_caixa): o próprio elemento vem junto, mas é
    // um ponto e não entra na união.
    auto filhos = e.achar_todos(uia::Escopo::subarvore, *tudo, *pedido);
    if (!filhos) return std::nullopt;
    std::optional<Retangulo> u;
    for (const uia::Elemento& f : *filhos) {
        const auto rf = f.retangulo_em_cache();
        if (!rf || rf->largura() <= 1 || rf->altura() <= 1) continue;
        u = u ? uniao(*u, *rf) : *rf;
    }
    if (!u) return std::nullopt;
    return crescer(*u, 8);
}

}  // namespace

namespace {

constexpr LinhaDeCondicao kCoberturas[] = {
    {Propriedade::papel, true, "dialog"},
    {Propriedade::papel, true, "alertdialog"},
    {Propriedade::papel, true, "menu"},
    {Propriedade::papel, true, "tooltip"},
    {Propriedade::papel, true, "listbox"},
    {Propriedade::classe, false, "onsite-notifications-toast-manager"},
    {Propriedade::classe, false, "viewer-card"},
    {Propriedade::classe, false, "EmoteMenu-module__emoteMenu"},
    {Propriedade::classe, false, "seventv-emote-menu-search-input"},
    {Propriedade::classe, false, "chat-wysiwyg-input__editor"},
    {Propriedade::classe, false, "community-highlight"},
    {Propriedade::classe, false, "ReactModal__Content"},
    {Propriedade::id, true, "search-emotes-input"},
};

}  // namespace

Coberturas buscar_coberturas(const uia::Automacao& a, Hwnd janela, const std::string& titulo, Site site,
                             const MemoriaDoChat& memoria) {
    Coberturas c;
    std::vector<Retangulo>& buracos = c.buracos;
    auto pedido = pedido_da_pagina(
        a, {Propriedade::retangulo, Propriedade::id, Propriedade::fora, Propriedade::classe});
    if (!pedido) return c;
    auto condicao = condicao_de_tabela(a, kCoberturas);
    if (!condicao) return c;
    // O Chromium dá ao diálogo de alerta o papel ARIA "alert" (não
    // "alertdialog"), num elemento Window; o "alert" de um Text é só um aviso
    // lido em voz alta e não cobre nada.
    {
        auto alerta = a.igual(Propriedade::papel, std::string("alert"));
        auto janela_de_dialogo = a.igual(Propriedade::tipo, uia::tipo::janela);
        if (!alerta || !janela_de_dialogo) return c;
        auto dialogo_de_alerta = a.e(*alerta, *janela_de_dialogo);
        if (!dialogo_de_alerta) return c;
        condicao = a.ou(*condicao, *dialogo_de_alerta);
        if (!condicao) return c;
    }

    uia::Resultado<std::vector<uia::Elemento>> achados = std::vector<uia::Elemento>{};
    const auto lembrada = site == Site::Kick ? pagina_kick_lembrada(memoria, janela, titulo) : std::nullopt;
    if (lembrada) {
        achados = lembrada->achar_todos(uia::Escopo::subarvore, *condicao, *pedido);
    } else {
        auto raiz = raiz_da_pagina(a, janela);
        if (!raiz) return c;
        achados = buscar_fora_da_vidrel(a, *raiz, *condicao, *pedido);
    }
    if (!achados) {
        c.erro = achados.erro();
        return c;
    }
    auto cru = a.caminhante_cru();
    if (!cru) return c;

    for (const uia::Elemento& e : *achados) {
        const std::string classe = e.classe_em_cache().valor_ou({});
        const std::string id = e.id_em_cache().valor_ou({});
        const bool fora = e.fora_em_cache().valor_ou(false);
        if (contem(classe, "viewer-card-layer") || contem(classe, "chat-room__viewer-card")) continue;
        if (contem(classe, "chat-wysiwyg-input__editor")) {
            if (const auto bandeja = tratar_caixa(a, *cru, e, c)) buracos.push_back(*bandeja);
            continue;
        }
        // Fora da tela não cobre nada. O Chromium dá a um invólucro sem
        // tamanho (o de um menu ou diálogo ainda fechado) o retângulo do
        // ancestral, muitas vezes a página inteira, e o marca fora da tela:
        // como buraco ele esconderia a Vidrel ("modal da página por cima").
        if (fora) continue;
        if (contem(classe, "seventv-emote-menu-search-input")) {
            const auto menu = ancestral_que(*cru, e, [](const uia::Elemento& x) {
                return contem(x.classe_atual().valor_ou({}), "seventv-emote-menu-wrap");
            });
            if (menu)
                if (const auto r = menu->retangulo_atual()) buracos.push_back(*r);
            continue;
        }
        if (id == "search-emotes-input") {
            const auto painel = ancestral_que(*cru, e, [](const uia::Elemento& x) {
                return x.id_atual().valor_ou({}) == "chat-emotes-picker-panel";
            });
            if (painel)
                if (const auto r = painel->retangulo_atual()) buracos.push_back(*r);
            continue;
        }
        if (const auto b = buraco_de(a, e, e.retangulo_em_cache().valor_ou({}))) buracos.push_back(*b);
    }
    return c;
}

std::vector<Retangulo> buscar_cartao_do_7tv(const uia::Automacao& a, Hwnd janela) {
    std::vector<Retangulo> r;
    auto raiz = raiz_da_pagina(a, janela);
    auto pedido = pedido_da_pagina(a, {Propriedade::retangulo});
    auto condicao = a.contem(Propriedade::classe, "seventv-user-card-float");
    if (!raiz || !pedido || !condicao) return r;
    auto achados = buscar_fora_da_vidrel(a, *raiz, *condicao, *pedido);
    if (!achados) return r;
    for (const uia::Elemento& e : *achados) {
        const auto ret = e.retangulo_em_cache();
        if (ret && ret->largura() >= 2 && ret->altura() >= 2) r.push_back(*ret);
    }
    return r;
}

std::vector<Retangulo> juntar_vizinhos(std::vector<Retangulo> rs) {
    for (bool juntou = true; juntou;) {
        juntou = false;
        for (std::size_t i = 0; i < rs.size() && !juntou; ++i) {
            for (std::size_t j = i + 1; j < rs.size(); ++j) {
                if (se_tocam(crescer(rs[i], 12), rs[j]) || se_tocam(rs[i], crescer(rs[j], 12))) {
                    rs[i] = uniao(rs[i], rs[j]);
                    rs.erase(rs.begin() + static_cast<std::ptrdiff_t>(j));
                    juntou = true;
                    break;
                }
            }
        }
    }
    return rs;
}

std::vector<Retangulo> sobreposicoes_na_coluna(const uia::Automacao& a, const uia::Elemento& conteiner,
                                               const uia::Elemento& mensagens, const Retangulo& C) {
    std::vector<Retangulo> achados;
    auto cru = a.caminhante_cru();
    if (!cru) return achados;
    auto pai = cru->pai(conteiner);
    if (!pai || !*pai) return achados;
    struct Item {
        uia::Elemento e;
        int profundidade;
    };
    std::vector<Item> pilha;
    // Empilha os filhos de "e" de trás para frente, para visitar na ordem.
    auto empilhar_filhos = [&](const uia::Elemento& e, int profundidade) {
        std::vector<uia::Elemento> filhos;
        auto f = cru->primeiro_filho(e);
        while (f && *f && filhos.size() < 400) {
            filhos.push_back(**f);
            f = cru->proximo_irmao(filhos.back());
        }
        for (auto it = filhos.rbegin(); it != filhos.rend(); ++it) pilha.push_back({*it, profundidade});
    };
    empilhar_filhos(**pai, 0);
    const std::int64_t area_do_chat = C.area();
    for (int visitados = 0; !pilha.empty() && visitados < 400; ++visitados) {
        const Item item = pilha.back();
        pilha.pop_back();
        if (a.mesmo_elemento(item.e, mensagens).valor_ou(false)) continue;
        if (item.e.fora_atual().valor_ou(false)) continue;
        const auto r = item.e.retangulo_atual();
        if (!r) continue;
        const Retangulo i = intersecao(*r, C);
        const bool desce = item.profundidade < 12;
        if (i.largura() < 2 || i.altura() < 2) {
            if ((r->largura() < 2 || r->altura() < 2) && desce)
                empilhar_filhos(item.e, item.profundidade + 1);
            continue;
        }
        if (fracao_de(r->area(), area_do_chat, 6, 10, true) || i.largura() < 24 || i.altura() < 12) {
            if (desce) empilhar_filhos(item.e, item.profundidade + 1);
            continue;
        }
        achados.push_back(*r);
    }
    return juntar_vizinhos(std::move(achados));
}

bool pagina_sem_lugar(Hwnd janela, const Retangulo& pagina) {
    const auto origem = pl::cliente_para_tela(janela, {0, 0});
    if (!origem) return false;
    return std::int64_t{pagina.topo} < std::int64_t{origem->y} + 20 && !tela_cheia(janela);
}

namespace {

// Uma linha do teste do cabeçalho, registrada quando difere da última.
void registrar_se_mudou(Protegido<UmaVezPorMudanca>& ultima, const std::string& linha) {
    if (ultima.com([&](UmaVezPorMudanca& u) { return u.mudou(linha); })) registrar(linha);
}

// O elemento no ponto é a lista ou está dentro dela?
bool dentro_da_lista(const uia::Automacao& a, const uia::Caminhante& cru, const uia::Elemento& e,
                     const uia::Elemento& lista) {
    if (a.mesmo_elemento(e, lista).valor_ou(false)) return true;
    return ancestral_que(cru, e,
                         [&](const uia::Elemento& x) { return a.mesmo_elemento(x, lista).valor_ou(false); })
        .has_value();
}

std::string descrever_classes(const uia::Caminhante& cru, const uia::Elemento& e) {
    std::string d;
    std::optional<uia::Elemento> atual = e;
    for (int i = 0; i < 6 && atual; ++i) {
        const std::string c = primeiros_escalares(atual->classe_atual().valor_ou({}), 60);
        if (!c.empty()) d += (d.empty() ? "" : " < ") + c;
        auto pai = cru.pai(*atual);
        if (!pai || !*pai) break;
        atual = **pai;
    }
    return d;
}

}  // namespace

bool cabecalho_livre(const uia::Automacao& a, Hwnd janela, const Retangulo& C, const Retangulo& P,
                     const std::optional<uia::Elemento>& lista) {
    if (std::int64_t{C.topo} - 30 <= P.topo) return true;
    if (pagina_sem_lugar(janela, P)) return true;
    const Ponto Q{static_cast<std::int32_t>((std::int64_t{C.esquerda} + C.direita) / 2),
                  somar_saturado(C.topo, -30)};
    const auto e = a.elemento_no_ponto(Q);
    if (!e) return true;
    const auto dono = pl::processo_da_janela(janela);
    if (!dono || e->processo_atual().valor_ou(0) != dono->processo) return false;
    auto cru = a.caminhante_cru();
    if (!cru) return true;
    const bool num_aviso = ancestral_que(
                               *cru, *e,
                               [](const uia::Elemento& x) {
                                   const std::string c = x.classe_atual().valor_ou({});
                                   return contem(c, "onsite-notifications-toast") ||
                                          contem(c, "onsite-notification-toast");
                               },
                               24)
                               .has_value();
    if (num_aviso) return true;
    const Retangulo R = e->retangulo_atual().valor_ou({});
    if (mesma_coluna(R, C)) return !tela_cheia(janela);
    if (std::int64_t{R.esquerda} < std::int64_t{P.esquerda} - 2 ||
        std::int64_t{R.topo} < std::int64_t{P.topo} - 2 ||
        std::int64_t{R.direita} > std::int64_t{P.direita} + 2 ||
        std::int64_t{R.base} > std::int64_t{P.base} + 2) {
        uma_vez_por_execucao(processo().LOGOU_FORA_DA_PAGINA, "acima do chat veio " + forma_de_depuracao(R) +
                                                                  ", fora da página " +
                                                                  forma_de_depuracao(P) + ": Vidrel mantida");
        return true;
    }
    if (std::int64_t{R.esquerda} >= std::int64_t{C.esquerda} - 4 &&
        std::int64_t{R.direita} <= std::int64_t{C.direita} + 4)
        return true;
    if (contem_com_folga(R, C) && lista) {
        const Ponto meio{Q.x, static_cast<std::int32_t>((std::int64_t{C.topo} + C.base) / 2)};
        const auto no_meio = a.elemento_no_ponto(meio);
        if (no_meio && dentro_da_lista(a, *cru, *no_meio, *lista)) {
            uma_vez_por_execucao(processo().LOGOU_MEIO_DA_LISTA,
                                 "acima do chat veio " + forma_de_depuracao(R) +
                                     ", mas o meio dele é da lista: Vidrel mantida");
            return true;
        }
    }
    registrar_se_mudou(
        processo().ULTIMO_MEIO_ESCONDIDO,
        "meio do chat dado como escondido: " + e->classe_atual().valor_ou({}) + " " + forma_de_depuracao(R));
    // Uma janela do próprio navegador (menu, diálogo) por cima do cabeçalho
    // não esconde o chat.
    const Hwnd w = pl::ancestral(pl::janela_no_ponto(Q), pl::Ancestral::raiz);
    if (w != 0 && w != janela && pl::ancestral(w, pl::Ancestral::dono_raiz) == janela) {
        const auto rw = pl::retangulo_da_janela(w);
        uma_vez_por_execucao(processo().LOGOU_JANELA_DO_NAVEGADOR,
                             "janela do navegador por cima do cabeçalho do chat " +
                                 (rw ? forma_de_depuracao(*rw) : std::string("?")) + ": Vidrel mantida");
        return true;
    }
    const std::string linha = "chat escondido por " + descrever_classes(*cru, *e) + ": " +
                              forma_de_depuracao(R);
    registrar_se_mudou(processo().ULTIMO_ESCONDIDO, linha);
    return false;
}

Coberturas buscar_tudo_que_cobre(const uia::Automacao& a, Hwnd janela, const std::string& titulo,
                                 const LeituraChat& l, const Retangulo& chat, const MemoriaDoChat& memoria) {
    Coberturas c = buscar_coberturas(a, janela, titulo, l.site, memoria);
    const auto cartao = buscar_cartao_do_7tv(a, janela);
    c.buracos.insert(c.buracos.end(), cartao.begin(), cartao.end());
    if (l.site == Site::Twitch && l.chat && l.chat->conteiner && l.conteiner_de_mensagens) {
        const auto coluna = sobreposicoes_na_coluna(a, *l.chat->conteiner, *l.conteiner_de_mensagens, chat);
        c.buracos.insert(c.buracos.end(), coluna.begin(), coluna.end());
    }
    return c;
}
