#include "localizador/cartao.hpp"

#include <charconv>
#include <cmath>

#include "comum/texto.hpp"
#include "estado/consultas.hpp"
#include "estado/log.hpp"
#include "localizador/chat.hpp"
#include "plataforma/entrada.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

struct Camada {
    uia::Elemento elemento;
    Retangulo ret;
};

// A camada arrastável acima de "e" (e não conta), até 10 ancestrais; a sala
// do cartão antes dela encerra a busca.
std::optional<Camada> camada_acima(const uia::Automacao& a, const uia::Elemento& e) {
    auto cru = a.caminhante_cru();
    if (!cru) return std::nullopt;
    uia::Elemento atual = e;
    for (int i = 0; i < 10; ++i) {
        auto pai = cru->pai(atual);
        if (!pai || !*pai) return std::nullopt;
        atual = **pai;
        const std::string classe = atual.classe_atual().valor_ou({});
        if (contem(classe, "viewer-card-layer__draggable")) {
            const auto r = atual.retangulo_atual();
            if (!r || r->largura() < 2 || r->altura() < 2) return std::nullopt;
            return Camada{atual, *r};
        }
        if (contem(classe, "chat-room__viewer-card")) return std::nullopt;
    }
    return std::nullopt;
}

std::chrono::milliseconds desde(pl::Instante t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - t);
}

// Segundos com até três casas, sem zeros à direita ("0.25", "1.5", "2").
std::string segundos(double s) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::round(s * 1000) / 1000,
                                 std::chars_format::general);
    return std::string(buf, r.ptr);
}

}  // namespace

std::optional<Retangulo> conteiner_do_cartao(const uia::Automacao& a, const uia::Elemento& e) {
    const auto c = camada_acima(a, e);
    return c ? std::optional(c->ret) : std::nullopt;
}

std::optional<MedidaDoCartao> medir_cartao(const uia::Automacao& a, const uia::Elemento& R,
                                           const std::string& nome, const Retangulo& C,
                                           bool aceitar_esqueleto) {
    auto pedido = a.pedido({Propriedade::retangulo, Propriedade::nome, Propriedade::papel});
    auto controle = a.caminhante_controle();
    if (!pedido || !controle) return std::nullopt;
    const std::string procurado = normalizar(nome);
    auto ultimo = controle->ultimo_filho(R, *pedido);
    if (!ultimo || !*ultimo) return std::nullopt;
    if (const auto r = conteiner_do_cartao(a, **ultimo)) return MedidaDoCartao{*r, "contêiner do cartão"};

    bool achou = false;
    bool confirmado = false;
    std::int32_t topo = 0, base = 0;
    std::string rotulo;
    std::optional<uia::Elemento> ultima;
    std::optional<uia::Elemento> peca = **ultimo;
    for (int k = 0; peca; ++k) {
        const Retangulo r = peca->retangulo_em_cache().valor_ou({});
        if (!r.vazio()) {
            // Daqui para baixo as peças são do chat, não do cartão.
            if (std::int64_t{r.topo} >= std::int64_t{C.base} - 10) break;
            if (std::int64_t{r.esquerda} >= std::int64_t{C.esquerda} - 20 &&
                std::int64_t{r.direita} <= std::int64_t{C.direita} + 20) {
                if (!achou || r.topo < topo)
                    rotulo = "\"" + peca->nome_em_cache().valor_ou({}) + "\" em " + forma_de_depuracao(r);
                topo = achou ? std::min(topo, r.topo) : r.topo;
                base = achou ? std::max(base, r.base) : r.base;
                ultima = peca;
                achou = true;
            }
        }
        if (peca->papel_em_cache().valor_ou({}) == "heading" &&
            normalizar(peca->nome_em_cache().valor_ou({})) == procurado)
            confirmado = true;
        if (k == 79) return std::nullopt;  // muitas peças: desiste
        auto anterior = controle->irmao_anterior(*peca, *pedido);
        if (!anterior || !*anterior) break;
        peca = **anterior;
    }
    if (!achou || !(confirmado || aceitar_esqueleto)) return std::nullopt;
    if (const auto r = conteiner_do_cartao(a, *ultima))
        return MedidaDoCartao{*r, "contêiner do cartão, peça mais alta " + rotulo};
    if (confirmado)
        return MedidaDoCartao{{C.esquerda, somar_saturado(topo, -16), C.direita, somar_saturado(base, 16)},
                              rotulo};
    return MedidaDoCartao{{C.esquerda, somar_saturado(topo, -16), C.direita, C.base},
                          rotulo + ", só o esqueleto"};
}

void acompanhar_cartao(const uia::Automacao& a, const Retangulo& chat, Hwnd janela) {
    const auto aperto = APERTO_DO_PERFIL.copiar();
    if (!aperto) {
        buraco_do_cartao.guardar(std::nullopt);
        return;
    }
    const bool dois_segundos = desde(aperto->quando) >= std::chrono::seconds(2);
    std::optional<MedidaDoCartao> medida;
    if (auto raiz = raiz_da_pagina(a, janela))
        if (const auto sala = achar_chat_room(a, *raiz))
            medida = medir_cartao(a, *sala, aperto->nome, chat, !dois_segundos);
    if (medida) {
        buraco_do_cartao.com([&](std::optional<Retangulo>& b) {
            if (!b)
                registrar("perfil " + aperto->nome + ": buraco " + forma_de_depuracao(medida->ret) +
                          ", topo por " + medida->peca);
            b = medida->ret;
        });
        return;
    }
    if (dois_segundos) {
        APERTO_DO_PERFIL.guardar(std::nullopt);
        buraco_do_cartao.guardar(std::nullopt);
    }
}

void ArrastoDoCartao::esquecer() {
    decidido_ = false;
    arrastando_ = false;
    camada_.reset();
}

void ArrastoDoCartao::passo(const uia::Automacao& a, Hwnd janela) {
    const auto cursor = pl::posicao_do_cursor();
    if (!cursor) return;
    if (!decidido_) {
        decidido_ = true;
        std::optional<Camada> camada;
        if (camada_) {
            if (const auto r = camada_->retangulo_atual()) camada = Camada{*camada_, *r};
        } else if (auto raiz = raiz_da_pagina(a, janela)) {
            if (const auto sala = achar_chat_room(a, *raiz)) {
                auto controle = a.caminhante_controle();
                if (controle)
                    if (auto ultimo = controle->ultimo_filho(*sala); ultimo && *ultimo)
                        camada = camada_acima(a, **ultimo);
            }
        }
        if (!camada) return;
        camada_ = camada->elemento;
        const Retangulo& L = camada->ret;
        const std::int32_t H = na_escala_da_janela(100, janela);
        const bool na_faixa_de_cima = L.largura() >= 2 && L.altura() >= 2 && cursor->x >= L.esquerda &&
                                      cursor->x < L.direita && cursor->y >= L.topo &&
                                      std::int64_t{cursor->y} < std::int64_t{L.topo} + H;
        if (!na_faixa_de_cima) return;
        arrastando_ = true;
        pega_ = {static_cast<std::int32_t>(std::int64_t{cursor->x} - L.esquerda),
                 static_cast<std::int32_t>(std::int64_t{cursor->y} - L.topo)};
        largura_ = L.largura();
        altura_ = L.altura();
        limites_.reset();
        if (auto cru = a.caminhante_cru())
            if (auto pai = cru->pai(camada->elemento); pai && *pai)
                if (const auto r = (*pai)->retangulo_atual()) limites_ = *r;
        inicio_ = pl::agora();
        voltas_ = 0;
    }
    if (!arrastando_) return;
    std::int64_t esquerda = std::int64_t{cursor->x} - pega_.x;
    std::int64_t topo = std::int64_t{cursor->y} - pega_.y;
    if (limites_) {
        esquerda = std::max<std::int64_t>(limites_->esquerda,
                                          std::min<std::int64_t>(esquerda, limites_->direita - largura_));
        topo = std::max<std::int64_t>(limites_->topo, std::min<std::int64_t>(topo, limites_->base - altura_));
    }
    const std::int32_t l = somar_saturado(0, esquerda);
    const std::int32_t t = somar_saturado(0, topo);
    buraco_do_cartao.guardar(Retangulo{l, t, somar_saturado(l, largura_), somar_saturado(t, altura_)});
    ++voltas_;
}

bool ArrastoDoCartao::soltou() {
    const bool havia = arrastando_;
    if (havia) {
        const double s = std::max(0.001, std::chrono::duration<double>(pl::agora() - inicio_).count());
        registrar("cartão: arrasto de " + segundos(s) + " s, " + segundos(voltas_ / s) +
                  " voltas por segundo");
    }
    decidido_ = false;
    arrastando_ = false;
    return havia;
}
