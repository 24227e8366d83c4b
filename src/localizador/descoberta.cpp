#include "localizador/descoberta.hpp"

#include <vector>

#include "comum/minusculas.hpp"
#include "estado/consultas.hpp"
#include "estado/processo.hpp"
#include "estado/titulos.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;

std::optional<JanelaDeLive> janela_de_navegador(Hwnd h) {
    // Das consultas baratas para a cara (o processo fica por último).
    if (!pl::janela_visivel(h) || pl::janela_minimizada(h)) return std::nullopt;
    const auto classe = pl::classe_da_janela(h);
    if (!classe || *classe != "Chrome_WidgetWin_1") return std::nullopt;
    JanelaDeLive j;
    j.janela = h;
    j.titulo = pl::titulo_da_janela(h);
    const auto site = site_do_titulo(j.titulo);
    if (!site) return std::nullopt;
    j.site = *site;
    const auto exe = executavel_da_janela(h);
    if (!exe) return std::nullopt;
    if (*exe != "chrome.exe" && *exe != "msedge.exe" && *exe != "brave.exe" && *exe != "opera.exe")
        return std::nullopt;
    j.executavel = *exe;
    return j;
}

std::optional<JanelaDeLive> achar_janela_de_live() {
    const auto& so_navegador = processo().SO_NAVEGADOR;
    const auto& so_titulo = processo().SO_TITULO;
    const Hwnd dono = DONO.load();
    std::vector<JanelaDeLive> guardadas;
    for (Hwnd h : pl::janelas_de_topo()) {
        auto j = janela_de_navegador(h);
        if (!j) continue;
        if (so_navegador && j->executavel != minusculas(*so_navegador)) continue;
        if (so_titulo && j->titulo.find(*so_titulo) == std::string::npos) continue;
        if (dono != 0 && j->janela != dono) continue;
        guardadas.push_back(std::move(*j));
    }
    if (guardadas.empty()) return std::nullopt;
    const Hwnd frente = pl::janela_da_frente();
    for (const JanelaDeLive& j : guardadas)
        if (j.janela == frente) return j;
    return guardadas.front();
}
