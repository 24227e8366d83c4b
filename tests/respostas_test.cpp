// A resposta a uma mensagem, de ponta a ponta: o aperto do botão do site (ou
// dos botões do 7TV, com o buraco de passagem na Vidrel), a digitação de
// "@nick " na caixa, a recusa do site, a Kick, o "preparar" antes do clique e
// os caminhos de falha. Tudo no programa de verdade, sobre cenas que reagem.

#include <gtest/gtest.h>

#include <algorithm>

#include "ajuda.hpp"

namespace {

const std::string kResponder20 = "responder visitante20\tvisitante20\tmensagem número 20";
const std::string kResponder19 = "responder visitante19\tvisitante19\tmensagem número 19";

std::string entrada(int em, const std::string& linha) {
    return R"({"em": )" + std::to_string(em) + R"(, "acao": "entrada", "linha": )" + Json(linha).dump() + "}";
}

Execucao rodar(const std::string& cena, const std::string& linha_do_tempo, const std::string& extras = "") {
    return rodar_linha_do_tempo(cena, linha_do_tempo, {"--janela", "100"}, extras);
}

std::vector<std::string> digitados(const Execucao& e) {
    std::vector<std::string> r;
    for (const Json& j : e.no_rastro("efeito", "SendInput"))
        if (!j["texto"].get<std::string>().empty()) r.push_back(j["texto"]);
    return r;
}

std::vector<std::string> apertados(const Execucao& e) {
    std::vector<std::string> r;
    for (const Json& j : e.no_rastro("efeito", "Invoke")) r.push_back(j["chave"]);
    return r;
}

// O que a área simulada tem no fim: a região da Vidrel e o cursor (pelos
// últimos efeitos).
Json ultima_regiao_da_vidrel(const Execucao& e) {
    Json r;
    for (const Json& j : e.no_rastro("efeito", "SetWindowRgn"))
        if (j["janela"] == 100) r = j;
    return r;
}
Json ultimo_cursor(const Execucao& e) {
    const auto c = e.no_rastro("efeito", "SetCursorPos");
    return c.empty() ? Json() : Json::array({c.back()["x"], c.back()["y"]});
}

}  // namespace

TEST(Responder, ApertaOBotaoDaLinhaEDigitaONickNaCaixa) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, kResponder20) + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"responder20"}));
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 "}));
    const auto envios = e.no_rastro("efeito", "SendInput");
    ASSERT_EQ(envios.size(), 1u);
    EXPECT_EQ(envios[0]["registros"], 26);  // 13 unidades, aperta e solta
    EXPECT_EQ(envios[0]["destino"], "caixa");
    EXPECT_TRUE(envios[0]["entregue"].get<bool>());
    const std::string aperto = e.log_com("responder visitante20: mensagem procurada no clique (");
    EXPECT_NE(aperto.find("), apertado em "), std::string::npos) << aperto;
    EXPECT_NE(e.log_com("responder visitante20: digitado @visitante20"), "");
    // O navegador veio para a frente antes, e a faixa da resposta virou buraco.
    EXPECT_FALSE(e.no_rastro("efeito", "SetForegroundWindow").empty());
    bool com_faixa = false;
    for (const auto& [t, l] : estados(e))
        if (t > 1000 && l.find("\"buracos\":[[10,615,330,649]") != std::string::npos) com_faixa = true;
    EXPECT_TRUE(com_faixa) << e.saida;
}

TEST(Responder, OSiteQueNaoDeixaResponderAvisaENaoDigita) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, "responder moderado\tmoderado\tsó assinantes respondem") +
                                 R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.log_com("responder moderado: o site não deixa"),
              "responder moderado: o site não deixa (Só assinantes podem responder aqui)");
    const auto avisos = linhas_que_comecam(e, "{\"aviso\"");
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0].second, "{\"aviso\":\"Só assinantes podem responder aqui\"}");
    EXPECT_TRUE(digitados(e).empty());
    EXPECT_TRUE(apertados(e).empty());
}

TEST(Responder, NaKickSoDigita) {
    const Execucao e = rodar("kick_edge.json",
                             entrada(1000, "responder espectador15\tespectador15\tolá do chat 15") +
                                 R"(, {"em": 3000, "acao": "fim"})",
                             R"(, "entrada": "cena")");
    EXPECT_TRUE(apertados(e).empty());
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@espectador15 "}));
    EXPECT_NE(e.log_com("responder espectador15: digitado @espectador15"), "");
}

TEST(Responder, MensagemQueNaoEstaNaPaginaAindaDigitaONick) {
    const Execucao e = rodar(
        "twitch_respostas.json",
        entrada(1000, "responder ninguem\tninguem\tnão existe") + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_NE(e.log_com("responder ninguem: mensagem ou botão não achado ("), "");
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@ninguem "}));
}

TEST(Responder, PrepararAntesDoCliqueNaoProcuraDeNovo) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, "preparar visitante20\tvisitante20\tmensagem número 20") + "," +
                                 entrada(1500, kResponder20) + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_NE(e.log_com("responder visitante20: mensagem preparada no hover ("), "");
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"responder20"}));
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 "}));
    // O preparar não registra nada nem aperta.
    for (const std::string& l : e.linhas_do_erro()) EXPECT_EQ(l.find("preparar"), std::string::npos) << l;
}

TEST(Responder, PrepararDeOutraMensagemProcuraNoClique) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, "preparar visitante19\tvisitante19\tmensagem número 19") + "," +
                                 entrada(1500, kResponder20) + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_NE(e.log_com("responder visitante20: mensagem procurada no clique ("), "");
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"responder20"}));
}

TEST(Responder, DoLoteSoORealMaisNovo) {
    // Um emote ocupa o executor (Esc 80 ms depois e os avisos de movimento);
    // as três linhas chegam nesse meio e viram um lote só.
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, "emote :kappa:") + "," +
                                 entrada(1010, "preparar visitante18\tvisitante18\tmensagem número 18") +
                                 "," + entrada(1010, kResponder20) + "," +
                                 entrada(1010, "preparar visitante19\tvisitante19\tmensagem número 19") +
                                 R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"responder20"}));
    EXPECT_NE(e.log_com("responder visitante20: mensagem procurada no clique ("), "");
    EXPECT_EQ(digitados(e), (std::vector<std::string>{" :kappa: ", "@visitante20 "}));

    // Depois do comando de verdade, no mesmo lote, linhas que não são
    // comandos: um "fixar" que não lê o número e um emote recusado. O
    // responder ainda é o que roda.
    const Execucao f = rodar("twitch_respostas.json",
                             entrada(1000, "emote :kappa:") + "," + entrada(1010, kResponder20) + "," +
                                 entrada(1010, "fixar abc") + "," + entrada(1010, "emote dois codigos") +
                                 R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(apertados(f), (std::vector<std::string>{"responder20"})) << f.erro;
    EXPECT_EQ(digitados(f), (std::vector<std::string>{" :kappa: ", "@visitante20 "}));
    EXPECT_EQ(f.log_com("emote: código recusado"), "");
}

TEST(Responder, ComandoNaFilaRodaAntesDoFim) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, kResponder20) + R"(, {"em": 1000, "acao": "fim_da_entrada"},
                                 {"em": 9000, "acao": "fim"})");
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 "}));
    EXPECT_LT(e.rastro.back()["t"].get<int>(), 2000);
}

TEST(Responder, NavegadorAtrasDeOutraJanelaNoutroMonitorNaoDigita) {
    // Um jogo em tela cheia no segundo monitor está na frente, e o Windows
    // não deixa o navegador vir.
    const std::string abrir = R"({"em": 0, "acao": "abrir", "janela": {"hwnd": 8001, "classe": "Jogo",
        "executavel": "jogo.exe", "ret": [1920, 0, 3840, 1080]}}, {"em": 0, "acao": "frente", "janela": 8001},)";
    const Execucao e = rodar("twitch_respostas.json",
                             abrir + entrada(1000, kResponder20) + R"(, {"em": 3000, "acao": "fim"})",
                             R"(, "monitores": [{"ret": [0, 0, 1920, 1080]}, {"ret": [1920, 0, 3840, 1080]}],
                                  "falhas": [{"chamada": "SetForegroundWindow"}])");
    EXPECT_EQ(
        e.log_com("responder visitante20: o navegador não veio"),
        "responder visitante20: o navegador não veio para a frente (na frente: jogo.exe (outro monitor, tela "
        "cheia)); nada digitado");
    const auto avisos = linhas_que_comecam(e, "{\"aviso\"");
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0].second, "{\"aviso\":\"Clique no chat do navegador e tente de novo.\"}");
    EXPECT_TRUE(digitados(e).empty());
}

TEST(Responder, FocoRecusadoNaCaixaNaoDigita) {
    const Execucao e = rodar("twitch_respostas.json",
                             R"({"em": 0, "acao": "elemento", "chave": "caixa", "focavel": false},)" +
                                 entrada(1000, kResponder20) + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.log_com("responder visitante20: foco na caixa recusado"),
              "responder visitante20: foco na caixa recusado (HRESULT 0x80040202)");
    EXPECT_TRUE(digitados(e).empty());
}

TEST(Responder, BotaoQueSomeDepoisDoPrepararFalhaEAindaDigita) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, "preparar visitante20\tvisitante20\tmensagem número 20") +
                                 R"(, {"em": 1200, "acao": "remover", "chave": "responder20"},)" +
                                 entrada(1500, kResponder20) + R"(, {"em": 3000, "acao": "fim"})");
    const std::string aperto = e.log_com("responder visitante20: mensagem preparada no hover (");
    EXPECT_NE(aperto.find("falhou: HRESULT 0x80040201"), std::string::npos) << aperto;
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 "}));
}

TEST(Responder, LinhaQuePassaDaBaseDoChatRolaEEspera60Ms) {
    // A última linha desce 20 pixels abaixo do chat: o site a rola para a
    // vista e, 60 ms depois, o botão é apertado; também quando a rolagem
    // falha (ela pode ter andado a página mesmo assim).
    const std::string desce =
        R"({"em": 500, "acao": "elemento", "chave": "msg20", "ret": [1362, 861, 1682, 897], "padroes": ["rolar"]},)";
    for (const std::string& falha :
         {std::string(),
          std::string(R"({"em": 0, "acao": "falhar", "chamada": "ScrollIntoView", "chave": "msg20"},)")}) {
        const Execucao e = rodar_linha_do_tempo(
            "twitch_respostas.json",
            falha + desce + entrada(1000, kResponder20) + R"(, {"em": 3000, "acao": "fim"})",
            {"--janela", "100", "--rastro-uia"});
        std::int64_t rolou = -1, apertou = -1;
        for (const Json& j : e.rastro) {
            if (j.value("uia", "") == "ScrollIntoView") rolou = j["t"];
            if (j.value("uia", "") == "Invoke" && j.value("chave", "") == "responder20") apertou = j["t"];
        }
        ASSERT_GE(rolou, 1000) << falha << e.erro;
        EXPECT_EQ(apertou - rolou, 60) << falha;
        EXPECT_EQ(apertados(e), (std::vector<std::string>{"responder20"})) << falha;
    }
}

TEST(Responder, InvokeQueFalhaRegistraOErro) {
    const Execucao e = rodar(
        "twitch_respostas.json",
        R"({"em": 0, "acao": "falhar", "chamada": "Invoke", "chave": "responder20", "hresult": "0x80131509"},)" +
            entrada(1000, kResponder20) + R"(, {"em": 3000, "acao": "fim"})");
    const std::string aperto = e.log_com("responder visitante20: mensagem procurada no clique (");
    EXPECT_NE(aperto.find("falhou: HRESULT 0x80131509 em "), std::string::npos) << aperto;
}

// --- 7TV -----------------------------------------------------------------------

TEST(Responder7tv, BotoesDoHoverAprendemOResponder) {
    // Duas respostas à mesma linha: na primeira o segundo botão abre a
    // resposta e fica aprendido; na segunda ele é apertado primeiro, sem
    // esperar a faixa aparecer.
    // Entre as duas, a resposta foi mandada e a faixa fechou.
    const Execucao e = rodar("twitch_7tv_respostas.json",
                             entrada(1000, kResponder20) +
                                 R"(, {"em": 3500, "acao": "remover", "chave": "faixa_da_resposta"},)" +
                                 entrada(4000, kResponder20) + R"(, {"em": 7000, "acao": "fim"})",
                             R"(, "cursor": {"pos": [1500, 500]})");
    EXPECT_NE(e.log_com("responder visitante20: mensagem ou botão não achado ("), "");
    EXPECT_NE(e.log_com("responder visitante20: 3 botão(ões) do 7TV no hover ("), "");
    EXPECT_NE(e.log_com("responder visitante20: botão 1 do 7TV não era o responder"), "");
    EXPECT_NE(e.log_com("responder visitante20: botão 2 do 7TV abriu a resposta"), "");
    EXPECT_NE(e.log_com("responder visitante20: botão 2 do 7TV (aprendido), sem esperar a faixa"), "");
    EXPECT_NE(e.log_com("responder visitante20: pelo 7TV apertado em "), "");
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"copiar_7tv", "responder_7tv", "responder_7tv"}));
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 ", "@visitante20 "}));
    // O buraco foi aberto em volta do ponto da linha e a Vidrel voltou inteira.
    const auto regioes = e.no_rastro("efeito", "SetWindowRgn");
    ASSERT_GE(regioes.size(), 2u);
    EXPECT_EQ(ultima_regiao_da_vidrel(e)["regiao"], Json());
    // O canal ficou sem o botão do site: a segunda nem procura a linha do site.
    const auto erros = e.linhas_do_erro();
    EXPECT_EQ(std::count_if(erros.begin(), erros.end(),
                            [](const std::string& l) {
                                return l.find("mensagem ou botão não achado") != std::string::npos;
                            }),
              2);
}

TEST(Responder7tv, BotoesQueFicaramDoHoverAnteriorSaoOsDaLinha) {
    // Os botões não somem quando o ponteiro sai da linha: a segunda resposta
    // já os encontra lá antes do hover, e são eles que ela aperta.
    const Json cena = Json::parse(ler_arquivo(std::string(CENAS_DIR) + "/twitch_7tv_respostas.json"));
    Json reacoes = Json::array();
    for (const Json& r : cena["reacoes"])
        if (r["quando"] != "saida_do_hover") reacoes.push_back(r);
    const Execucao e = rodar("twitch_7tv_respostas.json",
                             entrada(1000, kResponder20) +
                                 R"(, {"em": 3500, "acao": "remover", "chave": "faixa_da_resposta"},)" +
                                 entrada(4000, kResponder20) + R"(, {"em": 7000, "acao": "fim"})",
                             R"(, "cursor": {"pos": [1500, 500]}, "reacoes": )" + reacoes.dump());
    const auto erros = e.linhas_do_erro();
    EXPECT_EQ(std::count_if(erros.begin(), erros.end(),
                            [](const std::string& l) {
                                return l.find("responder visitante20: 3 botão(ões) do 7TV no hover (") == 0;
                            }),
              2)
        << e.erro;
    EXPECT_NE(e.log_com("responder visitante20: botão 2 do 7TV (aprendido), sem esperar a faixa"), "");
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"copiar_7tv", "responder_7tv", "responder_7tv"}));
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 ", "@visitante20 "}));
}

TEST(Responder7tv, LinhaSemRetanguloNaoLevaOPonteiroAoCanto) {
    // A linha achada não dá o retângulo: nada de hover (o ponto seria o canto
    // da tela), nenhum buraco na Vidrel, e o nick ainda é digitado.
    const Execucao e = rodar(
        "twitch_7tv_respostas.json",
        R"({"em": 0, "acao": "falhar", "chamada": "get_CurrentBoundingRectangle", "chave": "msg20", "hresult": "0x80040201"},)" +
            entrada(1000, kResponder20) + R"(, {"em": 4000, "acao": "fim"})",
        R"(, "cursor": {"pos": [1500, 500]})");
    EXPECT_EQ(e.log_com("responder visitante20: linha do 7TV sem retângulo"),
              "responder visitante20: linha do 7TV sem retângulo (HRESULT 0x80040201); sem hover");
    EXPECT_TRUE(e.no_rastro("efeito", "SetCursorPos").empty());
    EXPECT_TRUE(e.no_rastro("efeito", "SetWindowRgn").empty());
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 "}));
}

TEST(Responder7tv, SemBotoesNoHoverAindaDigitaEDevolveTudo) {
    const Execucao e = rodar("twitch_7tv_respostas.json",
                             entrada(1000, kResponder19) + R"(, {"em": 4000, "acao": "fim"})",
                             R"(, "cursor": {"pos": [1500, 500]})");
    EXPECT_NE(e.log_com("responder visitante19: 0 botão(ões) do 7TV no hover ("), "");
    EXPECT_NE(e.log_com("responder visitante19: pelo 7TV sem botão em "), "");
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante19 "}));
    EXPECT_EQ(ultima_regiao_da_vidrel(e)["regiao"], Json());
    EXPECT_EQ(ultimo_cursor(e), Json::parse("[1500, 500]"));
}

TEST(Responder7tv, MensagemQueNaoEstaNoChatDoSeteTvRegistraOsNicks) {
    const Execucao e = rodar("twitch_7tv_respostas.json", entrada(1000, "responder ninguem\tninguem\tnada") +
                                                              R"(, {"em": 4000, "acao": "fim"})");
    EXPECT_EQ(e.log_com("7tv ninguem: não achada"),
              "7tv ninguem: não achada entre 20 mensagens; os nicks mais novos: visitante20, visitante19, "
              "visitante18, visitante17, visitante16, visitante15, visitante14, visitante13");
    EXPECT_NE(e.log_com("responder ninguem: mensagem do 7TV não achada"), "");
    EXPECT_EQ(digitados(e), (std::vector<std::string>{"@ninguem "}));
}

// Uma falha em cada passo do caminho do 7TV: uma linha de log, e a região e o
// cursor da Vidrel sempre de volta.
class FalhaNo7tv : public ::testing::TestWithParam<std::string> {};

TEST_P(FalhaNo7tv, RegiaoECursorVoltam) {
    const Execucao e = rodar(
        "twitch_7tv_respostas.json",
        GetParam() + "," + entrada(1000, kResponder20) + R"(, {"em": 4000, "acao": "fim"})",
        R"(, "cursor": {"pos": [1500, 500]})");
    EXPECT_EQ(e.codigo, 0);
    EXPECT_NE(e.log_com("responder visitante20: pelo 7TV "), "") << e.erro;
    const Json regiao = ultima_regiao_da_vidrel(e);
    if (!regiao.is_null()) {
        EXPECT_EQ(regiao["regiao"], Json());
    }
    // O cursor, se andou, voltou.
    if (!ultimo_cursor(e).is_null()) {
        EXPECT_EQ(ultimo_cursor(e), Json::parse("[1500, 500]"));
    }
    // A Vidrel nunca apagou uma região que era dela.
    for (const Json& j : e.no_rastro("efeito", "DeleteObject")) EXPECT_FALSE(j.contains("erro")) << j.dump();
}

INSTANTIATE_TEST_SUITE_P(
    Passos, FalhaNo7tv,
    ::testing::Values(
        R"({"em": 0, "acao": "falhar", "chamada": "Invoke", "chave": "copiar_7tv"})",
        R"({"em": 0, "acao": "falhar", "chamada": "Invoke"})",
        R"({"em": 0, "acao": "falhar", "chamada": "SetWindowRgn"})",
        R"({"em": 0, "acao": "falhar", "chamada": "GetWindowRgn"})",
        // A primeira busca na linha (o autor) passa; falham as dos botões do hover.
        R"({"em": 0, "acao": "falhar", "chamada": "FindAllBuildCache", "chave": "msg20", "pular": 1})",
        R"({"em": 0, "acao": "falhar", "chamada": "get_CurrentBoundingRectangle", "chave": "msg20"})",
        R"({"em": 0, "acao": "falhar", "chamada": "GetCursorPos", "vezes": 1})"));

TEST(Responder7tv, ARegiaoQueOAppDeuAVidrelVoltaComoEra) {
    // O app já tinha recortado a Vidrel: o buraco de passagem sai da região
    // dele, e ela volta a ser a dele, não a janela inteira. A vazia
    // (NULLREGION) continua vazia o tempo todo.
    for (const char* regiao : {"[]", "[[0, 500, 340, 646]]"}) {
        SCOPED_TRACE(regiao);
        Json cena = Json::parse(ler_arquivo(std::string(CENAS_DIR) + "/twitch_7tv_respostas.json"));
        for (Json& j : cena["janelas"])
            if (j["hwnd"] == 100) j["regiao"] = Json::parse(regiao);
        cena["cursor"] = {{"pos", {1500, 500}}};
        cena["entrada"] = "cena";
        cena["linha_do_tempo"] = Json::parse("[" + entrada(1000, kResponder20) +
                                             R"(, {"em": 4000, "acao": "fim"}])");
        const Execucao e = rodar_programa(cena.dump(), {"--janela", "100"});
        const auto regioes = e.no_rastro("efeito", "SetWindowRgn");
        ASSERT_EQ(regioes.size(), 2u) << e.erro;
        const Json dada = Json::parse(regiao);
        if (dada.empty())
            EXPECT_EQ(regioes[0]["regiao"], dada);
        else
            EXPECT_NE(regioes[0]["regiao"], dada);  // o buraco em volta da linha 20 cai dentro dela
        EXPECT_EQ(regioes[1]["regiao"], dada);
        EXPECT_EQ(digitados(e), (std::vector<std::string>{"@visitante20 "}));
    }
}
