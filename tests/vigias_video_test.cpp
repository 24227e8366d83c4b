// O pedido "video": o player, o nome do canal debaixo dele e o acompanhamento
// do nick de agora, com o programa rodando sobre as lives de exemplo; e as
// escolhas puras (o corte 16:9, o player da Kick, o nome pela geometria, a
// validade do nick) diretamente.

#include <gtest/gtest.h>

#include <limits>

#include "ajuda.hpp"
#include "vigias/nick.hpp"
#include "vigias/video.hpp"

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

const char* kTwitch = "twitch_resgates.json";
const std::string kVideoTwitch = "[158,181,1352,852]";
const std::string kNick = "[230,870,380,894]";

std::string em(int ms, const std::string& resto) {
    return R"({"em": )" + std::to_string(ms) + ", " + resto + "}";
}
std::string entrada(int ms, const char* linha = "video") {
    return em(ms, std::string(R"("acao": "entrada", "linha": ")") + linha + "\"");
}
std::string fim(int ms) { return em(ms, R"("acao": "fim")"); }
std::string nick(int ms, const std::string& campos) {
    return em(ms, R"("acao": "elemento", "chave": "nome_do_canal", )" + campos);
}

std::vector<std::pair<std::int64_t, std::string>> videos(const Execucao& e) {
    return linhas_que_comecam(e, "{\"video\"");
}
std::vector<std::pair<std::int64_t, std::string>> nicks(const Execucao& e) {
    return linhas_que_comecam(e, "{\"nickAgora\"");
}
std::vector<std::string> so_linhas(const std::vector<std::pair<std::int64_t, std::string>>& v) {
    std::vector<std::string> r;
    for (const auto& [t, l] : v) r.push_back(l);
    return r;
}

Execucao twitch(const std::string& linha_do_tempo, const std::string& extras = "") {
    return rodar_linha_do_tempo(kTwitch, linha_do_tempo, {"--janela", "100", "--rastro-uia"}, extras);
}

}  // namespace

TEST(Video, TwitchOAltoDoMarcoMainEONomeMaisAltoDaMetadeEsquerda) {
    // Três nomes do canal debaixo do vídeo: o título, um link menor e um à
    // direita do meio; vale o título.
    const Execucao e = twitch(entrada(500) + "," + fim(1000));
    ASSERT_EQ(so_linhas(videos(e)),
              std::vector<std::string>{"{\"video\":" + kVideoTwitch + ",\"nick\":" + kNick + "}"});
    EXPECT_EQ(e.log_com("vídeo: "), "vídeo: Some((158, 181, 1352, 852)) entre 0 achados, em 0 ms");
    // A imagem do canal, o título, o link e o da direita têm o nome do canal.
    EXPECT_EQ(e.log_com("nick: "), "nick: Some(Some((230, 870, 380, 894))) entre 4 achados");
}

TEST(Video, MarcoMainEstreitoOuBaixo) {
    // 200 pixels de largura até o chat valem; 199 não.
    const Execucao largo = twitch(
        em(0, R"("acao": "elemento", "chave": "principal", "ret": [1152, 181, 1352, 992])") + "," +
        entrada(500) + "," + fim(1000));
    ASSERT_EQ(videos(largo).size(), 1u);
    // 200 × 9 / 16 = 112,5: o corte arredonda para baixo.
    EXPECT_EQ(videos(largo)[0].second.rfind("{\"video\":[1152,181,1352,293],", 0), 0u)
        << videos(largo)[0].second;
    const Execucao estreito = twitch(
        em(0, R"("acao": "elemento", "chave": "principal", "ret": [1153, 181, 1352, 992])") + "," +
        entrada(500) + "," + fim(1000));
    EXPECT_EQ(so_linhas(videos(estreito)), std::vector<std::string>{"{\"video\":null}"});
    EXPECT_EQ(estreito.log_com("vídeo: "), "vídeo: None entre 0 achados, em 0 ms");
    EXPECT_EQ(estreito.log_com("nick: "), "");
    // Um marco mais baixo que o quadro 16:9 não passa da própria base.
    const Execucao baixo = twitch(
        em(0, R"("acao": "elemento", "chave": "principal", "ret": [158, 181, 1352, 500])") + "," +
        entrada(500) + "," + fim(1000));
    ASSERT_EQ(videos(baixo).size(), 1u);
    EXPECT_EQ(videos(baixo)[0].second, "{\"video\":[158,181,1352,500],\"nick\":null}");
}

TEST(Video, KickOPlayerMenorQuePassaAte4PixelsDoChat) {
    // O chat começa em 1352: o vídeo até 1356 vale e ganha do contêiner por
    // ser menor; até 1357 não, e fica o contêiner.
    const auto rodar = [](int direita) {
        return rodar_linha_do_tempo("kick_video.json",
                                    em(0, R"("acao": "elemento", "chave": "video", "ret": [108, 181, )" +
                                              std::to_string(direita) + ", 800]") +
                                        "," + entrada(500) + "," + fim(1000));
    };
    const Execucao quatro = rodar(1356);
    ASSERT_EQ(videos(quatro).size(), 1u);
    EXPECT_EQ(videos(quatro)[0].second, "{\"video\":[108,181,1356,800],\"nick\":[180,884,260,908]}");
    EXPECT_EQ(quatro.log_com("vídeo: "), "vídeo: Some((108, 181, 1356, 800)) entre 2 achados, em 0 ms");
    const Execucao cinco = rodar(1357);
    ASSERT_EQ(videos(cinco).size(), 1u);
    // A miniatura, menor ainda, está fora da tela. Com a base do vídeo em 900
    // o título (topo 884) fica acima da faixa e vale o link debaixo dele.
    EXPECT_EQ(videos(cinco)[0].second, "{\"video\":[108,181,1340,900],\"nick\":[180,912,230,926]}");
}

TEST(Video, KickSemPlayerUsaOMarcoMainEONickNaoSobeAcimaDaPagina) {
    // Sem nenhum "video-player" na tela vale o marco main; o nick acompanhado
    // pode subir até o topo da página (131), não acima.
    const Execucao e = rodar_linha_do_tempo(
        "kick_video.json", em(0, R"("acao": "remover", "chave": "caixa_do_video")") + "," +
                               em(0, R"("acao": "remover", "chave": "miniatura")") + "," + entrada(500) +
                               "," + nick(1000, R"("ret": [180, 131, 260, 155])") + "," +
                               nick(1500, R"("ret": [180, 130, 260, 154])") + "," + fim(2000));
    ASSERT_EQ(videos(e).size(), 1u);
    // Marco [108, 181, 1340, 992]: 1232 × 9 / 16 = 693.
    EXPECT_EQ(videos(e)[0].second, "{\"video\":[108,181,1340,874],\"nick\":[180,884,260,908]}");
    EXPECT_EQ(e.log_com("vídeo: "), "vídeo: Some((108, 181, 1340, 874)) entre 0 achados, em 0 ms");
    EXPECT_EQ(so_linhas(nicks(e)),
              (std::vector<std::string>{"{\"nickAgora\":[180,131,260,155]}", "{\"nickAgora\":null}"}));
}

TEST(Video, SemAlvoOuSemNomeAindaHaUmaLinha) {
    const Execucao sem_alvo = rodar_programa(cena_minima(1000, entrada(500)), {"--janela", "100"});
    EXPECT_EQ(so_linhas(videos(sem_alvo)), std::vector<std::string>{"{\"video\":null}"});
    // Nenhum elemento com o nome do canal: a busca roda e não acha nada.
    std::string sem_nomes;
    for (const char* chave : {"nome_do_canal", "link_do_canal", "nome_a_direita"})
        sem_nomes += em(0, std::string(R"("acao": "remover", "chave": ")") + chave + "\"") + ",";
    const Execucao e = twitch(sem_nomes + entrada(500) + "," + fim(1000));
    EXPECT_EQ(so_linhas(videos(e)),
              std::vector<std::string>{"{\"video\":" + kVideoTwitch + ",\"nick\":null}"});
    // A imagem do canal tem o nome mas é alta demais.
    EXPECT_EQ(e.log_com("nick: "), "nick: None entre 1 achados");
    EXPECT_TRUE(nicks(e).empty());
}

TEST(Video, SegundoPedidoDuranteABuscaEIgnorado) {
    // Cada busca leva 200 ms: o segundo "video" chega com o primeiro ainda
    // buscando e não escreve nada; um terceiro, depois da linha, é aceito.
    const Execucao e = twitch(
        em(400, R"("acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 200)") + "," +
        entrada(500) + "," + entrada(700) + "," +
        em(1800, R"("acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 0)") + "," +
        entrada(3000) + "," + fim(4000));
    const auto v = videos(e);
    ASSERT_EQ(v.size(), 2u) << e.saida;
    EXPECT_GT(v[0].first, 700);
    EXPECT_GE(v[1].first, 3000);
}

TEST(Video, ORetanguloDoNickSaiEVoltaUmaVezCada) {
    const Execucao e = twitch(entrada(500) + "," + nick(1000, R"("fora": true)") + "," +
                              nick(1100, R"("fora": true, "ret": [230, 860, 380, 884])") + "," +
                              nick(1500, R"("fora": false, "ret": [230, 870, 380, 894])") + "," + fim(3000));
    const auto n = nicks(e);
    ASSERT_EQ(so_linhas(n),
              (std::vector<std::string>{"{\"nickAgora\":null}", "{\"nickAgora\":" + kNick + "}"}));
    EXPECT_GE(n[0].first, 1000);
    EXPECT_LE(n[0].first, 1033);
    EXPECT_GE(n[1].first, 1500);
    EXPECT_LE(n[1].first, 1533);
}

TEST(Video, NavegadorAtrasNaoEscreveAteVoltarParaAFrente) {
    const Execucao e = twitch(
        entrada(500) + "," +
        em(1000, R"("acao": "abrir", "janela": {"hwnd": 5000, "classe": "Notepad", "titulo": "nota",
                    "executavel": "notepad.exe", "ret": [0, 0, 300, 300]})") +
        "," + em(1000, R"("acao": "frente", "janela": 5000)") + "," +
        nick(1300, R"("ret": [230, 860, 380, 884])") + "," + nick(1500, R"("fora": true)") + "," +
        nick(1700, R"("fora": false, "ret": [240, 872, 390, 896])") + "," +
        em(2000, R"("acao": "frente", "janela": 2001)") + "," + fim(3000));
    const auto n = nicks(e);
    ASSERT_EQ(so_linhas(n), std::vector<std::string>{"{\"nickAgora\":[240,872,390,896]}"});
    EXPECT_GE(n[0].first, 2000);
    EXPECT_LE(n[0].first, 2200);
}

TEST(Video, PedidoNovoCalaOAcompanhamentoVelho) {
    // Dois "video" seguidos: depois do segundo só ele acompanha, e uma
    // mudança do nick sai uma vez só.
    const Execucao e = twitch(entrada(500) + "," + entrada(1000) + "," +
                              nick(1500, R"("ret": [230, 860, 380, 884])") + "," + fim(3000));
    EXPECT_EQ(videos(e).size(), 2u);
    EXPECT_EQ(so_linhas(nicks(e)), std::vector<std::string>{"{\"nickAgora\":[230,860,380,884]}"});
}

TEST(Video, NadaDepoisDe20Segundos) {
    const Execucao e = twitch(entrada(500) + "," + nick(19000, R"("ret": [230, 860, 380, 884])") + "," +
                              nick(21000, R"("ret": [230, 850, 380, 874])") + "," + fim(23000));
    const auto n = nicks(e);
    ASSERT_EQ(so_linhas(n), std::vector<std::string>{"{\"nickAgora\":[230,860,380,884]}"});
    // E nenhuma releitura do nick depois do fim do acompanhamento.
    for (const Json& j : e.rastro)
        if (j.value("uia", "") == "BuildUpdatedCache") {
            EXPECT_LE(j["t"].get<std::int64_t>(), 20600);
        }
}

TEST(Video, OutraAbaOuElementoRemovido) {
    // A aba troca de canal: o acompanhamento para sem linha.
    const Execucao aba = twitch(
        entrada(500) + "," +
        em(1000, R"("acao": "titulo", "janela": 2001, "titulo": "outro_canal - Twitch - Google Chrome")") +
        "," + em(1000, R"("acao": "elemento", "chave": "endereco", "valor": "twitch.tv/outro_canal")") + "," +
        nick(1300, R"("ret": [230, 860, 380, 884])") + "," + fim(3000));
    EXPECT_TRUE(nicks(aba).empty()) << aba.saida;
    // O elemento some entre duas releituras: um null e o fim.
    const Execucao removido = twitch(
        entrada(500) + "," + em(1000, R"("acao": "remover", "chave": "nome_do_canal")") + "," + fim(3000));
    EXPECT_EQ(so_linhas(nicks(removido)), std::vector<std::string>{"{\"nickAgora\":null}"});
    EXPECT_EQ(removido.codigo, 0);
}

TEST(Video, PedidoRepetidoUsaOElementoLembradoMesmoForaDaPagina) {
    // O título sobe acima do vídeo (fora do que vale); no segundo pedido a
    // geometria escolheria o link, mas vale o elemento do pedido anterior,
    // relatado como fora.
    const Execucao e = twitch(entrada(500) + "," + nick(1000, R"("ret": [230, 150, 380, 174])") + "," +
                              entrada(1500) + "," + fim(2000));
    const auto v = videos(e);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[1].second, "{\"video\":" + kVideoTwitch + ",\"nick\":null,\"nickFora\":true}");
    std::vector<std::string> logs;
    for (const std::string& l : e.linhas_do_erro())
        if (l.rfind("nick: ", 0) == 0) logs.push_back(l);
    EXPECT_EQ(logs, (std::vector<std::string>{"nick: Some(Some((230, 870, 380, 894))) entre 4 achados",
                                              "nick: Some(None) entre 4 achados (o da busca anterior)"}));
}

TEST(Video, NavegadorEmTelaCheia) {
    const Execucao e = twitch(em(0, R"("acao": "mover", "janela": 2001, "ret": [0, 0, 1920, 1080])") + "," +
                              entrada(1000) + "," + fim(1500));
    const auto v = videos(e);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_NE(v[0].second.find(",\"cheia\":true}"), std::string::npos) << v[0].second;
    // Fora da tela cheia a chave não aparece.
    const Execucao normal = twitch(entrada(500) + "," + fim(1000));
    EXPECT_EQ(videos(normal)[0].second.find("cheia"), std::string::npos);
}

TEST(Video, RetangulosNosLimitesDos32Bits) {
    const Execucao e = twitch(
        em(0,
           R"("acao": "elemento", "chave": "principal", "ret": [-2147483648, -2147483648, 2147483647, 2147483647])") +
        "," + nick(0, R"("ret": [-2147483648, 2147483600, 2147483647, 2147483647])") + "," + entrada(500) +
        "," + fim(1000));
    EXPECT_EQ(e.codigo, 0);
    ASSERT_EQ(videos(e).size(), 1u);
    // Largura até o chat: 1352 + 2^31; o quadro 16:9 dela cabe nos 32 bits.
    EXPECT_EQ(videos(e)[0].second.rfind("{\"video\":[-2147483648,-2147483648,1352,", 0), 0u)
        << videos(e)[0].second;
}

TEST(Video, OsPedidosSoltamOsElementosAntesDoCliente) {
    const Execucao e = twitch(entrada(500) + "," + nick(1000, R"("fora": true)") + "," + entrada(1500) + "," +
                              em(2000, R"("acao": "remover", "chave": "nome_do_canal")") + "," +
                              entrada(2500) + "," + fim(25000));
    EXPECT_EQ(videos(e).size(), 3u);
    EXPECT_TRUE(e.no_rastro("aviso_uia", "elemento solto depois do fim do cliente da thread").empty());
}

// --- As escolhas puras --------------------------------------------------------

TEST(EscolhaDoVideo, CorteDezesseisPorNove) {
    const std::vector<Retangulo> marcos{{0, 0, 100, 100}, {100, 50, 1500, 2000}, {1352, 0, 1900, 1000}};
    // O maior que começa à esquerda do chat, cortado nele: 1252 × 9 / 16 = 704,25.
    EXPECT_EQ(video_do_principal(marcos, 1352, 1.0), (Retangulo{100, 50, 1352, 754}));
    // Empate de área: o último.
    const std::vector<Retangulo> iguais{{0, 0, 400, 300}, {10, 0, 410, 300}};
    EXPECT_EQ(video_do_principal(iguais, 1000, 1.0), (Retangulo{10, 0, 410, 225}));
    // A 150 %, 300 pixels é o mínimo.
    EXPECT_FALSE(video_do_principal(std::vector<Retangulo>{{0, 0, 299, 500}}, 1000, 1.5));
    EXPECT_TRUE(video_do_principal(std::vector<Retangulo>{{0, 0, 300, 500}}, 1000, 1.5));
    EXPECT_FALSE(video_do_principal(std::vector<Retangulo>{{1352, 0, 1900, 500}}, 1352, 1.0));
    EXPECT_FALSE(video_do_principal(std::vector<Retangulo>{}, 1352, 1.0));
    // Nos limites: nada estoura.
    const std::vector<Retangulo> extremos{{kMin, kMin, kMax, kMax}};
    const auto v = video_do_principal(extremos, kMax, 1.0);
    ASSERT_TRUE(v);
    // (2^32 - 1) × 9 / 16 = 2415919103 acima do topo.
    EXPECT_EQ(*v, (Retangulo{kMin, kMin, kMax, 268435455}));
}

TEST(EscolhaDoVideo, PlayerDaKick) {
    const std::vector<Retangulo> players{
        {0, 0, 1356, 800}, {0, 0, 200, 112}, {0, 0, 199, 500}, {0, 0, 500, 111}};
    EXPECT_EQ(video_da_kick(players, 1352, 1.0), (Retangulo{0, 0, 200, 112}));
    EXPECT_EQ(video_da_kick(std::vector<Retangulo>{{0, 0, 1357, 800}}, 1352, 1.0), std::nullopt);
    // A 150 % os 4 pixels são 6.
    EXPECT_TRUE(video_da_kick(std::vector<Retangulo>{{0, 0, 1358, 800}}, 1352, 1.5));
    EXPECT_FALSE(video_da_kick(std::vector<Retangulo>{{0, 0, 1359, 800}}, 1352, 1.5));
    // Empate de área: o primeiro.
    const std::vector<Retangulo> iguais{{0, 0, 400, 300}, {10, 0, 410, 300}};
    EXPECT_EQ(video_da_kick(iguais, 1352, 1.0), (Retangulo{0, 0, 400, 300}));
}

TEST(EscolhaDoVideo, NomePelaGeometria) {
    const Retangulo video{100, 100, 1100, 662};  // metade em 600
    const std::vector<Retangulo> nomes{
        {150, 670, 300, 690},  // 20 de altura
        {150, 700, 250, 716},  // menor
        {600, 670, 900, 710},  // mais alto, mas começa no meio
        {99, 670, 300, 710},   // começa antes do vídeo
        {150, 663, 180, 703},  // 40 de altura, mas não mais largo que alto (30)
        {150, 658, 400, 706},  // 48 de altura, topo 4 acima da base: vale
        {140, 600, 400, 640},  // acima da faixa
        {140, 863, 400, 900},  // topo 201 abaixo da base
    };
    EXPECT_EQ(escolher_nick(nomes, video, 1.0), std::optional<std::size_t>(5));
    // 49 de altura não vale; no empate de altura, o mais à esquerda; no empate total, o último.
    const std::vector<Retangulo> empates{
        {150, 663, 400, 712}, {200, 670, 400, 700}, {150, 670, 400, 700}, {150, 670, 400, 700}};
    EXPECT_EQ(escolher_nick(empates, video, 1.0), std::optional<std::size_t>(3));
    EXPECT_EQ(escolher_nick(std::vector<Retangulo>{{150, 670, 150, 670}}, video, 1.0), std::nullopt);
    // Nos limites dos 32 bits as contas não estouram: a faixa abaixo da base
    // passa do máximo e a metade esquerda vai até -1.
    const Retangulo enorme{kMin, kMin, kMax, kMax};
    const std::vector<Retangulo> nos_limites{
        enorme, {kMin, kMax - 10, kMax, kMax}, {kMin, kMax - 4, kMin + 100, kMax}, {-1, kMax - 4, 99, kMax}};
    EXPECT_EQ(escolher_nick(nos_limites, enorme, 1.0), std::optional<std::size_t>(2));
}

TEST(EscolhaDoVideo, ValidadeDoNick) {
    const Retangulo pagina{100, 100, 1000, 1000};
    EXPECT_TRUE(nick_valido(false, {200, 200, 300, 220}, 150, pagina));
    EXPECT_FALSE(nick_valido(true, {200, 200, 300, 220}, 150, pagina));
    EXPECT_FALSE(nick_valido(false, {200, 149, 300, 220}, 150, pagina));
    EXPECT_TRUE(nick_valido(false, {200, 150, 300, 220}, 150, pagina));
    EXPECT_FALSE(nick_valido(false, {200, 200, 200, 220}, 150, pagina));
    EXPECT_FALSE(nick_valido(false, {200, 200, 1001, 220}, 150, pagina));
    EXPECT_TRUE(nick_valido(false, {200, 200, 1001, 220}, 150, std::nullopt));
    EXPECT_TRUE(nick_valido(false, {100, 100, 1000, 1000}, 100, pagina));
}

TEST(CenasDosVigias, OChatFicaOndeADescricaoDiz) {
    const struct {
        const char* cena;
        const char* comeco;
    } casos[] = {
        {"twitch_resgates.json",
         R"({"site":"twitch","canal":"tarsio_ao_vivo","largura":340,"altura":646,"folga":6,"com7tv":false,)"},
        {"kick_video.json",
         R"({"site":"kick","canal":"tarsio","largura":340,"altura":654,"folga":52,"com7tv":false,)"},
        {"twitch_7tv_previa.json",
         R"({"site":"twitch","canal":"tarsio_ao_vivo","largura":340,"altura":646,"folga":6,"com7tv":true,)"},
    };
    for (const auto& c : casos) {
        const Execucao e = rodar_linha_do_tempo(c.cena, fim(500));
        const auto s = estados(e);
        ASSERT_FALSE(s.empty()) << c.cena;
        EXPECT_EQ(s[0].second.rfind(c.comeco, 0), 0u) << c.cena << ": " << s[0].second;
    }
}
