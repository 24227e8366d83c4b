#include "estado/consultas.hpp"

#include "comum/minusculas.hpp"
#include "plataforma/janelas.hpp"

namespace pl = plataforma;

std::optional<std::string> executavel_da_janela(Hwnd janela) {
    const auto dono = pl::processo_da_janela(janela);
    if (!dono) return std::nullopt;
    const auto caminho = pl::caminho_do_processo(dono->processo);
    if (!caminho) return std::nullopt;
    const std::size_t barra = caminho->rfind('\\');
    return minusculas(barra == std::string::npos ? *caminho : caminho->substr(barra + 1));
}

double escala_dpi(Hwnd janela) {
    const std::uint32_t dpi = pl::dpi_da_janela(janela);
    return dpi ? dpi / 96.0 : 1.0;
}
