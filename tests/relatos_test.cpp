// O que o localizador conta no log e publica quando a leitura vai e volta:
// uma linha por mudança de estado, nem a menos nem repetida; a Vidrel nunca
// fica escondida com o alvo ainda publicado; o quadrado do botão é o da página
// mostrada; e uma busca que falhou diz o erro.

#include <gtest/gtest.h>

#include <algorithm>

#include "ajuda.hpp"

namespace {

const std::string kStatusInicial =
    "{\"site\":\"twitch\",\"canal\":\"tarsio_ao_vivo\",\"largura\":340,\"altura\":646,\"folga\":6,"
    "\"com7tv\":false,\"pausado\":false,\"buracos\":[],\"pagina\":[-1244,-100,340,761],"
    "\"botao\":[1648,895,1672,919],\"janela\":2001,\"frente\":true,\"avista\":true}";

Execucao twitch(const std::string& linha_do_tempo) {
    return rodar_linha_do_tempo("twitch_chrome.json", linha_do_tempo);
}

int quantas(const Execucao& e, const std::string& trecho) {
    const auto linhas = e.linhas_do_erro();
    return static_cast<int>(std::count_if(linhas.begin(), linhas.end(), [&](const std::string& l) {
        return l.find(trecho) != std::string::npos;
    }));
}

// As janelas da cena com um Bloco de notas (3001) a mais, para a frente ir a ele.
std::string janelas_com_o_bloco_de_notas(const std::string& arquivo) {
    Json janelas = Json::parse(cena_derivada(arquivo, "{}"))["janelas"];
    janelas.push_back(
        Json::parse(R"({"hwnd": 3001, "classe": "Notepad", "titulo": "Sem título - Bloco de notas",
                                      "executavel": "notepad.exe", "ret": [200, 200, 900, 700]})"));
    return janelas.dump();
}

}  // namespace

TEST(Relatos, AbaQuePiscaDuranteUmaLeituraLentaNaoDeixaAVidrelEscondida) {
    // A leitura fica lenta; enquanto o localizador lê, a aba troca e volta.
    // O observador escondeu a Vidrel; o localizador retira e publica de novo.
    const Execucao e = twitch(
        R"({"em": 1400, "acao": "lentidao", "chamada": "get_CurrentBoundingRectangle", "ms": 40},
        {"em": 1410, "acao": "titulo", "janela": 2001, "titulo": "Google - Google Chrome"},
        {"em": 1420, "acao": "titulo", "janela": 2001, "titulo": "tarsio_ao_vivo - Twitch - Google Chrome"},
        {"em": 2500, "acao": "fim"})");
    EXPECT_EQ(quantas(e, "título mudou (tarsio_ao_vivo - Twitch - Google Chrome para outra aba)"), 1);
    const auto s = estados(e);
    ASSERT_EQ(s.size(), 3u) << e.saida;
    EXPECT_EQ(s[0].second, kStatusInicial);
    EXPECT_EQ(s[1].second, "{\"site\":null}");
    EXPECT_EQ(s[2].second, kStatusInicial);
    EXPECT_GE(s[1].first, 1410);
    EXPECT_LE(s[2].first, 1700);
}

TEST(Relatos, VoltaDepoisDeTresReleiturasPerdidasERegistrada) {
    // A releitura falha até o fim dos 60 s de segurar; três perdidas depois da
    // Vidrel fora, a próxima busca acha o chat de novo, e isso é contado.
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "falhar", "chamada": "get_CurrentBoundingRectangle", "chave": "lista"},
        {"em": 61150, "acao": "curar", "chamada": "get_CurrentBoundingRectangle"},
        {"em": 62000, "acao": "fim"})");
    EXPECT_EQ(quantas(e, "chat achado sem leitura (a leitura falhou), Vidrel fora"), 1);
    EXPECT_EQ(quantas(e, ": chat achado em "), 2) << e.erro;
    const auto s = estados(e);
    ASSERT_GE(s.size(), 3u);
    EXPECT_EQ(s.back().second, kStatusInicial);
    EXPECT_GE(s.back().first, 61150);
}

TEST(Relatos, LembradoNaoEConfirmadoComOutraLinha) {
    // A volta para a aba usa o alvo lembrado; a busca que o confirma 400 ms
    // depois não registra "achado" outra vez para a mesma página.
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "titulo", "janela": 2001, "titulo": "Google - Google Chrome"},
        {"em": 2500, "acao": "titulo", "janela": 2001, "titulo": "tarsio_ao_vivo - Twitch - Google Chrome"},
        {"em": 4000, "acao": "fim"})");
    EXPECT_EQ(quantas(e, "chat lembrado em"), 1);
    EXPECT_EQ(quantas(e, ": chat achado em "), 1) << e.erro;
}

TEST(Relatos, SemLeituraNaBuscaENaReleituraUmaVezSo) {
    // O documento não chega ao chat: a busca acha o chat sem leitura, e as
    // releituras seguintes dão o mesmo motivo, registrado uma vez.
    const Execucao e = twitch(
        R"({"em": 0, "acao": "elemento", "chave": "pagina", "ret": [108, 131, 1692, 200]},
        {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(quantas(e, "chat achado sem leitura (chat fora da página)"), 1) << e.erro;
    EXPECT_TRUE(estados(e).empty()) << e.saida;
}

TEST(Relatos, BuscaQueFalhaDizOErro) {
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "falhar", "chamada": "FindAllBuildCache", "hresult": "0x80131505"},
        {"em": 1000, "acao": "titulo", "janela": 2001, "titulo": "outro_canal - Twitch - Google Chrome"},
        {"em": 2000, "acao": "fim"})");
    const std::string linha = e.log_com("não achei o chat nesta página.");
    EXPECT_EQ(linha,
              "Twitch em outro_canal - Twitch - Google Chrome: não achei o chat nesta página. "
              "\"outro_canal - Twitch - Google Chrome\" (a busca falhou: HRESULT 0x80131505)");
}

TEST(Relatos, QuadradoDoBotaoEDaPaginaMostrada) {
    // Edge (Kick, sem caixa da Twitch: botão nulo) na frente; depois o Chrome
    // (Twitch, com o botão); depois de volta cada um pelo alvo lembrado: cada
    // linha traz o botão da sua página, não o da última busca.
    const Execucao e = rodar_programa(
        cena_derivada("dois_navegadores.json", R"({"entrada": "cena", "linha_do_tempo": [
            {"em": 0, "acao": "abrir", "janela": {"hwnd": 100, "classe": "VornelChat", "executavel": "vornel.exe",
                                                  "ret": [0, 0, 300, 600], "visivel": false}},
            {"em": 1000, "acao": "frente", "janela": 2001},
            {"em": 2000, "acao": "frente", "janela": 3001},
            {"em": 3000, "acao": "frente", "janela": 2001},
            {"em": 4000, "acao": "fim"}]})"),
        {"--janela", "100"});
    std::vector<std::string> botoes;
    for (const auto& [t, l] : estados(e)) {
        if (l == "{\"site\":null}") continue;
        const auto de = l.find("\"botao\":");
        const std::string botao = l.substr(de, l.find(",\"janela\"") - de);
        const std::string janela = l.substr(l.find("\"janela\":"), 13);
        if (botoes.empty() || botoes.back() != janela + " " + botao) botoes.push_back(janela + " " + botao);
    }
    EXPECT_EQ(botoes, (std::vector<std::string>{
                          "\"janela\":3001 \"botao\":null", "\"janela\":2001 \"botao\":[1604,886,1636,918]",
                          "\"janela\":3001 \"botao\":null", "\"janela\":2001 \"botao\":[1604,886,1636,918]"}))
        << e.saida;
}

TEST(Relatos, LeituraLentaDeUmaJanelaQueSumiuNaoPublica) {
    // Cada busca demora; durante a primeira o navegador é minimizado (e, em
    // outra corrida, fechado). Nenhuma linha diz que o chat está à vista.
    for (const char* some : {R"({"em": 300, "acao": "minimizar", "janela": 2001})",
                             R"({"em": 300, "acao": "fechar", "janela": 2001})"}) {
        const Execucao e = rodar_linha_do_tempo(
            "twitch_chrome.json", std::string(some) + R"(, {"em": 4000, "acao": "fim"})", {"--janela", "100"},
            R"(, "lentidoes": [{"chamada": "FindAllBuildCache", "ms": 150}])");
        EXPECT_EQ(e.codigo, 0);
        for (const auto& [t, l] : estados(e)) EXPECT_EQ(l, "{\"site\":null}") << some << " em " << t;
        // E a Vidrel nunca foi dada a uma janela que não existe mais.
        for (const Json& j : e.no_rastro("efeito", "SetWindowLongPtrW"))
            EXPECT_TRUE(j["ok"].get<bool>()) << j.dump();
    }
}

TEST(Relatos, NavegadorQueFechaDuranteAMedidaDoCartaoNaoPublica) {
    // Da maratona: depois de um "perfil", o localizador mede o cartão a cada
    // volta, e cada classe lida demora 900 ms. A frente vai para o Bloco de
    // notas e o navegador fecha no meio dessa medida; nenhuma linha de estado
    // fala dele depois disso.
    const Execucao e = rodar_linha_do_tempo(
        "twitch_7tv_respostas.json",
        R"({"em": 1000, "acao": "entrada", "linha": "perfil visitante20\tvisitante20\tmensagem número 20"},
           {"em": 1100, "acao": "lentidao", "chamada": "get_CurrentClassName", "ms": 900},
           {"em": 2093, "acao": "frente", "janela": 3001},
           {"em": 2100, "acao": "fechar", "janela": 2001},
           {"em": 5000, "acao": "fim"})",
        {"--janela", "100"},
        R"(, "janelas": )" + janelas_com_o_bloco_de_notas("twitch_7tv_respostas.json") +
            R"(, "frente": 2001)");
    ASSERT_FALSE(estados(e).empty());
    EXPECT_EQ(estados(e).back().second, "{\"site\":null}");
    for (const auto& [t, l] : estados(e))
        if (t >= 2100) {
            EXPECT_EQ(l, "{\"site\":null}") << t;
        }
}
