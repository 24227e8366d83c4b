#include "plataforma/simulada/cena_leitor.hpp"

#include <cstdio>
#include <limits>
#include <utility>

#include "comum/texto.hpp"

namespace plataforma::simulada {

namespace {

// Os caracteres que quebram ou bagunçam uma linha de terminal ou de log: os de
// controle C0 e C1, o DEL e os separadores de linha e de parágrafo do Unicode.
bool quebra_a_linha(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

std::string escapado(std::string_view s, bool aspas_tambem) {
    std::string r;
    r.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t inicio = pos;
        const char32_t c = proximo_escalar(s, pos);
        if (c == '\n') {
            r += "\\n";
        } else if (c == '\r') {
            r += "\\r";
        } else if (c == '\t') {
            r += "\\t";
        } else if (quebra_a_linha(c)) {
            char u[8];
            std::snprintf(u, sizeof u, "\\u%04x", static_cast<unsigned>(c));
            r += u;
        } else if (aspas_tambem && (c == '"' || c == '\\')) {
            r += '\\';
            r += static_cast<char>(c);
        } else {
            // Os bytes como estavam (também os que não são UTF-8 válido).
            r.append(s.substr(inicio, pos - inicio));
        }
    }
    return r;
}

}  // namespace

std::string numa_linha(std::string_view s) { return escapado(s, false); }

std::string citar(std::string_view s) { return "\"" + escapado(s, true) + "\""; }

std::string indice(const std::string& caminho, std::size_t i) {
    return caminho + "[" + std::to_string(i) + "]";
}

ErroDeCena::ErroDeCena(const std::string& mensagem) : std::runtime_error(numa_linha(mensagem)) {}

Leitor::Leitor(const Json& j, std::string caminho) : j_(j), caminho_(std::move(caminho)) {
    if (!j_.is_object()) erro("esperava um objeto");
}

void Leitor::erro(const std::string& problema) const { throw ErroDeCena(caminho_ + ": " + problema); }

void Leitor::erro_em(const std::string& caminho, const std::string& problema) {
    throw ErroDeCena(caminho + ": " + problema);
}

bool Leitor::tem(const std::string& campo) {
    lidos_.insert(campo);
    return j_.contains(campo);
}

const Json& Leitor::bruto(const std::string& campo) {
    lidos_.insert(campo);
    const auto it = j_.find(campo);
    if (it == j_.end()) erro("falta o campo \"" + campo + "\"");
    return *it;
}

std::int32_t Leitor::inteiro32(const std::string& campo, std::int32_t padrao) {
    const std::int64_t v = inteiro(campo, padrao);
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        erro_em(de(campo), "fora da faixa de 32 bits");
    return static_cast<std::int32_t>(v);
}

std::uint32_t Leitor::natural32(const std::string& campo, std::uint32_t padrao) {
    const std::int64_t v = inteiro(campo, padrao);
    if (v < 0 || v > std::numeric_limits<std::uint32_t>::max())
        erro_em(de(campo), "esperava um inteiro entre 0 e 4294967295");
    return static_cast<std::uint32_t>(v);
}

std::string Leitor::texto(const std::string& campo) {
    const Json& v = bruto(campo);
    if (!v.is_string()) erro_em(de(campo), "esperava um texto");
    const std::string& s = v.get_ref<const std::string&>();
    if (!utf8_valido(s)) erro_em(de(campo), "texto que não é UTF-8 válido");
    return s;
}

bool Leitor::logico(const std::string& campo, bool padrao) {
    if (!tem(campo)) return padrao;
    const Json& v = bruto(campo);
    if (!v.is_boolean()) erro_em(de(campo), "esperava true ou false");
    return v.get<bool>();
}

Ponto Leitor::ponto(const std::string& campo) {
    const Json& v = bruto(campo);
    if (!v.is_array() || v.size() != 2) erro_em(de(campo), "esperava 2 inteiros [x, y]");
    return {como_32(v[0], de(campo) + "[0]"), como_32(v[1], de(campo) + "[1]")};
}

const Json& Leitor::lista(const std::string& campo) {
    const Json& v = bruto(campo);
    if (!v.is_array()) erro_em(de(campo), "esperava uma lista");
    return v;
}

void Leitor::fim() const {
    for (auto it = j_.begin(); it != j_.end(); ++it)
        if (!lidos_.count(it.key())) erro("campo desconhecido " + citar(it.key()));
}

std::int64_t Leitor::como_inteiro(const Json& v, const std::string& caminho) {
    // O JSON guarda todo inteiro não negativo sem sinal: é preciso olhar esse
    // caso antes, porque is_number_integer() também vale para ele.
    if (v.is_number_unsigned()) {
        const auto u = v.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            erro_em(caminho, "inteiro grande demais");
        return static_cast<std::int64_t>(u);
    }
    if (v.is_number_integer()) return v.get<std::int64_t>();
    erro_em(caminho, "esperava um inteiro");
}

std::int32_t Leitor::como_32(const Json& v, const std::string& caminho) {
    const std::int64_t x = como_inteiro(v, caminho);
    if (x < std::numeric_limits<std::int32_t>::min() || x > std::numeric_limits<std::int32_t>::max())
        erro_em(caminho, "fora da faixa de 32 bits");
    return static_cast<std::int32_t>(x);
}

Retangulo Leitor::como_retangulo(const Json& v, const std::string& caminho) {
    if (!v.is_array() || v.size() != 4)
        erro_em(caminho, "esperava 4 inteiros [esquerda, topo, direita, base]");
    return {como_32(v[0], caminho), como_32(v[1], caminho), como_32(v[2], caminho), como_32(v[3], caminho)};
}

}  // namespace plataforma::simulada
