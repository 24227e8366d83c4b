// As cenas de exemplo de cenas/: em cada uma o navegador é achado e o chat
// localizado onde a página o desenha, a 100 % e a 150 %.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "ajuda.hpp"
#include "localizador/chat.hpp"
#include "localizador/descoberta.hpp"
#include "plataforma/simulada/cena.hpp"

namespace {

std::string ler(const std::string& arquivo) {
    std::ifstream f(std::string(CENAS_DIR) + "/" + arquivo);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

struct Esperado {
    const char* arquivo;
    Hwnd janela;
    Site site;
    Retangulo chat;
    std::int32_t folga;
    const char* canal;
};

void PrintTo(const Esperado& e, std::ostream* os) { *os << e.arquivo; }

class CenaDeExemplo : public ComAreaSimulada, public ::testing::WithParamInterface<Esperado> {};

}  // namespace

TEST_P(CenaDeExemplo, AchaONavegadorEOChat) {
    const Esperado& e = GetParam();
    carregar(ler(e.arquivo));
    const auto live = achar_janela_de_live();
    ASSERT_TRUE(live);
    EXPECT_EQ(live->janela, e.janela);
    EXPECT_EQ(live->site, e.site);
    auto a = criar_automacao();
    MemoriaDoChat memoria;
    const auto l = localizar_chat(a, *live, memoria);
    ASSERT_TRUE(l.ok()) << l.erro().texto();
    ASSERT_TRUE(l->chat);
    EXPECT_EQ(l->ret_chat, e.chat);
    EXPECT_EQ(l->folga, e.folga);
    EXPECT_EQ(l->canal, std::optional<std::string>(e.canal));
    const Releitura r = reler_chat(a, *l);
    EXPECT_EQ(r.estado, Releitura::Estado::ok) << r.motivo;
    EXPECT_EQ(r.chat, e.chat);
}

INSTANTIATE_TEST_SUITE_P(
    Cenas, CenaDeExemplo,
    ::testing::Values(
        Esperado{"padrao.json", 2001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"twitch_chrome.json", 2001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"twitch_chrome_150.json", 2001, Site::Twitch, {2028, 347, 2538, 1316}, 9, "tarsio_ao_vivo"},
        Esperado{"twitch_7tv.json", 2001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"kick_edge.json", 3001, Site::Kick, {1352, 214, 1692, 868}, 52, "tarsio"},
        Esperado{"kick_edge_150.json", 3001, Site::Kick, {2028, 321, 2538, 1302}, 78, "tarsio"},
        Esperado{"opera.json", 4001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"dois_navegadores.json", 3001, Site::Kick, {1352, 214, 1692, 868}, 52, "tarsio"}),
    [](const auto& info) {
        std::string n = info.param.arquivo;
        n = n.substr(0, n.find('.'));
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

class CenaDeExemplo7tv : public ComAreaSimulada {};

TEST_F(CenaDeExemplo7tv, AFolgaSegueOUltimoFilhoDaLista) {
    carregar(ler("twitch_7tv.json"));
    auto a = criar_automacao();
    MemoriaDoChat memoria;
    const auto l = localizar_chat(a, *achar_janela_de_live(), memoria);
    ASSERT_TRUE(l.ok());
    EXPECT_TRUE(l->com7tv);
    ASSERT_TRUE(l->lista_7tv);
    EXPECT_EQ(reler_chat(a, *l).folga, 6);
    plataforma::simulada::aplicar_evento(
        {1000, "adicionar", "ev", Json::parse(R"({"em": 1000, "acao": "adicionar",
        "dentro_de": "lista_7tv", "elemento": {"classe": "seventv-message", "ret": [1362, 841, 1682, 875]}})")});
    EXPECT_EQ(reler_chat(a, *l).folga, 2);
}

// --- As cenas descritas como a web (twitch_real, kick_real) -------------------
// O programa inteiro sobre as regras do Chromium: a página que começa vazia e
// ganha as classes depois, os invólucros fora da visão de controle, o portal
// sem tamanho, o foco e a rolagem que chegam depois do pedido.

namespace {

struct CasoReal {
    const char* nome;
    const char* cena;
    std::string linha_do_tempo;         // os eventos, com o "fim"
    std::vector<std::string> no_erro;   // cada um começa alguma linha do erro
    std::vector<std::string> na_saida;  // cada um está dentro de alguma linha da saída
    std::vector<std::string> nunca;     // em nenhuma linha da saída nem do erro
    std::vector<std::string> argumentos = {"--janela", "100"};
    std::function<void(const Execucao&)> mais = nullptr;
};

void PrintTo(const CasoReal& c, std::ostream* os) { *os << c.nome; }

std::string ev(int em, const std::string& corpo) {
    return R"({"em": )" + std::to_string(em) + ", " + corpo + "}";
}
std::string entrada(int em, const std::string& linha) {
    return ev(em, R"("acao": "entrada", "linha": )" + Json(linha).dump());
}
std::string fim(int em) { return ev(em, R"("acao": "fim")"); }

std::vector<Json> teclas(const Execucao& e) { return e.no_rastro("efeito", "SendInput"); }

class CenaReal : public ::testing::TestWithParam<CasoReal> {};

}  // namespace

TEST_P(CenaReal, ComoAsPartesPedem) {
    const CasoReal& c = GetParam();
    const Execucao e = rodar_linha_do_tempo(c.cena, c.linha_do_tempo, c.argumentos);
    EXPECT_EQ(e.codigo, 0) << e.erro;
    const auto erros = e.linhas_do_erro();
    for (const std::string& l : c.no_erro)
        EXPECT_TRUE(
            std::any_of(erros.begin(), erros.end(), [&](const std::string& x) { return x.rfind(l, 0) == 0; }))
            << l << "\n"
            << e.erro;
    for (const std::string& l : c.na_saida)
        EXPECT_NE(e.saida.find(l), std::string::npos) << l << "\n" << e.saida;
    for (const std::string& l : c.nunca) {
        EXPECT_EQ(e.saida.find(l), std::string::npos) << l;
        EXPECT_EQ(e.erro.find(l), std::string::npos) << l;
    }
    if (c.mais) c.mais(e);
}

INSTANTIATE_TEST_SUITE_P(
    Cenas, CenaReal,
    ::testing::Values(
        // A primeira busca vê o documento vazio; a árvore chega sem classes e a
        // busca seguinte vem logo (não em 5 s), com a folga e o botão; o menu e
        // a dica fechados do portal não viram "modal".
        CasoReal{
            "twitch_hospedado",
            "twitch_real.json",
            fim(2000),
            {"Twitch em tarsio_ao_vivo - Twitch - Google Chrome: não achei o chat nesta página.",
             "Twitch em tarsio_ao_vivo - Twitch - Google Chrome: chat achado em "},
            {R"("folga":6,"com7tv":false,"pausado":false,"buracos":[],"pagina":[-1244,-100,340,761],"botao":[1648,895,1672,919])"},
            {"modal da página", "\"botao\":[1646,891,1678,923]"},
            {"--janela", "100"},
            [](const Execucao& e) {
                for (const auto& [t, l] : estados(e))
                    if (l.find("\"botao\":[1648,895,1672,919]") != std::string::npos) {
                        EXPECT_LT(t, 1000);
                        return;
                    }
                ADD_FAILURE() << "o botão não saiu";
            }},
        // O diálogo de alerta: o Chromium diz "alert" num Window, e ele vira buraco.
        CasoReal{"twitch_alerta",
                 "twitch_real.json",
                 ev(1500, R"("acao": "adicionar", "dentro_de": "root", "elemento":
                    {"web": "alertdialog", "aria": true, "nome": "Sair do modo teatro?", "ret": [1400, 400, 1650, 560]})") +
                     "," + fim(3000),
                 {},
                 {R"("buracos":[[48,169,298,329]])"},
                 {}},
        // O foco chega 90 ms depois do SetFocus: só então as teclas.
        CasoReal{"twitch_responder",
                 "twitch_real.json",
                 entrada(1500, "responder visitante20\tvisitante20\tmensagem número 20") + "," + fim(3000),
                 {"responder visitante20: mensagem procurada no clique (",
                  "responder visitante20: digitado @visitante20"},
                 {R"("buracos":[[10,615,330,649]])"},
                 {},
                 {"--janela", "100"},
                 [](const Execucao& e) {
                     const auto foco = e.no_rastro("efeito", "SetFocus");
                     const auto t = teclas(e);
                     ASSERT_EQ(foco.size(), 1u);
                     ASSERT_EQ(t.size(), 1u);
                     EXPECT_EQ(t[0]["texto"], "@visitante20 ");
                     EXPECT_EQ(t[0]["destino"], "caixa");
                     EXPECT_GE(t[0]["t"].get<int>() - foco[0]["t"].get<int>(), 90);
                 }},
        // Com o foco na barra de endereço, o emote vai para a caixa do site, e
        // só quando o foco chegou nela.
        CasoReal{"twitch_emote",
                 "twitch_real.json",
                 ev(1000, R"("acao": "focar", "chave": "endereco")") + "," + entrada(1500, "emote Kappa") +
                     "," + fim(3000),
                 {"emote Kappa: digitado"},
                 {},
                 {"digitado na caixa com foco"},
                 {"--janela", "100"},
                 [](const Execucao& e) {
                     const auto t = teclas(e);
                     ASSERT_EQ(t.size(), 1u);
                     EXPECT_EQ(t[0]["destino"], "caixa");
                 }},
        // O foco nunca chega à caixa: nada é digitado.
        CasoReal{"twitch_foco_recusado",
                 "twitch_real.json",
                 ev(1000, R"("acao": "focar", "chave": "endereco")") + "," +
                     ev(1000, R"("acao": "elemento", "chave": "caixa", "focavel": false)") + "," +
                     entrada(1500, "responder visitante19\tvisitante19\tmensagem número 19") + "," +
                     fim(3000),
                 {"responder visitante19: foco na caixa recusado (o foco não chegou à caixa em 400 ms)"},
                 {},
                 {"digitado @"},
                 {"--janela", "100"},
                 [](const Execucao& e) { EXPECT_TRUE(teclas(e).empty()); }},
        // O cartão: o contêiner dele não é controle, e os botões ainda são achados.
        CasoReal{"twitch_perfil_botao",
                 "twitch_real.json",
                 entrada(1500, "perfil-botao seguir visitante20") + "," + fim(4000),
                 {"perfil visitante20: buraco (1362, 520, 1682, 860), topo por contêiner do cartão",
                  "perfil-botao seguir visitante20: \"Follow\" apertado em "},
                 {R"([10,289,330,629]])"},
                 {}},
        // A linha cortada pelo alto da lista: a rolagem chega 16 ms depois, e o
        // aperto espera os 60 ms.
        CasoReal{"twitch_rolagem",
                 "twitch_real.json",
                 entrada(1500, "perfil moderado\tmoderado\tsó assinantes respondem") + "," + fim(3000),
                 {"perfil moderado: mensagem procurada no clique (0 ms), apertado em 60 ms"},
                 {},
                 {},
                 {"--janela", "100"},
                 [](const Execucao& e) {
                     const auto rolou = e.no_rastro("efeito", "ScrollIntoView");
                     ASSERT_EQ(rolou.size(), 1u);
                     EXPECT_EQ(rolou[0]["chave"], "msg_restrita");
                 }},
        // Um resgate que chega (o nome no aria-label, o texto num Text).
        CasoReal{"twitch_resgate",
                 "twitch_real.json",
                 ev(3000, R"("acao": "adicionar", "dentro_de": "mensagens", "elemento":
                    {"web": "generic", "classe": "channel-points-reward-line", "aria": true,
                     "nome": "bia redeemed Hidratar 100", "ret": [1362, 841, 1682, 871],
                     "filhos": [{"web": "text", "nome": "bia redeemed Hidratar 100", "ret": [1366, 846, 1676, 866]}]})") +
                     "," + fim(7000),
                 {"resgate em tarsio_ao_vivo: bia redeemed Hidratar 100"},
                 {R"({"resgate":"bia redeemed Hidratar 100","canal":"tarsio_ao_vivo"})"},
                 {}},
        CasoReal{"twitch_video",
                 "twitch_real.json",
                 entrada(1500, "video") + "," + fim(3000),
                 {"nick: Some(Some((230, 870, 380, 894))) entre 3 achados"},
                 {R"({"video":[158,181,1352,852],"nick":[230,870,380,894]})"},
                 {}},
        CasoReal{"twitch_diagnostico",
                 "twitch_real.json",
                 fim(5000),
                 {},
                 {"a página chegou em 500 ms",
                  "caixa (1362, 887, 1682, 927); último ícone medido Some((1648, 895, 1672, 919))",
                  "ESCOLHIDO: Some(Candidato { papel_aria: \"group\", id: \"\", classe: \"chat-list--default "
                  "scrollable-area\""},
                 {},
                 {"--diagnostico"}},
        CasoReal{"kick_hospedado",
                 "kick_real.json",
                 fim(2000),
                 {"Kick em outra aba: chat achado em "},
                 {R"({"site":"kick","canal":"tarsio","largura":340,"altura":654,"folga":52,)"},
                 {"modal da página"}},
        CasoReal{"kick_acoes",
                 "kick_real.json",
                 entrada(1000, "responder esp15\tespectador15\tolá do chat 15") + "," +
                     entrada(2000, "perfil esp15\tespectador15\tolá do chat 15") + "," +
                     ev(2500, R"("acao": "focar", "chave": "endereco")") + "," + entrada(3000, "emote KEKW") +
                     "," + fim(4000),
                 {"responder esp15: digitado @esp15", "perfil esp15: nick da Kick, apertado",
                  "emote KEKW: digitado"},
                 {},
                 {},
                 {"--janela", "100"},
                 [](const Execucao& e) {
                     for (const Json& t : teclas(e)) EXPECT_EQ(t["destino"], "caixa") << t.dump();
                 }},
        CasoReal{
            "kick_video_e_pecas",
            "kick_real.json",
            entrada(1500, "video") + "," + entrada(2500, "pecas") + "," + fim(4000),
            {"peças: 10 em "},
            {R"({"video":[108,181,1340,870],"nick":[180,884,260,908]})", R"({"pecas":[[120,830,150,860],)"},
            {}},
        CasoReal{"kick_diagnostico",
                 "kick_real.json",
                 fim(5000),
                 {},
                 {"a página chegou em "},
                 {},
                 {"--diagnostico"}}),
    [](const auto& info) { return std::string(info.param.nome); });
