#pragma once
// O texto de uma cena lido como JSON, com os limites do leitor: níveis de
// listas e objetos, campos por objeto, campos repetidos e números que não
// cabem. Nada da biblioteca de JSON escapa daqui: todo erro vira ErroDeCena.

#include <string>

#include "plataforma/simulada/rastro.hpp"

namespace plataforma::simulada {

Json ler_json_da_cena(const std::string& texto);

}  // namespace plataforma::simulada
