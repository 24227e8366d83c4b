#include "acoes/sintese.hpp"

#include <chrono>
#include <mutex>

#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "janela/monitor.hpp"
#include "janela/ponteiro.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;
using uia::Propriedade;

Aperto apertar(const uia::Elemento& medido, const uia::Elemento& invocado, std::int64_t topo,
               std::int64_t base) {
    const auto r = medido.retangulo_atual();
    const bool fora = !r || r->base <= r->topo || r->topo < topo || r->base > base;
    if (fora) {
        // Parte fora do chat visível: o site rola a linha para a vista antes.
        // Uma rolagem que falhou pode ter andado a página mesmo assim: a
        // pausa fica; só sem o padrão não há o que esperar.
        const auto rolou = medido.rolar_para_a_vista();
        if (!rolou || *rolou == uia::Padrao::feito) pl::dormir(60ms);
    }
    const auto invocou = invocado.invocar();
    if (!invocou) return {false, invocou.erro().texto()};
    if (*invocou == uia::Padrao::ausente) return {false, kSemInvokePattern};
    return {true, "apertado"};
}

bool conferir_frente(Hwnd navegador, const std::string& rotulo) {
    const Hwnd frente = pl::janela_da_frente();
    if (frente != 0 && (frente == navegador || pl::ancestral(frente, pl::Ancestral::raiz) == navegador ||
                        pl::ancestral(frente, pl::Ancestral::dono_raiz) == navegador))
        return true;
    const std::string quem = frente == 0 ? "ninguém" : descrever_janela_da_frente(frente, navegador);
    registrar(rotulo + ": o navegador não veio para a frente (na frente: " + quem + "); nada digitado");
    escrever_linha("{\"aviso\":\"Clique no chat do navegador e tente de novo.\"}");
    return false;
}

std::vector<pl::RegistroDeTecla> registros_de_texto(std::string_view texto) {
    const std::u16string unidades = utf8_para_utf16(texto);
    std::vector<pl::RegistroDeTecla> r;
    r.reserve(unidades.size() * 2);
    for (const char16_t u : unidades) {
        r.push_back({0, static_cast<std::uint16_t>(u), pl::opcao_de_tecla::unicode});
        r.push_back(
            {0, static_cast<std::uint16_t>(u), pl::opcao_de_tecla::unicode | pl::opcao_de_tecla::soltar});
    }
    return r;
}

void digitar_texto(std::string_view texto) { pl::enviar_teclas(registros_de_texto(texto)); }

void apertar_esc() {
    pl::enviar_teclas({{static_cast<std::uint16_t>(pl::tecla::esc), 0, 0},
                       {static_cast<std::uint16_t>(pl::tecla::esc), 0, pl::opcao_de_tecla::soltar}});
}

void fechar_sugestoes(const std::string& codigo) {
    if (!contem(codigo, ":")) return;
    pl::dormir(80ms);
    apertar_esc();
}

void avisar_movimento() {
    pl::dormir(30ms);
    for (int vez = 0; vez < 2; ++vez) {
        if (vez == 1) pl::dormir(90ms);
        if (const auto cursor = pl::info_do_cursor()) postar_movimento_ao_navegador(cursor->posicao);
    }
}

std::optional<Retangulo> bandeja_aberta(const uia::Automacao& a, const uia::Elemento& raiz) {
    auto pedido = pedido_da_pagina(a, {Propriedade::retangulo});
    auto condicao = a.contem(Propriedade::classe, "chat-input-tray__open");
    auto icone = a.contem(Propriedade::classe, "seventv-tray-icon");
    if (!pedido || !condicao || !icone) return std::nullopt;
    auto achados = buscar_fora_da_vidrel(a, raiz, *condicao, *pedido);
    if (!achados || achados->empty()) return std::nullopt;
    const uia::Elemento& bandeja = achados->front();
    if (!primeiro_na_subarvore(a, bandeja, *icone)) return std::nullopt;
    const auto r = bandeja.retangulo_em_cache();
    if (!r || r->largura() < 2 || r->altura() < 2) return std::nullopt;
    return *r;
}

Ponto acima_do_chat(const Retangulo& chat) {
    return {static_cast<std::int32_t>((std::int64_t{chat.esquerda} + chat.direita) / 2),
            somar_saturado(chat.topo, -25)};
}

void afastar_ponteiro(const uia::Automacao& a, const uia::Elemento& raiz) {
    const auto alvo = ALVO_PUBLICADO.copiar();
    if (!alvo) return;
    const Retangulo& c = alvo->chat;
    const auto cursor = pl::posicao_do_cursor();
    if (!cursor || cursor->x < c.esquerda || cursor->x > c.direita || cursor->y < c.topo ||
        cursor->y > c.base)
        return;
    Ponto volta = *cursor;
    if (const auto t = bandeja_aberta(a, raiz)) {
        const bool em_cima = cursor->x >= t->esquerda && cursor->x <= t->direita &&
                             std::int64_t{cursor->y} >= std::int64_t{t->topo} - 4 && cursor->y <= t->base;
        if (em_cima) volta.y = somar_saturado(t->topo, -12);
    }
    pl::mover_cursor(acima_do_chat(c));
    pl::dormir(40ms);
    pl::mover_cursor(volta);
}

BuracoDoHover::BuracoDoHover(Hwnd vidrel, Ponto alvo)
    : vidrel_(vidrel), ponteiro_antes_(pl::posicao_do_cursor()) {
    const auto janela = vidrel ? pl::retangulo_da_janela(vidrel) : std::nullopt;
    if (janela) {
        salva_ = pl::regiao_da_janela(vidrel);
        // Sem região, a Vidrel é o retângulo dela inteiro.
        const pl::Regiao inteira = pl::Regiao::retangulo(
            {0, 0, saturar(janela->largura()), saturar(janela->altura())});
        const pl::Regiao& de_antes = salva_ ? *salva_ : inteira;
        const std::int64_t x = std::int64_t{alvo.x} - janela->esquerda;
        const std::int64_t y = std::int64_t{alvo.y} - janela->topo;
        const pl::Regiao quadrado = pl::Regiao::retangulo(
            {saturar(x - 20), saturar(y - 20), saturar(x + 20), saturar(y + 20)});
        std::optional<pl::Regiao> com_buraco = de_antes.menos(quadrado);
        if (com_buraco && *com_buraco) aberto_ = pl::definir_regiao(vidrel, com_buraco);
    }
    pl::mover_cursor(alvo);
}

void BuracoDoHover::restaurar() {
    if (ponteiro_antes_) pl::mover_cursor(*std::exchange(ponteiro_antes_, std::nullopt));
    if (!aberto_) return;
    aberto_ = false;
    // A região salva volta a ser da Vidrel; sem ela, a Vidrel volta inteira.
    // A que tinha o buraco era da janela e o sistema a apaga.
    std::optional<pl::Regiao> devolvida = std::move(salva_);
    pl::definir_regiao(vidrel_, devolvida);
}
