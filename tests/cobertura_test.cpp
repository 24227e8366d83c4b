// O que cobre o chat: buracos dos menus, dicas, diálogos e cartões, a caixa de
// digitar e o botão dela, os seletores de emote e as barras dentro da coluna.

#include <gtest/gtest.h>

#include <algorithm>

#include "ajuda.hpp"
#include "localizador/cobertura.hpp"
#include "plataforma/simulada/cena.hpp"

namespace {

// Uma página da Twitch com o chat em [660, 150, 1000, 700] e o que se pôr em "extra".
std::string pagina(const std::string& extra, const std::string& caixa = R"(
      {"chave": "caixa_conteiner", "classe": "chat-wysiwyg-input-box", "ret": [670, 705, 990, 745], "filhos": [
        {"chave": "caixa", "papel": "textbox", "classe": "chat-wysiwyg-input__editor", "ret": [680, 710, 940, 740]},
        {"tipo": "Button", "classe": "emote-picker", "ret": [950, 712, 974, 736]},
        {"tipo": "Button", "classe": "grande", "ret": [900, 706, 960, 744]}]})") {
    return R"({"janelas": [{"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
       "titulo": "x - Twitch - Google Chrome", "ret": [0, 0, 1000, 800], "pagina": [
       {"chave": "doc", "tipo": "Document", "ret": [0, 50, 1000, 800], "filhos": [
         {"chave": "sala", "classe": "chat-room", "ret": [660, 100, 1000, 800], "filhos": [
           {"chave": "conteudo", "classe": "chat-room__content", "ret": [660, 150, 1000, 800], "filhos": [
             {"chave": "bandeja", "classe": "chat-input-tray__container", "ret": [670, 699, 990, 700]},
             {"chave": "lista", "classe": "chat-list--default", "ret": [660, 150, 1000, 700], "filhos": [
               {"chave": "mensagens", "papel": "log", "classe": "chat-scrollable-area__message-container",
                "ret": [660, 150, 1000, 700]}]},
             {"chave": "entrada", "classe": "chat-input", "ret": [660, 700, 1000, 800], "filhos": [)" +
           caixa + R"(]})" + extra + R"(]}]}]}]}]})";
}

class Cobertura : public ComAreaSimulada {
protected:
    std::vector<Retangulo> buscar() {
        ultima = buscar_coberturas(a, 2001, "x - Twitch - Google Chrome", Site::Twitch, memoria);
        return ultima.buracos;
    }
    uia::Automacao a = criar_automacao();
    MemoriaDoChat memoria;
    Coberturas ultima;
};

}  // namespace

TEST_F(Cobertura, SemNadaPorCimaSoACaixaEOBotao) {
    carregar(pagina(""));
    EXPECT_TRUE(buscar().empty());
    EXPECT_EQ(ultima.caixa, (Retangulo{670, 705, 990, 745}));
    // O quadrado de 24 px; o de 60 × 38 não é quadrado.
    EXPECT_EQ(ultima.botao, (Retangulo{950, 712, 974, 736}));
}

TEST_F(Cobertura, SemCaixaNaoHaBotao) {
    carregar(pagina("", ""));
    buscar();
    EXPECT_FALSE(ultima.caixa);
    EXPECT_FALSE(ultima.botao);
}

TEST_F(Cobertura, DicaDeUmPixelViraAUniaoDosFilhosCom8DeFolga) {
    carregar(pagina(R"(,{"papel": "tooltip", "ret": [800, 300, 801, 301], "filhos": [
        {"ret": [700, 280, 800, 300]}, {"ret": [800, 300, 900, 320]}, {"ret": [750, 290, 751, 291]}]})"));
    const auto b = buscar();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0], (Retangulo{692, 272, 908, 328}));  // 216 × 56, mesmo centro
}

TEST_F(Cobertura, DestaqueDaComunidadeForaDaTelaNaoEBuraco) {
    carregar(pagina(R"(,{"classe": "community-highlight", "fora": true, "ret": [660, 150, 1000, 250]},
                      {"classe": "ReactModal__Content", "ret": [700, 300, 900, 400]})"));
    const auto b = buscar();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0], (Retangulo{700, 300, 900, 400}));
}

TEST_F(Cobertura, CartaoDoEspectadorEBuracoACamadaDelaNao) {
    carregar(pagina(R"(,{"classe": "viewer-card-layer", "ret": [0, 50, 1000, 800], "filhos": [
        {"classe": "viewer-card-layer__draggable", "ret": [670, 400, 990, 690], "filhos": [
          {"classe": "viewer-card", "ret": [670, 400, 990, 690]}]}]},
        {"classe": "chat-room__viewer-card", "ret": [660, 150, 1000, 700]})"));
    const auto b = buscar();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0], (Retangulo{670, 400, 990, 690}));
}

TEST_F(Cobertura, SeletoresDeEmoteDoSiteEDo7tv) {
    carregar(pagina(R"(,{"id": "chat-emotes-picker-panel", "ret": [660, 300, 1000, 700], "filhos": [
          {"classe": "painel", "ret": [660, 300, 1000, 700], "filhos": [
            {"id": "search-emotes-input", "papel": "textbox", "ret": [670, 310, 990, 340]}]}]},
        {"classe": "seventv-emote-menu-wrap x", "ret": [600, 200, 1000, 650], "filhos": [
          {"classe": "seventv-emote-menu-search-input", "ret": [610, 210, 990, 240]}]},
        {"id": "search-emotes-input", "fora": true, "ret": [0, 0, 10, 10]})"));
    auto b = buscar();
    std::sort(b.begin(), b.end(),
              [](const Retangulo& x, const Retangulo& y) { return x.esquerda < y.esquerda; });
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0], (Retangulo{600, 200, 1000, 650}));
    EXPECT_EQ(b[1], (Retangulo{660, 300, 1000, 700}));
}

TEST_F(Cobertura, BandejaDeRespostaAbertaAcimaDaCaixa) {
    carregar(pagina(""));
    plataforma::simulada::aplicar_evento({0, "elemento", "ev", Json::parse(R"({"em": 0, "acao": "elemento",
        "chave": "bandeja", "classe": "chat-input-tray__container chat-input-tray__open", "ret": [670, 650, 990, 700]})")});
    const auto b = buscar();
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0], (Retangulo{670, 650, 990, 700}));
}

TEST_F(Cobertura, BarrasDentroDaColunaViramBuracosJuntados) {
    carregar(pagina(R"(,{"classe": "fixado", "ret": [660, 160, 1000, 200]},
                      {"classe": "fixado-2", "ret": [660, 205, 1000, 230]},
                      {"classe": "fininho", "ret": [660, 400, 680, 420]},
                      {"classe": "grande", "ret": [660, 150, 1000, 700], "filhos": [
                         {"classe": "faixa", "ret": [660, 600, 1000, 640]}]})"));
    auto conteiner = *a.elemento_da_janela(2001);
    auto pedido = *a.pedido({uia::Propriedade::classe});
    auto achar = [&](const char* classe) {
        return (*conteiner.achar_todos(uia::Escopo::subarvore,
                                       *a.igual(uia::Propriedade::classe, std::string(classe)), pedido))[0];
    };
    const auto b = sobreposicoes_na_coluna(a, achar("chat-list--default"),
                                           achar("chat-scrollable-area__message-container"),
                                           {660, 150, 1000, 700});
    // As duas barras de cima se juntam (5 px entre elas); a fininha (20 px) não
    // conta; a grande (o chat inteiro) é atravessada e a faixa dela conta.
    EXPECT_EQ(b, (std::vector<Retangulo>{{660, 160, 1000, 230}, {660, 600, 1000, 640}}));
}

TEST(JuntarVizinhos, AteDozePixels) {
    EXPECT_EQ(juntar_vizinhos({{0, 0, 10, 10}, {22, 0, 30, 10}}), (std::vector<Retangulo>{{0, 0, 30, 10}}));
    EXPECT_EQ(juntar_vizinhos({{0, 0, 10, 10}, {23, 0, 30, 10}}).size(), 2u);
    EXPECT_EQ(juntar_vizinhos({{0, 0, 10, 10}, {100, 100, 110, 110}, {5, 15, 105, 95}}),
              (std::vector<Retangulo>{{0, 0, 110, 110}}));
}
