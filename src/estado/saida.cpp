#include "estado/saida.hpp"

#include <mutex>

#include "comum/texto.hpp"
#include "estado/processo.hpp"
#include "plataforma/sistema.hpp"

plataforma::Trava& trava_da_saida() { return processo().SAIDA; }

bool escrever_linha(std::string_view objeto) {
    std::string linha;
    linha.reserve(objeto.size() + 1);
    linha.append(objeto);
    linha += '\n';
    std::lock_guard g(trava_da_saida());
    return plataforma::escrever_saida(linha);
}

namespace {
std::string escapar(std::string_view texto, bool controles_escapados) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string r;
    r.reserve(texto.size() + 2);
    for (std::size_t pos = 0; pos < texto.size();) {
        const char32_t c = proximo_escalar(texto, pos);
        if (c == U'"') {
            r += "\\\"";
        } else if (c == U'\\') {
            r += "\\\\";
        } else if (c < 0x20 && !controles_escapados) {
            r += ' ';
        } else if (c == U'\n') {
            r += "\\n";
        } else if (c == U'\t') {
            r += "\\t";
        } else if (c == U'\r') {
            r += "\\r";
        } else if (c < 0x20) {
            r += "\\u00";
            r += kHex[(c >> 4) & 0xF];
            r += kHex[c & 0xF];
        } else {
            acrescentar_utf8(r, c);
        }
    }
    return r;
}
}  // namespace

std::string escapar_json(std::string_view texto) { return escapar(texto, false); }

std::string texto_json_exato(std::string_view texto) { return "\"" + escapar(texto, true) + "\""; }

std::string texto_json(std::string_view texto) { return "\"" + escapar_json(texto) + "\""; }
