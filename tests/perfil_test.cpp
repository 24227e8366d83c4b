// O cartão do espectador: o aperto no nome do autor, o buraco do cartão na
// Vidrel assim que ele aparece, e os botões dele com "perfil-botao".

#include <gtest/gtest.h>

#include <functional>

#include "ajuda.hpp"

namespace {

std::string entrada(int em, const std::string& linha) {
    return R"({"em": )" + std::to_string(em) + R"(, "acao": "entrada", "linha": )" + Json(linha).dump() + "}";
}

Execucao rodar(const std::string& cena, const std::string& linha_do_tempo, const std::string& extras = "") {
    return rodar_linha_do_tempo(cena, linha_do_tempo, {"--janela", "100"}, extras);
}

std::vector<std::string> apertados(const Execucao& e) {
    std::vector<std::string> r;
    for (const Json& j : e.no_rastro("efeito", "Invoke"))
        r.push_back(j.value("chave", "") + "|" + j.value("nome", ""));
    return r;
}

}  // namespace

TEST(Perfil, AbreOCartaoEOBuracoEntraNaVidrelJa) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, "perfil visitante20\tvisitante20\tmensagem número 20") +
                                 R"(, {"em": 4000, "acao": "fim"})");
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"usuario20|visitante20"}));
    EXPECT_NE(e.log_com("perfil visitante20: mensagem procurada no clique ("), "");
    EXPECT_EQ(e.log_com("perfil visitante20: buraco"),
              "perfil visitante20: buraco (1362, 520, 1682, 860), topo por contêiner do cartão");
    const std::string vista = e.log_com("perfil visitante20: cartão à vista em ");
    ASSERT_NE(vista, "");
    // O cartão aparece 120 ms depois do aperto; as medidas são de 25 em 25 ms.
    EXPECT_EQ(vista, "perfil visitante20: cartão à vista em 125 ms");
    // O buraco do cartão (recortado no chat, relativo a ele) na linha de estado.
    bool com_buraco = false;
    for (const auto& [t, l] : estados(e))
        if (t >= 1120 && t <= 1200 && l.find("[10,289,330,629]") != std::string::npos) com_buraco = true;
    EXPECT_TRUE(com_buraco) << e.saida;
}

TEST(Perfil, AbaQueTrocaDuranteOPerfilNaoGanhaOBuracoDoCartao) {
    // A aba troca logo depois do aperto, com o localizador preso numa leitura
    // lenta (o nome da sala do chat demora 600 ms): o alvo velho ainda está
    // publicado quando o cartão aparece, mas o buraco dele não o publica de
    // novo numa aba que não é mais a da live.
    const Execucao e = rodar(
        "twitch_respostas.json",
        R"({"em": 990, "acao": "lentidao", "chamada": "get_CurrentName", "ms": 600},)" +
            entrada(1000, "perfil visitante20\tvisitante20\tmensagem número 20") +
            R"(, {"em": 1060, "acao": "titulo", "janela": 2001, "titulo": "Notícias - Google Chrome"},
                                 {"em": 4000, "acao": "fim"})");
    EXPECT_NE(e.log_com("perfil visitante20: cartão à vista em "), "") << e.erro;
    for (const auto& [t, l] : estados(e))
        if (t >= 1060) {
            EXPECT_EQ(l, "{\"site\":null}") << t;
        }
}

TEST(Perfil, NaKickOElementoDoNomeCortadoNoParentese) {
    // O nome de exibição com o login entre parênteses: o elemento da Kick só
    // tem o nome, e casa pelo corte em " (".
    const Execucao e = rodar("kick_edge.json",
                             entrada(1000, "perfil esp15login\tespectador15 (esp15login)\tolá do chat 15") +
                                 R"(, {"em": 3000, "acao": "fim"})",
                             R"(, "entrada": "cena")");
    EXPECT_EQ(apertados(e), (std::vector<std::string>{"usuario15|espectador15"}));
    EXPECT_EQ(e.log_com("perfil esp15login: nick da Kick"), "perfil esp15login: nick da Kick, apertado");
}

TEST(Perfil, NaKickSemONickRegistra) {
    const Execucao e = rodar(
        "kick_edge.json", entrada(1000, "perfil ninguem\tninguem\tnada") + R"(, {"em": 3000, "acao": "fim"})",
        R"(, "entrada": "cena")");
    EXPECT_EQ(e.log_com("perfil ninguem:"), "perfil ninguem: nick não achado na Kick");
    EXPECT_TRUE(apertados(e).empty());
}

TEST(PerfilBotao, SeguirApertaFollowEDepoisJaSegue) {
    const Execucao e = rodar("twitch_respostas.json", entrada(1000, "perfil-botao seguir visitante20") + "," +
                                                          entrada(1500, "perfil-botao seguir visitante20") +
                                                          R"(, {"em": 6000, "acao": "fim"})");
    const std::string primeiro = e.log_com("perfil-botao seguir visitante20: \"Follow\" apertado em ");
    EXPECT_NE(primeiro, "") << e.erro;
    // O segundo vê o "Unfollow": já segue, avisa o app e não aperta nada.
    EXPECT_NE(e.log_com("perfil-botao seguir visitante20: já segue"), "");
    const auto avisos = linhas_que_comecam(e, "{\"aviso\"");
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0].second, "{\"aviso\":\"Você já segue visitante20\"}");
    EXPECT_EQ(apertados(e),
              (std::vector<std::string>{"usuario20|visitante20", "seguir|Follow", "usuario20|visitante20"}));
    // Oitenta tentativas de 25 ms antes de desistir.
    EXPECT_GE(avisos[0].first, 1500 + 79 * 25);
}

TEST(PerfilBotao, PalavraDesconhecidaListaOsBotoesDoCartao) {
    const Execucao e = rodar("twitch_respostas.json", entrada(1000, "perfil-botao banir visitante20") +
                                                          R"(, {"em": 6000, "acao": "fim"})");
    const std::string linha = e.log_com("perfil-botao banir visitante20: botão não achado no cartão; havia ");
    EXPECT_NE(linha.find("\"Follow\", \"Gift a Sub\", \"Gift Turbo\", \"Whisper\""), std::string::npos)
        << linha;
}

TEST(PerfilBotao, SussurrarESubApertamOBotaoCerto) {
    const Execucao e = rodar("twitch_respostas.json", entrada(1000, "perfil-botao sussurrar  visitante20") +
                                                          R"(, {"em": 4000, "acao": "fim"})");
    EXPECT_NE(e.log_com("perfil-botao sussurrar visitante20: \"Whisper\" apertado em "), "") << e.erro;
}

TEST(PerfilBotao, CadaFalhaDoApertoComOSeuTexto) {
    // O pedido do padrão que falha, a chamada Invoke que o navegador recusa
    // e o botão sem o padrão: cada um com a sua linha, o HRESULT junto.
    const auto rodar_com = [](const std::string& falha, const std::string& extras) {
        return rodar(
            "twitch_respostas.json",
            falha + entrada(1000, "perfil-botao seguir visitante20") + R"(, {"em": 4000, "acao": "fim"})",
            extras);
    };
    const std::string prefixo = "perfil-botao seguir visitante20: \"Follow\" ";
    const Execucao pedido = rodar_com(
        R"({"em": 0, "acao": "falhar", "chamada": "GetCurrentPatternAs", "chave": "seguir", "hresult": "0x80131505"},)",
        "");
    EXPECT_EQ(pedido.log_com(prefixo).rfind(prefixo + "falhou: HRESULT 0x80131505 em ", 0), 0u)
        << pedido.erro;
    const Execucao recusa = rodar_com(
        R"({"em": 0, "acao": "falhar", "chamada": "Invoke", "chave": "seguir", "hresult": "0x80040202"},)",
        "");
    EXPECT_EQ(recusa.log_com(prefixo).rfind(prefixo + "recusou o aperto (HRESULT 0x80040202) em ", 0), 0u)
        << recusa.erro;

    Json reacoes = Json::parse(cena_derivada("twitch_respostas.json", "{}"))["reacoes"];
    std::function<void(Json&)> sem_padrao = [&](Json& j) {
        if (j.is_object() && j.value("chave", "") == "seguir" && j.contains("tipo"))
            j["padroes"] = Json::array();
        if (j.is_object() || j.is_array())
            for (Json& f : j) sem_padrao(f);
    };
    sem_padrao(reacoes);
    const Execucao ausente = rodar_com("", R"(, "reacoes": )" + reacoes.dump());
    EXPECT_EQ(ausente.log_com(prefixo).rfind(
                  prefixo + "falhou: sem InvokePattern: o elemento não tem o padrão em ", 0),
              0u)
        << ausente.erro;
}

TEST(PerfilBotao, ComO7tvParaComALinhaDele) {
    const Execucao e = rodar("twitch_7tv_respostas.json", entrada(1000, "perfil-botao seguir visitante20") +
                                                              R"(, {"em": 4000, "acao": "fim"})");
    EXPECT_NE(
        e.log_com(
            "perfil-botao seguir visitante20: com o 7TV o cartão é o dele; só o da Twitch tem os botões"),
        "");
    // O perfil rodou antes (o nome do autor no 7TV foi apertado).
    EXPECT_NE(e.log_com("perfil visitante20: mensagem procurada no clique ("), "");
}

TEST(PerfilBotao, SemONickNaLinhaEDescartado) {
    const Execucao e = rodar("twitch_respostas.json",
                             entrada(1000, "perfil-botao seguir") + R"(, {"em": 3000, "acao": "fim"})");
    EXPECT_TRUE(apertados(e).empty());
    for (const std::string& l : e.linhas_do_erro()) EXPECT_EQ(l.find("perfil"), std::string::npos) << l;
}
