#pragma once
// Um validador pequeno de JSON Schema (draft 2020-12), só com as palavras-chave
// que o esquema do protocolo usa. Uma palavra-chave que ele não conhece é erro
// ao carregar o esquema: assim o esquema não pode ganhar uma regra que ninguém
// confere.
//
// Conhecidas: $schema, $id, title, description, $comment, $defs, $ref (só
// "#/..." dentro do mesmo documento), type, const, enum, minimum, maximum,
// minLength, maxLength, pattern, items, prefixItems, minItems, maxItems,
// uniqueItems, properties, required, additionalProperties, dependentSchemas,
// allOf, anyOf, oneOf, not; e a nossa "x-ordem-das-chaves" (as chaves
// presentes aparecem nessa ordem relativa), que para o JSON Schema é só uma
// anotação.
//
// Um desvio do padrão, de propósito: "integer" é um número escrito sem parte
// decimal; 1.0 não é inteiro aqui (o protocolo nunca escreve frações).

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

using JsonOrdenado = nlohmann::ordered_json;

class EsquemaJson {
public:
    // Confere as palavras-chave do esquema inteiro; std::invalid_argument
    // com o caminho da primeira que não conhece.
    explicit EsquemaJson(JsonOrdenado raiz);

    // Nenhum quando "valor" satisfaz o subesquema apontado por "definicao"
    // ("" é a raiz; "#/$defs/x" ou "/$defs/x"); senão o primeiro problema,
    // com o caminho dentro do valor ("/buracos/0/2: ...").
    std::optional<std::string> conferir(const JsonOrdenado& valor, std::string_view definicao = "") const;

    const JsonOrdenado& raiz() const { return raiz_; }

private:
    struct Falha {
        std::string caminho;
        std::string mensagem;
        std::string alternativa = {};  // a mensagem do esquema em que a falha foi achada
        std::string texto() const;
    };
    std::optional<Falha> validar(const JsonOrdenado& esquema, const JsonOrdenado& valor,
                                 const std::string& caminho, int profundidade) const;
    std::optional<Falha> validar_objeto(const JsonOrdenado& esquema, const JsonOrdenado& valor,
                                        const std::string& caminho, int profundidade) const;
    std::optional<Falha> validar_lista(const JsonOrdenado& esquema, const JsonOrdenado& valor,
                                       const std::string& caminho, int profundidade) const;
    std::optional<Falha> validar_alternativas(const JsonOrdenado& esquema, const JsonOrdenado& valor,
                                              const std::string& caminho, int profundidade) const;
    const JsonOrdenado& resolver(std::string_view ref) const;
    bool declara(const JsonOrdenado& esquema, const std::string& chave, int profundidade) const;

    JsonOrdenado raiz_;
};
