// As linhas JSON da saída padrão: escape dos textos, linha de estado a partir
// do alvo, batimento e tela cheia, e a publicação que só escreve o que mudou.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "estado/alvo.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "janela/posicionamento.hpp"
#include "plataforma/janelas.hpp"

TEST(EscaparJson, AspasBarraEControles) {
    EXPECT_EQ(escapar_json("a\"b"), "a\\\"b");
    EXPECT_EQ(escapar_json("a\\b"), "a\\\\b");
    EXPECT_EQ(escapar_json("a\tb"), "a b");
    EXPECT_EQ(escapar_json("l1\r\nl2"), "l1  l2");
    EXPECT_EQ(escapar_json(std::string("x\0y", 3)), "x y");
    EXPECT_EQ(escapar_json("\x1f|\x7f"), " |\x7f");
    EXPECT_EQ(texto_json("diz \"oi\"\\\t"), "\"diz \\\"oi\\\"\\\\ \"");
}

TEST(EscaparJson, NaoAsciiPassaInteiroSemEscapeU) {
    const std::string texto = "Comunità · Tarsio 🎉 ação";
    EXPECT_EQ(escapar_json(texto), texto);
    EXPECT_EQ(escapar_json(texto).find("\\u"), std::string::npos);
}

TEST(EscaparJson, BytesInvalidosViramSubstitutoEALinhaContinuaJson) {
    const std::string r = escapar_json(
        "a\xff"
        "b\xc3");
    EXPECT_EQ(r,
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_TRUE(Json::accept("\"" + r + "\""));
}

namespace {

Alvo alvo_exemplo() {
    Alvo a;
    a.site = Site::Twitch;
    a.canal = "tarsio_ao_vivo";
    a.janela = 2001;
    a.chat = {1352, 231, 1692, 877};
    a.folga = 6;
    a.buracos = {{10, 20, 110, 60}};
    a.pagina = Retangulo{108, 131, 1692, 992};
    a.botao = Retangulo{1604, 886, 1636, 918};
    a.origem_cliente = Ponto{108, 50};
    a.frente = true;
    a.avista = true;
    return a;
}

}  // namespace

TEST(LinhaDeEstado, SemAlvo) { EXPECT_EQ(linha_de_estado(std::nullopt), "{\"site\":null}"); }

TEST(LinhaDeEstado, ChavesNaOrdemComPaginaRelativaEBotaoEmTela) {
    EXPECT_EQ(linha_de_estado(alvo_exemplo()),
              "{\"site\":\"twitch\",\"canal\":\"tarsio_ao_vivo\",\"largura\":340,\"altura\":646,"
              "\"folga\":6,\"com7tv\":false,\"pausado\":false,\"buracos\":[[10,20,110,60]],"
              "\"pagina\":[-1244,-100,340,761],\"botao\":[1604,886,1636,918],\"janela\":2001,"
              "\"frente\":true,\"avista\":true}");
}

TEST(LinhaDeEstado, NulosEListaVazia) {
    Alvo a = alvo_exemplo();
    a.site = Site::Kick;
    a.canal.reset();
    a.pagina.reset();
    a.botao.reset();
    a.buracos.clear();
    a.com7tv = true;
    a.pausado = true;
    a.janela = -3;
    const std::string l = linha_de_estado(a);
    EXPECT_EQ(l,
              "{\"site\":\"kick\",\"canal\":null,\"largura\":340,\"altura\":646,\"folga\":6,"
              "\"com7tv\":true,\"pausado\":true,\"buracos\":[],\"pagina\":null,\"botao\":null,"
              "\"janela\":-3,\"frente\":true,\"avista\":true}");
    EXPECT_TRUE(Json::accept(l));
}

TEST(LinhaDeEstado, BuracoExtraDepoisDosBuracos) {
    Alvo a = alvo_exemplo();
    a.buracos = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    a.buraco_extra = Retangulo{0, 400, 340, 646};
    EXPECT_NE(linha_de_estado(a).find("\"buracos\":[[1,2,3,4],[5,6,7,8],[0,400,340,646]]"),
              std::string::npos);
    a.buracos.clear();
    EXPECT_NE(linha_de_estado(a).find("\"buracos\":[[0,400,340,646]]"), std::string::npos);
    // A mesma cobertura por dois caminhos, e o cartão igual a uma delas: uma vez só.
    a.buracos = {{10, 549, 330, 649}, {1, 2, 3, 4}, {10, 549, 330, 649}};
    a.buraco_extra = Retangulo{1, 2, 3, 4};
    EXPECT_NE(linha_de_estado(a).find("\"buracos\":[[10,549,330,649],[1,2,3,4]]"), std::string::npos);
}

TEST(LinhaDeEstado, BatimentoETelaCheia) {
    EXPECT_EQ(std::string(LINHA_DO_BATIMENTO) + "\n", "{\"vivo\":1}\n");
    EXPECT_EQ(std::string(LINHA_DO_BATIMENTO).size() + 1, 11u);
    EXPECT_EQ(linha_de_tela_cheia(true), "{\"telaCheia\":true}");
    EXPECT_EQ(linha_de_tela_cheia(false), "{\"telaCheia\":false}");
}

// A publicação no modo hospedado, sobre a área simulada.
class Publicacao : public ComAreaSimulada {
protected:
    void SetUp() override {
        carregar(R"({
          "janelas": [
            {"hwnd": 100, "classe": "VornelChat", "executavel": "vornel.exe", "ret": [0, 0, 10, 10]},
            {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
             "titulo": "x - Twitch - Google Chrome", "ret": [100, 50, 1700, 1000], "bordas": [8, 0, 8, 8]}
          ]})");
        JANELA = 100;
        JANELA_EXTERNA = true;
    }
    std::vector<std::string> saidas() const {
        std::vector<std::string> r;
        for (const Json& j : plataforma::simulada::Rastro::global().linhas())
            if (j.contains("saida")) r.push_back(j["saida"]);
        return r;
    }
};

TEST_F(Publicacao, MesmoEstadoDuasVezesEscreveUmaLinha) {
    publicar_estado(alvo_exemplo());
    publicar_estado(alvo_exemplo());
    ASSERT_EQ(saidas().size(), 1u);
    EXPECT_EQ(saidas()[0], linha_de_estado(alvo_exemplo()));
    EXPECT_EQ(NAVEGADOR_ATUAL.load(), 2001);
}

TEST_F(Publicacao, NenhumDepoisDeUmEstadoEscreveSiteNullUmaVez) {
    publicar_estado(alvo_exemplo());
    publicar_estado(std::nullopt);
    publicar_estado(std::nullopt);
    ASSERT_EQ(saidas().size(), 2u);
    EXPECT_EQ(saidas()[1], "{\"site\":null}");
}

TEST_F(Publicacao, CampoForaDaLinhaGuardaOAlvoSemSegundaLinha) {
    publicar_estado(alvo_exemplo());
    Alvo outro = alvo_exemplo();
    outro.origem_cliente = Ponto{0, 0};
    publicar_estado(outro);
    EXPECT_EQ(saidas().size(), 1u);
    EXPECT_EQ(ALVO_PUBLICADO.copiar(), outro);
}

TEST_F(Publicacao, MoveAJanelaDoAppParaOChat) {
    publicar_estado(alvo_exemplo());
    const auto pos = rastro("SetWindowPos");
    ASSERT_EQ(pos.size(), 1u);
    EXPECT_EQ(pos[0]["janela"], 100);
    // Assíncrono, sem ativar; já logo acima do navegador, sem mexer na ordem.
    EXPECT_EQ(pos[0]["opcoes"], 0x4014);
    EXPECT_EQ(pos[0]["depois_de"], 0);
    EXPECT_EQ(pos[0]["ret"], Json::parse("[1352,231,1692,877]"));
    // O mesmo alvo de novo com a janela já no lugar: nada de tráfego.
    publicar_estado(alvo_exemplo());
    EXPECT_EQ(rastro("SetWindowPos").size(), 1u);
}

TEST_F(Publicacao, ColocaLogoAcimaDoNavegadorQuandoEstaAbaixo) {
    carregar(R"({
      "janelas": [
        {"hwnd": 3000, "classe": "Notepad", "executavel": "notepad.exe", "ret": [0, 0, 500, 500]},
        {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
         "titulo": "x - Twitch - Google Chrome", "ret": [100, 50, 1700, 1000]},
        {"hwnd": 100, "classe": "VornelChat", "executavel": "vornel.exe", "ret": [0, 0, 10, 10]}
      ]})");
    JANELA = 100;
    JANELA_EXTERNA = true;
    publicar_estado(alvo_exemplo());
    const auto pos = rastro("SetWindowPos");
    ASSERT_EQ(pos.size(), 1u);
    EXPECT_EQ(pos[0]["opcoes"], 0x4010);
    EXPECT_EQ(pos[0]["depois_de"], 3000);
    // O navegador passa a ser o dono da janela flutuante.
    const auto dono = rastro("SetWindowLongPtrW");
    ASSERT_EQ(dono.size(), 1u);
    EXPECT_EQ(dono[0]["indice"], "GWLP_HWNDPARENT");
    EXPECT_EQ(dono[0]["valor"], 2001);
    EXPECT_EQ(plataforma::vizinha(2001, plataforma::Vizinha::anterior), 100);
}
