#pragma once
// O vigia da prévia do 7TV: onde está, na bandeja acima da caixa de digitar,
// a mensagem que está sendo respondida.

#include "comum/tipos.hpp"

// Começa o vigia para o navegador, numa thread própria; com um já rodando,
// nada acontece.
void iniciar_vigia_da_previa(Hwnd navegador);
