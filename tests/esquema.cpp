#include "esquema.hpp"

#include <regex>
#include <set>
#include <stdexcept>
#include <vector>

namespace {

const std::set<std::string, std::less<>> kPalavras{"$schema",
                                                   "$id",
                                                   "title",
                                                   "description",
                                                   "$comment",
                                                   "$defs",
                                                   "$ref",
                                                   "type",
                                                   "const",
                                                   "enum",
                                                   "minimum",
                                                   "maximum",
                                                   "minLength",
                                                   "maxLength",
                                                   "pattern",
                                                   "items",
                                                   "prefixItems",
                                                   "minItems",
                                                   "maxItems",
                                                   "uniqueItems",
                                                   "properties",
                                                   "required",
                                                   "additionalProperties",
                                                   "dependentSchemas",
                                                   "allOf",
                                                   "anyOf",
                                                   "oneOf",
                                                   "not",
                                                   "x-ordem-das-chaves"};

const std::set<std::string, std::less<>> kTipos{"null",   "boolean", "integer", "number",
                                                "string", "array",   "object"};

// Um esquema recursivo sem fim (um $ref que aponta para si) não pode travar
// o teste.
constexpr int kProfundidadeMaxima = 64;

[[noreturn]] void recusar(const std::string& caminho, const std::string& problema) {
    throw std::invalid_argument("esquema " + (caminho.empty() ? std::string("(raiz)") : caminho) + ": " +
                                problema);
}

bool lista_de_textos(const JsonOrdenado& v) {
    if (!v.is_array()) return false;
    for (const auto& x : v)
        if (!x.is_string()) return false;
    return true;
}

bool do_tipo(const JsonOrdenado& v, std::string_view tipo) {
    if (tipo == "null") return v.is_null();
    if (tipo == "boolean") return v.is_boolean();
    if (tipo == "integer") return v.is_number_integer();
    if (tipo == "number") return v.is_number();
    if (tipo == "string") return v.is_string();
    if (tipo == "array") return v.is_array();
    return v.is_object();
}

std::string tipo_de(const JsonOrdenado& v) {
    if (v.is_null()) return "null";
    if (v.is_boolean()) return "boolean";
    if (v.is_number_integer()) return "integer";
    if (v.is_number()) return "número com fração";
    if (v.is_string()) return "string";
    if (v.is_array()) return "array";
    return "object";
}

std::string resumo(const JsonOrdenado& v) {
    std::string s = v.dump();
    if (s.size() > 60) s = s.substr(0, 57) + "...";
    return s;
}

std::size_t escalares(const std::string& s) {
    std::size_t n = 0;
    for (const unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// Comparações de números de até 64 bits, com ou sem sinal, sem perder
// precisão: o long double tem ao menos 64 bits de mantissa aqui.
long double numero(const JsonOrdenado& v) {
    if (v.is_number_unsigned()) return static_cast<long double>(v.get<std::uint64_t>());
    if (v.is_number_integer()) return static_cast<long double>(v.get<std::int64_t>());
    return static_cast<long double>(v.get<double>());
}

std::string rotulo(const JsonOrdenado& alternativa, std::size_t i) {
    if (alternativa.is_object() && alternativa.contains("$ref")) {
        const std::string ref = alternativa["$ref"].get<std::string>();
        return ref.substr(ref.rfind('/') + 1);
    }
    return "alternativa " + std::to_string(i + 1);
}

}  // namespace

std::string EsquemaJson::Falha::texto() const {
    return (alternativa.empty() ? "" : "(" + alternativa + ") ") + (caminho.empty() ? "(raiz)" : caminho) +
           ": " + mensagem;
}

EsquemaJson::EsquemaJson(JsonOrdenado raiz) : raiz_(std::move(raiz)) {
    // Confere tudo de uma vez, inclusive que cada $ref aponta para algo.
    std::vector<std::pair<const JsonOrdenado*, std::string>> pendentes{{&raiz_, ""}};
    while (!pendentes.empty()) {
        const auto [e, caminho] = pendentes.back();
        pendentes.pop_back();
        if (e->is_boolean()) continue;
        if (!e->is_object()) recusar(caminho, "um esquema é um objeto ou um booleano");
        for (const auto& [k, v] : e->items()) {
            const std::string aqui = caminho + "/" + k;
            if (!kPalavras.count(k))
                recusar(caminho, "palavra-chave que o validador não conhece \"" + k + "\"");
            if (k == "$defs" || k == "properties" || k == "dependentSchemas") {
                if (!v.is_object()) recusar(aqui, "esperava um objeto");
                for (const auto& [nome, sub] : v.items()) pendentes.emplace_back(&sub, aqui + "/" + nome);
            } else if (k == "items" || k == "not" || k == "additionalProperties") {
                pendentes.emplace_back(&v, aqui);
            } else if (k == "allOf" || k == "anyOf" || k == "oneOf" || k == "prefixItems") {
                if (!v.is_array() || v.empty()) recusar(aqui, "esperava uma lista não vazia de esquemas");
                for (std::size_t i = 0; i < v.size(); ++i)
                    pendentes.emplace_back(&v[i], aqui + "/" + std::to_string(i));
            } else if (k == "$ref") {
                if (!v.is_string() || v.get<std::string>().rfind('#', 0) != 0)
                    recusar(aqui, "só referências dentro do documento (\"#/...\")");
                try {
                    (void)resolver(v.get<std::string>());
                } catch (const std::exception&) {
                    recusar(aqui, "aponta para nada: " + v.get<std::string>());
                }
            } else if (k == "type") {
                const bool ok = (v.is_string() && kTipos.count(v.get<std::string>())) ||
                                (lista_de_textos(v) && !v.empty() && [&] {
                                    for (const auto& t : v)
                                        if (!kTipos.count(t.get<std::string>())) return false;
                                    return true;
                                }());
                if (!ok) recusar(aqui, "tipo desconhecido " + resumo(v));
            } else if (k == "required" || k == "x-ordem-das-chaves") {
                if (!lista_de_textos(v)) recusar(aqui, "esperava uma lista de nomes de chave");
            } else if (k == "pattern") {
                if (!v.is_string()) recusar(aqui, "esperava um texto");
                try {
                    std::regex(v.get<std::string>(), std::regex::ECMAScript);
                } catch (const std::regex_error&) {
                    recusar(aqui, "expressão regular inválida");
                }
            } else if (k == "minimum" || k == "maximum") {
                if (!v.is_number()) recusar(aqui, "esperava um número");
            } else if (k == "minLength" || k == "maxLength" || k == "minItems" || k == "maxItems") {
                if (!v.is_number_unsigned() && !(v.is_number_integer() && v.get<std::int64_t>() >= 0))
                    recusar(aqui, "esperava um inteiro não negativo");
            } else if (k == "uniqueItems") {
                if (!v.is_boolean()) recusar(aqui, "esperava um booleano");
            } else if (k == "enum") {
                if (!v.is_array() || v.empty()) recusar(aqui, "esperava uma lista não vazia");
            }
        }
    }
}

const JsonOrdenado& EsquemaJson::resolver(std::string_view ref) const {
    if (!ref.empty() && ref.front() == '#') ref.remove_prefix(1);
    if (ref.empty()) return raiz_;
    return raiz_.at(JsonOrdenado::json_pointer(std::string(ref)));
}

std::optional<std::string> EsquemaJson::conferir(const JsonOrdenado& valor,
                                                 std::string_view definicao) const {
    const auto f = validar(resolver(definicao), valor, "", 0);
    if (!f) return std::nullopt;
    return f->texto();
}

bool EsquemaJson::declara(const JsonOrdenado& esquema, const std::string& chave, int profundidade) const {
    if (!esquema.is_object() || profundidade > kProfundidadeMaxima) return false;
    if (esquema.contains("$ref") &&
        declara(resolver(esquema["$ref"].get<std::string>()), chave, profundidade + 1))
        return true;
    if (esquema.contains("properties") && esquema["properties"].contains(chave)) return true;
    for (const char* k : {"oneOf", "anyOf", "allOf"})
        if (esquema.contains(k))
            for (const auto& alt : esquema[k])
                if (declara(alt, chave, profundidade + 1)) return true;
    return false;
}

std::optional<EsquemaJson::Falha> EsquemaJson::validar(const JsonOrdenado& e, const JsonOrdenado& v,
                                                       const std::string& caminho, int profundidade) const {
    if (profundidade > kProfundidadeMaxima) return Falha{caminho, "esquema fundo demais (um $ref em ciclo?)"};
    if (e.is_boolean()) {
        if (e.get<bool>()) return std::nullopt;
        return Falha{caminho, "nada serve aqui, veio " + resumo(v)};
    }
    if (const auto r = e.find("$ref"); r != e.end())
        if (auto f = validar(resolver(r->get<std::string>()), v, caminho, profundidade + 1)) return f;
    if (const auto t = e.find("type"); t != e.end()) {
        bool ok = false;
        if (t->is_string()) {
            ok = do_tipo(v, t->get<std::string>());
        } else {
            for (const auto& x : *t) ok = ok || do_tipo(v, x.get<std::string>());
        }
        if (!ok) return Falha{caminho, "esperava " + t->dump() + ", veio " + tipo_de(v) + " " + resumo(v)};
    }
    if (const auto c = e.find("const"); c != e.end() && v != *c)
        return Falha{caminho, "esperava exatamente " + c->dump() + ", veio " + resumo(v)};
    if (const auto en = e.find("enum"); en != e.end()) {
        bool ok = false;
        for (const auto& x : *en) ok = ok || v == x;
        if (!ok) return Falha{caminho, "esperava um de " + en->dump() + ", veio " + resumo(v)};
    }
    if (v.is_number()) {
        if (const auto m = e.find("minimum"); m != e.end() && numero(v) < numero(*m))
            return Falha{caminho, v.dump() + " abaixo do mínimo " + m->dump()};
        if (const auto m = e.find("maximum"); m != e.end() && numero(v) > numero(*m))
            return Falha{caminho, v.dump() + " acima do máximo " + m->dump()};
    }
    if (v.is_string()) {
        const std::string s = v.get<std::string>();
        if (const auto m = e.find("minLength"); m != e.end() && escalares(s) < m->get<std::size_t>())
            return Falha{caminho, "texto com menos de " + m->dump() + " caracteres: " + resumo(v)};
        if (const auto m = e.find("maxLength"); m != e.end() && escalares(s) > m->get<std::size_t>())
            return Falha{caminho, "texto com mais de " + m->dump() + " caracteres: " + resumo(v)};
        if (const auto p = e.find("pattern"); p != e.end()) {
            const std::regex re(p->get<std::string>(), std::regex::ECMAScript);
            if (!std::regex_search(s, re)) return Falha{caminho, resumo(v) + " fora do padrão " + p->dump()};
        }
    }
    if (v.is_array())
        if (auto f = validar_lista(e, v, caminho, profundidade)) return f;
    if (v.is_object())
        if (auto f = validar_objeto(e, v, caminho, profundidade)) return f;
    return validar_alternativas(e, v, caminho, profundidade);
}

std::optional<EsquemaJson::Falha> EsquemaJson::validar_lista(const JsonOrdenado& e, const JsonOrdenado& v,
                                                             const std::string& caminho,
                                                             int profundidade) const {
    std::size_t prefixo = 0;
    if (const auto p = e.find("prefixItems"); p != e.end()) {
        prefixo = p->size();
        for (std::size_t i = 0; i < std::min(prefixo, v.size()); ++i)
            if (auto f = validar((*p)[i], v[i], caminho + "/" + std::to_string(i), profundidade + 1))
                return f;
    }
    if (const auto it = e.find("items"); it != e.end())
        for (std::size_t i = prefixo; i < v.size(); ++i)
            if (auto f = validar(*it, v[i], caminho + "/" + std::to_string(i), profundidade + 1)) return f;
    if (const auto m = e.find("minItems"); m != e.end() && v.size() < m->get<std::size_t>())
        return Falha{caminho,
                     "lista com " + std::to_string(v.size()) + " elementos, o mínimo é " + m->dump()};
    if (const auto m = e.find("maxItems"); m != e.end() && v.size() > m->get<std::size_t>())
        return Falha{caminho,
                     "lista com " + std::to_string(v.size()) + " elementos, o máximo é " + m->dump()};
    if (e.value("uniqueItems", false))
        for (std::size_t i = 0; i < v.size(); ++i)
            for (std::size_t j = i + 1; j < v.size(); ++j)
                if (v[i] == v[j])
                    return Falha{caminho, "elementos " + std::to_string(i) + " e " + std::to_string(j) +
                                              " repetidos: " + resumo(v[i])};
    return std::nullopt;
}

std::optional<EsquemaJson::Falha> EsquemaJson::validar_objeto(const JsonOrdenado& e, const JsonOrdenado& v,
                                                              const std::string& caminho,
                                                              int profundidade) const {
    if (const auto r = e.find("required"); r != e.end())
        for (const auto& k : *r)
            if (!v.contains(k.get<std::string>())) return Falha{caminho, "falta a chave " + k.dump()};
    const auto props = e.find("properties");
    const auto adicionais = e.find("additionalProperties");
    for (const auto& [k, sub] : v.items()) {
        const std::string aqui = caminho + "/" + k;
        if (props != e.end() && props->contains(k)) {
            if (auto f = validar((*props)[k], sub, aqui, profundidade + 1)) return f;
        } else if (adicionais != e.end()) {
            if (adicionais->is_boolean() && !adicionais->get<bool>())
                return Falha{caminho, "chave que o protocolo não tem \"" + k + "\""};
            if (auto f = validar(*adicionais, sub, aqui, profundidade + 1)) return f;
        }
    }
    if (const auto d = e.find("dependentSchemas"); d != e.end())
        for (const auto& [k, sub] : d->items())
            if (v.contains(k))
                if (auto f = validar(sub, v, caminho, profundidade + 1))
                    return Falha{f->caminho, "com a chave \"" + k + "\": " + f->mensagem};
    if (const auto o = e.find("x-ordem-das-chaves"); o != e.end()) {
        std::size_t ultimo = 0;
        std::string anterior;
        for (const auto& [k, sub] : v.items()) {
            std::size_t pos = 0;
            while (pos < o->size() && (*o)[pos] != k) ++pos;
            if (pos == o->size()) continue;
            if (!anterior.empty() && pos < ultimo)
                return Falha{caminho, "a chave \"" + k + "\" veio depois de \"" + anterior +
                                          "\"; a ordem é " + o->dump()};
            ultimo = pos;
            anterior = k;
        }
    }
    return std::nullopt;
}

std::optional<EsquemaJson::Falha> EsquemaJson::validar_alternativas(const JsonOrdenado& e,
                                                                    const JsonOrdenado& v,
                                                                    const std::string& caminho,
                                                                    int profundidade) const {
    if (const auto a = e.find("allOf"); a != e.end())
        for (const auto& sub : *a)
            if (auto f = validar(sub, v, caminho, profundidade + 1)) return f;
    if (const auto n = e.find("not"); n != e.end() && !validar(*n, v, caminho, profundidade + 1))
        return Falha{caminho, "serve ao esquema de \"not\": " + resumo(v)};
    for (const char* palavra : {"anyOf", "oneOf"}) {
        const auto alts = e.find(palavra);
        if (alts == e.end()) continue;
        std::vector<std::string> servem;
        std::vector<std::pair<std::string, Falha>> falhas;
        for (std::size_t i = 0; i < alts->size(); ++i) {
            const JsonOrdenado& alt = (*alts)[i];
            if (auto f = validar(alt, v, caminho, profundidade + 1))
                falhas.emplace_back(rotulo(alt, i), *f);
            else
                servem.push_back(rotulo(alt, i));
        }
        if (servem.size() > 1 && std::string_view(palavra) == "oneOf") {
            std::string nomes;
            for (const auto& s : servem) nomes += (nomes.empty() ? "" : ", ") + s;
            return Falha{caminho, "serve a mais de uma alternativa de oneOf (" + nomes + ")"};
        }
        if (!servem.empty()) continue;
        // Cada mensagem do protocolo se reconhece pela primeira chave: as
        // falhas que contam são as das alternativas que declaram essa chave.
        std::vector<std::pair<std::string, Falha>> contam;
        if (v.is_object() && !v.empty()) {
            const std::string primeira = v.begin().key();
            for (std::size_t i = 0; i < alts->size(); ++i)
                if (declara((*alts)[i], primeira, profundidade + 1)) {
                    for (const auto& f : falhas)
                        if (f.first == rotulo((*alts)[i], i)) contam.push_back(f);
                }
        }
        if (contam.empty()) contam = falhas;
        for (auto& [nome, f] : contam)
            if (f.alternativa.empty()) f.alternativa = nome;
        if (contam.size() == 1) return contam[0].second;
        std::string todas;
        for (const auto& [nome, f] : contam) todas += (todas.empty() ? "" : "; ") + f.texto();
        return Falha{caminho, "nenhuma alternativa serve: " + todas};
    }
    return std::nullopt;
}
