// O modo hospedado rodando de verdade sobre cenas: batimentos no tempo
// virtual e o fim quando a janela do app some.

#include <gtest/gtest.h>

#include "ajuda.hpp"

TEST(ProgramaHospedado, BatimentoNaPrimeiraVoltaEDepoisACadaVoltaDe250msOuMais) {
    const Execucao e = rodar_programa(cena_minima(2000), {"--janela", "100"});
    EXPECT_EQ(e.codigo, 0);
    std::vector<std::int64_t> instantes;
    for (const Json& j : e.rastro)
        if (j.contains("saida") && j["saida"] == "{\"vivo\":1}") instantes.push_back(j["t"]);
    for (const std::string& l : e.linhas_da_saida()) EXPECT_EQ(l, "{\"vivo\":1}");
    ASSERT_GE(instantes.size(), 5u);
    // A primeira volta (depois da primeira espera de 100 ms) já bate.
    EXPECT_EQ(instantes[0], 100);
    for (std::size_t i = 1; i < instantes.size(); ++i) {
        EXPECT_GE(instantes[i] - instantes[i - 1], 250);
        EXPECT_LE(instantes[i] - instantes[i - 1], 350);
    }
}

TEST(ProgramaHospedado, JanelaDoAppSumiuEncerraComZero) {
    const Execucao e = rodar_programa(cena_minima(5000, R"({"em": 1000, "acao": "fechar", "janela": 100})"),
                                      {"--janela", "100"});
    EXPECT_EQ(e.codigo, 0);
    ASSERT_FALSE(e.linhas_do_erro().empty());
    EXPECT_EQ(e.linhas_do_erro().back(), "a janela da Vidrel não existe mais; localizador encerrado");
    // Acabou logo depois do fechamento, não no fim da cena.
    ASSERT_FALSE(e.rastro.empty());
    EXPECT_EQ(e.rastro.back().value("encerrado", -1), 0);
    EXPECT_LT(e.rastro.back()["t"].get<int>(), 1200);
}

TEST(ProgramaHospedado, JanelaQueNuncaExistiuEncerraNaPrimeiraVolta) {
    const Execucao e = rodar_programa(cena_minima(5000), {"--janela", "12345"});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(e.saida, "");
    EXPECT_EQ(e.erro, "a janela da Vidrel não existe mais; localizador encerrado\n");
}
