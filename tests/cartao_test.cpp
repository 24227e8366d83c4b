// O cartão do espectador: a medida pelas peças ou pela camada arrastável, o
// esqueleto aceito só nos 2 primeiros segundos, e o arrasto.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "localizador/cartao.hpp"
#include "localizador/chat.hpp"
#include "plataforma/entrada.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/sistema.hpp"

using namespace std::chrono_literals;

namespace {

const Retangulo kChat{660, 150, 1000, 700};

// A sala do chat com as peças do cartão por último.
std::string sala(const std::string& pecas) {
    return R"({"janelas": [{"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
       "titulo": "x - Twitch - Google Chrome", "ret": [0, 0, 1000, 800], "pagina": [
       {"chave": "doc", "tipo": "Document", "ret": [0, 50, 1000, 800], "filhos": [
         {"chave": "sala", "classe": "chat-room", "ret": [660, 100, 1000, 800], "filhos": [
           {"classe": "chat-room__content", "ret": [660, 150, 1000, 700]},
           {"classe": "chat-input", "ret": [660, 700, 1000, 800]})" +
           pecas + R"(]}]}]}]})";
}

const char* kPecas = R"(,
    {"chave": "titulo", "papel": "heading", "nome": "Tarsio  Ao Vivo", "ret": [670, 400, 990, 430]},
    {"tipo": "Button", "nome": "Follow", "ret": [670, 440, 800, 470]},
    {"nome": "longe", "ret": [100, 300, 300, 350]},
    {"nome": "texto", "ret": [670, 480, 990, 500]})";

class Cartao : public ComAreaSimulada {
protected:
    std::optional<MedidaDoCartao> medir(const std::string& nome, bool esqueleto) {
        auto raiz = *a.elemento_da_janela(2001);
        auto s = achar_chat_room(a, raiz);
        EXPECT_TRUE(s);
        return s ? medir_cartao(a, *s, nome, kChat, esqueleto) : std::nullopt;
    }
    void evento(const std::string& json) {
        const Json j = Json::parse(json);
        plataforma::simulada::aplicar_evento({0, j["acao"], "ev", j});
    }
    void TearDown() override {
        APERTO_DO_PERFIL.guardar(std::nullopt);
        buraco_do_cartao.guardar(std::nullopt);
        ComAreaSimulada::TearDown();
    }
    uia::Automacao a = criar_automacao();
};

}  // namespace

TEST_F(Cartao, PecasComOTituloDoEspectador) {
    carregar(sala(kPecas));
    const auto m = medir("tarsio ao vivo", false);
    ASSERT_TRUE(m);
    // A peça longe do chat não conta; o título (o mais alto) dá o topo.
    EXPECT_EQ(m->ret, (Retangulo{660, 384, 1000, 516}));
    EXPECT_EQ(m->peca, "\"Tarsio  Ao Vivo\" em (670, 400, 990, 430)");
}

TEST_F(Cartao, TituloDeOutroEspectadorSoComoEsqueleto) {
    carregar(sala(kPecas));
    EXPECT_FALSE(medir("outra pessoa", false));
    const auto m = medir("outra pessoa", true);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->ret, (Retangulo{660, 384, 1000, 700}));
    EXPECT_EQ(m->peca, "\"Tarsio  Ao Vivo\" em (670, 400, 990, 430), só o esqueleto");
}

TEST_F(Cartao, UltimaPecaDentroDaCamadaArrastavel) {
    // A camada não é elemento de controle: na visão de controle o cartão é o
    // último filho da sala, e subindo pela visão crua se acha a camada.
    carregar(
        sala(R"(,{"classe": "viewer-card-layer", "controle": false, "ret": [0, 50, 1000, 800], "filhos": [
        {"classe": "viewer-card-layer__draggable", "controle": false, "ret": [665, 380, 995, 690], "filhos": [
          {"classe": "viewer-card", "ret": [665, 380, 995, 690]}]}]})"));
    const auto m = medir("qualquer um", false);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->ret, (Retangulo{665, 380, 995, 690}));
    EXPECT_EQ(m->peca, "contêiner do cartão");
}

TEST_F(Cartao, PecaPertoDaBaseDoChatEncerraACaminhada) {
    carregar(sala(std::string(kPecas) + R"(,{"nome": "do chat", "ret": [670, 691, 990, 720]})"));
    EXPECT_FALSE(medir("tarsio ao vivo", true));  // a última peça já é do chat
}

TEST_F(Cartao, MaisDe79PecasDesiste) {
    std::string muitas = kPecas;
    muitas += R"(,{"repetir": 80, "elemento": {"nome": "p{n}", "ret": [0, 0, 0, 0]}})";
    carregar(sala(muitas));
    EXPECT_FALSE(medir("tarsio ao vivo", true));
}

TEST_F(Cartao, EsqueletoSoNosDoisPrimeirosSegundos) {
    carregar(sala(R"(,{"tipo": "Group", "nome": "carregando", "ret": [670, 450, 990, 600]})"));
    APERTO_DO_PERFIL.guardar(ApertoDoPerfil{"Tarsio", plataforma::agora()});
    acompanhar_cartao(a, kChat, 2001);
    EXPECT_EQ(buraco_do_cartao.copiar(), (Retangulo{660, 434, 1000, 700}));
    plataforma::dormir(1999ms);
    acompanhar_cartao(a, kChat, 2001);
    EXPECT_TRUE(buraco_do_cartao.copiar());
    plataforma::dormir(1ms);
    acompanhar_cartao(a, kChat, 2001);
    EXPECT_FALSE(buraco_do_cartao.copiar());
    EXPECT_FALSE(APERTO_DO_PERFIL.copiar());
    int linhas = 0;
    for (const Json& j : plataforma::simulada::Rastro::global().linhas())
        if (j.contains("erro")) {
            ++linhas;
            EXPECT_EQ(j["erro"],
                      "perfil Tarsio: buraco (660, 434, 1000, 700), topo por \"carregando\" em "
                      "(670, 450, 990, 600), só o esqueleto");
        }
    EXPECT_EQ(linhas, 1);  // o buraco novo é registrado uma vez
}

TEST_F(Cartao, ArrastoMoveOBuracoComOCursorDentroDosLimites) {
    carregar(sala(R"(,{"classe": "limites", "controle": false, "ret": [600, 100, 1000, 750], "filhos": [
        {"classe": "viewer-card-layer__draggable", "controle": false, "ret": [700, 400, 900, 600], "filhos": [
          {"classe": "viewer-card", "ret": [700, 400, 900, 600]}]}]})"));
    APERTO_DO_PERFIL.guardar(ApertoDoPerfil{"Tarsio", plataforma::agora()});
    ArrastoDoCartao arrasto;
    plataforma::mover_cursor({750, 420});  // na faixa de cima (100 px)
    arrasto.passo(a, 2001);
    ASSERT_TRUE(arrasto.arrastando());
    EXPECT_EQ(buraco_do_cartao.copiar(), (Retangulo{700, 400, 900, 600}));
    plataforma::mover_cursor({700, 370});
    plataforma::dormir(16ms);
    arrasto.passo(a, 2001);
    EXPECT_EQ(buraco_do_cartao.copiar(), (Retangulo{650, 350, 850, 550}));
    plataforma::mover_cursor({2000, 2000});  // os limites seguram o cartão
    plataforma::dormir(16ms);
    arrasto.passo(a, 2001);
    EXPECT_EQ(buraco_do_cartao.copiar(), (Retangulo{800, 550, 1000, 750}));
    EXPECT_TRUE(arrasto.soltou());
    EXPECT_EQ(plataforma::simulada::Rastro::global().linhas().back().value("erro", ""),
              "cartão: arrasto de 0.032 s, 93.75 voltas por segundo");
}

TEST_F(Cartao, ApertoForaDaFaixaDeCimaNaoArrasta) {
    carregar(sala(
        R"(,{"classe": "viewer-card-layer__draggable", "controle": false, "ret": [700, 400, 900, 600], "filhos": [
          {"classe": "viewer-card", "ret": [700, 400, 900, 600]}]})"));
    ArrastoDoCartao arrasto;
    plataforma::mover_cursor({750, 500});  // 100 px abaixo do topo
    arrasto.passo(a, 2001);
    EXPECT_FALSE(arrasto.arrastando());
    EXPECT_FALSE(arrasto.soltou());
}
