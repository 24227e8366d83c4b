// O modo de diagnóstico: as sondas rodam nesta thread e o processo acaba com elas.

#include "diagnostico/diagnostico.hpp"
#include "modos/modos.hpp"

int rodar_diagnostico() { return diagnosticar(); }
