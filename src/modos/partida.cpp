#include "modos/partida.hpp"

#include <type_traits>

#include "estado/processo.hpp"
#include "modos/linha_de_comando.hpp"
#include "modos/modos.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

int partir(const std::vector<std::string>& argumentos) {
    plataforma::tornar_ciente_de_dpi();
    // Lidos uma vez, antes de qualquer thread: as buscas da página os usam a cada volta.
    ler_filtros_do_ambiente();
    const Partida p = decidir_partida(argumentos);
    if (const auto* r = std::get_if<PartidaRecusada>(&p)) plataforma::parar(r->uso);
    if (std::holds_alternative<PartidaDiagnostico>(p)) return rodar_diagnostico();
    if (const auto* pulso = std::get_if<PartidaPulso>(&p)) {
        NAVEGADOR_ATUAL = pulso->janela;
        return rodar_pulso();
    }
    if (std::holds_alternative<PartidaNavegadores>(p)) return rodar_navegadores();
    const auto& v = std::get<PartidaComVidrel>(p);
    if (v.dono) DONO = *v.dono;
    if (v.presa) definir_chave_presa(*v.presa);
    if (v.hospedado) rodar_hospedado(v.janela);
    return rodar_prototipo();
}
