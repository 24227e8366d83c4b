#include "estado/titulos.hpp"

#include <algorithm>
#include <array>

#include "comum/minusculas.hpp"
#include "comum/texto.hpp"

namespace {

bool eh_ascii_de_nome(char c, bool aceita_hifen) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           (aceita_hifen && c == '-');
}

std::string ascii_minusculo(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

std::string titulo_sem_contador(std::string_view t) {
    if (t.empty() || t.front() != '(') return std::string(t);
    const std::size_t fecha = t.find(')');
    if (fecha == std::string_view::npos) return std::string(t);
    const std::string_view dentro = t.substr(1, fecha - 1);
    const bool contador = std::all_of(dentro.begin(), dentro.end(),
                                      [](char c) { return (c >= '0' && c <= '9') || c == '+'; });
    if (!contador) return std::string(t);
    // Sem o prefixo e sem o branco que vem depois dele.
    std::string_view resto = t.substr(fecha + 1);
    std::size_t pos = 0;
    while (pos < resto.size()) {
        std::size_t prox = pos;
        if (!eh_branco(proximo_escalar(resto, prox))) break;
        pos = prox;
    }
    return std::string(resto.substr(pos));
}

bool mesmo_titulo(std::string_view a, std::string_view b) {
    const std::string x = titulo_sem_contador(a);
    const std::string y = titulo_sem_contador(b);
    return x.size() == y.size() && ascii_minusculo(x) == ascii_minusculo(y);
}

std::optional<Site> site_do_titulo(std::string_view titulo) {
    const std::string t = minusculas(titulo);
    if (t.find("twitch") != std::string::npos) return Site::Twitch;
    std::string palavra;
    auto fecha_palavra = [&]() {
        const bool kick = palavra == "kick";
        palavra.clear();
        return kick;
    };
    for (std::size_t pos = 0; pos < t.size();) {
        const std::size_t antes = pos;
        const char32_t c = proximo_escalar(t, pos);
        if (eh_letra_ou_digito(c)) {
            palavra.append(t, antes, pos - antes);
        } else if (fecha_palavra()) {
            return Site::Kick;
        }
    }
    if (fecha_palavra()) return Site::Kick;
    return std::nullopt;
}

std::optional<std::string> canal_do_titulo(std::string_view titulo) {
    const std::string t = titulo_sem_contador(titulo);
    const std::size_t fim = t.find(" - Twitch");
    const std::string canal = aparar(std::string_view(t).substr(0, fim));
    if (canal.size() < 3 || canal.size() > 25) return std::nullopt;
    if (!std::all_of(canal.begin(), canal.end(), [](char c) { return eh_ascii_de_nome(c, false); }))
        return std::nullopt;
    return ascii_minusculo(canal);
}

std::optional<std::string> canal_da_url(std::string_view endereco, Site site) {
    const std::size_t esquema = endereco.find("://");
    std::string_view resto = esquema == std::string_view::npos ? endereco : endereco.substr(esquema + 3);
    const std::size_t fim_do_host = resto.find_first_of("/?#");
    const std::string host = minusculas(resto.substr(0, fim_do_host));
    const std::string dominio = site == Site::Kick ? "kick.com" : "twitch.tv";
    const bool do_site = host == dominio || (host.size() > dominio.size() &&
                                             host.compare(host.size() - dominio.size() - 1, std::string::npos,
                                                          "." + dominio) == 0);
    if (!do_site) return std::nullopt;
    if (fim_do_host == std::string_view::npos || resto[fim_do_host] != '/') return std::nullopt;
    resto.remove_prefix(fim_do_host + 1);
    auto proximo_segmento = [&]() {
        const std::size_t fim = resto.find_first_of("/?#");
        const std::string_view s = resto.substr(0, fim);
        if (fim == std::string_view::npos || resto[fim] != '/')
            resto = {};
        else
            resto.remove_prefix(fim + 1);
        return std::string(s);
    };
    std::string candidato = proximo_segmento();
    if (ascii_minusculo(candidato) == "popout") candidato = proximo_segmento();
    static constexpr std::array<std::string_view, 15> kSecoes = {
        "drops",     "popout",    "videos",    "search",     "wallet",
        "browse",    "settings",  "category",  "directory",  "downloads",
        "inventory", "following", "dashboard", "categories", "subscriptions"};
    const std::string minusculo = ascii_minusculo(candidato);
    if (std::find(kSecoes.begin(), kSecoes.end(), minusculo) != kSecoes.end()) return std::nullopt;
    if (candidato.empty() ||
        !std::all_of(candidato.begin(), candidato.end(), [](char c) { return eh_ascii_de_nome(c, true); }))
        return std::nullopt;
    return minusculo;
}

bool e_palavra_de_comunidade(std::string_view texto) {
    const std::string t = minusculas(aparar(texto));
    return t == "community" || t == "comunidade" || t == "comunidad" || t == "communauté" || t == "comunità";
}

std::string rotulo_da_aba(std::string_view titulo) {
    const std::string t = titulo_sem_contador(titulo);
    const std::string m = minusculas(t);
    if (m.find(" - twitch") != std::string::npos || m.find(" - kick") != std::string::npos)
        return primeiros_escalares(t, 60);
    return "outra aba";
}
