#pragma once
// A saída padrão: só linhas JSON, cada uma escrita inteira sob a trava da
// saída e esvaziada em seguida, para que linhas de threads diferentes nunca se
// misturem. A trava da saída é a mais interna de todas.

#include <string>
#include <string_view>

#include "plataforma/sincronia.hpp"

// Escreve "objeto" seguido de "\n" numa única escrita. Falso quando a escrita
// ou o esvaziamento falharam (a linha se perde; ninguém tenta de novo).
bool escrever_linha(std::string_view objeto);

// A trava da saída, para quem precisa escrever mais de uma coisa junto
// (nenhum escritor de hoje precisa).
plataforma::Trava& trava_da_saida();

// Conteúdo de uma string JSON: aspas e barra invertida ganham a barra; cada
// caractere de controle abaixo de U+0020 vira um branco; o resto, inclusive
// todo o não-ASCII, passa como UTF-8 (nunca há escapes "\u"). Bytes que não
// são UTF-8 viram U+FFFD, para a linha continuar sendo JSON válido.
std::string escapar_json(std::string_view texto);
// A string já entre aspas.
std::string texto_json(std::string_view texto);
// A string entre aspas com os caracteres de controle escapados ("\n", "\t",
// "\r", "\u001b"...), sem perder nenhum: para arquivos que voltam a ser lidos
// (as cenas gravadas). Bytes que não são UTF-8 também viram U+FFFD.
std::string texto_json_exato(std::string_view texto);
