// O emote: o código entre brancos na caixa de digitar, a lista de sugestões
// fechada com Esc quando o código tem ":" (nunca com uma resposta aberta), e
// o foco que já está na caixa.

#include <gtest/gtest.h>

#include "ajuda.hpp"

namespace {

std::string entrada(int em, const std::string& linha) {
    return R"({"em": )" + std::to_string(em) + R"(, "acao": "entrada", "linha": )" + Json(linha).dump() + "}";
}

Execucao rodar(const std::string& linha_do_tempo) {
    return rodar_linha_do_tempo("twitch_respostas.json", linha_do_tempo);
}

struct Envio {
    std::int64_t t;
    std::string texto;
    bool esc;
};

std::vector<Envio> envios(const Execucao& e) {
    std::vector<Envio> r;
    for (const Json& j : e.no_rastro("efeito", "SendInput"))
        r.push_back({j["t"], j["texto"], j.contains("teclas") && j["teclas"] == Json::array({27})});
    return r;
}

}  // namespace

TEST(Emote, CodigoComDoisPontosFechaAsSugestoes80MsDepois) {
    const Execucao e = rodar(entrada(1000, "emote  :kappa:  ") + R"(, {"em": 3000, "acao": "fim"})");
    const auto v = envios(e);
    ASSERT_EQ(v.size(), 2u) << e.erro;
    EXPECT_EQ(v[0].texto, " :kappa: ");
    EXPECT_TRUE(v[1].esc);
    EXPECT_EQ(v[1].t - v[0].t, 80);
    EXPECT_NE(e.log_com("emote :kappa:: digitado"), "");
    // O Esc chegou à página: a lista de sugestões que o foco abriu fechou.
    EXPECT_FALSE(e.no_rastro("evento", "remover").empty());
}

TEST(Emote, SemDoisPontosNaoApertaEsc) {
    const Execucao e = rodar(entrada(1000, "emote Kappa") + R"(, {"em": 3000, "acao": "fim"})");
    const auto v = envios(e);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].texto, " Kappa ");
}

TEST(Emote, ComARespostaAbertaNuncaApertaEsc) {
    const Execucao e = rodar(entrada(1000, "responder visitante20\tvisitante20\tmensagem número 20") + "," +
                             entrada(2000, "emote :kappa:") + R"(, {"em": 4000, "acao": "fim"})");
    const auto v = envios(e);
    ASSERT_EQ(v.size(), 2u) << e.erro;
    EXPECT_EQ(v[1].texto, " :kappa: ");
    for (const Envio& x : v) EXPECT_FALSE(x.esc);
}

TEST(Emote, FocoJaNaCaixaDigitaNaHora) {
    const Execucao e = rodar(R"({"em": 0, "acao": "focar", "chave": "caixa"},)" +
                             entrada(1000, "emote Kappa") + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_NE(e.log_com("emote Kappa: digitado na caixa com foco"), "");
    EXPECT_TRUE(e.no_rastro("efeito", "SetFocus").empty());
    EXPECT_EQ(envios(e).size(), 1u);
}

TEST(Emote, FocoNaBarraDeEnderecoNaoServe) {
    // A barra de endereço é um Edit do processo do navegador, mas não é da
    // página: o código vai para a caixa do chat do site, nunca para a barra.
    const Execucao e = rodar(R"({"em": 0, "acao": "focar", "chave": "endereco"},)" +
                             entrada(1000, "emote Kappa") + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.log_com("emote Kappa:"), "emote Kappa: digitado") << e.erro;
    const auto v = e.no_rastro("efeito", "SendInput");
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0]["destino"], "caixa");
}

TEST(Emote, CodigoRecusadoNaoFazNada) {
    const Execucao e = rodar(entrada(1000, "emote ka ppa") + "," + entrada(1100, "emote ") + "," +
                             entrada(1200, "emote " + std::string(101, 'x')) +
                             R"(, {"em": 3000, "acao": "fim"})");
    int recusas = 0;
    for (const std::string& l : e.linhas_do_erro()) recusas += l == "emote: código recusado";
    EXPECT_EQ(recusas, 3);
    EXPECT_TRUE(envios(e).empty());
}

TEST(Emote, SemCaixaNaPaginaRegistra) {
    const Execucao e = rodar(R"({"em": 0, "acao": "remover", "chave": "caixa"},)" +
                             entrada(1000, "emote Kappa") + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.log_com("emote Kappa:"), "emote Kappa: caixa de mensagem não achada");
    EXPECT_TRUE(envios(e).empty());
}

TEST(Emote, LinhaDeUmMegaNaoTravaNemDerruba) {
    // Um código enorme (recusado) e um responder com um texto enorme: a
    // leitura e a recusa são lineares, e o programa segue.
    const std::string grande(1 << 20, 'x');
    const Execucao e = rodar(entrada(1000, "emote " + grande) + "," +
                             entrada(1100, "responder visitante20\tvisitante20\t" + grande) +
                             R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.codigo, 0);
    EXPECT_NE(e.log_com("emote: código recusado"), "");
    EXPECT_NE(e.log_com("responder visitante20: mensagem ou botão não achado"), "");
}
