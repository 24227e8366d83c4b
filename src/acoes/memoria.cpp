#include "acoes/memoria.hpp"

#include <cstdlib>

#include "estado/espera.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;

std::optional<Comeco> comecar(const uia::Automacao& a, const std::string& rotulo) {
    const pl::Instante inicio = pl::agora();
    const auto alvo = ALVO_PUBLICADO.copiar();
    if (!alvo) {
        registrar(rotulo + ": sem chat na tela");
        return std::nullopt;
    }
    auto raiz = a.elemento_da_janela(janela_da_pagina(alvo->janela));
    if (!raiz) {
        registrar(rotulo + ": sem acesso à janela do navegador (" + raiz.erro().texto() + ")");
        return std::nullopt;
    }
    return Comeco{*alvo, *raiz, inicio};
}

std::int64_t ms_desde(pl::Instante t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - t).count();
}

void contar_ao_localizador() {
    marcar_hora_do_ponteiro(pl::agora());
    JANELAS_MUDARAM = true;
    acordar_localizador();
}

bool mesma_caixa(const Retangulo& d, const Retangulo& c) {
    auto perto = [](std::int32_t a, std::int32_t b) { return std::llabs(std::int64_t{a} - b) <= 2; };
    return perto(d.esquerda, c.esquerda) && perto(d.topo, c.topo) && perto(d.direita, c.direita) &&
           perto(d.base, c.base);
}
