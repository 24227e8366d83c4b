#pragma once
// O leitor estrito de um objeto da cena: lê campo a campo, com o caminho para
// as mensagens, e recusa os campos que ninguém leu (um erro de digitação não
// passa calado).

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "comum/tipos.hpp"
#include "plataforma/simulada/cena.hpp"

namespace plataforma::simulada {

// O texto com as quebras de linha e os outros caracteres de controle trocados
// por escapes (\n, \t, \u001b...), para caber numa linha de mensagem.
std::string numa_linha(std::string_view s);
// O texto entre aspas, com as aspas e as barras de dentro escapadas também: o
// leitor da mensagem vê onde o texto acaba.
std::string citar(std::string_view s);

std::string indice(const std::string& caminho, std::size_t i);

class Leitor {
public:
    Leitor(const Json& j, std::string caminho);

    const std::string& caminho() const { return caminho_; }
    std::string de(const std::string& campo) const { return caminho_ + "." + campo; }

    [[noreturn]] void erro(const std::string& problema) const;
    [[noreturn]] static void erro_em(const std::string& caminho, const std::string& problema);

    bool tem(const std::string& campo);
    const Json& bruto(const std::string& campo);

    std::int64_t inteiro(const std::string& campo) { return como_inteiro(bruto(campo), de(campo)); }
    std::int64_t inteiro(const std::string& campo, std::int64_t padrao) {
        return tem(campo) ? inteiro(campo) : padrao;
    }
    std::int32_t inteiro32(const std::string& campo, std::int32_t padrao);
    std::uint32_t natural32(const std::string& campo, std::uint32_t padrao);

    std::string texto(const std::string& campo);
    std::string texto(const std::string& campo, const std::string& padrao) {
        return tem(campo) ? texto(campo) : padrao;
    }

    bool logico(const std::string& campo, bool padrao);
    Retangulo retangulo(const std::string& campo) { return como_retangulo(bruto(campo), de(campo)); }
    Ponto ponto(const std::string& campo);
    const Json& lista(const std::string& campo);

    // Recusa o primeiro campo que ninguém leu.
    void fim() const;

    // Um inteiro JSON em 64 bits com sinal. Os de 2^63 a 2^64 − 1 chegam do
    // JSON sem sinal e são recusados aqui, antes de qualquer conversão: lidos
    // como com sinal dariam a volta e virariam negativos.
    static std::int64_t como_inteiro(const Json& v, const std::string& caminho);
    static std::int32_t como_32(const Json& v, const std::string& caminho);
    static Retangulo como_retangulo(const Json& v, const std::string& caminho);

private:
    const Json& j_;
    std::string caminho_;
    std::set<std::string> lidos_;
};

}  // namespace plataforma::simulada
