#pragma once
// Texto: o programa guarda tudo em UTF-8; o Windows fala UTF-16.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Próximo valor escalar Unicode a partir de "pos"; avança "pos". Bytes que não
// formam UTF-8 válido dão U+FFFD, um byte por vez.
char32_t proximo_escalar(std::string_view s, std::size_t& pos);
void acrescentar_utf8(std::string& destino, char32_t c);

bool utf8_valido(std::string_view s);
// Troca sequências inválidas por U+FFFD.
std::string utf8_consertado(std::string_view s);

std::u16string utf8_para_utf16(std::string_view s);
// Conversão com substituição das metades de par soltas por U+FFFD.
std::string utf16_para_utf8(std::u16string_view s);

// Corta o texto para caber em "unidades" unidades UTF-16, sem partir um
// caractere (o que as chamadas do Windows com buffer fixo fazem).
std::string cortar_em_unidades_utf16(std::string_view s, std::size_t unidades);
// Primeiros "n" valores escalares, em UTF-8 válido (o byte solto vira U+FFFD).
std::string primeiros_escalares(std::string_view s, std::size_t n);
std::size_t contar_escalares(std::string_view s);

// Espaço em branco Unicode (propriedade White_Space).
bool eh_branco(char32_t c);
std::string aparar(std::string_view s);

// Parte em brancos, junta as palavras com um branco só e põe em minúsculas:
// a forma de comparar nomes e textos de mensagens.
std::string normalizar(std::string_view s);

// O texto entre aspas, como está (os títulos nas linhas de log).
inline std::string entre_aspas(std::string_view s) { return "\"" + std::string(s) + "\""; }

// "parte" aparece em "texto" (maiúsculas e minúsculas contam).
inline bool contem(std::string_view texto, std::string_view parte) {
    return texto.find(parte) != std::string_view::npos;
}
// Uma das palavras de "lista" (separadas por brancos ASCII) é exatamente
// "palavra": as classes de um elemento da página.
bool tem_palavra(std::string_view lista, std::string_view palavra);

// "HRESULT 0x80070005": a forma de um erro do Windows nos logs.
std::string texto_de_hresult(std::uint32_t hresult);
// O HRESULT de um código do GetLastError (HRESULT_FROM_WIN32); 0 continua 0.
constexpr std::uint32_t hresult_do_win32(std::uint32_t codigo) {
    return codigo == 0 || (codigo & 0x80000000u) ? codigo : (codigo & 0xFFFFu) | 0x80070000u;
}

// Um inteiro com um "+" ou "-" opcional e um ou mais dígitos ASCII, nada mais,
// dentro de 64 bits com sinal (os handles da linha de comando).
std::optional<std::int64_t> ler_inteiro(std::string_view texto);
// O mesmo depois de aparar os brancos, dentro de [minimo, maximo].
std::optional<std::int64_t> ler_numero(std::string_view texto, std::int64_t minimo, std::int64_t maximo);

// Um caminho de arquivo dado em UTF-8 (no Windows o caminho é largo).
inline std::filesystem::path caminho_utf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Grava o texto inteiro no arquivo, trocando o que havia; falso quando o
// arquivo não abriu ou a escrita falhou.
bool gravar_arquivo(std::string_view caminho, std::string_view texto);
