#pragma once
// Como o Chromium mostra uma página por UI Automation. Uma cena pode
// descrever um elemento como a web o descreve (o papel web e uns poucos
// fatos: algum atributo aria-*, focável, clicável, expansível, escondido...),
// e daqui sai o que o Chromium deriva disso: o tipo de controle e o papel
// ARIA, a visão de controle, o retângulo de um elemento sem tamanho, os
// padrões, o foco e a rolagem que chegam depois, e a página que começa vazia.
// Cada regra diz de onde veio no código do Chromium (repositório
// chromium/chromium); os campos de UI Automation dados na cena valem por cima.
//
// Tudo aqui roda com a trava da área tomada.

#include <cstdint>
#include <optional>
#include <string>

#include "comum/tipos.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/uia.hpp"

namespace plataforma::simulada {

// O tipo de controle e o papel ARIA de um papel web; nenhum quando o papel
// não é conhecido.
struct PapelDoChromium {
    std::int32_t tipo = 0;
    std::string papel_aria;
};
std::optional<PapelDoChromium> papel_do_chromium(const std::string& papel_web);

// Deriva do papel web e dos fatos os campos de UI Automation do elemento
// (tipo, papel ARIA, visão de controle, focável, padrões), menos os que a
// cena deu explicitamente. Os ancestrais já precisam estar ligados (o texto
// dentro de um botão não é controle).
void derivar_da_web(ElementoSim& e);

// O retângulo que o Chromium informa para um elemento da web; "emprestado"
// diz se ele veio de um ancestral (um elemento que, com os filhos, continua
// 0×0, e que então fica fora da tela).
Retangulo retangulo_da_web(AreaDeTrabalho& a, const ElementoSim& e, bool* emprestado = nullptr);

// A página ainda não chegou: o documento da web está vazio (sem filhos,
// 0×0, sem endereço).
bool documento_vazio(AreaDeTrabalho& a, const ElementoSim& e);
// O modo de leitor de tela que a primeira leitura de propriedade ligou ainda
// não chegou à página: ClassName e AutomationId vêm vazios.
bool sem_classe_nem_id(AreaDeTrabalho& a, const ElementoSim& e);
// A primeira ida à janela (começa a contar a chegada da árvore) e a primeira
// leitura de propriedade (começa a do leitor de tela).
void marcar_ida_do_chromium(AreaDeTrabalho& a, Hwnd janela_de_topo, bool le_propriedade);

// SetFocus e ScrollIntoView num elemento da web: sempre S_OK, e o foco ou a
// rolagem chegam depois (o tempo que a cena dá), pelas reações da página.
void focar_na_web(AreaDeTrabalho& a, const ElementoPtr& e);
void rolar_na_web(AreaDeTrabalho& a, const ElementoPtr& e);

}  // namespace plataforma::simulada
