// O vigia dos resgates de pontos do canal: o programa rodando sobre a live da
// Twitch com resgates (cenas/twitch_resgates.json), o que sai na saída e no
// log; e as partes puras (o texto do aviso) e a página com 10 000 avisos
// dentro do processo.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "comum/texto.hpp"
#include "estado/processo.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/resgates.hpp"

using namespace std::chrono_literals;

namespace {

const char* kCena = "twitch_resgates.json";

std::vector<std::pair<std::int64_t, std::string>> resgates(const Execucao& e) {
    return linhas_que_comecam(e, "{\"resgate\"");
}

// Uma linha de aviso da lista do chat no alto "y", com os pedaços de texto
// dados (cada um um Text) e o nome dado ao grupo.
std::string aviso(const std::string& chave, const std::string& nome, const std::vector<std::string>& textos,
                  int y, int largura = 320) {
    std::string filhos;
    for (std::size_t i = 0; i < textos.size(); ++i) {
        if (i) filhos += ",";
        filhos += R"({"tipo": "Text", "nome": )" + Json(textos[i]).dump() + R"(, "ret": [1366, )" +
                  std::to_string(y + 5) + ", 1676, " + std::to_string(y + 25) + "]}";
    }
    return R"({"chave": ")" + chave +
           R"(", "tipo": "Group", "classe": "channel-points-reward-line", "nome": )" + Json(nome).dump() +
           R"(, "ret": [1362, )" + std::to_string(y) + ", " + std::to_string(1362 + largura) + ", " +
           std::to_string(y + 30) + R"(], "filhos": [)" + filhos + "]}";
}

std::string chega(int em, const std::string& elemento, const std::string& dentro_de = "mensagens") {
    return R"({"em": )" + std::to_string(em) + R"(, "acao": "adicionar", "dentro_de": ")" + dentro_de +
           R"(", "elemento": )" + elemento + "}";
}

std::string fim(int em) { return R"({"em": )" + std::to_string(em) + R"(, "acao": "fim"})"; }

// A troca de aba para o canal outro_canal: título, barra de endereço e documento.
std::string troca_de_canal(int em) {
    const std::string t = std::to_string(em);
    return R"({"em": )" + t +
           R"(, "acao": "titulo", "janela": 2001, "titulo": "outro_canal - Twitch - Google Chrome"},
        {"em": )" +
           t + R"(, "acao": "elemento", "chave": "endereco", "valor": "twitch.tv/outro_canal"},
        {"em": )" +
           t + R"(, "acao": "elemento", "chave": "pagina", "valor": "https://www.twitch.tv/outro_canal",
         "nome": "outro_canal - Twitch"})";
}

}  // namespace

TEST(Resgates, SoOResgateQueChegaDepoisEAvisadoEUmaVezSo) {
    // A cena: um resgate já na página, a mensagem de um espectador com
    // "redeemed" e, em 5 s, um resgate novo (com dois achados: o grupo e o
    // texto " resgatou ").
    const Execucao e = rodar_programa(cena_derivada(kCena, R"({"entrada": "cena"})"), {"--janela", "100"});
    EXPECT_EQ(e.codigo, 0);
    const auto r = resgates(e);
    ASSERT_EQ(r.size(), 1u) << e.saida;
    EXPECT_EQ(r[0].second, R"({"resgate":"joao_p resgatou Escolher o jogo 500","canal":"tarsio_ao_vivo"})");
    EXPECT_EQ(r[0].first, 6000);  // a volta seguinte do vigia
    EXPECT_EQ(e.log_com("resgate em "), "resgate em tarsio_ao_vivo: joao_p resgatou Escolher o jogo 500");
    EXPECT_EQ(e.log_com("maria_f"), "");
    EXPECT_EQ(e.log_com("curioso"), "");
}

TEST(Resgates, MensagemDeEspectadorComAPalavraNuncaEAvisada) {
    // Na Twitch e no 7TV: a subida encontra a mensagem antes da lista.
    const std::string twitch = R"({"chave": "msg_nova", "tipo": "Group", "classe": "chat-line__message",
        "nome": "fulano: eu redeemed ontem", "ret": [1362, 841, 1682, 871], "filhos": [
          {"tipo": "Text", "classe": "text-fragment", "nome": "eu redeemed ontem", "ret": [1454, 846, 1672, 866]}]})";
    const Execucao e = rodar_linha_do_tempo(kCena, chega(3000, twitch) + "," + fim(7000));
    EXPECT_TRUE(resgates(e).empty()) << e.saida;

    const std::string sete = R"({"chave": "msg_7tv", "tipo": "Group", "classe": "seventv-message",
        "ret": [1362, 841, 1682, 875], "filhos": [
          {"tipo": "Group", "classe": "seventv-user-message", "ret": [1362, 841, 1682, 875], "filhos": [
            {"tipo": "Group", "classe": "seventv-chat-message-body", "ret": [1474, 842, 1660, 874], "filhos": [
              {"tipo": "Text", "nome": "eu resgatou nada", "ret": [1474, 842, 1660, 874]}]}]}]})";
    const Execucao s = rodar_linha_do_tempo("twitch_7tv.json",
                                            chega(3000, sete, "lista_7tv") + "," + fim(7000));
    EXPECT_TRUE(resgates(s).empty()) << s.saida;
}

TEST(Resgates, NoChatDo7tvOAvisoDaListaEAvisado) {
    const Execucao e = rodar_linha_do_tempo(
        "twitch_7tv.json",
        chega(3000, aviso("r7", "ana redeemed Dançar 300", {"ana", "redeemed", "Dançar", "300"}, 841),
              "lista_7tv") +
            "," + fim(5000));
    const auto r = resgates(e);
    ASSERT_EQ(r.size(), 1u) << e.saida;
    EXPECT_EQ(r[0].second, R"({"resgate":"ana redeemed Dançar 300","canal":"tarsio_ao_vivo"})");
}

TEST(Resgates, TrocaDeCanalEsqueceOsVistosEOsDaPaginaNovaNaoSaoAvisados) {
    // Em 3 s a aba passa a outro_canal com os mesmos avisos na página (o
    // resgate de maria_f e um que chegou em 2,5 s, antes da troca mas depois da
    // última volta no canal velho); em 9 s chega outro: só ele é avisado, já
    // com o canal novo.
    const Execucao e = rodar_linha_do_tempo(
        kCena, chega(2500, aviso("r1", "bia redeemed Hidratar 100", {"bia redeemed Hidratar 100"}, 811)) +
                   "," + troca_de_canal(3000) + "," +
                   chega(9000, aviso("r2", "caio redeemed Pular 50", {"caio redeemed Pular 50"}, 841)) + "," +
                   fim(12000));
    const auto r = resgates(e);
    ASSERT_EQ(r.size(), 1u) << e.saida;
    EXPECT_EQ(r[0].second, R"({"resgate":"caio redeemed Pular 50","canal":"outro_canal"})");
}

TEST(Resgates, PaginaDaKickNuncaELida) {
    const std::string kick = R"({"chave": "r_kick", "tipo": "Group", "classe": "chat-entry",
        "nome": "ana redeemed Hidratar", "ret": [1352, 830, 1692, 860], "filhos": [
          {"tipo": "Text", "nome": "ana redeemed Hidratar", "ret": [1362, 835, 1680, 855]}]})";
    const Execucao e = rodar_linha_do_tempo("kick_edge.json", chega(3000, kick) + "," + fim(9000),
                                            {"--janela", "100", "--rastro-uia"});
    EXPECT_TRUE(resgates(e).empty());
    // Nenhuma ida ao navegador fora do localizador (a thread principal).
    for (const Json& j : e.rastro)
        if (j.contains("uia")) {
            EXPECT_EQ(j["thread"], 0) << j.dump();
        }
}

TEST(Resgates, TrocaDeCanalEntreABuscaEOAvisoDescartaAVolta) {
    // O resgate chega em 3 s; a volta de 4 s leva mais de meio segundo (cada
    // busca demora 200 ms) e a aba troca de canal no meio dela. Nada é
    // avisado: nem nessa volta, nem na seguinte, que já é do canal novo.
    const std::string lenta =
        R"({"em": 3500, "acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 200},
           {"em": 4800, "acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 0})";
    const std::string novo = chega(
        3000, aviso("r1", "bia redeemed Hidratar 100", {"bia redeemed Hidratar 100"}, 841));
    const Execucao trocou = rodar_linha_do_tempo(
        kCena, novo + "," + lenta + "," + troca_de_canal(4100) + "," + fim(9000));
    EXPECT_TRUE(resgates(trocou).empty()) << trocou.saida;
    // A mesma volta lenta sem a troca avisa.
    const Execucao ficou = rodar_linha_do_tempo(kCena, novo + "," + lenta + "," + fim(9000));
    ASSERT_EQ(resgates(ficou).size(), 1u) << ficou.saida;
    EXPECT_GT(resgates(ficou)[0].first, 4400);
}

TEST(Resgates, AvisoQueChegaSemTextoEAvisadoQuandoOTextoVem) {
    // A linha de cima chega sem o texto (a volta de 4 s a deixa de fora), a
    // de baixo chega inteira e é avisada; o texto da de cima vem em 4,5 s e
    // a volta de 6 s a avisa, mesmo estando acima de uma linha já vista.
    const std::string texto =
        R"({"em": 4500, "acao": "adicionar", "dentro_de": "r1", "elemento":
            {"tipo": "Text", "nome": "bia redeemed Hidratar 100", "ret": [1366, 816, 1676, 836]}})";
    const Execucao e = rodar_linha_do_tempo(
        kCena, chega(3000, aviso("r1", "bia redeemed Hidratar 100", {}, 811)) + "," +
                   chega(3000, aviso("r2", "caio redeemed Pular 50", {"caio redeemed Pular 50"}, 841)) + "," +
                   texto + "," + fim(7000));
    const auto r = resgates(e);
    ASSERT_EQ(r.size(), 2u) << e.saida;
    EXPECT_EQ(r[0], std::make_pair(
                        std::int64_t{4000},
                        std::string(R"({"resgate":"caio redeemed Pular 50","canal":"tarsio_ao_vivo"})")));
    EXPECT_EQ(r[1], std::make_pair(
                        std::int64_t{6000},
                        std::string(R"({"resgate":"bia redeemed Hidratar 100","canal":"tarsio_ao_vivo"})")));
}

TEST(Resgates, TextoLongoSaiNosPrimeiros200Caracteres) {
    // Pedaços com brancos repetidos, tabulação e quebra de linha, e letras de
    // dois bytes: o corte é em caracteres, não em bytes.
    std::string premio;
    for (int i = 0; i < 60; ++i) premio += "ção ";
    const Execucao e = rodar_linha_do_tempo(
        kCena,
        chega(3000, aviso("r1", "zé redeemed tudo", {"  zé  ", "redeemed\t\t", "o\nprêmio", premio}, 841)) +
            "," + fim(5000));
    const auto r = resgates(e);
    ASSERT_EQ(r.size(), 1u) << e.saida;
    std::string esperado = "zé redeemed o prêmio " + premio;
    esperado = primeiros_escalares(esperado, 200);
    EXPECT_EQ(contar_escalares(esperado), 200u);
    EXPECT_EQ(r[0].second, "{\"resgate\":\"" + esperado + "\",\"canal\":\"tarsio_ao_vivo\"}");
}

TEST(Resgates, AchadoEstreitoForaDoChatOuFundoDemaisEIgnorado) {
    // Só o grupo casa (os textos não têm " redeemed " entre brancos).
    const auto so_o_grupo = [](const std::string& chave, int y, int largura) {
        return aviso(chave, chave + " redeemed x", {chave, "redeemed", "x"}, y, largura);
    };
    // Um aviso fundo: o achado a n níveis da lista.
    const auto fundo = [](const std::string& chave, int niveis) {
        std::string e = R"({"tipo": "Text", "nome": ")" + chave +
                        R"( redeemed fundo", "ret": [1366, 846, 1676, 866]})";
        for (int i = 1; i < niveis; ++i)
            e = R"({"tipo": "Group", "classe": "camada", "ret": [1362, 841, 1682, 871], "filhos": [)" + e +
                "]}";
        return e;
    };
    const Execucao e = rodar_linha_do_tempo(
        kCena, chega(3000, so_o_grupo("um_pixel", 811, 1)) + "," +
                   chega(3000, so_o_grupo("dois_pixels", 781, 2)) + "," + chega(3000, fundo("dez", 10)) +
                   "," + chega(3000, fundo("onze", 11)) + "," +
                   // Na lista, mas acima do retângulo do chat.
                   chega(3000, so_o_grupo("acima_do_chat", 200, 320)) + "," + fim(5000));
    std::vector<std::string> textos;
    for (const auto& [t, l] : resgates(e)) textos.push_back(l);
    EXPECT_EQ(textos, (std::vector<std::string>{
                          R"({"resgate":"dois_pixels redeemed x","canal":"tarsio_ao_vivo"})",
                          R"({"resgate":"dez redeemed fundo","canal":"tarsio_ao_vivo"})",
                      }));
}

TEST(Resgates, PrimeiraVoltaQueFalhaNaoFazOsAntigosParecerNovos) {
    // A primeira volta (2 s) não consegue montar a condição do nome: ela não
    // viu a página, então a de 4 s ainda só registra; o resgate de maria_f,
    // que já estava lá, nunca é avisado, e o que chega depois é.
    const Execucao e = rodar_linha_do_tempo(
        kCena, R"({"em": 1999, "acao": "falhar", "chamada": "CreatePropertyConditionEx", "vezes": 1},)" +
                   chega(5000, aviso("r1", "bia redeemed Hidratar 100", {"bia redeemed Hidratar 100"}, 841)) +
                   "," + fim(7000));
    const auto r = resgates(e);
    ASSERT_EQ(r.size(), 1u) << e.saida;
    EXPECT_EQ(r[0].second, R"({"resgate":"bia redeemed Hidratar 100","canal":"tarsio_ao_vivo"})");
}

TEST(Resgates, ElementoRemovidoNoMeioDaVoltaSoSomeDaVolta) {
    // O aviso novo some enquanto a volta sobe a árvore a partir dele: a volta
    // segue (nada é avisado dele) e a seguinte avisa o outro que chegou.
    const Execucao e = rodar_linha_do_tempo(
        kCena,
        chega(3000, aviso("r1", "bia redeemed Hidratar 100", {"bia redeemed Hidratar 100"}, 841)) + "," +
            R"({"em": 3900, "acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 100},
                      {"em": 4250, "acao": "remover", "chave": "r1"},
                      {"em": 4500, "acao": "lentidao", "chamada": "FindAllBuildCache", "janela": 2001, "ms": 0},)" +
            chega(5000, aviso("r2", "caio redeemed Pular 50", {"caio redeemed Pular 50"}, 841)) + "," +
            fim(7000));
    EXPECT_EQ(e.codigo, 0);
    const auto r = resgates(e);
    ASSERT_EQ(r.size(), 1u) << e.saida;
    EXPECT_EQ(r[0].second, R"({"resgate":"caio redeemed Pular 50","canal":"tarsio_ao_vivo"})");
}

TEST(TextoDoResgate, JuntaAparaECorta) {
    EXPECT_EQ(texto_do_resgate({}), "");
    EXPECT_EQ(texto_do_resgate({"a", "b  c", "\u00a0d\u2003"}), "a b c d");
    EXPECT_EQ(texto_do_resgate({std::string(250, 'x')}), std::string(200, 'x'));
    // Uma metade de par solta vinda do UTF-16 já chega como U+FFFD e passa como caractere.
    const std::string solta = utf16_para_utf8(
        u"ab\xD800"
        u"cd");
    EXPECT_EQ(texto_do_resgate({solta}),
              "ab\xEF\xBF\xBD"
              "cd");
    EXPECT_EQ(linha_de_resgate("a \"b\"\t\\", "canal"), R"({"resgate":"a \"b\" \\","canal":"canal"})");
}

// Dentro do processo: a página com 10 000 avisos de uma vez.
class ResgatesNoProcesso : public ComAreaSimulada {
protected:
    void publicar() {
        Alvo a;
        a.site = Site::Twitch;
        a.canal = "tarsio_ao_vivo";
        a.janela = 2001;
        a.chat = {1352, 231, 1692, 877};
        ALVO_PUBLICADO.guardar(a);
    }
    void evento(const std::string& json) {
        const Json j = Json::parse(json);
        plataforma::simulada::aplicar_evento({0, j["acao"], "ev", j});
    }
    int linhas_de_resgate() {
        int n = 0;
        for (const Json& j : plataforma::simulada::Rastro::global().linhas())
            n += j.contains("saida") && j["saida"].get<std::string>().rfind("{\"resgate\"", 0) == 0;
        return n;
    }
};

TEST_F(ResgatesNoProcesso, DezMilAvisosNaPaginaSemEstourarNemRepetir) {
    Json cena = Json::parse(cena_derivada(kCena, R"({"linha_do_tempo": []})"));
    // Os avisos trazem um nome com uma metade de par solta já trocada por U+FFFD.
    Json repeticao = Json::parse(R"({"repetir": 10000, "passo": [0, 0], "elemento":
        {"chave": "aviso{n}", "tipo": "Group", "classe": "channel-points-reward-line",
         "nome": "fã{n} redeemed Água \ufffd", "ret": [1362, 300, 1682, 330], "filhos": [
           {"tipo": "Text", "nome": "fã{n} redeemed Água \ufffd", "ret": [1366, 305, 1676, 325]}]}})");
    std::function<void(Json&)> por = [&](Json& e) {
        if (e.value("chave", "") == "mensagens") e["filhos"].push_back(repeticao);
        for (const char* campo : {"filhos", "pagina", "janelas"})
            if (e.contains(campo))
                for (Json& f : e[campo]) por(f);
    };
    por(cena);
    carregar(cena.dump());
    publicar();
    VigiaDeResgates v(criar_automacao());
    v.volta();
    EXPECT_EQ(v.vistos(), kVistosNoMaximo);
    EXPECT_FALSE(v.primeira_volta());
    v.volta();
    EXPECT_EQ(linhas_de_resgate(), 0);  // os de cima das linhas vistas já estavam lá
    EXPECT_EQ(v.vistos(), kVistosNoMaximo);
    evento(R"({"acao": "adicionar", "dentro_de": "mensagens", "elemento":
        {"chave": "novo", "tipo": "Group", "classe": "channel-points-reward-line", "nome": "x redeemed y",
         "ret": [1362, 841, 1682, 871], "filhos": [{"tipo": "Text", "nome": "x redeemed y", "ret": [1366, 846, 1676, 866]}]}})");
    v.volta();
    EXPECT_EQ(linhas_de_resgate(), 1);
    EXPECT_EQ(v.vistos(), kVistosNoMaximo);
}
