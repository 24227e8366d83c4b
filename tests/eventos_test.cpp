// Os avisos de janela do navegador chegando ao programa de verdade: arrasto,
// troca de aba, o que aparece na página e o navegador trocado.

#include <gtest/gtest.h>

#include "ajuda.hpp"

namespace {

Execucao twitch(const std::string& linha_do_tempo, std::vector<std::string> args = {"--janela", "100"},
                const std::string& cena = "twitch_chrome.json") {
    return rodar_linha_do_tempo(cena, linha_do_tempo, args);
}

std::vector<std::pair<std::int64_t, std::string>> com(const Execucao& e, const std::string& comeco) {
    return linhas_que_comecam(e, comeco);
}

std::vector<Json> escondidas(const Execucao& e) {
    std::vector<Json> r;
    for (const Json& j : e.no_rastro("efeito", "ShowWindowAsync"))
        if (j["janela"] == 100 && j["comando"] == 0) r.push_back(j);
    return r;
}

}  // namespace

TEST(EventosDoNavegador, ArrastoAvisaOAppEEscondeAVidrel) {
    const Execucao e = twitch(R"({"em": 1050, "acao": "arrasto", "janela": 2001, "fase": "inicio"},
        {"em": 1150, "acao": "mover", "janela": 2001, "deslocar": [30, 0]},
        {"em": 1250, "acao": "mover", "janela": 2001, "deslocar": [30, 0]},
        {"em": 1350, "acao": "arrasto", "janela": 2001, "fase": "fim"},
        {"em": 2000, "acao": "fim"})");
    const auto arrasto = com(e, "{\"arrasto\"");
    ASSERT_EQ(arrasto.size(), 2u) << e.saida;
    EXPECT_EQ(arrasto[0], (std::pair<std::int64_t, std::string>{1050, "{\"arrasto\":true}"}));
    EXPECT_EQ(arrasto[1], (std::pair<std::int64_t, std::string>{1350, "{\"arrasto\":false}"}));
    const auto esc = escondidas(e);
    ASSERT_EQ(esc.size(), 1u);
    EXPECT_EQ(esc[0]["t"], 1050);
    // O aviso de movimento faz a Vidrel andar no mesmo instante.
    bool andou_junto = false;
    for (const Json& j : e.no_rastro("efeito", "SetWindowPos"))
        if (j["janela"] == 100 && j["t"] == 1150 && j["ret"] == Json::parse("[1382,231,1722,877]"))
            andou_junto = true;
    EXPECT_TRUE(andou_junto);
}

TEST(EventosDoNavegador, PresaNaoHaAvisoDeArrasto) {
    const std::string chave = "/tmp/localizador-teste-presa-eventos";
    const Execucao e = twitch(R"({"em": 0, "acao": "arquivo", "caminho": ")" + chave + R"(", "existe": true},
        {"em": 1050, "acao": "arrasto", "janela": 2001, "fase": "inicio"},
        {"em": 1350, "acao": "arrasto", "janela": 2001, "fase": "fim"},
        {"em": 1400, "acao": "arquivo", "caminho": ")" +
                                  chave + R"(", "existe": false},
        {"em": 2000, "acao": "fim"})",
                              {"--janela", "100", "--presa", chave});
    EXPECT_NE(e.log_com("Vidrel presa ao navegador"), "");
    EXPECT_TRUE(com(e, "{\"arrasto\"").empty());
}

TEST(EventosDoNavegador, ContadorNoTituloNaoEscondeOutraAbaEscondeUmaVez) {
    const Execucao e = twitch(
        R"({"em": 1050, "acao": "titulo", "janela": 2001, "titulo": "(3) tarsio_ao_vivo - Twitch - Google Chrome"},
        {"em": 1550, "acao": "titulo", "janela": 2001, "titulo": "Google - Google Chrome"},
        {"em": 1560, "acao": "titulo", "janela": 2001, "titulo": "Nova guia - Google Chrome"},
        {"em": 2500, "acao": "fim"})");
    int linhas = 0;
    for (const std::string& l : e.linhas_do_erro())
        if (l.rfind("título mudou", 0) == 0) {
            ++linhas;
            EXPECT_EQ(l,
                      "título mudou (tarsio_ao_vivo - Twitch - Google Chrome para outra aba): "
                      "Vidrel escondida até o alvo voltar");
        }
    EXPECT_EQ(linhas, 1);
    const auto esc = escondidas(e);
    ASSERT_EQ(esc.size(), 1u);
    EXPECT_EQ(esc[0]["t"], 1550);
}

TEST(EventosDoNavegador, ObjetoMostradoFazOLocalizadorOlharJa) {
    // As voltas caem nos múltiplos de 100 ms; o menu aparece entre duas.
    const Execucao e = twitch(R"({"em": 1030, "acao": "adicionar", "dentro_de": "chat_room",
            "elemento": {"papel": "menu", "ret": [1400, 300, 1600, 400]}},
        {"em": 2000, "acao": "fim"})");
    const auto s = com(e, "{\"site\"");
    ASSERT_EQ(s.size(), 2u) << e.saida;
    EXPECT_EQ(s[1].first, 1030);
    EXPECT_NE(s[1].second.find("\"buracos\":[[48,69,248,169]]"), std::string::npos);
}

TEST(EventosDoNavegador, MovimentosDeObjetosDaPaginaSaoIgnorados) {
    // Uma mensagem que anda gera um aviso de movimento de objeto: nada acontece.
    const Execucao e = twitch(R"({"em": 1030, "acao": "elemento", "chave": "msg3", "deslocar": [0, 1]},
        {"em": 1500, "acao": "fim"})",
                              {"--janela", "100", "--rastro-uia"});
    EXPECT_EQ(e.buscas_entre(1001, 1099), 0);
    int leituras = 0;
    for (const Json& j : e.rastro)
        if (j.contains("uia") && j["t"].get<int>() > 1000 && j["t"].get<int>() < 1100) ++leituras;
    EXPECT_EQ(leituras, 0);
}

TEST(EventosDoNavegador, OutroNavegadorEhObservadoEm500ms) {
    // A Edge (outro processo) com uma live da Kick atrás do Chrome; o Chrome fecha.
    const Execucao e = twitch(
        R"({"em": 0, "acao": "abrir", "janela": {"hwnd": 3001, "classe": "Chrome_WidgetWin_1",
            "executavel": "msedge.exe", "titulo": "tarsio Stream - Kick - Microsoft Edge", "ret": [100, 50, 1700, 1000],
            "pagina": [{"tipo": "Document", "ret": [108, 131, 1692, 992], "filhos": [
              {"papel": "separator", "classe": "chatroom-resize", "ret": [1348, 181, 1352, 992]},
              {"papel": "textbox", "classe": "editor", "ret": [1362, 920, 1640, 960]}]}]}},
        {"em": 0, "acao": "frente", "janela": 2001},
        {"em": 1000, "acao": "fechar", "janela": 2001},
        {"em": 3000, "acao": "fim"})");
    const std::vector<Json> ganchos = e.no_rastro("efeito", "SetWinEventHook");
    ASSERT_EQ(ganchos.size(), 8u);  // quatro para cada processo
    const auto processo = [](const Json& j) { return j["processo"].get<std::int64_t>(); };
    EXPECT_NE(processo(ganchos[0]), processo(ganchos[4]));
    EXPECT_LE(ganchos[0]["t"].get<int>(), 600);
    // O novo alvo sai logo depois do fechamento; os ganchos novos vêm em até 500 ms.
    std::int64_t publicado = 0;
    for (const auto& [t, l] : e.saidas())
        if (t >= 1000 && l.rfind("{\"site\":\"kick\"", 0) == 0 && !publicado) publicado = t;
    ASSERT_GT(publicado, 0) << e.saida;
    EXPECT_GE(ganchos[4]["t"].get<std::int64_t>(), publicado);
    EXPECT_LE(ganchos[4]["t"].get<std::int64_t>() - publicado, 500);
    EXPECT_EQ(e.no_rastro("efeito", "UnhookWinEvent").size(), 4u);
}
