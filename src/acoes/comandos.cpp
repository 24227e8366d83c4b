#include "acoes/comandos.hpp"

#include <algorithm>

#include "comum/texto.hpp"

bool comeca_com(std::string_view s, std::string_view prefixo) {
    return s.substr(0, prefixo.size()) == prefixo;
}

namespace {

// A linha é um comando que o executor faz (os campos passam): uma linha
// largada calada ("fixar abc") ou um emote recusado não é.
bool eh_comando(std::string_view l) {
    if (comeca_com(l, "emote ")) return ler_codigo_de_emote(l.substr(6)).has_value();
    if (comeca_com(l, "perfil-botao ")) {
        const std::string_view resto = l.substr(13);
        const std::size_t branco = resto.find(' ');
        return branco != std::string_view::npos &&
               ler_comando_de_mensagem("perfil", resto.substr(branco + 1)).has_value();
    }
    for (const std::string_view verbo : {"responder", "perfil", "preparar"})
        if (comeca_com(l, verbo) && l.size() > verbo.size() && l[verbo.size()] == ' ')
            return ler_comando_de_mensagem(verbo, l.substr(verbo.size() + 1)).has_value();
    return false;
}

}  // namespace

std::size_t escolher_do_lote(const std::vector<std::string>& lote) {
    for (std::size_t i = lote.size(); i-- > 0;)
        if (!comeca_com(lote[i], "preparar ") && eh_comando(lote[i])) return i;
    for (std::size_t i = lote.size(); i-- > 0;)
        if (eh_comando(lote[i])) return i;
    return lote.empty() ? 0 : lote.size() - 1;
}

std::optional<ComandoDeMensagem> ler_comando_de_mensagem(std::string_view verbo, std::string_view resto) {
    ComandoDeMensagem c;
    c.verbo = std::string(verbo);
    const std::size_t t1 = resto.find('\t');
    const std::size_t t2 = t1 == std::string_view::npos ? t1 : resto.find('\t', t1 + 1);
    c.nick = aparar(resto.substr(0, t1));
    if (t1 != std::string_view::npos)
        c.nome = aparar(resto.substr(t1 + 1, t2 == std::string_view::npos ? t2 : t2 - t1 - 1));
    if (t2 != std::string_view::npos) c.texto = aparar(resto.substr(t2 + 1));
    const bool nick_ok = !c.nick.empty() && c.nick.size() <= 25 &&
                         std::all_of(c.nick.begin(), c.nick.end(), [](char ch) {
                             return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                                    (ch >= '0' && ch <= '9') || ch == '_';
                         });
    if (!nick_ok) return std::nullopt;
    return c;
}

std::optional<std::string> ler_codigo_de_emote(std::string_view resto) {
    const std::string codigo = aparar(resto);
    if (codigo.empty() || contar_escalares(codigo) > 100) return std::nullopt;
    for (std::size_t pos = 0; pos < codigo.size();) {
        const char32_t c = proximo_escalar(codigo, pos);
        if (eh_branco(c) || c <= 0x1F || (c >= 0x7F && c <= 0x9F)) return std::nullopt;
    }
    return codigo;
}
