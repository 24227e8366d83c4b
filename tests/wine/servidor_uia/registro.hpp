#pragma once
// O registro do servidor de UI Automation: um arquivo de linhas que o roteiro
// lê depois da prova. Cada método que o localizador chamou aparece uma vez
// ("usado Interface::Metodo"); um método que o servidor não escreveu aparece
// como "nao_implementado Interface::Metodo" e faz a prova falhar; o resto são
// os efeitos de ações (Invoke, ScrollIntoView, SetFocus) e os problemas.
//
// Cada linha é escrita e esvaziada na hora: o localizador pode ser encerrado
// a qualquer instante (TerminateProcess no fim da cena).

#include <string>

namespace servidor_uia {

void anotar(const std::string& linha);
// A primeira chamada de cada método.
void usado(const char* metodo);

}  // namespace servidor_uia
