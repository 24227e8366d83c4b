#include "plataforma/simulada/cena_json.hpp"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/cena_leitor.hpp"
#include "plataforma/simulada/cena_limites.hpp"

namespace plataforma::simulada {

namespace {

// Monta a árvore do JSON evento a evento, como a montagem da própria
// biblioteca, mas conferindo os limites na hora em que cada lista, objeto ou
// campo chega: um arquivo com 100000 níveis para no nível 201, antes de
// existir uma árvore funda que as recursões de depois (cópia, comparação,
// gravação, montagem dos elementos) não aguentariam.
class Montagem {
public:
    Montagem(Json& raiz, const std::string& texto) : raiz_(raiz), texto_(texto) {}

    bool null() { return valor(Json(nullptr)); }
    bool boolean(bool v) { return valor(Json(v)); }
    bool number_integer(Json::number_integer_t v) { return valor(Json(v)); }
    bool number_unsigned(Json::number_unsigned_t v) { return valor(Json(v)); }
    bool number_float(Json::number_float_t v, const Json::string_t&) { return valor(Json(v)); }
    bool string(Json::string_t& v) { return valor(Json(std::move(v))); }
    bool binary(Json::binary_t& v) { return valor(Json::binary(std::move(v))); }
    bool start_object(std::size_t) { return abrir(Json::object()); }
    bool start_array(std::size_t) { return abrir(Json::array()); }
    bool end_object() { return fechar(); }
    bool end_array() { return fechar(); }

    bool key(Json::string_t& chave) {
        Nivel& n = pilha_.back();
        auto& objeto = n.json->get_ref<Json::object_t&>();
        if (objeto.find(chave) != objeto.end())
            return falhar(caminho(false) + ": campo repetido " + citar(chave));
        if (objeto.size() >= limites::kCamposPorObjeto)
            return falhar(caminho(false) + ": mais de " + std::to_string(limites::kCamposPorObjeto) +
                          " campos num objeto");
        n.chave = chave;
        proximo_ = &objeto.emplace(n.chave, Json()).first->second;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const Json::exception& e) {
        // 406: um número que nem um double guarda (1e400, um inteiro de 400
        // dígitos). Aqui ainda se sabe de que campo ele é.
        if (e.id == 406) return falhar(caminho(true) + ": número grande demais");
        std::size_t byte = 0;
        if (const auto* p = dynamic_cast<const Json::parse_error*>(&e)) byte = p->byte;
        // Linha e coluna do byte onde o JSON quebrou.
        std::size_t linha = 1, coluna = 1;
        const std::size_t ate = std::min<std::size_t>(byte ? byte - 1 : 0, texto_.size());
        for (std::size_t i = 0; i < ate; ++i) {
            if (texto_[i] == '\n') {
                ++linha;
                coluna = 1;
            } else {
                ++coluna;
            }
        }
        return falhar("JSON inválido na linha " + std::to_string(linha) + ", coluna " +
                      std::to_string(coluna));
    }

    const std::optional<std::string>& erro() const { return erro_; }

private:
    struct Nivel {
        Json* json = nullptr;
        std::string chave;      // num objeto, o campo sendo lido
        std::size_t itens = 0;  // numa lista, quantos itens já vieram
    };

    // Onde vai o próximo valor: a raiz, o fim da lista aberta ou o campo que
    // acabou de chegar no objeto aberto.
    Json* lugar() {
        if (pilha_.empty()) return &raiz_;
        Nivel& n = pilha_.back();
        if (n.json->is_array()) {
            n.json->get_ref<Json::array_t&>().emplace_back();
            ++n.itens;
            return &n.json->back();
        }
        return proximo_;
    }

    bool valor(Json v) {
        *lugar() = std::move(v);
        return true;
    }

    bool abrir(Json vazio) {
        if (pilha_.size() >= limites::kNiveisDeJson)
            return falhar(caminho(true) + ": mais de " + std::to_string(limites::kNiveisDeJson) +
                          " níveis de listas e objetos uns dentro dos outros");
        Json* j = lugar();
        *j = std::move(vazio);
        pilha_.push_back(Nivel{j, {}, 0});
        return true;
    }

    bool fechar() {
        pilha_.pop_back();
        return true;
    }

    bool falhar(std::string mensagem) {
        erro_ = std::move(mensagem);
        return false;
    }

    // O caminho do objeto ou da lista aberta, ou ("do_proximo") o do valor
    // que vem agora dentro dela. Fundo demais, o meio fica de fora: a linha
    // continua legível.
    std::string caminho(bool do_proximo) const {
        std::vector<std::string> partes;
        for (std::size_t i = 0; i < pilha_.size(); ++i) {
            const Nivel& n = pilha_[i];
            const bool ultimo = i + 1 == pilha_.size();
            if (ultimo && !do_proximo) break;
            if (n.json->is_object())
                partes.push_back("." + n.chave);
            else
                partes.push_back("[" + std::to_string(ultimo ? n.itens : n.itens - 1) + "]");
        }
        constexpr std::size_t kPontas = 6;
        std::string r = "cena";
        for (std::size_t i = 0; i < partes.size(); ++i) {
            if (partes.size() > 2 * kPontas + 1 && i == kPontas) {
                r += "…";
                i = partes.size() - kPontas - 1;
                continue;
            }
            r += partes[i];
        }
        return r;
    }

    Json& raiz_;
    const std::string& texto_;
    std::vector<Nivel> pilha_;
    Json* proximo_ = nullptr;
    std::optional<std::string> erro_;
};

}  // namespace

Json ler_json_da_cena(const std::string& texto) {
    Json raiz;
    Montagem m(raiz, texto);
    bool ok = false;
    try {
        ok = Json::sax_parse(texto, &m);
    } catch (const Json::exception& e) {
        // Nenhum caminho conhecido lança aqui (os erros chegam a parse_error),
        // mas uma exceção da biblioteca nunca pode derrubar o programa.
        throw ErroDeCena(std::string("JSON inválido: ") + e.what());
    }
    if (!ok) throw ErroDeCena(m.erro().value_or("JSON inválido"));
    return raiz;
}

}  // namespace plataforma::simulada
