// A sonda dos avisos de janela (WinEvents) do navegador: quantos de cada
// aviso de objeto ele manda em 10 s.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "diagnostico/formas.hpp"
#include "diagnostico/sondas.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "plataforma/eventos.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;

namespace {

void contar_evento(std::uint32_t evento, Hwnd, std::int32_t, std::int32_t) {
    processo().EVENTOS_CONTADOS.com([&](auto& m) {
        std::uint32_t& n = m[evento];
        if (n < UINT32_MAX) ++n;
    });
}

std::string hexa(std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%X", static_cast<unsigned>(v));
    return b;
}

}  // namespace

void sonda_eventos(PaginaDaSonda& p) {
    processo().EVENTOS_CONTADOS.guardar({});
    const auto dono = pl::processo_da_janela(p.j.janela);
    {
        pl::Gancho gancho;
        if (dono)
            gancho = pl::Gancho(pl::evento::objeto_criado, pl::evento::objeto_ultimo, dono->processo,
                                contar_evento);
        if (!gancho) registrar("diagnóstico: o gancho dos avisos do navegador foi recusado");
        const pl::Instante fim = pl::agora() + 10s;
        for (pl::Instante t = pl::agora(); t < fim; t = pl::agora()) {
            pl::esperar_mensagens(std::min(std::chrono::duration_cast<std::chrono::milliseconds>(fim - t),
                                           std::chrono::milliseconds(100)));
            pl::Mensagem m;
            while (pl::espiar_mensagem(m)) pl::traduzir_e_despachar(m);
        }
        // O gancho sai antes das linhas: nenhum aviso conta depois daqui.
    }
    const auto contagem = processo().EVENTOS_CONTADOS.copiar();
    dizer("avisos em 10 s (evento em hexa: quantos):");
    for (const auto& [evento, quantos] : contagem)
        dizer("  " + hexa(evento) + ": " + std::to_string(quantos));
}
