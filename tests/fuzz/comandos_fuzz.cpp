// As linhas da entrada padrão, como o app (ou qualquer coisa) as mandar: cada
// linha passa pelos leitores dos comandos, e o lote escolhe uma.

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "acoes/comandos.hpp"
#include "comum/texto.hpp"

namespace {

void exigir(bool condicao) {
    if (!condicao) std::abort();
}

// O nick que sobra de um comando: de 1 a 25 letras ASCII, dígitos ou "_".
bool nick_aceitavel(const std::string& nick) {
    if (nick.empty() || nick.size() > 25) return false;
    for (const char c : nick)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

void mensagem(std::string_view verbo, std::string_view resto) {
    const auto c = ler_comando_de_mensagem(verbo, resto);
    if (!c) return;
    exigir(c->verbo == verbo && nick_aceitavel(c->nick));
    exigir(utf8_valido(c->nome) && utf8_valido(c->texto));
}

void uma_linha(std::string_view l) {
    if (comeca_com(l, "emote ")) {
        if (const auto codigo = ler_codigo_de_emote(l.substr(6))) {
            exigir(!codigo->empty() && contar_escalares(*codigo) <= 100 && utf8_valido(*codigo));
            std::size_t pos = 0;
            while (pos < codigo->size()) exigir(!eh_branco(proximo_escalar(*codigo, pos)));
        }
    } else if (comeca_com(l, "perfil-botao ")) {
        const std::string_view resto = l.substr(13);
        const std::size_t branco = resto.find(' ');
        if (branco != std::string_view::npos) mensagem("perfil", resto.substr(branco + 1));
    } else if (comeca_com(l, "responder ")) {
        mensagem("responder", l.substr(10));
    } else if (comeca_com(l, "perfil ")) {
        mensagem("perfil", l.substr(7));
    } else if (comeca_com(l, "preparar ")) {
        mensagem("preparar", l.substr(9));
    }
    // Os números de "fixar", "pulsar" e "sacudir".
    for (const std::size_t corte : {6, 7, 8})
        if (l.size() >= corte)
            if (const auto n = ler_numero(l.substr(corte), std::numeric_limits<std::int32_t>::min(),
                                          std::numeric_limits<std::int32_t>::max()))
                exigir(*n >= std::numeric_limits<std::int32_t>::min() &&
                       *n <= std::numeric_limits<std::int32_t>::max());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string_view entrada(reinterpret_cast<const char*>(dados), tamanho);
    std::vector<std::string> lote;
    std::size_t inicio = 0;
    while (inicio <= entrada.size()) {
        std::size_t fim = entrada.find('\n', inicio);
        if (fim == std::string_view::npos) fim = entrada.size();
        std::string linha(entrada.substr(inicio, fim - inicio));
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        // O leitor encerra a entrada na primeira linha que não é UTF-8.
        if (!utf8_valido(linha)) break;
        uma_linha(linha);
        lote.push_back(std::move(linha));
        inicio = fim + 1;
    }
    if (!lote.empty()) exigir(escolher_do_lote(lote) < lote.size());
    return 0;
}
