#include "apoio/cena_no_processo.hpp"

#include <fstream>
#include <mutex>
#include <sstream>

#include "estado/processo.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/console.hpp"

using namespace plataforma::simulada;

std::string ler_cena_de_exemplo(const std::string& nome) {
    std::ifstream f(std::string(CENAS_DIR) + "/" + nome, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void carregar_cena_no_processo(const std::string& texto, bool hospedado, Relogio::Modo modo) {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    {
        std::lock_guard g(a.m);
        carregar_cena(texto, a);
    }
    Relogio::global().reiniciar(modo);
    console_so_no_rastro(true);
    reiniciar_estado_do_processo();
    if (hospedado) {
        JANELA = 100;
        JANELA_EXTERNA = true;
    }
}
