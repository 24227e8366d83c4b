#include "modos/partida.hpp"
#include "plataforma/sistema.hpp"

int main(int argc, char** argv) {
    plataforma::iniciar_plataforma(argc, argv);
    const int codigo = partir(plataforma::argumentos());
    plataforma::encerrar_processo(codigo);
}
