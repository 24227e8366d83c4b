// As decisões das ações que não dependem da página: os registros de
// teclado, as regras de nome das mensagens, a caixa do chat, a ordem dos
// botões do 7TV e os botões do cartão.

#include <gtest/gtest.h>

#include "acoes/emote.hpp"
#include "acoes/mensagens.hpp"
#include "acoes/perfil.hpp"
#include "acoes/responder.hpp"
#include "acoes/sintese.hpp"
#include "comum/texto.hpp"

namespace pl = plataforma;

TEST(Teclado, DoisRegistrosUnicodePorUnidade) {
    const auto r = registros_de_texto("@Tarsio ");
    ASSERT_EQ(r.size(), 16u);
    EXPECT_EQ(r[0], (pl::RegistroDeTecla{0, u'@', pl::opcao_de_tecla::unicode}));
    EXPECT_EQ(r[1], (pl::RegistroDeTecla{0, u'@', pl::opcao_de_tecla::unicode | pl::opcao_de_tecla::soltar}));
    EXPECT_EQ(r[15].scan, u' ');
    // Fora do plano básico: um par de metades, quatro registros.
    const auto emoji = registros_de_texto("😀");
    ASSERT_EQ(emoji.size(), 4u);
    EXPECT_EQ(emoji[0].scan, 0xD83D);
    EXPECT_EQ(emoji[2].scan, 0xDE00);
}

TEST(Teclado, TextoDaPaginaComMetadeSoltaViraSubstituto) {
    const std::u16string solta = {u'a', 0xD800, u'b'};
    EXPECT_EQ(utf16_para_utf8(solta),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Mensagens, NomeETextoDaLinhaDoSite) {
    const ComandoDeMensagem c{"responder", "tarsio", "Tarsio", "Bom   dia"};
    EXPECT_TRUE(linha_do_site_casa("Tarsio: bom dia", c));
    EXPECT_TRUE(linha_do_site_casa("  TARSIO:   bom   DIA ", c));
    EXPECT_FALSE(linha_do_site_casa("Tarsio: bom dia pessoal", c));
    EXPECT_FALSE(linha_do_site_casa("Outro: bom dia", c));
    // Sem texto, o nome basta.
    EXPECT_TRUE(
        linha_do_site_casa("Tarsio: qualquer coisa", ComandoDeMensagem{"responder", "tarsio", "Tarsio", ""}));
    // "nome (login)": a linha mostra só o nome.
    const ComandoDeMensagem com_login{"responder", "tarsio", "Társio (tarsio)", "oi"};
    EXPECT_TRUE(linha_do_site_casa("Társio: oi", com_login));
    // Sem nome de exibição, o nick.
    EXPECT_TRUE(linha_do_site_casa("tarsio: oi", ComandoDeMensagem{"responder", "tarsio", "", "oi"}));
}

TEST(Mensagens, TextoDoSeteTvDepoisDoAutor) {
    EXPECT_EQ(texto_depois_do_autor({"12:01", "Tarsio", "bom", "dia"}, "tarsio"), "bom dia");
    EXPECT_EQ(texto_depois_do_autor({"bom", "dia"}, "tarsio"), "bom dia");
    EXPECT_EQ(chave_da_mensagem({"responder", "tarsio", " Társio ", "Oi  Gente"}),
              "tarsio\ttársio\toi gente");
}

TEST(Caixa, ColunaDoChatEAte200PixelsAbaixo) {
    const Retangulo chat{1000, 200, 1300, 800};
    EXPECT_TRUE(serve_de_caixa({1010, 1000, 1290, 1030}, "", chat));   // 200 abaixo
    EXPECT_FALSE(serve_de_caixa({1010, 1001, 1290, 1030}, "", chat));  // 201 abaixo
    EXPECT_TRUE(serve_de_caixa({1010, 790, 1290, 830}, "", chat));     // 10 acima da base
    EXPECT_FALSE(serve_de_caixa({1010, 789, 1290, 830}, "", chat));
    EXPECT_FALSE(serve_de_caixa({1010, 810, 1290, 840}, "search-input", chat));
    EXPECT_TRUE(serve_de_caixa({970, 810, 1330, 840}, "", chat));
    EXPECT_FALSE(serve_de_caixa({969, 810, 1290, 840}, "", chat));
    EXPECT_FALSE(serve_de_caixa({1010, 810, 1010, 840}, "", chat));  // sem largura
}

TEST(Botoes7tv, OAprendidoPrimeiroQuandoCabe) {
    EXPECT_EQ(ordem_dos_botoes(3, 0), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ordem_dos_botoes(3, 2), (std::vector<int>{2, 1, 3}));
    // Uma linha com menos botões que a posição aprendida: não vai primeiro.
    EXPECT_EQ(ordem_dos_botoes(2, 3), (std::vector<int>{1, 2}));
    EXPECT_TRUE(ordem_dos_botoes(0, 1).empty());
}

TEST(BotoesDoCartao, TabelaDasPalavras) {
    EXPECT_TRUE(botao_do_cartao_casa("sub", "gift a sub to tarsio"));
    EXPECT_TRUE(botao_do_cartao_casa("sub", "presentear uma inscrição"));
    EXPECT_FALSE(botao_do_cartao_casa("sub", "presentear turbo"));
    EXPECT_TRUE(botao_do_cartao_casa("turbo", "gift turbo"));
    EXPECT_FALSE(botao_do_cartao_casa("turbo", "turbo"));
    EXPECT_TRUE(botao_do_cartao_casa("seguir", "follow"));
    EXPECT_TRUE(botao_do_cartao_casa("seguir", "seguir"));
    EXPECT_FALSE(botao_do_cartao_casa("seguir", "unfollow"));
    EXPECT_TRUE(botao_do_cartao_casa("sussurrar", "whisper"));
    EXPECT_TRUE(botao_do_cartao_casa("sussurrar", "sussurrar para tarsio"));
    EXPECT_FALSE(botao_do_cartao_casa("banir", "ban"));
}
