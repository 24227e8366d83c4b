#pragma once
// Para rodar o programa mais de uma vez no mesmo processo (testes e bancadas
// sobre a área simulada): os valores do processo voltam ao começo.

void reiniciar_estado_do_processo();
