// Os modos pequenos de teste e diagnóstico.

#include <algorithm>
#include <limits>
#include <string>

#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "janela/animacoes.hpp"
#include "localizador/pagina.hpp"
#include "modos/modos.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/pecas.hpp"

namespace {

// "pecas" no modo do pulo: o maior documento da página da janela dada vale
// como página, sem chat. Uma falha de UI Automation encerra a linha calada.
void pecas_da_janela(const uia::Automacao& a, Hwnd janela) {
    auto raiz = a.elemento_da_janela(janela_da_pagina(janela));
    if (!raiz) return;
    auto pedido = a.pedido({});
    if (!pedido) return;
    auto documento = a.igual(uia::Propriedade::tipo, uia::tipo::documento);
    if (!documento) return;
    auto documentos = raiz->achar_todos(uia::Escopo::descendentes, *documento, *pedido);
    if (!documentos) return;
    std::optional<Retangulo> pagina;
    for (const uia::Elemento& d : *documentos) {
        const auto r = d.retangulo_atual();
        if (!r) continue;
        // No empate vale o último achado.
        if (!pagina || r->area() >= pagina->area()) pagina = *r;
    }
    if (pagina) listar_pecas(a, janela, *pagina, std::nullopt);
}

}  // namespace

int rodar_pulso() {
    const uia::Automacao automacao = criar_automacao();
    std::string linha;
    while (plataforma::ler_linha_da_entrada(linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (linha.rfind("pulsar ", 0) == 0) {
            const auto n = ler_numero(std::string_view(linha).substr(7),
                                      std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max());
            if (n) pulsar_navegador(static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, 1, 12)));
        } else if (linha == "pecas") {
            pecas_da_janela(automacao, NAVEGADOR_ATUAL.load());
        }
    }
    return 0;
}
