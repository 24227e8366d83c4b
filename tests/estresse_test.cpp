// Cenas com um acontecimento no mesmo instante de uma volta do localizador,
// repetidas muitas vezes: o relógio virtual nunca para e cada corrida acaba
// com o mesmo resultado.

#include <gtest/gtest.h>

#include "ajuda.hpp"

// O observador do ponteiro passa a cada 15 ms e o localizador volta a cada
// 100 ms: em 1200 e 1500 os dois caem no mesmo instante, e o aviso do fim do
// clique (ou do Enter) chega junto com o prazo da espera do localizador.
TEST(Estresse, CliqueNoInstanteDeUmaVoltaNuncaParaORelogio) {
    const std::string cena = cena_derivada("twitch_chrome.json", R"({"entrada": "cena", "linha_do_tempo": [
        {"em": 1000, "acao": "tecla", "tecla": "botao_esquerdo", "apertada": true},
        {"em": 1190, "acao": "tecla", "tecla": "botao_esquerdo", "apertada": false},
        {"em": 1300, "acao": "tecla", "tecla": "enter", "apertada": true},
        {"em": 1490, "acao": "tecla", "tecla": "enter", "apertada": false},
        {"em": 2000, "acao": "fim"}]})");
    std::string primeira;
    for (int i = 0; i < 40; ++i) {
        const Execucao e = rodar_programa(cena, {"--janela", "100"}, std::chrono::seconds(20));
        ASSERT_EQ(e.codigo, 0) << "corrida " << i;
        if (i == 0) primeira = e.saida;
        EXPECT_EQ(e.saida, primeira) << "corrida " << i;
    }
}
