#pragma once
// A foto da área de trabalho simulada num instante, em SVG: os monitores, as
// janelas de topo na ordem z, a janela do app com a sua região, o chat e os
// buracos da última linha de estado que o programa escreveu, e o cursor.
// Pedida pela linha de comando (--foto <ms>:<arquivo>) ou pela cena (a ação
// "foto"); o desenho é o mesmo do diagnóstico.

#include <string>
#include <string_view>

#include "comum/desenho.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"

namespace plataforma::simulada {

// Cada linha da saída padrão passa por aqui; a última linha de estado
// ({"site":...}) fica guardada para a foto.
void ver_linha_da_saida(std::string_view linha);
void esquecer_linha_de_estado();

// O desenho da área (com a trava dela tomada) e a linha de estado dada.
Desenho desenho_da_area(AreaDeTrabalho& a, const std::string& linha_de_estado, std::int64_t instante_ms);

// Desenha a área global agora e grava no arquivo; falso se a gravação falhou.
bool tirar_foto(const std::string& arquivo);

}  // namespace plataforma::simulada
