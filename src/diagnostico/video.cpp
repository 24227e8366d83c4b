#include "diagnostico/sondas.hpp"
void sonda_video(PaginaDaSonda&) {}  // PROVISORIO
