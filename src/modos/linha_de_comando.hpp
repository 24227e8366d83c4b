#pragma once
// A linha de comando: qual dos cinco modos roda e com que valores. Função pura
// sobre a lista de argumentos, para ser testada sem plataforma.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "comum/tipos.hpp"

struct PartidaDiagnostico {};
struct PartidaPulso {
    Hwnd janela = 0;
};
struct PartidaNavegadores {};
// Protótipo (sem --janela) ou hospedado.
struct PartidaComVidrel {
    bool hospedado = false;
    Hwnd janela = 0;
    std::optional<Hwnd> dono;
    std::optional<std::string> presa;
};
// Valor ruim: o processo para com este texto de uso.
struct PartidaRecusada {
    std::string uso;
};

using Partida =
    std::variant<PartidaDiagnostico, PartidaPulso, PartidaNavegadores, PartidaComVidrel, PartidaRecusada>;

inline constexpr const char* USO_PULSAR = "--pulsar-janela <hwnd em decimal>";
inline constexpr const char* USO_DONO = "--dono <hwnd em decimal>";
inline constexpr const char* USO_JANELA = "--janela <hwnd em decimal>";

// Precedência: --diagnostico > --pulsar-janela > --navegadores > (--janela, senão protótipo).
Partida decidir_partida(const std::vector<std::string>& argumentos);
