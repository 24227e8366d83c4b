#pragma once
// O modo de diagnóstico: uma vez, sobre a página da Twitch ou da Kick da
// frente, as sondas que as variáveis de ambiente escolhem.

// Roda as sondas e devolve o código de saída do processo.
int diagnosticar();
