#include "comum/minusculas.hpp"

#include "comum/texto.hpp"

char32_t minuscula(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    // Latim-1: À..Þ menos o ×.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130) return 'i';   // İ
        if (c == 0x178) return 0xFF;  // Ÿ
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        // Pares maiúscula/minúscula: par-ímpar, exceto 0x139..0x148 e 0x179..0x17E.
        const bool impar_maiuscula = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (impar_maiuscula) return (c % 2 == 1) ? c + 1 : c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    // Latim estendido B: os pares comuns de 0x1CD a 0x1DC e de 0x1DE a 0x1EF, 0x1F8..0x21F.
    if (c >= 0x1CD && c <= 0x1DC) return (c % 2 == 1) ? c + 1 : c;
    if ((c >= 0x1DE && c <= 0x1EF) || (c >= 0x1F8 && c <= 0x21F) || (c >= 0x222 && c <= 0x233))
        return (c % 2 == 0) ? c + 1 : c;
    // Grego.
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    // Cirílico.
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return (c % 2 == 0) ? c + 1 : c;
    if (c == 0x4C0) return 0x4CF;
    if (c >= 0x4C1 && c <= 0x4CE) return (c % 2 == 1) ? c + 1 : c;
    // Armênio.
    if (c >= 0x531 && c <= 0x556) return c + 48;
    // Latim estendido adicional (vietnamita e outros): pares.
    if (c >= 0x1E00 && c <= 0x1EFF && !(c >= 0x1E96 && c <= 0x1E9F)) return (c % 2 == 0) ? c + 1 : c;
    if (c == 0x1E9E) return 0xDF;  // ẞ
    // Largura total.
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
    return c;
}

std::string minusculas(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) acrescentar_utf8(r, minuscula(proximo_escalar(s, pos)));
    return r;
}

bool eh_letra_ou_digito(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
    if (c >= 0xC0 && c <= 0x24F) return c != 0xD7 && c != 0xF7;
    if (c >= 0x250 && c <= 0x2C1) return true;
    if (c >= 0x370 && c <= 0x3FF) return c != 0x375 && c != 0x37E && c != 0x384 && c != 0x385 && c != 0x387;
    if (c >= 0x400 && c <= 0x481) return true;
    if (c >= 0x48A && c <= 0x52F) return true;
    if (c >= 0x531 && c <= 0x587) return c < 0x557 || c > 0x560;
    if (c >= 0x5D0 && c <= 0x5EA) return true;
    if ((c >= 0x620 && c <= 0x64A) || (c >= 0x660 && c <= 0x669) || (c >= 0x671 && c <= 0x6D3)) return true;
    if (c >= 0x900 && c <= 0xDFF) return true;  // índicas (aproximado)
    if (c >= 0xE01 && c <= 0xE30) return true;  // tailandês
    if (c >= 0x10A0 && c <= 0x10FF) return true;
    if (c >= 0x1E00 && c <= 0x1FFF) return true;
    if (c >= 0x3041 && c <= 0x30FF) return c != 0x30A0 && c != 0x30FB;
    if (c >= 0x3400 && c <= 0x4DBF) return true;
    if (c >= 0x4E00 && c <= 0x9FFF) return true;
    if (c >= 0xAC00 && c <= 0xD7A3) return true;
    if ((c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A))
        return true;
    return false;
}
