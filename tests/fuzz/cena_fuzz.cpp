// O leitor de cenas sobre bytes quaisquer: ou a cena carrega dentro dos
// limites, ou sai uma linha de erro só. Nunca outra exceção, nunca uma queda.

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/cena_limites.hpp"

using namespace plataforma::simulada;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string texto(reinterpret_cast<const char*>(dados), tamanho);
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    try {
        const Cena cena = carregar_cena(texto, a);
        if (a.janelas.size() > static_cast<std::size_t>(limites::kJanelas)) std::abort();
        if (a.por_chave.size() > static_cast<std::size_t>(limites::kElementos)) std::abort();
        for (const EventoDaCena& e : cena.linha_do_tempo)
            if (e.em_ms < 0 || e.em_ms > limites::kInstanteMaximoMs) std::abort();
    } catch (const ErroDeCena& e) {
        const std::string linha = linha_de_erro_da_cena("x.json", e.what());
        if (linha.find('\n') != std::string::npos || linha.find('\r') != std::string::npos) std::abort();
    }
    return 0;
}
