// A espera do localizador entre voltas: um "acorde" de outra thread nunca se
// perde, nem quando chega no mesmo instante em que o localizador vai esperar.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "estado/espera.hpp"
#include "estado/processo.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

using namespace std::chrono_literals;
using plataforma::simulada::Relogio;

// A marca de acordar já vai sob a trava de quem espera: entre a conferência
// da marca e o começo da espera (os dois com a trava), ela não pode chegar, e
// por isso não se perde. Quem acorda fica parado enquanto a trava está com o
// localizador.
TEST(EsperaDoLocalizador, AcordarEsperaATravaDeQuemVaiEsperar) {
    Relogio::global().reiniciar(Relogio::Modo::Virtual);
    reiniciar_estado_do_processo();
    std::atomic<bool> acordou{false};
    std::unique_lock lk(processo().ESPERA.trava);  // o localizador entre conferir e esperar
    ASSERT_TRUE(plataforma::iniciar_thread([&acordou] {
        acordar_localizador();
        acordou = true;
    }));
    plataforma::dormir(10ms);
    EXPECT_FALSE(acordou.load());
    EXPECT_FALSE(processo().ESPERA.acordar_ja);
    lk.unlock();
    while (!acordou.load()) plataforma::dormir(1ms);
    const plataforma::Instante antes = plataforma::agora();
    esperar_proxima_volta(100ms);
    EXPECT_EQ(plataforma::agora(), antes);  // a marca chegou: nenhuma espera
}

TEST(EsperaDoLocalizador, MarcaDeAntesDaEsperaNaoEspera) {
    Relogio::global().reiniciar(Relogio::Modo::Virtual);
    reiniciar_estado_do_processo();
    acordar_localizador();
    const plataforma::Instante antes = plataforma::agora();
    esperar_proxima_volta(100ms);
    EXPECT_EQ(plataforma::agora(), antes);
    // A marca foi gasta: a espera seguinte vai até o prazo.
    esperar_proxima_volta(100ms);
    EXPECT_EQ(plataforma::agora(), antes + 100ms);
}
