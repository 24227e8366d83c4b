// A linha de comando: os argumentos vêm separados por bytes nulos. Toda
// entrada dá uma partida; a recusada traz o texto de uso.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include "modos/linha_de_comando.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    std::vector<std::string> argumentos(1);
    for (std::size_t i = 0; i < tamanho; ++i) {
        if (dados[i] == 0)
            argumentos.emplace_back();
        else
            argumentos.back().push_back(static_cast<char>(dados[i]));
    }
    const Partida p = decidir_partida(argumentos);
    if (const auto* r = std::get_if<PartidaRecusada>(&p))
        if (r->uso.empty()) std::abort();
    return 0;
}
