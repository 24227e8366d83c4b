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

std::string escapar_json(std::string_view texto) {
    std::string r;
    r.reserve(texto.size() + 2);
    for (std::size_t pos = 0; pos < texto.size();) {
        const char32_t c = proximo_escalar(texto, pos);
        if (c == U'"') {
            r += "\\\"";
        } else if (c == U'\\') {
            r += "\\\\";
        } else if (c < 0x20) {
            r += ' ';
        } else {
            acrescentar_utf8(r, c);
        }
    }
    return r;
}

std::string texto_json(std::string_view texto) { return "\"" + escapar_json(texto) + "\""; }
