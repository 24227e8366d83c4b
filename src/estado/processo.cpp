#include "estado/processo.hpp"

#include <memory>
#include <new>

#include "plataforma/sistema.hpp"

namespace {

// Um lugar fixo: as referências de processo.hpp apontam para os campos, e o
// Processo refeito no mesmo lugar é o que elas passam a ver.
alignas(Processo) unsigned char MEMORIA[sizeof(Processo)];

}  // namespace

Processo& processo() {
    static Processo* p = ::new (static_cast<void*>(MEMORIA)) Processo();
    return *p;
}

void reiniciar_estado_do_processo() {
    Processo& p = processo();
    std::destroy_at(&p);
    std::construct_at(&p);
}

void definir_chave_presa(std::string caminho) {
    CHAVE_PRESA.com([&](ChavePresa& c) {
        c.caminho = std::move(caminho);
        c.ultima_olhada.reset();
    });
}

void ler_filtros_do_ambiente() {
    processo().SO_NAVEGADOR = plataforma::variavel_de_ambiente("SO_NAVEGADOR");
    processo().SO_TITULO = plataforma::variavel_de_ambiente("SO_TITULO");
    processo().PECAS_DEBUG = plataforma::variavel_de_ambiente("PECAS_DEBUG").has_value();
}
