#pragma once
// O tremor da tela que o app pede ("sacudir"): a lupa do Windows aproxima a
// tela 2 %, sacode a imagem com deslocamentos que diminuem e afasta de novo.

#include <cstdint>
#include <memory>

#include "estado/canal_de_forcas.hpp"

// A força 0 é o pedido de parar: nunca aproxima a tela.
inline constexpr std::int32_t FORCA_DE_PARAR = 0;

// O corpo da thread do tremor.
void tremor_da_tela(std::shared_ptr<CanalDeForcas> canal);

// As margens que centralizam a aproximação de 1,02 e o maior deslocamento usado.
struct MedidasDoTremor {
    int bx = 0, by = 0, limite = 1;
};
MedidasDoTremor medidas_do_tremor(int largura, int altura);
// Conversão de float para inteiro truncando e saturando (NaN vira 0).
int truncar(float v);
