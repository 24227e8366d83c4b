// Os ajudantes de texto sobre bytes quaisquer: o que vem do navegador, da
// entrada padrão e das variáveis de ambiente passa por eles.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "comum/minusculas.hpp"
#include "comum/texto.hpp"
#include "estado/saida.hpp"

namespace {

// A linha da conferência que falhou vai para o relato antes da queda.
void exigir(bool condicao, int linha = __builtin_LINE()) {
    if (condicao) return;
    std::fprintf(stderr, "texto_fuzz.cpp:%d: conferência falhou\n", linha);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string_view s(reinterpret_cast<const char*>(dados), tamanho);

    const std::string consertado = utf8_consertado(s);
    exigir(utf8_valido(consertado));
    exigir(utf8_valido(s) == (consertado == s));

    // UTF-8 → UTF-16 → UTF-8 devolve o texto consertado.
    const std::u16string largo = utf8_para_utf16(s);
    exigir(utf16_para_utf8(largo) == consertado);
    // E bytes quaisquer lidos como UTF-16 (metades soltas) saem UTF-8 válido.
    const std::u16string_view unidades(reinterpret_cast<const char16_t*>(dados), tamanho / 2);
    exigir(utf8_valido(utf16_para_utf8(unidades)));

    // O texto escapado é uma cadeia JSON que volta ao texto consertado, com
    // cada caractere de controle trocado por um espaço.
    std::string esperado = consertado;
    for (char& c : esperado)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    const std::string escapado = escapar_json(s);
    const auto lido = nlohmann::json::parse("\"" + escapado + "\"", nullptr, false);
    exigir(lido.is_string() && lido.get<std::string>() == esperado);
    exigir(nlohmann::json::parse(texto_json(s), nullptr, false) == lido);

    const std::string baixo = minusculas(s);
    exigir(utf8_valido(baixo));
    exigir(minusculas(baixo) == baixo);
    const std::string normal = normalizar(s);
    exigir(utf8_valido(normal) && normalizar(normal) == normal);
    exigir(utf8_valido(aparar(consertado)));

    for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{7}, tamanho / 2}) {
        const std::string cortado = cortar_em_unidades_utf16(s, n);
        exigir(utf8_valido(cortado) && utf8_para_utf16(cortado).size() <= n);
        const std::string primeiros = primeiros_escalares(s, n);
        exigir(utf8_valido(primeiros) && contar_escalares(primeiros) <= n);
    }

    if (const auto n = ler_inteiro(s)) exigir(ler_numero(s, *n, *n) == n);
    if (const auto n = ler_numero(s, -5, 5)) exigir(*n >= -5 && *n <= 5);
    return 0;
}
