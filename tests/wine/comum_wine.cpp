#include "comum_wine.hpp"

#include <fstream>
#include <sstream>

namespace banco {

std::optional<std::string> ler_arquivo(const std::string& caminho) {
    std::ifstream f(caminho_utf8(caminho), std::ios::binary);
    if (!f) return std::nullopt;
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

}  // namespace banco
