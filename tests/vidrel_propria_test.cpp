// A janela própria do protótipo: criação, cartão de demonstração pintado e o
// WM_ESTADO que a coloca sobre o chat ou a esconde.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "estado/processo.hpp"
#include "janela/posicionamento.hpp"
#include "janela/vidrel_propria.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/texto_simulado.hpp"

namespace pl = plataforma;
using plataforma::simulada::AreaDeTrabalho;
using plataforma::simulada::PinturaRegistrada;

namespace {

const char* kCena = R"({
  "janelas": [
    {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
     "titulo": "x - Twitch - Google Chrome", "ret": [100, 50, 1700, 1000], "bordas": [8, 0, 8, 8]}
  ]})";

class VidrelPropria : public ComAreaSimulada {
protected:
    void SetUp() override {
        carregar(kCena);
        janela = criar_vidrel();
        JANELA = janela;
    }

    void bombear() {
        pl::Mensagem m;
        while (pl::espiar_mensagem(m)) pl::traduzir_e_despachar(m);
    }

    PinturaRegistrada pintura() {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        const auto* j = a.achar(janela);
        return j && j->ultima_pintura ? *j->ultima_pintura : PinturaRegistrada{};
    }

    bool visivel() { return pl::janela_visivel(janela); }

    static Alvo alvo(Site site, Retangulo chat) {
        Alvo a;
        a.site = site;
        a.janela = 2001;
        a.chat = chat;
        return a;
    }

    Hwnd janela = 0;
};

}  // namespace

TEST_F(VidrelPropria, CriadaEscondidaComEstilosDeVidro) {
    const auto criada = rastro("CreateWindowExW");
    ASSERT_EQ(criada.size(), 1u);
    EXPECT_EQ(criada[0]["classe"], "VornelQuimbra");
    EXPECT_EQ(criada[0]["titulo"], "Chat do Vornel");
    EXPECT_EQ(criada[0]["estilo"], 0x80000000u);
    EXPECT_EQ(criada[0]["estilo_ex"], 0x080800A0u);
    EXPECT_EQ(criada[0]["ret"], Json::parse("[0,0,10,10]"));
    EXPECT_EQ(criada[0]["pai"], 0);
    const auto alfa = rastro("SetLayeredWindowAttributes");
    ASSERT_EQ(alfa.size(), 1u);
    EXPECT_EQ(alfa[0]["alfa"], 225);
    EXPECT_FALSE(visivel());
}

TEST_F(VidrelPropria, CartaoAntesDeQualquerEstado) {
    pl::traduzir_e_despachar({janela, pl::wm::pintar, 0, 0});
    const PinturaRegistrada p = pintura();
    ASSERT_EQ(p.preenchimentos.size(), 2u);
    EXPECT_EQ(p.preenchimentos[0].first, (Retangulo{0, 0, 10, 10}));
    EXPECT_EQ(p.preenchimentos[0].second, (pl::Cor{255, 60, 172}));
    EXPECT_EQ(p.preenchimentos[1].first, (Retangulo{3, 3, 7, 7}));
    EXPECT_EQ(p.preenchimentos[1].second, (pl::Cor{18, 14, 26}));
    ASSERT_TRUE(p.fonte.has_value());
    EXPECT_EQ(p.fonte->nome, "Segoe UI");
    EXPECT_EQ(p.fonte->altura, 20);
    EXPECT_EQ(p.fonte->peso, 600);
    EXPECT_TRUE(p.fundo_transparente);
    ASSERT_EQ(p.textos.size(), 5u);
    // Site vazio: dois brancos entre os pontos.
    EXPECT_EQ(p.textos[0].texto, "Chat do Vornel ·  · 10x10");
}

TEST_F(VidrelPropria, FundoNuncaEApagadoPeloSistema) {
    EXPECT_EQ(procedimento_da_vidrel(janela, pl::wm::apagar_fundo, 0, 0), 1);
}

TEST_F(VidrelPropria, EstadoColocaSobreOChatEPintaOCartao) {
    publicar_estado(alvo(Site::Twitch, {1352, 231, 1692, 877}));
    bombear();
    const auto pos = rastro("SetWindowPos");
    ASSERT_EQ(pos.size(), 1u);
    EXPECT_EQ(pos[0]["opcoes"].get<int>() & ~pl::swp::sem_ordem, 0x50);  // mostrar, sem ativar
    EXPECT_EQ(pos[0]["ret"], Json::parse("[1352,231,1692,877]"));
    EXPECT_TRUE(visivel());
    EXPECT_EQ(pl::vizinha(2001, pl::Vizinha::anterior), janela);
    EXPECT_EQ(rastro("InvalidateRect").size(), 1u);

    const PinturaRegistrada p = pintura();
    ASSERT_EQ(p.textos.size(), 5u);
    EXPECT_EQ(p.textos[0].texto, "Chat do Vornel · Twitch · 340x646");
    const char* textos[] = {"yVornel_: isto está POR CIMA do chat do site",
                            "Tarsio: e acompanha quando a janela muda",
                            "visitante: clique passa direto para o chat de baixo",
                            "A caixa de digitar do site continua à vista."};
    const pl::Cor cores[] = {
        {255, 60, 172}, {120, 220, 255}, {255, 200, 90}, {170, 255, 150}, {200, 200, 210}};
    for (int i = 0; i < 5; ++i) {
        if (i > 0) {
            EXPECT_EQ(p.textos[i].texto, textos[i - 1]);
        }
        EXPECT_EQ(p.textos[i].cor, cores[i]) << i;
        EXPECT_EQ(p.textos[i].formato, 0x810u);
        EXPECT_EQ(p.textos[i].caixa.esquerda, 15);
        EXPECT_EQ(p.textos[i].caixa.direita, 340 - 15);
        EXPECT_EQ(p.textos[i].caixa.base, 646 - 3);
        const int topo = i == 0 ? 13 : p.textos[i - 1].caixa.topo + p.textos[i - 1].altura + 10;
        EXPECT_EQ(p.textos[i].caixa.topo, topo) << i;
    }
}

TEST_F(VidrelPropria, LinhasLongasQuebramDentroDasMargens) {
    publicar_estado(alvo(Site::Kick, {1400, 231, 1600, 877}));  // 200 px de largura
    bombear();
    const PinturaRegistrada p = pintura();
    ASSERT_EQ(p.textos.size(), 5u);
    EXPECT_EQ(p.textos[0].texto, "Chat do Vornel · Kick · 200x646");
    bool alguma_quebrou = false;
    for (const auto& t : p.textos) {
        EXPECT_EQ(t.caixa.esquerda, 15);
        EXPECT_EQ(t.caixa.direita, 185);
        for (const std::string& l : t.linhas) {
            // Só uma palavra sozinha maior que a caixa passaria, e nenhuma é.
            EXPECT_LE(pl::simulada::largura_do_texto(l, *p.fonte), 170) << l;
        }
        alguma_quebrou = alguma_quebrou || t.linhas.size() > 1;
        EXPECT_EQ(t.altura, static_cast<int>(t.linhas.size()) * 20);
    }
    EXPECT_TRUE(alguma_quebrou);
}

TEST_F(VidrelPropria, EstadoVazioEscondeEOProximoMostraDeNovo) {
    publicar_estado(alvo(Site::Twitch, {1352, 231, 1692, 877}));
    bombear();
    ASSERT_TRUE(visivel());
    publicar_estado(std::nullopt);
    bombear();
    EXPECT_FALSE(visivel());
    const auto mostrar = rastro("ShowWindow");
    ASSERT_EQ(mostrar.size(), 1u);
    EXPECT_EQ(mostrar[0]["comando"], 0);
    publicar_estado(alvo(Site::Twitch, {1352, 300, 1692, 877}));
    bombear();
    EXPECT_TRUE(visivel());
    const auto pos = rastro("SetWindowPos");
    ASSERT_EQ(pos.size(), 2u);
    EXPECT_TRUE(pos[1]["opcoes"].get<int>() & pl::swp::mostrar);
}

TEST_F(VidrelPropria, CliquesAtravessamParaOChatDeBaixo) {
    publicar_estado(alvo(Site::Twitch, {1352, 231, 1692, 877}));
    bombear();
    ASSERT_TRUE(visivel());
    EXPECT_EQ(pl::janela_no_ponto({1500, 500}), 2001);
}

TEST_F(VidrelPropria, NoProtototipoNadaVaiParaASaida) {
    publicar_estado(alvo(Site::Twitch, {1352, 231, 1692, 877}));
    publicar_estado(std::nullopt);
    for (const Json& j : plataforma::simulada::Rastro::global().linhas())
        EXPECT_FALSE(j.contains("saida")) << j.dump();
}
