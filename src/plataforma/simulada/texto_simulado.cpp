#include "plataforma/simulada/texto_simulado.hpp"

#include <cmath>
#include <cstdlib>

#include "comum/texto.hpp"

namespace plataforma::simulada {

namespace {

// Largura de um caractere em frações da altura da fonte.
double fator(char32_t c) {
    switch (c) {
        case ' ':
        case 'i':
        case 'l':
        case 'j':
        case 't':
        case 'f':
        case 'r':
        case 'I':
        case '.':
        case ',':
        case ':':
        case ';':
        case '\'':
        case '|':
        case '!':
        case '(':
        case ')':
        case 0xB7:
            return 0.28;
        case 'm':
        case 'w':
        case 'M':
        case 'W':
        case '@':
            return 0.82;
        default:
            break;
    }
    if (c >= 'A' && c <= 'Z') return 0.62;
    return 0.5;
}

}  // namespace

int altura_da_linha(const Fonte& f) { return std::abs(f.altura) > 0 ? std::abs(f.altura) : 16; }

int largura_do_texto(std::string_view s, const Fonte& f) {
    double total = 0;
    const double h = altura_da_linha(f);
    const double peso = f.peso >= 600 ? 1.05 : 1.0;
    for (std::size_t pos = 0; pos < s.size();) total += fator(proximo_escalar(s, pos)) * h * peso;
    return static_cast<int>(std::lround(total));
}

std::vector<std::string> quebrar_linhas(std::string_view s, const Fonte& f, int largura,
                                        bool quebrar_palavras) {
    std::vector<std::string> linhas;
    std::size_t inicio = 0;
    // Parágrafos separados por "\n".
    while (true) {
        const std::size_t fim = s.find('\n', inicio);
        std::string_view paragrafo = s.substr(
            inicio, fim == std::string_view::npos ? std::string_view::npos : fim - inicio);
        if (!paragrafo.empty() && paragrafo.back() == '\r') paragrafo.remove_suffix(1);
        if (!quebrar_palavras) {
            linhas.emplace_back(paragrafo);
        } else {
            std::string linha;
            std::size_t p = 0;
            while (p < paragrafo.size()) {
                // Palavra com o branco que a segue.
                std::size_t q = paragrafo.find(' ', p);
                q = q == std::string_view::npos ? paragrafo.size() : q;
                const std::string palavra(paragrafo.substr(p, q - p));
                const std::string tentativa = linha.empty() ? palavra : linha + " " + palavra;
                if (!linha.empty() && largura_do_texto(tentativa, f) > largura) {
                    linhas.push_back(linha);
                    linha = palavra;
                } else {
                    linha = tentativa;
                }
                p = q + 1;
            }
            linhas.push_back(linha);
        }
        if (fim == std::string_view::npos) break;
        inicio = fim + 1;
    }
    return linhas;
}

}  // namespace plataforma::simulada
