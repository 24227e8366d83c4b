#pragma once
// Os dois empurrões na janela do navegador que o app pede: o pulo (pulsar) e
// o tremor (tremer). Um de cada vez; pedidos durante um deles se perdem.

#include <atomic>
#include <cstdint>

// Pulo de "n" pixels (já limitado a 1..12) numa thread própria.
void pulsar_navegador(std::int32_t n);
// Tremor numa thread própria; quem chama já marcou ANIMACAO_OCUPADA.
void tremer_navegador();
