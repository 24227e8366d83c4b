// O observador do ponteiro, passo a passo no relógio virtual: o fim de cliques
// e Enter, o botão apertado e o ponteiro sumido em cima da Vidrel.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "estado/espera.hpp"
#include "estado/processo.hpp"
#include "janela/ponteiro.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/sistema.hpp"

using namespace std::chrono_literals;

namespace {

class Ponteiro : public ComAreaSimulada {
protected:
    void SetUp() override {
        carregar(R"({"janelas": [
          {"hwnd": 100, "classe": "VornelChat", "executavel": "vornel.exe", "ret": [1352, 231, 1692, 877]},
          {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe", "foco": 2003,
           "titulo": "x - Twitch - Google Chrome", "ret": [100, 50, 1700, 1000], "bordas": [8, 0, 8, 8],
           "filhas": [{"hwnd": 2003, "classe": "Chrome_RenderWidgetHostHWND", "ret": [108, 131, 1692, 992]}]}],
          "cursor": {"pos": [1500, 500], "visivel": true}})");
        JANELA = 100;
        NAVEGADOR_ATUAL = 2001;
        BOTAO_APERTADO = false;
    }
    void evento(const std::string& json) {
        const Json j = Json::parse(json);
        plataforma::simulada::aplicar_evento({0, j["acao"], "ev", j});
    }
    void tecla(const char* qual, bool apertada) {
        evento(std::string(R"({"acao": "tecla", "tecla": ")") + qual + R"(", "apertada": )" +
               (apertada ? "true" : "false") + "}");
    }
    void cursor(int x, int y, bool visivel) {
        evento(R"({"acao": "cursor", "pos": [)" + std::to_string(x) + "," + std::to_string(y) +
               R"(], "visivel": )" + (visivel ? "true" : "false") + "}");
    }
    void passo() {
        passo_do_ponteiro(e);
        plataforma::dormir(15ms);
    }
    std::vector<Json> avisos_ao_navegador() { return rastro("PostMessageW"); }
    int linhas_de_log() {
        int n = 0;
        for (const Json& j : plataforma::simulada::Rastro::global().linhas()) n += j.contains("erro");
        return n;
    }
    EstadoDoPonteiro e;
};

}  // namespace

TEST_F(Ponteiro, CliqueAvisaUmaVezQuandoOBotaoSobe) {
    const auto antes = hora_do_ponteiro();
    tecla("botao_esquerdo", true);
    passo();
    passo();
    EXPECT_TRUE(BOTAO_APERTADO.load());
    EXPECT_EQ(hora_do_ponteiro(), antes);
    tecla("botao_esquerdo", false);
    const auto soltou = plataforma::agora();
    passo();
    EXPECT_FALSE(BOTAO_APERTADO.load());
    EXPECT_EQ(hora_do_ponteiro(), soltou);
    passo();
    passo();
    EXPECT_EQ(hora_do_ponteiro(), soltou);
}

TEST_F(Ponteiro, EnterSeguradoAvisaSoDepoisDeSoltar) {
    tecla("enter", true);
    passo();
    const auto antes = hora_do_ponteiro();
    for (int i = 0; i < 5; ++i) passo();
    EXPECT_EQ(hora_do_ponteiro(), antes);
    tecla("enter", false);
    const auto soltou = plataforma::agora();
    passo();
    EXPECT_EQ(hora_do_ponteiro(), soltou);
    passo();
    EXPECT_EQ(hora_do_ponteiro(), soltou);
}

TEST_F(Ponteiro, PonteiroSumidoQueAndaEmCimaDaVidrelAvisaUmaVez) {
    cursor(1500, 500, false);
    passo();  // começa o episódio
    cursor(1501, 500, false);
    passo();
    cursor(1502, 501, false);  // 3 pixels, mas antes de 60 ms
    passo();
    EXPECT_TRUE(avisos_ao_navegador().empty());
    passo();
    passo();  // 60 ms desde o começo
    const auto avisos = avisos_ao_navegador();
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0]["janela"], 2003);  // a janela com o foco na thread do navegador
    EXPECT_EQ(avisos[0]["msg"], 0x200);
    EXPECT_EQ(avisos[0]["wparam"], 0);
    EXPECT_EQ(avisos[0]["lparam"], (501 - 131) << 16 | (1502 - 108));
    EXPECT_EQ(linhas_de_log(), 1);
    cursor(1510, 520, false);
    passo();
    passo();
    EXPECT_EQ(avisos_ao_navegador().size(), 1u);
    // O ponteiro aparece: o episódio acaba, e o próximo pode avisar de novo.
    cursor(1510, 520, true);
    passo();
    cursor(1510, 520, false);
    passo();
    cursor(1520, 520, false);
    for (int i = 0; i < 5; ++i) passo();
    EXPECT_EQ(avisos_ao_navegador().size(), 2u);
    EXPECT_EQ(linhas_de_log(), 2);
}

TEST_F(Ponteiro, UmPixelNaoAvisaNuncaEForaDaVidrelNada) {
    cursor(1500, 500, false);
    passo();
    cursor(1501, 500, false);
    for (int i = 0; i < 10; ++i) passo();
    EXPECT_TRUE(avisos_ao_navegador().empty());
    cursor(500, 500, false);  // em cima do navegador, não da Vidrel
    passo();
    cursor(520, 520, false);
    for (int i = 0; i < 10; ++i) passo();
    EXPECT_TRUE(avisos_ao_navegador().empty());
}
