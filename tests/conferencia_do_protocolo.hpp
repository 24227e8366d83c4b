#pragma once
// A conferência da saída padrão do programa contra o protocolo que o app lê
// (docs/protocolo.md e docs/protocolo.schema.json): cada linha uma mensagem
// do esquema, na forma compacta e só as mensagens do modo que rodou. As
// ajudas que rodam o programa passam toda saída por aqui, para que uma
// mensagem que se afaste do documento faça um teste falhar.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "esquema.hpp"

// docs/protocolo.schema.json, carregado e conferido uma vez.
const EsquemaJson& esquema_do_protocolo();

// O modo de uma execução pelos argumentos, na precedência da linha de comando.
enum class ModoDaSaida { diagnostico, pulso, navegadores, hospedado, prototipo };
ModoDaSaida modo_da_saida(const std::vector<std::string>& argumentos);
// A definição do esquema com as mensagens do modo ("#/$defs/modoHospedado"...);
// vazia no diagnóstico, cujos relatórios não são do protocolo.
std::string definicao_do_modo(ModoDaSaida modo);

// Nenhum quando a linha (sem o "\n") é uma mensagem da definição dada (""
// é qualquer mensagem do protocolo); senão o problema. Além do esquema, a
// linha tem de estar na forma em que o programa escreve: JSON compacto, sem
// brancos, sem escapes "\u", sem chave repetida.
std::optional<std::string> conferir_linha_do_protocolo(std::string_view linha,
                                                       std::string_view definicao = "");

// Os problemas da saída padrão inteira de uma execução com esses argumentos,
// um por linha errada (com o número da linha e a linha).
std::vector<std::string> problemas_da_saida(const std::vector<std::string>& argumentos,
                                            std::string_view saida);

// A única linha que não é JSON: a da partida do protótipo.
inline constexpr std::string_view LINHA_DO_PROTOTIPO =
    "Protótipo rodando. Abra uma live da Twitch ou da Kick no Chrome ou no Edge. Ctrl+C encerra.";
