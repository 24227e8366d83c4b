#include "acoes/comandos.hpp"

#include <algorithm>
#include <utility>

#include "comum/texto.hpp"

bool comeca_com(std::string_view s, std::string_view prefixo) {
    return s.substr(0, prefixo.size()) == prefixo;
}

std::optional<LinhaDeComando> ler_linha_de_comando(std::string_view l) {
    using Verbo = LinhaDeComando::Verbo;
    LinhaDeComando c;
    if (comeca_com(l, "emote ")) {
        auto codigo = ler_codigo_de_emote(l.substr(6));
        if (!codigo) return std::nullopt;
        c.verbo = Verbo::emote;
        c.codigo = std::move(*codigo);
        return c;
    }
    std::string_view verbo;
    std::string_view resto;
    if (comeca_com(l, "perfil-botao ")) {
        resto = l.substr(13);
        const std::size_t branco = resto.find(' ');
        if (branco == std::string_view::npos) return std::nullopt;
        c.verbo = Verbo::perfil_botao;
        c.botao = std::string(resto.substr(0, branco));
        verbo = "perfil";
        resto = resto.substr(branco + 1);
    } else {
        constexpr std::pair<std::string_view, Verbo> kVerbos[] = {
            {"responder", Verbo::responder}, {"perfil", Verbo::perfil}, {"preparar", Verbo::preparar}};
        for (const auto& [nome, v] : kVerbos)
            if (comeca_com(l, nome) && l.size() > nome.size() && l[nome.size()] == ' ') {
                c.verbo = v;
                verbo = nome;
                resto = l.substr(nome.size() + 1);
                break;
            }
        if (verbo.empty()) return std::nullopt;
    }
    auto mensagem = ler_comando_de_mensagem(verbo, resto);
    if (!mensagem) return std::nullopt;
    c.mensagem = std::move(*mensagem);
    return c;
}

std::size_t escolher_do_lote(const std::vector<std::string>& lote) {
    for (std::size_t i = lote.size(); i-- > 0;)
        if (const auto c = ler_linha_de_comando(lote[i]); c && c->verbo != LinhaDeComando::Verbo::preparar)
            return i;
    for (std::size_t i = lote.size(); i-- > 0;)
        if (ler_linha_de_comando(lote[i])) return i;
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
