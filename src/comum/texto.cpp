#include "comum/texto.hpp"

#include "comum/minusculas.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>

namespace {
constexpr char32_t kSubstituto = 0xFFFD;
}

char32_t proximo_escalar(std::string_view s, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(pos);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t minimo = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        c = b0 & 0x1F;
        minimo = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        c = b0 & 0x0F;
        minimo = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        c = b0 & 0x07;
        minimo = 0x10000;
    } else {
        ++pos;
        return kSubstituto;
    }
    for (int i = 1; i <= extra; ++i) {
        if (pos + i >= s.size() || (byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kSubstituto;
        }
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return kSubstituto;
    }
    pos += static_cast<std::size_t>(extra) + 1;
    return c;
}

void acrescentar_utf8(std::string& d, char32_t c) {
    if (c < 0x80) {
        d += static_cast<char>(c);
    } else if (c < 0x800) {
        d += static_cast<char>(0xC0 | (c >> 6));
        d += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        d += static_cast<char>(0xE0 | (c >> 12));
        d += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        d += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        d += static_cast<char>(0xF0 | (c >> 18));
        d += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        d += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        d += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool utf8_valido(std::string_view s) {
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t antes = pos;
        const char32_t c = proximo_escalar(s, pos);
        // Um U+FFFD legítimo ocupa três bytes; o de erro avança um só.
        if (c == kSubstituto && pos - antes == 1) return false;
    }
    return true;
}

std::string utf8_consertado(std::string_view s) {
    if (utf8_valido(s)) return std::string(s);
    std::string r;
    r.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) acrescentar_utf8(r, proximo_escalar(s, pos));
    return r;
}

std::u16string utf8_para_utf16(std::string_view s) {
    std::u16string r;
    r.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        const char32_t c = proximo_escalar(s, pos);
        if (c >= 0x10000) {
            const char32_t v = c - 0x10000;
            r += static_cast<char16_t>(0xD800 + (v >> 10));
            r += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            r += static_cast<char16_t>(c);
        }
    }
    return r;
}

std::string utf16_para_utf8(std::u16string_view s) {
    std::string r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kSubstituto;
        }
        acrescentar_utf8(r, c);
    }
    return r;
}

std::string cortar_em_unidades_utf16(std::string_view s, std::size_t unidades) {
    std::size_t usadas = 0;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t prox = pos;
        const char32_t c = proximo_escalar(s, prox);
        const std::size_t custo = c >= 0x10000 ? 2 : 1;
        if (usadas + custo > unidades) break;
        usadas += custo;
        pos = prox;
    }
    return utf8_consertado(s.substr(0, pos));
}

std::string primeiros_escalares(std::string_view s, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n && pos < s.size(); ++i) proximo_escalar(s, pos);
    // Um byte solto conta como um escalar (U+FFFD) e sai consertado.
    return utf8_consertado(s.substr(0, pos));
}

std::size_t contar_escalares(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < s.size(); ++n) proximo_escalar(s, pos);
    return n;
}

bool eh_branco(char32_t c) {
    switch (c) {
        case 0x09:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x20:
        case 0x85:
        case 0xA0:
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

std::string aparar(std::string_view s) {
    std::size_t inicio = s.size();
    std::size_t fim = 0;
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t antes = pos;
        if (!eh_branco(proximo_escalar(s, pos))) {
            if (inicio == s.size()) inicio = antes;
            fim = pos;
        }
    }
    if (inicio == s.size()) return {};
    return std::string(s.substr(inicio, fim - inicio));
}

std::string normalizar(std::string_view s) {
    std::string r;
    std::string palavra;
    auto fechar = [&] {
        if (palavra.empty()) return;
        if (!r.empty()) r += ' ';
        r += palavra;
        palavra.clear();
    };
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t antes = pos;
        if (eh_branco(proximo_escalar(s, pos)))
            fechar();
        else
            palavra.append(s, antes, pos - antes);
    }
    fechar();
    return minusculas(r);
}

bool tem_palavra(std::string_view lista, std::string_view palavra) {
    std::size_t pos = 0;
    while (pos < lista.size()) {
        const std::size_t inicio = lista.find_first_not_of(" \t\r\n\f\v", pos);
        if (inicio == std::string_view::npos) return false;
        const std::size_t fim = std::min(lista.find_first_of(" \t\r\n\f\v", inicio), lista.size());
        if (lista.substr(inicio, fim - inicio) == palavra) return true;
        pos = fim;
    }
    return false;
}

std::string texto_de_hresult(std::uint32_t hresult) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "HRESULT 0x%08X", static_cast<unsigned>(hresult));
    return hex;
}

std::optional<std::int64_t> ler_inteiro(std::string_view t) {
    // Um sinal só: depois de um "+" não pode vir um "-".
    const bool mais = !t.empty() && t.front() == '+';
    if (mais) t.remove_prefix(1);
    const std::string_view digitos = !mais && !t.empty() && t.front() == '-' ? t.substr(1) : t;
    if (digitos.empty() ||
        !std::all_of(digitos.begin(), digitos.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::int64_t v = 0;
    const auto [fim, erro] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (erro != std::errc{} || fim != t.data() + t.size()) return std::nullopt;
    return v;
}

std::optional<std::int64_t> ler_numero(std::string_view texto, std::int64_t minimo, std::int64_t maximo) {
    const auto n = ler_inteiro(aparar(texto));
    if (!n || *n < minimo || *n > maximo) return std::nullopt;
    return n;
}

bool gravar_arquivo(std::string_view caminho, std::string_view texto) {
    std::ofstream arquivo(caminho_utf8(caminho), std::ios::binary | std::ios::trunc);
    if (arquivo) arquivo.write(texto.data(), static_cast<std::streamsize>(texto.size()));
    if (arquivo) arquivo.close();
    return !arquivo.fail();
}
