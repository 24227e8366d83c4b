// O localizador rodando de verdade, no modo hospedado e no protótipo, sobre
// cenas com linha do tempo: o que sai na saída padrão, no log e o que a
// Vidrel faz na área de trabalho. Tudo no tempo virtual.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ajuda.hpp"
#include "comum/tipos.hpp"

namespace {

const std::vector<std::string> kHospedado = {"--janela", "100", "--rastro-uia"};

const std::string kStatusInicial =
    "{\"site\":\"twitch\",\"canal\":\"tarsio_ao_vivo\",\"largura\":340,\"altura\":646,\"folga\":6,"
    "\"com7tv\":false,\"pausado\":false,\"buracos\":[],\"pagina\":[-1244,-100,340,761],"
    "\"botao\":[1648,895,1672,919],\"janela\":2001,\"frente\":true,\"avista\":true}";

Execucao twitch(const std::string& linha_do_tempo, std::vector<std::string> args = kHospedado,
                const std::string& extras = "") {
    return rodar_linha_do_tempo("twitch_chrome.json", linha_do_tempo, args, extras);
}

std::vector<Json> posicoes_da_vidrel(const Execucao& e) {
    std::vector<Json> r;
    for (const Json& j : e.no_rastro("efeito", "SetWindowPos"))
        if (j["janela"] == 100) r.push_back(j);
    return r;
}

}  // namespace

TEST(Localizador, AchaALiveEPoeAJanelaDoAppNoChat) {
    const Execucao e = twitch(R"({"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.codigo, 0);
    const auto s = estados(e);
    ASSERT_EQ(s.size(), 1u) << e.saida;  // um chat parado não escreve de novo
    EXPECT_EQ(s[0].second, kStatusInicial);
    EXPECT_EQ(s[0].first, 100);
    const auto pos = posicoes_da_vidrel(e);
    ASSERT_FALSE(pos.empty());
    EXPECT_EQ(pos[0]["ret"], Json::parse("[1352,231,1692,877]"));
    EXPECT_EQ(pos[0]["opcoes"].get<int>() & 0x4010, 0x4010);
    EXPECT_NE(e.log_com("Twitch em tarsio_ao_vivo - Twitch - Google Chrome: chat achado em "), "");
    EXPECT_NE(
        e.log_com(
            "canal tarsio_ao_vivo, folga medida só na busca. \"tarsio_ao_vivo - Twitch - Google Chrome\""),
        "");
    // Batimentos o tempo todo, a janela do app fica parada depois do primeiro lugar.
    const auto linhas = e.linhas_da_saida();
    EXPECT_GE(std::count(linhas.begin(), linhas.end(), "{\"vivo\":1}"), 9);
    EXPECT_EQ(pos.size(), 1u);
}

TEST(Localizador, BuscaATwitchACada5Segundos) {
    const Execucao e = twitch(R"({"em": 12000, "acao": "fim"})");
    // Só as do localizador: o vigia dos resgates busca também, a cada 2 s.
    // A primeira busca na primeira volta, depois uma a cada 5 s; entre elas nenhuma.
    EXPECT_GT(e.buscas_do_localizador_entre(100, 100), 0);
    EXPECT_EQ(e.buscas_do_localizador_entre(101, 5100), 0);
    EXPECT_GT(e.buscas_do_localizador_entre(5101, 5300), 0);
    EXPECT_EQ(e.buscas_do_localizador_entre(5301, 10200), 0);
    EXPECT_GT(e.buscas_do_localizador_entre(10201, 10400), 0);
}

TEST(Localizador, ArrastarONavegadorLevaAVidrelSemBuscar) {
    std::string passos;
    for (int i = 0; i < 8; ++i)
        passos += R"({"em": )" + std::to_string(1050 + 100 * i) +
                  R"(, "acao": "mover", "janela": 2001, "deslocar": [10, 5]},)";
    const Execucao e = twitch(passos + R"({"em": 2500, "acao": "fim"})");
    const auto pos = posicoes_da_vidrel(e);
    ASSERT_EQ(pos.size(), 9u);  // o primeiro lugar e um por passo
    for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(pos[i]["ret"], Json::array({1352 + 10 * i, 231 + 5 * i, 1692 + 10 * i, 877 + 5 * i})) << i;
    EXPECT_EQ(e.buscas_do_localizador_entre(900, 2500), 0);
    // O botão está em pixels de tela: a linha de estado acompanha.
    const auto s = estados(e);
    EXPECT_NE(s.back().second.find("\"botao\":[1728,935,1752,959]"), std::string::npos) << s.back().second;
}

TEST(Localizador, TrocaDeAbaEscondeEVoltaPeloAlvoLembrado) {
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "titulo", "janela": 2001, "titulo": "Google - Google Chrome"},
        {"em": 2500, "acao": "titulo", "janela": 2001, "titulo": "tarsio_ao_vivo - Twitch - Google Chrome"},
        {"em": 4000, "acao": "fim"})");
    const auto s = estados(e);
    ASSERT_EQ(s.size(), 3u) << e.saida;
    EXPECT_EQ(s[1].second, "{\"site\":null}");
    EXPECT_GE(s[1].first, 1000);
    EXPECT_LE(s[1].first, 1100);
    EXPECT_EQ(s[2].second, kStatusInicial);
    EXPECT_EQ(e.log_com("Sem Twitch nem Kick"),
              "Sem Twitch nem Kick à vista. Escondido (outra aba; na frente: o navegador).");
    const std::string lembrado = e.log_com("chat lembrado em");
    EXPECT_NE(lembrado, "");
    EXPECT_NE(lembrado.find(" De volta em 1"), std::string::npos) << lembrado;
    // Voltou sem ler a página.
    EXPECT_EQ(e.buscas_do_localizador_entre(2500, 2700), 0);
}

TEST(Localizador, AlvoLembradoDeOutroCanalNaoServe) {
    // O endereço diz um canal e o título outro: o alvo lembrado é recusado.
    const Execucao e = rodar_programa(
        cena_derivada("twitch_chrome.json", R"({"entrada": "cena", "linha_do_tempo": [
            {"em": 0, "acao": "elemento", "chave": "endereco", "valor": "twitch.tv/outro_canal"},
            {"em": 1000, "acao": "titulo", "janela": 2001, "titulo": "Google - Google Chrome"},
            {"em": 2500, "acao": "titulo", "janela": 2001, "titulo": "tarsio_ao_vivo - Twitch - Google Chrome"},
            {"em": 4000, "acao": "fim"}]})"),
        kHospedado);
    EXPECT_EQ(e.log_com("chat lembrado recusado"),
              "chat lembrado recusado (canal de outra aba): busca inteira");
    EXPECT_GT(e.buscas_do_localizador_entre(2500, 2700), 0);
    EXPECT_EQ(estados(e).size(), 3u);
}

TEST(Localizador, DepoisDe600SegundosOAlvoLembradoNaoVale) {
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "titulo", "janela": 2001, "titulo": "Google - Google Chrome"},
        {"em": 602000, "acao": "titulo", "janela": 2001, "titulo": "tarsio_ao_vivo - Twitch - Google Chrome"},
        {"em": 603000, "acao": "fim"})");
    EXPECT_EQ(e.log_com("chat lembrado"), "");
    EXPECT_GT(e.buscas_do_localizador_entre(602000, 602200), 0);
    EXPECT_EQ(estados(e).size(), 3u);
}

TEST(Localizador, TituloQueMudaDuranteABuscaDescartaOResultado) {
    const Execucao e = twitch(
        R"({"em": 150, "acao": "titulo", "janela": 2001, "titulo": "outro_canal - Twitch - Google Chrome"},
        {"em": 2000, "acao": "fim"})",
        kHospedado, R"(, "lentidoes": [{"chamada": "FindAllBuildCache", "janela": 2001, "ms": 40}])");
    EXPECT_EQ(e.log_com("alvo da aba velha"),
              "alvo da aba velha descartado: o título mudou durante a leitura");
    const auto s = estados(e);
    ASSERT_FALSE(s.empty());
    // O primeiro alvo publicado já é o da aba nova (o canal vem do endereço).
    EXPECT_GT(s[0].first, 300);
    EXPECT_NE(e.log_com("chat achado em").find("\"outro_canal - Twitch - Google Chrome\""),
              std::string::npos);
}

TEST(Localizador, DialogoPorCimaDoChatTiraAVidrelEVoltaQuandoFecha) {
    const Execucao e = twitch(R"({"em": 1000, "acao": "adicionar", "dentro_de": "chat_room",
            "elemento": {"chave": "dialogo", "papel": "dialog", "classe": "modal", "ret": [1340, 220, 1700, 880]}},
        {"em": 6000, "acao": "remover", "chave": "dialogo"},
        {"em": 11000, "acao": "fim"})");
    const auto s = estados(e);
    ASSERT_EQ(s.size(), 3u) << e.saida;
    // O aviso de objeto mostrado faz o localizador procurar já o que cobre o chat.
    EXPECT_EQ(s[1].second, "{\"site\":null}");
    EXPECT_EQ(s[1].first, 1000);
    EXPECT_EQ(s[2].second, kStatusInicial);
    EXPECT_EQ(s[2].first, 6000);
    EXPECT_NE(e.log_com("modal da página por cima, Vidrel fora"), "");
    EXPECT_NE(e.log_com("modal da página fechou"), "");
}

TEST(Localizador, MenuECartaoDoEspectadorViramBuracos) {
    const Execucao e = twitch(R"({"em": 1000, "acao": "adicionar", "dentro_de": "chat_room",
            "elemento": {"papel": "menu", "ret": [1400, 300, 1600, 400]}},
        {"em": 1000, "acao": "adicionar", "dentro_de": "pagina",
            "elemento": {"classe": "viewer-card-layer", "ret": [108, 131, 1692, 992], "filhos": [
              {"classe": "viewer-card-layer__draggable", "ret": [1360, 500, 1680, 800], "filhos": [
                {"classe": "viewer-card", "ret": [1360, 500, 1680, 800]}]}]}},
        {"em": 6000, "acao": "fim"})");
    const auto s = estados(e);
    ASSERT_EQ(s.size(), 2u) << e.saida;
    EXPECT_EQ(s[1].first, 1000);
    EXPECT_NE(s[1].second.find("\"buracos\":[[48,69,248,169],[8,269,328,569]]"), std::string::npos)
        << s[1].second;
}

TEST(Localizador, UmaBuscaSemOChatMantemAVidrel) {
    // O site troca as classes do chat: a busca não acha, mas a releitura ainda lê.
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "elemento", "chave": "lista", "classe": "scrollable-area"},
        {"em": 1000, "acao": "elemento", "chave": "mensagens", "classe": "x", "papel": ""},
        {"em": 7000, "acao": "fim"})");
    EXPECT_EQ(estados(e).size(), 1u) << e.saida;
    const std::string l = e.log_com("uma busca sem o chat");
    EXPECT_EQ(l.rfind("Twitch: uma busca sem o chat (escondido: false, ", 0), 0u) << l;
    EXPECT_NE(l.find("elementos lidos); mantida até a próxima"), std::string::npos);
}

TEST(Localizador, PaginaLidaSemOLugarSeguraAVidrel) {
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "elemento", "chave": "pagina", "ret": [108, 60, 1692, 992]},
        {"em": 2000, "acao": "elemento", "chave": "pagina", "ret": [108, 131, 1692, 992]},
        {"em": 3000, "acao": "fim"})");
    EXPECT_EQ(estados(e).size(), 1u) << e.saida;
    const std::string parada = e.log_com("página lida sem o lugar na tela");
    EXPECT_EQ(parada.rfind("página lida sem o lugar na tela (108, 60, 1692, 992) há 5", 0), 0u) << parada;
    EXPECT_NE(parada.find("ms (faixa do navegador?): Vidrel parada no último lugar"), std::string::npos);
    EXPECT_EQ(e.log_com("página com o lugar de novo").rfind("página com o lugar de novo depois de 1", 0), 0u);
    EXPECT_EQ(posicoes_da_vidrel(e).size(), 1u);
}

TEST(Localizador, ReleituraQueFalhaSeguraAte60Segundos) {
    const Execucao e = twitch(
        R"({"em": 1000, "acao": "falhar", "chamada": "get_CurrentBoundingRectangle", "chave": "lista"},
        {"em": 70000, "acao": "fim"})");
    const auto s = estados(e);
    ASSERT_EQ(s.size(), 2u) << e.saida;
    EXPECT_EQ(s[1].second, "{\"site\":null}");
    EXPECT_GE(s[1].first, 60000);
    EXPECT_LE(s[1].first, 61500);
    EXPECT_NE(e.log_com("chat achado sem leitura (a leitura falhou), Vidrel fora"), "");
}

TEST(Localizador, TelaCheiaNosDoisModos) {
    const std::string tl = R"({"em": 1000, "acao": "mover", "janela": 2001, "ret": [0, 0, 1920, 1080]},
        {"em": 2000, "acao": "mover", "janela": 2001, "ret": [100, 50, 1700, 1000]},
        {"em": 3000, "acao": "fim"})";
    const Execucao h = twitch(tl);
    std::vector<std::string> cheia;
    for (const auto& [t, l] : h.saidas())
        if (l.rfind("{\"telaCheia\"", 0) == 0) cheia.push_back(l);
    EXPECT_EQ(cheia, (std::vector<std::string>{"{\"telaCheia\":true}", "{\"telaCheia\":false}"}));
    // No protótipo a saída é só a mensagem de partida e a tela cheia.
    const Execucao p = twitch(tl, {});
    EXPECT_EQ(
        p.linhas_da_saida(),
        (std::vector<std::string>{
            "Protótipo rodando. Abra uma live da Twitch ou da Kick no Chrome ou no Edge. Ctrl+C encerra.",
            "{\"telaCheia\":true}", "{\"telaCheia\":false}"}));
}

TEST(Localizador, PrototipoPoeAPropriaVidrelNoChatEEsconde) {
    const Execucao e = twitch(R"({"em": 1000, "acao": "minimizar", "janela": 2001},
        {"em": 2000, "acao": "fim"})",
                              {});
    Hwnd vidrel = 0;
    for (const Json& j : e.no_rastro("efeito", "CreateWindowExW")) vidrel = j["janela"];
    ASSERT_NE(vidrel, 0);
    bool colocada = false;
    for (const Json& j : e.no_rastro("efeito", "SetWindowPos"))
        if (j["janela"] == vidrel && j["ret"] == Json::parse("[1352,231,1692,877]") &&
            (j["opcoes"].get<int>() & 0x40))
            colocada = true;
    EXPECT_TRUE(colocada);
    bool escondida = false;
    for (const Json& j : e.no_rastro("efeito", "ShowWindow"))
        if (j["janela"] == vidrel && j["comando"] == 0 && j["t"] >= 1000) escondida = true;
    EXPECT_TRUE(escondida);
    EXPECT_EQ(e.log_com("Sem Twitch nem Kick"),
              "Sem Twitch nem Kick à vista. Escondido (minimizado; na frente: ninguém).");
    // O cartão foi pintado com o tamanho do chat.
    bool pintado = false;
    for (const Json& j : e.no_rastro("efeito", "pintura"))
        if (j["textos"][0]["texto"] == "Chat do Vornel · Twitch · 340x646") pintado = true;
    EXPECT_TRUE(pintado);
}

TEST(Localizador, PresaAoNavegadorSoltaComCadaMotivo) {
    const std::string chave = (std::filesystem::temp_directory_path() / "localizador-chave-presa").string();
    std::filesystem::remove(chave);
    auto rodar = [&](const std::string& tl, const std::string& extras = "") {
        return twitch(R"({"em": 0, "acao": "arquivo", "caminho": ")" + chave + R"(", "existe": true},)" + tl,
                      {"--janela", "100", "--presa", chave}, extras);
    };
    {
        const Execucao e = rodar(R"({"em": 2000, "acao": "arquivo", "caminho": ")" + chave +
                                 R"(", "existe": false}, {"em": 4000, "acao": "fim"})");
        EXPECT_NE(e.log_com("Vidrel presa ao navegador (filha da janela dele, protótipo)"), "");
        EXPECT_NE(e.log_com("Vidrel solta do navegador (chave desligada); de volta por cima dele"), "");
        bool filha = false;
        for (const Json& j : e.no_rastro("efeito", "SetParent"))
            if (j["janela"] == 100 && j["pai"] == 2001) filha = true;
        EXPECT_TRUE(filha);
        // Presa, a janela do app é posta em coordenadas da área cliente do navegador.
        bool no_cliente = false;
        for (const Json& j : posicoes_da_vidrel(e))
            if (j["x"] == 1352 - 108 && j["y"] == 231 - 50) no_cliente = true;
        EXPECT_TRUE(no_cliente);
    }
    {
        const Execucao e = rodar(
            R"({"em": 2000, "acao": "dpi", "janela": 2001, "dpi": 144}, {"em": 5000, "acao": "fim"})");
        EXPECT_NE(e.log_com("Vidrel solta do navegador (a escala do monitor mudou)"), "");
        // Depois disso não prende mais.
        int presas = 0;
        for (const std::string& l : e.linhas_do_erro())
            if (l.find("Vidrel presa ao navegador") != std::string::npos) ++presas;
        EXPECT_EQ(presas, 1);
    }
    {
        const Execucao e = rodar(
            R"({"em": 2000, "acao": "abrir", "janela": {"hwnd": 2101, "classe": "Chrome_WidgetWin_1",
              "executavel": "chrome.exe", "titulo": "tarsio_ao_vivo - Twitch - Google Chrome", "ret": [200, 60, 1800, 1010],
              "pagina": [{"tipo": "Document", "ret": [208, 141, 1792, 1002], "filhos": [
                {"classe": "chat-list--default", "papel": "log", "ret": [1452, 241, 1792, 887]}]}]}},
            {"em": 2000, "acao": "frente", "janela": 2101},
            {"em": 5000, "acao": "fim"})");
        EXPECT_NE(e.log_com("Vidrel solta do navegador (a live foi para outro navegador)"), "");
    }
    std::filesystem::remove(chave);
}

TEST(Localizador, SemPresaNuncaPrende) {
    const Execucao e = twitch(R"({"em": 3000, "acao": "fim"})");
    EXPECT_EQ(e.no_rastro("efeito", "SetParent").size(), 0u);
}

TEST(Localizador, KickSegueOChatComBuscasFrequentes) {
    const Execucao e = rodar_programa(
        cena_derivada("kick_edge.json",
                      R"({"entrada": "cena", "linha_do_tempo": [{"em": 2000, "acao": "fim"}]})"),
        kHospedado);
    const auto s = estados(e);
    ASSERT_EQ(s.size(), 1u) << e.saida;
    EXPECT_EQ(s[0].second.rfind(
                  "{\"site\":\"kick\",\"canal\":\"tarsio\",\"largura\":340,\"altura\":654,\"folga\":52,", 0),
              0u)
        << s[0].second;
    // Na Kick a busca é a cada 300 ms e só dentro da página lembrada.
    EXPECT_GE(e.buscas_entre(101, 2000), 5);
}

TEST(Localizador, PaginaQueAndaDentroDaJanelaPedeBuscasFrequentes) {
    const Execucao e = twitch(
        R"({"em": 1050, "acao": "elemento", "chave": "pagina", "ret": [108, 161, 1692, 992]},
        {"em": 3000, "acao": "fim"})",
        {"--janela", "100", "--rastro-uia"});
    EXPECT_EQ(e.log_com("página andou"),
              "página andou dentro da janela, para (108, 161, 1692, 992) (faixa do navegador?): busca a cada "
              "100 ms");
    // A busca vem na volta seguinte, e depois a cada pouco mais de 100 ms por 2,5 s.
    EXPECT_GT(e.buscas_entre(1101, 1200), 0);
    EXPECT_GT(e.buscas_entre(1301, 1450), 0);
    // Uma troca de aba não é a página andando.
    const Execucao aba = twitch(
        R"({"em": 1050, "acao": "titulo", "janela": 2001, "titulo": "outro - Twitch - Google Chrome"},
        {"em": 1050, "acao": "elemento", "chave": "pagina", "ret": [108, 161, 1692, 992]},
        {"em": 2000, "acao": "fim"})");
    EXPECT_EQ(aba.log_com("página andou"), "");
}
