#pragma once
// O laço do localizador: acha o navegador com a live, lê a página, acha o chat
// e o que o cobre, e publica o alvo. Nunca termina sozinho.

[[noreturn]] void rodar_localizador();
