#include "modos/linha_de_comando.hpp"

#include <algorithm>

#include "comum/texto.hpp"

namespace {

using Args = std::vector<std::string>;

bool tem(const Args& a, std::string_view opcao) { return std::find(a.begin(), a.end(), opcao) != a.end(); }

// O argumento logo depois da opção, se houver.
std::optional<std::string> valor(const Args& a, std::string_view opcao) {
    const auto it = std::find(a.begin(), a.end(), opcao);
    if (it == a.end() || it + 1 == a.end()) return std::nullopt;
    return *(it + 1);
}

std::optional<Hwnd> handle_de(const Args& a, std::string_view opcao) {
    const auto v = valor(a, opcao);
    return v ? ler_inteiro(*v) : std::nullopt;
}

}  // namespace

Partida decidir_partida(const Args& a) {
    if (tem(a, "--diagnostico")) return PartidaDiagnostico{};
    if (tem(a, "--pulsar-janela")) {
        const auto h = handle_de(a, "--pulsar-janela");
        if (!h) return PartidaRecusada{USO_PULSAR};
        return PartidaPulso{*h};
    }
    if (tem(a, "--navegadores")) return PartidaNavegadores{};
    PartidaComVidrel p;
    if (tem(a, "--dono")) {
        p.dono = handle_de(a, "--dono");
        if (!p.dono) return PartidaRecusada{USO_DONO};
    }
    if (tem(a, "--presa")) p.presa = valor(a, "--presa");
    if (tem(a, "--janela")) {
        const auto h = handle_de(a, "--janela");
        if (!h) return PartidaRecusada{USO_JANELA};
        p.hospedado = true;
        p.janela = *h;
    }
    return p;
}
