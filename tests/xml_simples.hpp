#pragma once
// Um leitor de XML pequeno e estrito para os testes das fotos: confere que o
// documento é bem formado (UTF-8 válido, só caracteres que o XML aceita, tags
// fechadas na ordem, atributos entre aspas e sem repetição, entidades
// conhecidas, uma raiz só) e devolve a árvore para as conferências.

#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct NoXml {
    std::string nome;
    std::map<std::string, std::string> atributos;  // já sem as entidades
    std::string texto;                             // o texto direto, juntado
    std::vector<NoXml> filhos;
};

// A raiz, ou a explicação do primeiro problema (com o byte onde está).
std::variant<NoXml, std::string> ler_xml(std::string_view documento);

// Todos os nós com o nome dado (e, se dado, com o atributo com o valor), em
// ordem de documento, a raiz inclusive.
std::vector<const NoXml*> nos_com(const NoXml& raiz, const std::string& nome,
                                  const std::string& atributo = "", const std::string& valor = "");
