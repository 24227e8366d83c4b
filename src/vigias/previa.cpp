#include "vigias/previa.hpp"

#include <chrono>
#include <string>
#include <utility>

#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;
using namespace std::chrono_literals;

namespace {

constexpr auto kEntreVoltas = 300ms;
constexpr auto kDuracaoMaxima = 900s;
// Duas faltas seguidas: uma só acontece enquanto a página se redesenha.
constexpr int kFaltasParaAcabar = 2;

void vigia_da_previa(Hwnd navegador) {
    {
        VigiaDaPrevia v(criar_automacao(), navegador);
        while (v.volta()) pl::dormir(kEntreVoltas);
    }
    processo().previa_em_curso = false;
}

}  // namespace

std::optional<Retangulo> achar_previa(const uia::Automacao& a, const uia::Elemento& raiz) {
    auto pedido = pedido_da_pagina(a, {Propriedade::retangulo});
    if (!pedido) return std::nullopt;
    auto condicao = a.contem(Propriedade::classe, "seventv-tray-user-message");
    if (!condicao) return std::nullopt;
    auto achados = buscar_fora_da_vidrel(a, raiz, *condicao, *pedido);
    if (!achados) return std::nullopt;
    for (const uia::Elemento& e : *achados) {
        const auto r = e.retangulo_em_cache();
        if (!r || r->largura() < 20 || r->altura() < 10) continue;
        return Retangulo{r->esquerda, somar_saturado(r->topo, -12), r->direita, r->base};
    }
    return std::nullopt;
}

std::string linha_da_previa(const std::optional<Retangulo>& r) {
    return std::string("{\"previa\":") + (r ? retangulo_json(*r) : "null") + "}";
}

VigiaDaPrevia::VigiaDaPrevia(uia::Automacao automacao, Hwnd navegador)
    : a_(std::move(automacao)), navegador_(navegador), inicio_(pl::agora()) {}

bool VigiaDaPrevia::volta() {
    if (pl::agora() - inicio_ >= kDuracaoMaxima) {
        if (relatado_) escrever_linha(linha_da_previa(std::nullopt));
        return false;
    }
    std::optional<Retangulo> r;
    if (auto raiz = a_.elemento_da_janela(janela_da_pagina(navegador_))) r = achar_previa(a_, *raiz);
    if (!r) {
        if (++faltas_ < kFaltasParaAcabar) return true;
        if (relatado_) escrever_linha(linha_da_previa(std::nullopt));
        return false;
    }
    faltas_ = 0;
    if (relatado_ != r) {
        escrever_linha(linha_da_previa(r));
        relatado_ = r;
    }
    return true;
}

void iniciar_vigia_da_previa(Hwnd navegador) {
    if (processo().previa_em_curso.exchange(true)) return;
    if (!pl::iniciar_thread([navegador] { vigia_da_previa(navegador); }))
        pl::parar("não consegui iniciar a thread da prévia");
}
