// Títulos, endereços e minúsculas: o site, o canal e o rótulo da aba.

#include <gtest/gtest.h>

#include "comum/minusculas.hpp"
#include "estado/titulos.hpp"
#include "localizador/retangulos.hpp"

TEST(Minusculas, SegueOUnicodeNaoSoOAscii) {
    EXPECT_EQ(minusculas("COMUNITÀ"), "comunità");
    EXPECT_EQ(minusculas("AÇÃO ÉÊ ÖÜ ÑŸ"), "ação éê öü ñÿ");
    EXPECT_EQ(minusculas("ŁÓDŹ ČESKÁ İSTANBUL"), "łódź česká istanbul");
    EXPECT_EQ(minusculas("ΣΟΦΊΑ ДРУЖБА ՀԱՅ"), "σοφία дружба հայ");
    EXPECT_EQ(minusculas("ＴＷＩＴＣＨ"), "ｔｗｉｔｃｈ");
    EXPECT_EQ(minusculas("já minúsculo 🎉 123"), "já minúsculo 🎉 123");
    EXPECT_EQ(minusculas("ß×÷"), "ß×÷");
}

TEST(TituloSemContador, TiraSoContadorDeDigitosEMais) {
    EXPECT_EQ(titulo_sem_contador("(12) tarsio - Twitch"), "tarsio - Twitch");
    EXPECT_EQ(titulo_sem_contador("(99+)   tarsio - Twitch"), "tarsio - Twitch");
    EXPECT_EQ(titulo_sem_contador("()x"), "x");  // nada dentro ainda é só dígitos e "+"
    EXPECT_EQ(titulo_sem_contador("(ao vivo) tarsio"), "(ao vivo) tarsio");
    EXPECT_EQ(titulo_sem_contador("(12 tarsio"), "(12 tarsio");
    EXPECT_EQ(titulo_sem_contador("tarsio (12)"), "tarsio (12)");
}

TEST(MesmoTitulo, IgnoraContadorECaixaAscii) {
    EXPECT_TRUE(mesmo_titulo("(3) Tarsio - Twitch - Google Chrome", "tarsio - twitch - google chrome"));
    EXPECT_FALSE(mesmo_titulo("(live) Tarsio", "Tarsio"));
    EXPECT_FALSE(mesmo_titulo("tarsio - Twitch", "outro - Twitch"));
    // A caixa só é ignorada em ASCII.
    EXPECT_FALSE(mesmo_titulo("ÁRVORE - Twitch", "árvore - Twitch"));
}

TEST(SiteDoTitulo, TwitchEmQualquerLugarKickSoComoPalavra) {
    EXPECT_EQ(site_do_titulo("tarsio - Twitch - Google Chrome"), Site::Twitch);
    EXPECT_EQ(site_do_titulo("TWITCHCON 2026"), Site::Twitch);
    EXPECT_EQ(site_do_titulo("tarsio Stream - Watch Live on Kick - Microsoft\u200b Edge"), Site::Kick);
    EXPECT_EQ(site_do_titulo("KICK"), Site::Kick);
    EXPECT_EQ(site_do_titulo("kick-off do campeonato"), Site::Kick);
    EXPECT_EQ(site_do_titulo("kick🎉"), Site::Kick);
    EXPECT_EQ(site_do_titulo("Kickstarter - Google Chrome"), std::nullopt);
    EXPECT_EQ(site_do_titulo("sidekick"), std::nullopt);
    EXPECT_EQ(site_do_titulo("kickñ"), std::nullopt);  // ñ é letra: a palavra é outra
    EXPECT_EQ(site_do_titulo("Google - Google Chrome"), std::nullopt);
}

TEST(CanalDoTitulo, AntesDoTwitchComContadorEMinusculo) {
    EXPECT_EQ(canal_do_titulo("Tarsio_Ao_Vivo - Twitch"), "tarsio_ao_vivo");
    EXPECT_EQ(canal_do_titulo("(4) Tarsio_Ao_Vivo - Twitch - Google Chrome"), "tarsio_ao_vivo");
    EXPECT_EQ(canal_do_titulo("ab - Twitch"), std::nullopt);
    EXPECT_EQ(canal_do_titulo("abcdefghijklmnopqrstuvwxyz - Twitch"), std::nullopt);  // 26
    EXPECT_EQ(canal_do_titulo("abcdefghijklmnopqrstuvwxy - Twitch"), "abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(canal_do_titulo("dois nomes - Twitch"), std::nullopt);
    EXPECT_EQ(canal_do_titulo("João - Twitch"), std::nullopt);
}

TEST(CanalDaUrl, HostDoSiteSecoesEPopout) {
    EXPECT_EQ(canal_da_url("twitch.tv/Tarsio", Site::Twitch), "tarsio");
    EXPECT_EQ(canal_da_url("https://www.twitch.tv/tarsio?ref=x", Site::Twitch), "tarsio");
    EXPECT_EQ(canal_da_url("https://m.twitch.tv/tarsio#chat", Site::Twitch), "tarsio");
    EXPECT_EQ(canal_da_url("twitch.tv/popout/tarsio/chat", Site::Twitch), "tarsio");
    EXPECT_EQ(canal_da_url("twitch.tv/popout", Site::Twitch), std::nullopt);
    for (const char* secao : {"directory", "videos", "settings", "Following", "drops"})
        EXPECT_EQ(canal_da_url(std::string("twitch.tv/") + secao, Site::Twitch), std::nullopt) << secao;
    EXPECT_EQ(canal_da_url("twitch.tv/popout/directory", Site::Twitch), std::nullopt);
    EXPECT_EQ(canal_da_url("kick.com/tarsio-br", Site::Kick), "tarsio-br");
    EXPECT_EQ(canal_da_url("kick.com/tarsio", Site::Twitch), std::nullopt);
    EXPECT_EQ(canal_da_url("notkick.com/tarsio", Site::Kick), std::nullopt);
    EXPECT_EQ(canal_da_url("evil.com/twitch.tv/tarsio", Site::Twitch), std::nullopt);
    EXPECT_EQ(canal_da_url("twitch.tv", Site::Twitch), std::nullopt);
    EXPECT_EQ(canal_da_url("twitch.tv?x=1", Site::Twitch), std::nullopt);
    EXPECT_EQ(canal_da_url("twitch.tv/tar.sio", Site::Twitch), std::nullopt);
    EXPECT_EQ(canal_da_url("", Site::Twitch), std::nullopt);
}

TEST(PalavraDeComunidade, NasLinguasDaTwitch) {
    for (const char* p : {"Community", " comunidade ", "Comunidad", "Communauté", "COMUNITÀ", "comunità"})
        EXPECT_TRUE(e_palavra_de_comunidade(p)) << p;
    EXPECT_FALSE(e_palavra_de_comunidade("comunidades"));
    EXPECT_FALSE(e_palavra_de_comunidade("chat"));
}

TEST(RotuloDaAba, ComecoDoTituloOuOutraAba) {
    EXPECT_EQ(rotulo_da_aba("(2) tarsio - Twitch - Google Chrome"), "tarsio - Twitch - Google Chrome");
    EXPECT_EQ(rotulo_da_aba("tarsio Stream - Kick"), "tarsio Stream - Kick");
    EXPECT_EQ(rotulo_da_aba("Google - Google Chrome"), "outra aba");
    const std::string longo = "ááááááááááááááááááááááááááááááááááááááááááááááááááááááá - Twitch - Google";
    const std::string r = rotulo_da_aba(longo);
    EXPECT_EQ(r, longo.substr(0, 55 * 2) + " - Tw");  // 60 caracteres, não bytes
}

TEST(Retangulos, ContemComFolgaDe4) {
    const Retangulo fora{100, 100, 400, 400};
    EXPECT_TRUE(contem_com_folga(fora, {96, 96, 404, 404}));
    EXPECT_FALSE(contem_com_folga(fora, {95, 100, 300, 300}));
    EXPECT_FALSE(contem_com_folga(fora, {100, 100, 405, 300}));
    EXPECT_FALSE(contem_com_folga(fora, {200, 200, 200, 300}));  // vazio
}

TEST(Retangulos, MesmaColuna) {
    EXPECT_TRUE(mesma_coluna({100, 0, 300, 80}, {102, 0, 298, 100}));
    EXPECT_FALSE(mesma_coluna({100, 0, 300, 79}, {100, 0, 300, 100}));  // 79 %
    EXPECT_FALSE(mesma_coluna({97, 0, 300, 100}, {100, 0, 300, 100}));
}
