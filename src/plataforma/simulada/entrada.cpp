// Cursor e teclas da área simulada; a cena os muda na linha do tempo.

#include "plataforma/entrada.hpp"

#include <mutex>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/rastro.hpp"

namespace plataforma {

using simulada::AreaDeTrabalho;

std::optional<Ponto> posicao_do_cursor() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    if (a.deve_falhar("GetCursorPos")) return std::nullopt;
    return a.cursor;
}

std::optional<InfoDoCursor> info_do_cursor() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    if (a.deve_falhar("GetCursorInfo")) return std::nullopt;
    return InfoDoCursor{a.cursor, a.cursor_visivel};
}

bool mover_cursor(Ponto p) {
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        a.cursor = p;
    }
    simulada::Rastro::global().registrar({{"efeito", "SetCursorPos"}, {"x", p.x}, {"y", p.y}});
    return true;
}

bool tecla_apertada(int codigo_virtual) {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    return a.teclas.count(codigo_virtual) > 0;
}

Ponto tamanho_da_tela() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    if (a.monitores.empty()) return {0, 0};
    const Retangulo& r = a.monitores.front().ret;
    return {static_cast<std::int32_t>(r.largura()), static_cast<std::int32_t>(r.altura())};
}

}  // namespace plataforma
