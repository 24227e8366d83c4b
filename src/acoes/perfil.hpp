#pragma once
// O cartão do espectador: "perfil" aperta o nome do autor de uma mensagem, e
// o site abre o cartão dele, que vira um buraco da Vidrel; "perfil-botao"
// abre o cartão e aperta um dos botões dele (seguir, presentear, sussurrar).

#include <string>

#include "acoes/memoria.hpp"

void perfil(MemoriaDoExecutor& m, const ComandoDeMensagem& c);
void perfil_botao(MemoriaDoExecutor& m, const std::string& botao, const ComandoDeMensagem& c);

// O nome (normalizado) de um botão do cartão é o da palavra pedida?
bool botao_do_cartao_casa(const std::string& palavra, const std::string& nome_normalizado);
