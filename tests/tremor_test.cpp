// O tremor da tela pela lupa, pedido pelo app com "sacudir".

#include <gtest/gtest.h>

#include <cmath>

#include "ajuda.hpp"
#include "janela/tremor_da_tela.hpp"

namespace {

Execucao com_comandos(const std::string& linha_do_tempo, const std::string& extras = "") {
    return rodar_linha_do_tempo("twitch_chrome.json", linha_do_tempo, {"--janela", "100"}, extras);
}

std::vector<Json> transformacoes(const Execucao& e) {
    return e.no_rastro("efeito", "MagSetFullscreenTransform");
}

}  // namespace

TEST(Tremor, MedidasEm1920Por1080) {
    const MedidasDoTremor m = medidas_do_tremor(1920, 1080);
    EXPECT_EQ(m.bx, 18);
    EXPECT_EQ(m.by, 10);
    EXPECT_EQ(m.limite, 10);
    EXPECT_EQ(medidas_do_tremor(0, 0).limite, 1);
    EXPECT_EQ(truncar(std::nanf("")), 0);
    EXPECT_EQ(truncar(-2.9f), -2);
    EXPECT_EQ(truncar(1e20f), std::numeric_limits<int>::max());
}

TEST(Tremor, DoisPedidosUmSegundoDistantesAproximamUmaVezEAfastamUmaVez) {
    const Execucao e = com_comandos(R"({"em": 1000, "acao": "entrada", "linha": "sacudir 30"},
        {"em": 2000, "acao": "entrada", "linha": "sacudir 5"},
        {"em": 7000, "acao": "fim"})");
    EXPECT_EQ(e.no_rastro("efeito", "MagInitialize").size(), 1u);
    EXPECT_EQ(e.no_rastro("efeito", "MagUninitialize").size(), 1u);
    const auto t = transformacoes(e);
    ASSERT_GE(t.size(), 12u + 16 + 1 + 16 + 1 + 12 + 1);
    // Aproxima em 12 passos até 1,02 centrado em (18, 10).
    for (int k = 0; k < 12; ++k) EXPECT_NEAR(t[k]["fator"].get<double>(), 1.0 + (k + 1) * 0.02 / 12, 1e-5);
    EXPECT_EQ(t[11]["x"], 18);
    EXPECT_EQ(t[11]["y"], 10);
    // Sacode: nunca mais que 10 pixels do centro (a força 30 fica em 10).
    int recentrados = 0;
    std::size_t fim_dos_tremores = 0;
    for (std::size_t i = 12; i < t.size(); ++i) {
        if (std::abs(t[i]["fator"].get<double>() - 1.02) > 1e-5) break;
        EXPECT_LE(std::abs(t[i]["x"].get<int>() - 18), 10);
        EXPECT_LE(std::abs(t[i]["y"].get<int>() - 10), 10);
        if (t[i]["x"] == 18 && t[i]["y"] == 10) ++recentrados;
        fim_dos_tremores = i;
    }
    EXPECT_GE(recentrados, 2);  // um depois de cada tremor
    EXPECT_EQ(fim_dos_tremores, 12u + 16 + 1 + 16);
    // Afasta uns 3 s depois do último tremor.
    const std::int64_t ultimo = t[fim_dos_tremores]["t"];
    const std::int64_t afasta = t[fim_dos_tremores + 1]["t"];
    EXPECT_GE(afasta - ultimo, 3000);
    EXPECT_LE(afasta - ultimo, 3100);
    EXPECT_EQ(t.back()["fator"], 1.0);
    EXPECT_EQ(t.back()["x"], 0);
}

TEST(Tremor, LupaRecusadaDizUmaVez) {
    const Execucao e = com_comandos(R"({"em": 1000, "acao": "entrada", "linha": "sacudir 3"},
        {"em": 2000, "acao": "entrada", "linha": "sacudir 3"},
        {"em": 3000, "acao": "fim"})",
                                    R"(, "falhas": [{"chamada": "MagInitialize"}])");
    int linhas = 0;
    for (const std::string& l : e.linhas_do_erro())
        linhas += l == "lupa: o Windows recusou (MagInitialize: HRESULT 0x80004005)";
    EXPECT_EQ(linhas, 1);
    EXPECT_TRUE(transformacoes(e).empty());
}

TEST(Tremor, FimDaEntradaAfastaATelaAntesDeAcabar) {
    const Execucao e = com_comandos(R"({"em": 1000, "acao": "entrada", "linha": "sacudir 8"},
        {"em": 1600, "acao": "fim_da_entrada"},
        {"em": 9000, "acao": "fim"})");
    EXPECT_EQ(e.codigo, 0);
    const auto t = transformacoes(e);
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.back()["fator"], 1.0);
    EXPECT_EQ(e.no_rastro("efeito", "MagUninitialize").size(), 1u);
    // E o processo acaba logo depois (o app fechou o localizador).
    EXPECT_LT(e.rastro.back()["t"].get<int>(), 2500);
}

TEST(Tremor, FimDaEntradaNoMeioDaAproximacaoAindaDevolveATela) {
    // A entrada acaba 20 ms depois do pedido, com a tela ainda aproximando:
    // o processo só acaba depois de afastar e soltar a lupa.
    const Execucao e = com_comandos(R"({"em": 1000, "acao": "entrada", "linha": "sacudir 8"},
        {"em": 1020, "acao": "fim_da_entrada"},
        {"em": 9000, "acao": "fim"})");
    EXPECT_EQ(e.codigo, 0);
    const auto t = transformacoes(e);
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.back()["fator"], 1.0);
    const auto soltou = e.no_rastro("efeito", "MagUninitialize");
    ASSERT_EQ(soltou.size(), 1u);
    EXPECT_GE(soltou[0]["t"].get<std::int64_t>(), t.back()["t"].get<std::int64_t>());
    ASSERT_TRUE(e.rastro.back().contains("encerrado"));
    EXPECT_GE(e.rastro.back()["t"].get<std::int64_t>(), soltou[0]["t"].get<std::int64_t>());
}

TEST(Tremor, ComandoSemNumeroNaoSacode) {
    const Execucao e = com_comandos(R"({"em": 1000, "acao": "entrada", "linha": "sacudir x"},
        {"em": 1100, "acao": "entrada", "linha": "sacudir"},
        {"em": 3000, "acao": "fim"})");
    EXPECT_TRUE(e.no_rastro("efeito", "MagInitialize").empty());
}
