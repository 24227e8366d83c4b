#include "vigias/previa.hpp"

// Ainda sem o vigia: a resposta já chama este começo no lugar certo.
void iniciar_vigia_da_previa(Hwnd) {}
