// Os modos pequenos de teste e diagnóstico.

#include "comum/log.hpp"
#include "modos/modos.hpp"

int rodar_pulso() {
    registrar("pulsar-janela: ainda não disponível nesta versão");
    return 0;
}

int rodar_diagnostico() {
    registrar("diagnóstico: ainda não disponível nesta versão");
    return 0;
}
