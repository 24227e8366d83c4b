// A escolha do chat numa leitura: o contêiner da Twitch e as peças da Kick.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "localizador/escolha.hpp"

namespace {
Candidato c(std::string papel, std::string classe, Retangulo r, std::string nome = "", std::string id = "") {
    Candidato x;
    x.papel_aria = std::move(papel);
    x.classe = std::move(classe);
    x.ret = r;
    x.nome = std::move(nome);
    x.id = std::move(id);
    return x;
}
}  // namespace

TEST(EscolhaTwitch, Pontuacao) {
    EXPECT_EQ(pontuacao_twitch(c("", "Chat-List--default", {0, 0, 150, 120})), 100);
    EXPECT_EQ(pontuacao_twitch(c("", "chat-scrollable-area__message-container", {0, 0, 150, 120})), 95);
    EXPECT_EQ(pontuacao_twitch(c("log", "x", {0, 0, 150, 120})), 90);
    EXPECT_EQ(pontuacao_twitch(c("LOG", "x", {0, 0, 150, 120})), 0);
    EXPECT_EQ(pontuacao_twitch(c("log", "chat-list--default", {0, 0, 149, 500})), 0);
    EXPECT_EQ(pontuacao_twitch(c("log", "chat-list--default", {0, 0, 500, 119})), 0);
}

TEST(EscolhaTwitch, ChatListVenceOContainerMaior) {
    const std::vector<Candidato> cs = {
        c("log", "chat-scrollable-area__message-container", {0, 0, 400, 900}),
        c("", "chat-list--default", {0, 0, 340, 600}),
    };
    EXPECT_EQ(escolher_twitch(cs), 1u);
}

TEST(EscolhaTwitch, EmpateDePontosAMaiorAreaDepoisOUltimo) {
    std::vector<Candidato> cs = {c("log", "", {0, 0, 300, 600}), c("log", "", {0, 0, 300, 500})};
    EXPECT_EQ(escolher_twitch(cs), 0u);
    cs.push_back(c("log", "", {10, 10, 310, 610}));
    EXPECT_EQ(escolher_twitch(cs), 2u);
}

TEST(EscolhaTwitch, NadaQuandoNinguemPontua) {
    EXPECT_EQ(escolher_twitch({c("", "chat-line__message", {0, 0, 300, 30}), c("log", "", {0, 0, 149, 500})}),
              std::nullopt);
    EXPECT_EQ(escolher_twitch({}), std::nullopt);
}

namespace {
// Uma coluna de chat da Kick a 100 %.
std::vector<Candidato> kick() {
    return {
        c("", "OmniboxViewViews", {300, 96, 1300, 126}),
        c("textbox", "search", {700, 140, 1000, 170}, "", "search-input"),
        c("separator", "chatroom-resize absolute", {1348, 181, 1352, 992}),
        c("heading", "", {1360, 190, 1420, 214}, "Chat"),
        c("button", "p-0.5 aspect-square rounded", {1640, 880, 1672, 912}),
        c("textbox", "editor-input", {1362, 920, 1640, 960}),
    };
}
}  // namespace

TEST(EscolhaKick, AncoraCabecalhoCaixaEFolga) {
    const auto e = escolher_kick(kick(), 1.0, std::nullopt);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->separador, 2u);
    EXPECT_EQ(e->caixa, 5u);
    EXPECT_EQ(e->cabecalho, 33);
    EXPECT_EQ(e->folga, 12 + 920 - 880);
}

TEST(EscolhaKick, SemCaixaDeTextoNaoHaChat) {
    auto cs = kick();
    cs.pop_back();
    EXPECT_EQ(escolher_kick(cs, 1.0, std::nullopt), std::nullopt);
}

TEST(EscolhaKick, CaixaComIdNaoContaENemAcimaDoCabecalho) {
    auto cs = kick();
    cs[5].id = "chat-input";
    EXPECT_EQ(escolher_kick(cs, 1.0, std::nullopt), std::nullopt);
    cs[5].id.clear();
    ASSERT_TRUE(escolher_kick(cs, 1.0, 738));
    EXPECT_EQ(escolher_kick(cs, 1.0, 738)->caixa, 5u);
    EXPECT_EQ(escolher_kick(cs, 1.0, 739), std::nullopt) << "920 não passa de 181 + 739";
}

TEST(EscolhaKick, NomeComChatroomTambemEAncora) {
    std::vector<Candidato> cs = kick();
    cs[2].papel_aria = "group";
    cs[2].nome = "ChatRoom";
    EXPECT_EQ(escolher_kick(cs, 1.0, std::nullopt)->separador, 2u);
}

TEST(EscolhaKick, CabecalhoSemCandidatoE50EOFixoVale) {
    std::vector<Candidato> cs = kick();
    cs[3].ret = {1360, 215, 1420, 240};  // começa 34 abaixo: não conta
    EXPECT_EQ(escolher_kick(cs, 1.0, std::nullopt)->cabecalho, 50);
    EXPECT_EQ(escolher_kick(cs, 1.0, 12)->cabecalho, 12);
}

TEST(EscolhaKick, A150PorCentoJanelaDe300EFolgaBase18) {
    std::vector<Candidato> cs = kick();
    cs.erase(cs.begin() + 4);  // sem botão: a folga é só a base
    EXPECT_EQ(escolher_kick(cs, 1.5, std::nullopt)->folga, 18);
    // Um botão 300 px acima da caixa ainda conta; 301 não.
    cs.push_back(c("button", "aspect-square", {1640, 620, 1672, 650}));
    EXPECT_EQ(escolher_kick(cs, 1.5, std::nullopt)->folga, 18 + 300);
    cs.back().ret = {1640, 619, 1672, 650};
    EXPECT_EQ(escolher_kick(cs, 1.5, std::nullopt)->folga, 18);
}

TEST(Arredondar, ProximoNaNESaturacao) {
    EXPECT_EQ(arredondar(17.5), 18);
    EXPECT_EQ(arredondar(-2.5), -3);
    EXPECT_EQ(arredondar(std::nan("")), 0);
    EXPECT_EQ(arredondar(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(arredondar(-1e12), std::numeric_limits<std::int32_t>::min());
}

TEST(Candidato, FormaDeDepuracao) {
    Candidato x = c("log", "a \"b\"", {1, 2, 3, 4}, "n");
    x.valor = "v";
    EXPECT_EQ(
        forma_de_depuracao(x),
        "Candidato { papel_aria: \"log\", id: \"\", classe: \"a \\\"b\\\"\", nome: \"n\", valor: \"v\", "
        "ret: (1, 2, 3, 4) }");
}
