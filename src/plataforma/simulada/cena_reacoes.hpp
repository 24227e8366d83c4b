#pragma once
// As reações da cena ("reacoes"): o que a página faz quando o programa age
// sobre ela. Formato em docs/cena.md.

#include <set>
#include <string>
#include <vector>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/cena_montador.hpp"

namespace plataforma::simulada {

// As chaves dos elementos que as ações das reações acrescentam (sem validar
// nada: só para a linha do tempo poder citá-las).
std::set<std::string> chaves_das_reacoes(const Json& lista);

// Lê e valida a lista. As ações de uma reação são ações comuns da linha do
// tempo (sem "em"), conferidas contra tudo o que a cena chega a ter em algum
// momento: a cena inicial, o que a linha do tempo e as reações acrescentam.
std::vector<ReacaoSim> ler_reacoes(const Json& lista, const std::string& caminho, AreaDeTrabalho& a,
                                   Orcamento& orcamento, const std::vector<EventoDaCena>& linha_do_tempo);

}  // namespace plataforma::simulada
