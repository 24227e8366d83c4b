// O relógio virtual da simulação: o tempo só anda quando todas as threads
// esperam, e cada uma acorda exatamente no seu prazo.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "plataforma/simulada/relogio.hpp"
#include "plataforma/sistema.hpp"

using namespace std::chrono_literals;
using plataforma::simulada::Relogio;

namespace {

class RelogioVirtual : public ::testing::Test {
protected:
    void SetUp() override { Relogio::global().reiniciar(Relogio::Modo::Virtual); }
    static std::int64_t ms() { return Relogio::global().agora_ms(); }

    // Espera (no relógio do programa) até "n" threads avisarem que acabaram.
    void esperar_threads(int n) {
        std::unique_lock lk(trava);
        while (acabadas < n) sinal.esperar(lk);
    }
    void acabou() {
        std::lock_guard g(trava);
        ++acabadas;
        sinal.notificar_todos();
    }

    plataforma::Trava trava;
    plataforma::Sinal sinal;
    int acabadas = 0;
};

}  // namespace

TEST_F(RelogioVirtual, DormirAndaExatamenteSemEsperarDeVerdade) {
    const auto parede = std::chrono::steady_clock::now();
    plataforma::dormir(600s);
    EXPECT_EQ(ms(), 600000);
    plataforma::dormir(15ms);
    EXPECT_EQ(ms(), 600015);
    EXPECT_LT(std::chrono::steady_clock::now() - parede, 5s);
}

TEST_F(RelogioVirtual, ThreadsAcordamNosSeusPrazos) {
    std::vector<std::int64_t> marcas(3, -1);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(plataforma::iniciar_thread([this, i, &marcas] {
            plataforma::dormir(std::chrono::milliseconds(100 * (3 - i)));
            marcas[i] = ms();
            acabou();
        }));
    }
    esperar_threads(3);
    EXPECT_EQ(marcas, (std::vector<std::int64_t>{300, 200, 100}));
    EXPECT_EQ(ms(), 300);
}

TEST_F(RelogioVirtual, SinalVencePeloPrazoOuPeloAviso) {
    std::unique_lock lk(trava);
    EXPECT_FALSE(sinal.esperar_ate(lk, plataforma::agora() + 250ms));
    EXPECT_EQ(ms(), 250);
    lk.unlock();

    std::int64_t acordou = -1;
    bool avisado = false;
    ASSERT_TRUE(plataforma::iniciar_thread([&] {
        std::unique_lock l(trava);
        avisado = sinal.esperar_ate(l, plataforma::agora() + 1000ms);
        acordou = ms();
        ++acabadas;
        sinal.notificar_todos();
    }));
    plataforma::dormir(40ms);
    {
        std::lock_guard g(trava);
        sinal.notificar_todos();
    }
    esperar_threads(1);
    EXPECT_TRUE(avisado);
    EXPECT_EQ(acordou, 290);
}

TEST_F(RelogioVirtual, TravaPresaDuranteUmaEsperaSeguraQuemQuerEntrar) {
    plataforma::Trava alvo;
    std::int64_t entrou = -1;
    alvo.lock();
    ASSERT_TRUE(plataforma::iniciar_thread([&] {
        {
            std::lock_guard g(alvo);  // fica parada até o dono soltar
            entrou = ms();
        }
        acabou();  // depois de soltar: a trava é do teste, que acaba logo
    }));
    plataforma::dormir(60ms);  // como o fecho do hover, que segura o alvo 60 ms
    alvo.unlock();
    esperar_threads(1);
    EXPECT_EQ(entrou, 60);
}

TEST(RelogioReal, SegueORelogioDeParede) {
    Relogio::global().reiniciar(Relogio::Modo::Real);
    const auto parede = std::chrono::steady_clock::now();
    plataforma::dormir(30ms);
    const auto passou = std::chrono::steady_clock::now() - parede;
    EXPECT_GE(passou, 30ms);
    EXPECT_GE(Relogio::global().agora_ms(), 30);
    Relogio::global().reiniciar(Relogio::Modo::Virtual);
}

// Quem vence o prazo de um sinal fica na fila dele até a sua thread rodar; um
// aviso de outra thread acordada no mesmo instante não pode acordá-lo de novo.
// Antes, a conta de quem roda subia duas vezes e o tempo virtual parava (em
// cerca de metade das vezes, conforme quem rodasse primeiro): repetido muitas
// vezes, com um vigia de relógio de parede que derruba o teste se parar.
TEST_F(RelogioVirtual, AvisoNoMesmoInstanteDoPrazoNaoParaOTempo) {
    const auto terminou = std::make_shared<std::atomic<bool>>(false);
    std::thread([terminou] {
        const auto limite = std::chrono::steady_clock::now() + 30s;
        while (!*terminou && std::chrono::steady_clock::now() < limite) std::this_thread::sleep_for(10ms);
        if (!*terminou) {
            std::fputs("o relógio virtual parou (acordada duas vezes)\n", stderr);
            std::_Exit(3);
        }
    }).detach();
    for (int i = 0; i < 3000; ++i) {
        const plataforma::Instante prazo = plataforma::agora() + 10ms;
        bool pronta = false;
        ASSERT_TRUE(plataforma::iniciar_thread([&, prazo] {
            std::unique_lock l(trava);
            pronta = true;
            sinal.esperar_ate(l, prazo);  // vence pelo prazo, no mesmo instante do aviso
            ++acabadas;
            sinal.notificar_todos();
        }));
        plataforma::dormir_ate(prazo);
        {
            std::lock_guard g(trava);
            sinal.notificar_um();
        }
        esperar_threads(i + 1);
        EXPECT_TRUE(pronta);
        // Com a conta certa o tempo ainda anda.
        const std::int64_t antes = ms();
        plataforma::dormir(5ms);
        ASSERT_EQ(ms(), antes + 5) << "repetição " << i;
    }
    *terminou = true;
}
