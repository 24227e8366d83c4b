#pragma once
// Os comandos que o app manda pela entrada padrão: o leitor faz na hora os
// que só ligam um efeito ou mudam um ajuste e enfileira o resto; o executor
// pega a fila inteira e faz só o comando real mais novo.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plataforma/sincronia.hpp"

struct FilaDeComandos {
    plataforma::Trava trava;
    plataforma::Sinal sinal;
    std::deque<std::string> linhas;
    bool entrada_encerrada = false;
};

struct ComandoDeMensagem {
    std::string verbo;
    std::string nick;
    std::string nome;
    std::string texto;
};

// A linha que o executor faz de um lote: a mais nova que não é "preparar ";
// se todas forem, a mais nova.
std::size_t escolher_do_lote(const std::vector<std::string>& lote);

// "nick TAB nome TAB texto" depois do verbo; nenhum quando o nick não é de
// 1 a 25 letras ASCII, dígitos ou "_".
std::optional<ComandoDeMensagem> ler_comando_de_mensagem(std::string_view verbo, std::string_view resto);
// O código de um "emote": aparado; recusado quando vazio, com mais de 100
// caracteres, com brancos ou caracteres de controle.
std::optional<std::string> ler_codigo_de_emote(std::string_view resto);
// Um inteiro com sinal opcional depois de aparar os brancos.
std::optional<std::int64_t> ler_numero(std::string_view texto, std::int64_t minimo, std::int64_t maximo);

// A thread do executor (que inicia a do leitor). Hospedado.
void executor_de_comandos();
