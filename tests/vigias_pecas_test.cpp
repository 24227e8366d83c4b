// As peças da página: o filtro, a ordem e a contenção como função pura, e o
// comando "pecas" com o programa rodando (no modo hospedado e no do pulo).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "ajuda.hpp"
#include "vigias/pecas.hpp"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const Retangulo kPagina{0, 0, 2000, 1000};
const Retangulo kChat{1352, 231, 1692, 877};

LidoDaPeca na_tela(Retangulo r) { return {false, r}; }

std::vector<Retangulo> escolher(const std::vector<LidoDaPeca>& l, std::optional<Retangulo> chat = kChat,
                                double escala = 1.0) {
    return escolher_pecas(l, kPagina, chat, escala);
}

std::string em(int ms, const std::string& resto) {
    return R"({"em": )" + std::to_string(ms) + ", " + resto + "}";
}
std::string entrada(int ms, const char* linha = "pecas") {
    return em(ms, std::string(R"("acao": "entrada", "linha": ")") + linha + "\"");
}
std::string fim(int ms) { return em(ms, R"("acao": "fim")"); }
std::string poe(const std::string& elemento, const char* dentro_de = "principal") {
    return em(0, std::string(R"("acao": "adicionar", "dentro_de": ")") + dentro_de + R"(", "elemento": )" +
                     elemento);
}

std::vector<std::vector<int>> pecas_da_linha(const std::string& linha) {
    return Json::parse(linha)["pecas"].get<std::vector<std::vector<int>>>();
}

std::vector<std::string> logs_das_pecas(const Execucao& e) {
    std::vector<std::string> r;
    for (const std::string& l : e.linhas_do_erro())
        if (l.rfind("peças", 0) == 0 || l.rfind("  ", 0) == 0) r.push_back(l);
    return r;
}

// Um botão com o ícone e o texto dele; dois links iguais; um botão que encosta
// no chat e outro que entra 1 pixel; 321 × 48, 320 × 49 e 320 × 48.
const std::string kPecasExtras =
    poe(R"({"tipo": "Button", "nome": "Seguir", "ret": [400, 930, 560, 960], "filhos": [
           {"tipo": "Image", "ret": [404, 934, 428, 958]},
           {"tipo": "Text", "nome": "Seguir", "ret": [432, 936, 552, 956]}]})") +
    "," + poe(R"({"tipo": "Hyperlink", "nome": "a", "ret": [600, 930, 700, 950]})") + "," +
    poe(R"({"tipo": "Hyperlink", "nome": "b", "ret": [600, 930, 700, 950]})") + "," +
    poe(R"({"tipo": "Button", "nome": "encosta", "ret": [1332, 300, 1352, 320]})") + "," +
    poe(R"({"tipo": "Button", "nome": "entra", "ret": [1333, 340, 1353, 360]})") + "," +
    poe(R"({"tipo": "Button", "nome": "largo", "ret": [400, 600, 721, 648]})") + "," +
    poe(R"({"tipo": "Button", "nome": "alto", "ret": [400, 650, 720, 699]})") + "," +
    poe(R"({"tipo": "Button", "nome": "no limite", "ret": [400, 700, 720, 748]})");

bool tem(const std::vector<std::vector<int>>& pecas, std::vector<int> r) {
    return std::find(pecas.begin(), pecas.end(), r) != pecas.end();
}

}  // namespace

// --- A escolha pura ----------------------------------------------------------

TEST(EscolhaDasPecas, OBotaoSaiEFicamOIconeEOTexto) {
    const auto p = escolher(
        {na_tela({400, 930, 560, 960}), na_tela({404, 934, 428, 958}), na_tela({432, 936, 552, 956})});
    EXPECT_EQ(p, (std::vector<Retangulo>{{404, 934, 428, 958}, {432, 936, 552, 956}}));
}

TEST(EscolhaDasPecas, RetangulosIguaisFicaOPrimeiro) {
    // Iguais na área ficam na ordem da busca; o idêntico conta como contendo.
    const auto p = escolher(
        {na_tela({10, 10, 30, 30}), na_tela({50, 10, 70, 30}), na_tela({10, 10, 30, 30})});
    EXPECT_EQ(p, (std::vector<Retangulo>{{10, 10, 30, 30}, {50, 10, 70, 30}}));
}

TEST(EscolhaDasPecas, EncostarNoChatPodeEntrarNao) {
    const auto p = escolher({na_tela({1332, 300, 1352, 320}), na_tela({1333, 340, 1353, 360}),
                             na_tela({1692, 300, 1712, 320}), na_tela({1400, 877, 1420, 897}),
                             na_tela({1400, 211, 1420, 231}), na_tela({1400, 212, 1420, 232})});
    EXPECT_EQ(
        p,
        (std::vector<Retangulo>{
            {1332, 300, 1352, 320}, {1692, 300, 1712, 320}, {1400, 877, 1420, 897}, {1400, 211, 1420, 231}}));
    // Sem chat (o modo do pulo), todas valem.
    EXPECT_EQ(escolher({na_tela({1400, 300, 1420, 320})}, std::nullopt).size(), 1u);
}

TEST(EscolhaDasPecas, TamanhosNosLimitesA100E150PorCento) {
    const std::vector<LidoDaPeca> a100{na_tela({0, 0, 321, 48}),    na_tela({0, 100, 320, 149}),
                                       na_tela({0, 200, 320, 248}), na_tela({0, 300, 8, 308}),
                                       na_tela({0, 400, 7, 408}),   na_tela({0, 500, 8, 507})};
    EXPECT_EQ(escolher(a100, std::nullopt), (std::vector<Retangulo>{{0, 300, 8, 308}, {0, 200, 320, 248}}));
    // A 150 %: 480 × 72 e 12 × 12.
    const std::vector<LidoDaPeca> a150{na_tela({0, 0, 481, 72}), na_tela({0, 100, 480, 172}),
                                       na_tela({0, 200, 12, 212}), na_tela({0, 300, 11, 312})};
    EXPECT_EQ(escolher(a150, std::nullopt, 1.5),
              (std::vector<Retangulo>{{0, 200, 12, 212}, {0, 100, 480, 172}}));
}

TEST(EscolhaDasPecas, SoDentroDaPaginaENaTela) {
    const std::vector<LidoDaPeca> l{
        na_tela({0, 0, 20, 20}),   // bordas na da página
        na_tela({-1, 0, 19, 20}),  // passa à esquerda
        na_tela({1990, 990, 2000, 1001}),
        {true, Retangulo{100, 100, 120, 120}},          // fora da tela
        {std::nullopt, Retangulo{200, 100, 220, 120}},  // "fora" ilegível
        {false, std::nullopt},                          // retângulo ilegível
    };
    EXPECT_EQ(escolher(l), (std::vector<Retangulo>{{0, 0, 20, 20}}));
}

TEST(EscolhaDasPecas, No240OsMenoresPrimeiro) {
    std::vector<LidoDaPeca> l;
    // 300 peças sem contenção entre si; a altura cai de 37 para 8 a cada 10.
    for (int i = 0; i < 300; ++i) l.push_back(na_tela({i * 10, 0, i * 10 + 8, 8 + (299 - i) / 10}));
    const auto p = escolher_pecas(l, Retangulo{0, 0, 4000, 1000}, std::nullopt, 1.0);
    ASSERT_EQ(p.size(), kMaximoDePecas);
    for (std::size_t i = 1; i < p.size(); ++i) EXPECT_LE(p[i - 1].area(), p[i].area());
    // A primeira das menores na ordem da busca; as 60 maiores (as primeiras
    // da busca) ficaram de fora.
    EXPECT_EQ(p.front(), (Retangulo{2900, 0, 2908, 8}));
    for (const Retangulo& r : p) EXPECT_GE(r.esquerda, 600);
}

TEST(EscolhaDasPecas, RetangulosNosLimitesDos32Bits) {
    const Retangulo enorme{kMin, kMin, kMax, kMax};
    const std::vector<LidoDaPeca> l{na_tela(enorme), na_tela({kMax - 10, kMax - 10, kMax, kMax}),
                                    na_tela({kMin, kMin, kMin + 10, kMin + 10})};
    EXPECT_EQ(escolher_pecas(l, enorme, enorme, 1.0), std::vector<Retangulo>{});
    EXPECT_EQ(
        escolher_pecas(l, enorme, std::nullopt, 1.0),
        (std::vector<Retangulo>{{kMax - 10, kMax - 10, kMax, kMax}, {kMin, kMin, kMin + 10, kMin + 10}}));
    // Uma escala absurda satura as medidas em vez de dar a volta.
    EXPECT_EQ(escolher_pecas(l, enorme, std::nullopt, 1e30), std::vector<Retangulo>{});
    EXPECT_EQ(linha_de_pecas({{kMin, 0, kMax, 1}}), "{\"pecas\":[[-2147483648,0,2147483647,1]]}");
    EXPECT_EQ(linha_de_pecas({}), "{\"pecas\":[]}");
}

// --- O programa ----------------------------------------------------------------

TEST(Pecas, UmaLinhaEUmLogForaDoChat) {
    const Execucao e = rodar_linha_do_tempo("twitch_chrome.json",
                                            kPecasExtras + "," + entrada(500) + "," + fim(1000));
    const auto linhas = linhas_que_comecam(e, "{\"pecas\"");
    ASSERT_EQ(linhas.size(), 1u) << e.saida;
    const auto p = pecas_da_linha(linhas[0].second);
    EXPECT_TRUE(tem(p, {404, 934, 428, 958}));
    EXPECT_TRUE(tem(p, {432, 936, 552, 956}));
    EXPECT_FALSE(tem(p, {400, 930, 560, 960}));
    EXPECT_EQ(std::count(p.begin(), p.end(), std::vector<int>{600, 930, 700, 950}), 1);
    EXPECT_TRUE(tem(p, {1332, 300, 1352, 320}));
    EXPECT_FALSE(tem(p, {1333, 340, 1353, 360}));
    EXPECT_FALSE(tem(p, {400, 600, 721, 648}));
    EXPECT_FALSE(tem(p, {400, 650, 720, 699}));
    EXPECT_TRUE(tem(p, {400, 700, 720, 748}));
    EXPECT_TRUE(tem(p, {1180, 870, 1260, 900}));  // o Follow debaixo do vídeo
    for (const auto& r : p) {
        // Nada dentro do chat [1352, 231, 1692, 877] nem fora da página.
        EXPECT_TRUE(r[1] >= 877 || r[0] >= 1692 || r[2] <= 1352 || r[3] <= 231) << Json(r).dump();
        EXPECT_TRUE(r[0] >= 108 && r[1] >= 131 && r[2] <= 1692 && r[3] <= 992) << Json(r).dump();
    }
    EXPECT_EQ(logs_das_pecas(e), std::vector<std::string>{"peças: " + std::to_string(p.size()) + " em 0 ms"});
}

TEST(Pecas, ComPecasDebugMostraOQueABuscaAchou) {
    // Um elemento quebrado no começo da página: nem o retângulo nem o "fora"
    // se deixam ler do cache.
    const std::string quebrado = em(0, R"("acao": "adicionar", "dentro_de": "barra", "posicao": 0,
        "elemento": {"chave": "quebrado", "tipo": "Button", "ret": [110, 52, 120, 62]})");
    const std::string oculto = em(0, R"("acao": "adicionar", "dentro_de": "barra", "posicao": 1,
        "elemento": {"tipo": "Image", "fora": true, "ret": [130, 52, 140, 62]})");
    setenv("PECAS_DEBUG", "1", 1);
    const Execucao e = rodar_linha_do_tempo(
        "twitch_chrome.json", quebrado + "," + oculto + "," + entrada(500) + "," + fim(1000),
        {"--janela", "100"},
        R"(, "falhas": [{"chamada": "get_CachedIsOffscreen", "chave": "quebrado"},
                        {"chamada": "get_CachedBoundingRectangle", "chave": "quebrado", "hresult": "0x80040201"}])");
    unsetenv("PECAS_DEBUG");
    const auto l = logs_das_pecas(e);
    ASSERT_EQ(l.size(), 17u) << e.erro;  // o cabeçalho, 15 achados e o fim
    // O cabeçalho: achados e visíveis (o quebrado e o oculto não contam).
    int achados = 0, visiveis = 0;
    ASSERT_EQ(std::sscanf(l[0].c_str(), "peças: página (108, 131, 1692, 992), %d achados, %d visíveis",
                          &achados, &visiveis),
              2)
        << l[0];
    EXPECT_EQ(visiveis, achados - 2);
    EXPECT_EQ(l[1], "  None fora=Err(HRESULT 0x80004005)");
    EXPECT_EQ(l[2], "  Some((130, 52, 140, 62)) fora=Ok(true)");
    EXPECT_EQ(l[3], "  Some((362, 60, 390, 84)) fora=Ok(false)");  // o botão de aba nova
    EXPECT_EQ(l[16].rfind("peças: ", 0), 0u);
    EXPECT_EQ(l[16].find(" em 0 ms"), l[16].size() - 8);
}

TEST(Pecas, UmPedidoPorVez) {
    const Execucao e = rodar_linha_do_tempo(
        "twitch_chrome.json",
        em(400, R"("acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 200)") + "," +
            entrada(500) + "," + entrada(600) + "," +
            em(1000, R"("acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 0)") + "," +
            entrada(1500) + "," + fim(2000));
    const auto linhas = linhas_que_comecam(e, "{\"pecas\"");
    ASSERT_EQ(linhas.size(), 2u) << e.saida;
    EXPECT_GT(linhas[0].first, 600);
    EXPECT_GE(linhas[1].first, 1500);
    EXPECT_EQ(logs_das_pecas(e).size(), 2u);
    // Cada pedido solta os elementos da leitura antes do cliente da thread dele.
    EXPECT_TRUE(e.no_rastro("aviso_uia", "elemento solto depois do fim do cliente da thread").empty());
}

TEST(Pecas, SemAlvoOuComABuscaFalhadaNadaSai) {
    const Execucao sem_alvo = rodar_programa(cena_minima(1000, entrada(500)), {"--janela", "100"});
    EXPECT_TRUE(linhas_que_comecam(sem_alvo, "{\"pecas\"").empty());
    EXPECT_TRUE(logs_das_pecas(sem_alvo).empty());
    const Execucao falhou = rodar_linha_do_tempo(
        "twitch_chrome.json", em(499, R"("acao": "falhar", "chamada": "FindAllBuildCache", "vezes": 1)") +
                                  "," + entrada(500) + "," + entrada(800) + "," + fim(1000));
    // O primeiro pedido não escreve nada; o segundo, já livre, escreve.
    EXPECT_EQ(linhas_que_comecam(falhou, "{\"pecas\"").size(), 1u);
    EXPECT_EQ(logs_das_pecas(falhou).size(), 1u);
}

TEST(Pecas, No240OsMenoresPrimeiro) {
    // 300 imagens pequenas, de áreas crescentes, abaixo do vídeo.
    std::string imagens;
    for (int i = 0; i < 300; ++i) {
        const int x = 160 + (i % 60) * 19, y = 930 + (i / 60) * 12;
        imagens += "," + poe(R"({"tipo": "Image", "ret": [)" + std::to_string(x) + "," + std::to_string(y) +
                             "," + std::to_string(x + 8 + i / 60) + "," + std::to_string(y + 8) + "]}");
    }
    const Execucao e = rodar_linha_do_tempo("twitch_chrome.json",
                                            imagens.substr(1) + "," + entrada(500) + "," + fim(1000));
    const auto linhas = linhas_que_comecam(e, "{\"pecas\"");
    ASSERT_EQ(linhas.size(), 1u);
    const auto p = pecas_da_linha(linhas[0].second);
    ASSERT_EQ(p.size(), 240u);
    for (std::size_t i = 0; i < 240; ++i) EXPECT_EQ(p[i][2] - p[i][0], 8 + static_cast<int>(i) / 60) << i;
    EXPECT_EQ(logs_das_pecas(e), std::vector<std::string>{"peças: 240 em 0 ms"});
}

TEST(Pecas, NoModoDoPuloSemChatESoComAMinuscula) {
    const Execucao e = rodar_linha_do_tempo("twitch_chrome.json",
                                            entrada(100, "PECAS") + "," + entrada(200) + "," +
                                                em(300, R"("acao": "fim_da_entrada")") + "," + fim(1000),
                                            {"--pulsar-janela", "2001"});
    EXPECT_EQ(e.codigo, 0);
    const auto linhas = linhas_que_comecam(e, "{\"pecas\"");
    ASSERT_EQ(linhas.size(), 1u) << e.saida;
    EXPECT_EQ(linhas[0].first, 200);
    const auto p = pecas_da_linha(linhas[0].second);
    // Sem chat, o nome de um espectador dentro dele vale.
    EXPECT_TRUE(tem(p, {1392, 276, 1470, 296}));
    EXPECT_EQ(logs_das_pecas(e), std::vector<std::string>{"peças: " + std::to_string(p.size()) + " em 0 ms"});
}
