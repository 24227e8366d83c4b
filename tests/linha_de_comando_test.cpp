// A linha de comando: valores de handle, precedência dos modos e os textos de
// uso com que o programa para.

#include <gtest/gtest.h>

#include <limits>

#include "ajuda.hpp"
#include "comum/texto.hpp"
#include "modos/linha_de_comando.hpp"
#include "modos/modos.hpp"

TEST(LerHandle, AceitaDecimalComSinalOpcional) {
    EXPECT_EQ(ler_inteiro("0"), 0);
    EXPECT_EQ(ler_inteiro("65552"), 65552);
    EXPECT_EQ(ler_inteiro("+42"), 42);
    EXPECT_EQ(ler_inteiro("-42"), -42);
    EXPECT_EQ(ler_inteiro("007"), 7);
    EXPECT_EQ(ler_inteiro("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ler_inteiro("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
}

TEST(LerHandle, RecusaVazioSinalSozinhoLetrasEEstouro) {
    for (const char* ruim : {"", "+", "-", "+-1", "-+1", "++1", "12a", "1 2", " 12", "12 ", "0x10", "1e3",
                             "9223372036854775808", "-9223372036854775809", "99999999999999999999", "１２"})
        EXPECT_FALSE(ler_inteiro(ruim).has_value()) << "\"" << ruim << "\"";
}

namespace {
template <class T>
T como(const Partida& p) {
    EXPECT_TRUE(std::holds_alternative<T>(p));
    return std::holds_alternative<T>(p) ? std::get<T>(p) : T{};
}
}  // namespace

TEST(DecidirPartida, DiagnosticoVenceTudo) {
    como<PartidaDiagnostico>(decidir_partida({"--janela", "100", "--diagnostico"}));
    // Nem um valor ruim de outra opção o impede.
    como<PartidaDiagnostico>(decidir_partida({"--janela", "x", "--pulsar-janela", "--diagnostico"}));
}

TEST(DecidirPartida, PulsoAntesDeNavegadoresEJanela) {
    EXPECT_EQ(
        como<PartidaPulso>(decidir_partida({"--navegadores", "--pulsar-janela", "-5", "--janela", "100"}))
            .janela,
        -5);
}

TEST(DecidirPartida, NavegadoresAntesDeJanela) {
    como<PartidaNavegadores>(decidir_partida({"--janela", "100", "--navegadores"}));
    // --dono ruim não importa para a lista de navegadores.
    como<PartidaNavegadores>(decidir_partida({"--dono", "x", "--navegadores"}));
}

TEST(DecidirPartida, HospedadoComDonoEPresa) {
    const auto p = como<PartidaComVidrel>(
        decidir_partida({"--presa", "C:\\chave", "--dono", "+77", "--janela", "100"}));
    EXPECT_TRUE(p.hospedado);
    EXPECT_EQ(p.janela, 100);
    EXPECT_EQ(p.dono, 77);
    EXPECT_EQ(p.presa, "C:\\chave");
}

TEST(DecidirPartida, PrototipoSemJanela) {
    const auto p = como<PartidaComVidrel>(decidir_partida({}));
    EXPECT_FALSE(p.hospedado);
    EXPECT_FALSE(p.dono.has_value());
    EXPECT_FALSE(p.presa.has_value());
}

TEST(DecidirPartida, PresaNoFimEIgnorada) {
    const auto p = como<PartidaComVidrel>(decidir_partida({"--janela", "100", "--presa"}));
    EXPECT_TRUE(p.hospedado);
    EXPECT_FALSE(p.presa.has_value());
}

TEST(DecidirPartida, ValoresRuinsDaoOTextoDeUso) {
    EXPECT_EQ(como<PartidaRecusada>(decidir_partida({"--pulsar-janela"})).uso,
              "--pulsar-janela <hwnd em decimal>");
    EXPECT_EQ(como<PartidaRecusada>(decidir_partida({"--pulsar-janela", "+"})).uso,
              "--pulsar-janela <hwnd em decimal>");
    EXPECT_EQ(como<PartidaRecusada>(decidir_partida({"--janela", ""})).uso, "--janela <hwnd em decimal>");
    EXPECT_EQ(como<PartidaRecusada>(decidir_partida({"--janela"})).uso, "--janela <hwnd em decimal>");
    // --dono é lido antes de --janela.
    EXPECT_EQ(como<PartidaRecusada>(decidir_partida({"--janela", "x", "--dono", "1x"})).uso,
              "--dono <hwnd em decimal>");
    // O valor é o argumento seguinte, mesmo que pareça outra opção.
    EXPECT_EQ(como<PartidaRecusada>(decidir_partida({"--janela", "--presa", "c"})).uso,
              "--janela <hwnd em decimal>");
}

// --- O programa de verdade -------------------------------------------------------

TEST(ProgramaLinhaDeComando, ValorRuimParaComOTextoDeUsoEStatusDeFalha) {
    struct Caso {
        std::vector<std::string> args;
        const char* uso;
    };
    const Caso casos[] = {
        {{"--pulsar-janela"}, "--pulsar-janela <hwnd em decimal>"},
        {{"--pulsar-janela", "+"}, "--pulsar-janela <hwnd em decimal>"},
        {{"--pulsar-janela", "12a4"}, "--pulsar-janela <hwnd em decimal>"},
        {{"--pulsar-janela", "9223372036854775808"}, "--pulsar-janela <hwnd em decimal>"},
        {{"--janela", ""}, "--janela <hwnd em decimal>"},
        {{"--janela", "-"}, "--janela <hwnd em decimal>"},
        {{"--dono", "abc", "--janela", "100"}, "--dono <hwnd em decimal>"},
    };
    for (const Caso& c : casos) {
        const Execucao e = rodar_programa(cena_minima(1000), c.args);
        EXPECT_NE(e.codigo, 0);
        EXPECT_EQ(e.erro, std::string(c.uso) + "\n") << c.args[0];
        EXPECT_EQ(e.saida, "");
    }
}

TEST(ProgramaLinhaDeComando, PresaNoFimNaoImpedeAPartida) {
    const Execucao e = rodar_programa(cena_minima(500), {"--presa"});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(e.saida, MENSAGEM_DO_PROTOTIPO);
}

TEST(ProgramaLinhaDeComando, PrototipoEscreveAMensagemDePartidaExata) {
    const Execucao e = rodar_programa(cena_minima(500), {});
    EXPECT_EQ(e.codigo, 0);
    const std::string esperado =
        "Protótipo rodando. Abra uma live da Twitch ou da Kick no Chrome ou no Edge. Ctrl+C "
        "encerra.\n";
    EXPECT_EQ(esperado.size(), 93u);
    EXPECT_EQ(e.saida, esperado);
    // A mensagem vem depois que a janela existe.
    std::size_t criada = 0, escrita = 0;
    for (std::size_t i = 0; i < e.rastro.size(); ++i) {
        if (e.rastro[i].value("efeito", "") == "CreateWindowExW") criada = i;
        if (e.rastro[i].contains("saida")) escrita = i;
    }
    EXPECT_GT(criada, 0u);
    EXPECT_GT(escrita, criada);
}

TEST(ProgramaLinhaDeComando, HandleNegativoEhAceito) {
    const Execucao e = rodar_programa(cena_minima(500), {"--pulsar-janela", "-5"});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(e.erro.find("<hwnd em decimal>"), std::string::npos);
}
