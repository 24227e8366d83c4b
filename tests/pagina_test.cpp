// A leitura da página: as condições de cada modo numa busca só, o documento,
// a Vidrel deixada de fora e a regra do Opera.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "estado/consultas.hpp"
#include "estado/processo.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"

using plataforma::simulada::AreaDeTrabalho;

namespace {

std::string cena(const std::string& pagina, const std::string& extra_janelas = "",
                 const std::string& exe = "chrome.exe") {
    return R"({"janelas": [)" + extra_janelas + R"(
      {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": ")" +
           exe + R"(",
       "titulo": "x - Twitch - Google Chrome", "ret": [0, 0, 1000, 800], "pagina": [)" +
           pagina + "]}]}";
}

const char* kTwitch = R"(
  {"tipo": "Pane", "classe": "BrowserView", "filhos": [
    {"tipo": "Edit", "classe": "OmniboxViewViews", "valor": "twitch.tv/x", "ret": [100, 10, 600, 40]}]},
  {"chave": "doc", "tipo": "Document", "nome": "x - Twitch", "ret": [0, 50, 1000, 800], "filhos": [
    {"classe": "top-nav", "ret": [0, 50, 1000, 100]},
    {"classe": "chat-room stream-chat", "ret": [660, 100, 1000, 800], "filhos": [
      {"classe": "chat-list--default", "ret": [660, 150, 1000, 700], "filhos": [
        {"papel": "log", "classe": "chat-scrollable-area__message-container", "ret": [660, 150, 1000, 700], "filhos": [
          {"chave": "m1", "classe": "chat-line__message", "nome": "a: oi", "ret": [670, 600, 990, 630]},
          {"chave": "m2", "classe": "chat-line__message", "nome": "b: tudo", "ret": [670, 630, 990, 660],
           "valor": 3}]}]}]}]}
)";

class LerPagina : public ComAreaSimulada {
protected:
    std::vector<std::string> classes(const LeituraDaPagina& l) {
        std::vector<std::string> r;
        for (const auto& e : l.elementos) r.push_back(e.candidato.classe);
        return r;
    }
};

}  // namespace

TEST_F(LerPagina, ModoTwitchTrazEnderecoDocumentoEChatEmOrdem) {
    carregar(cena(kTwitch));
    auto a = criar_automacao();
    auto l = ler_pagina(a, 2001, ModoLeitura::Twitch);
    ASSERT_TRUE(l.ok()) << l.erro().texto();
    EXPECT_EQ(classes(*l),
              (std::vector<std::string>{"OmniboxViewViews", "", "chat-room stream-chat", "chat-list--default",
                                        "chat-scrollable-area__message-container", "chat-line__message",
                                        "chat-line__message"}));
    EXPECT_EQ(l->elementos[0].candidato.valor, "twitch.tv/x");
    EXPECT_EQ(l->elementos[6].candidato.valor, "");  // valor numérico
    ASSERT_TRUE(l->documento);
    EXPECT_EQ(*l->documento->nome_atual(), "x - Twitch");
    // A árvore inteira traz tudo, inclusive a barra de navegação.
    auto tudo = ler_pagina(a, 2001, ModoLeitura::ArvoreInteira);
    EXPECT_GT(tudo->elementos.size(), l->elementos.size());
}

TEST_F(LerPagina, UmaBuscaPorFilhoDaRaiz) {
    carregar(cena(kTwitch));
    auto a = criar_automacao();
    {
        AreaDeTrabalho& area = AreaDeTrabalho::global();
        std::lock_guard g(area.m);
        area.chamadas_uia.clear();
    }
    ASSERT_TRUE(ler_pagina(a, 2001, ModoLeitura::Twitch).ok());
    AreaDeTrabalho& area = AreaDeTrabalho::global();
    std::lock_guard g(area.m);
    // Os filhos da raiz (1) e uma busca em cada um dos dois.
    EXPECT_EQ(area.chamadas_uia["FindAllBuildCache"], 3);
    EXPECT_EQ(area.chamadas_uia["get_CurrentBoundingRectangle"], 0);
}

TEST_F(LerPagina, DocumentosDeAreaIgualFicaOPrimeiro) {
    carregar(cena(R"({"chave": "d1", "tipo": "Document", "nome": "primeiro", "ret": [0, 0, 100, 100]},
                     {"chave": "d2", "tipo": "Document", "nome": "segundo", "ret": [50, 50, 150, 150]},
                     {"chave": "d3", "tipo": "Document", "nome": "menor", "ret": [0, 0, 10, 10]})"));
    auto l = ler_pagina(criar_automacao(), 2001, ModoLeitura::Kick);
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(*l->documento->nome_atual(), "primeiro");
}

TEST_F(LerPagina, NomeQueFalhaFicaVazioMasOElementoContinua) {
    carregar(cena(kTwitch));
    {
        AreaDeTrabalho& area = AreaDeTrabalho::global();
        std::lock_guard g(area.m);
        area.falhas.push_back({"get_CachedName", 0, "m1", static_cast<std::int32_t>(0x80004005u), 0, -1});
    }
    auto l = ler_pagina(criar_automacao(), 2001, ModoLeitura::Twitch);
    ASSERT_TRUE(l.ok());
    ASSERT_EQ(l->elementos.size(), 7u);
    EXPECT_EQ(l->elementos[5].candidato.nome, "");
    EXPECT_EQ(l->elementos[5].candidato.classe, "chat-line__message");
    EXPECT_EQ(l->elementos[6].candidato.nome, "b: tudo");
}

TEST_F(LerPagina, BuscaQueFalhaDaOErroComOHresult) {
    carregar(cena(kTwitch));
    {
        AreaDeTrabalho& area = AreaDeTrabalho::global();
        std::lock_guard g(area.m);
        area.falhas.push_back({"FindAllBuildCache", 2001, "", static_cast<std::int32_t>(0x80040201u), 1, 1});
    }
    auto l = ler_pagina(criar_automacao(), 2001, ModoLeitura::Twitch);
    ASSERT_FALSE(l.ok());
    EXPECT_EQ(l.erro().hresult, static_cast<std::int32_t>(0x80040201u));
}

TEST_F(LerPagina, AVidrelListadaComoFilhaNaoContribui) {
    const std::string vidrel = R"({"hwnd": 100, "classe": "VornelChat", "executavel": "vornel.exe",
        "ret": [660, 150, 1000, 700], "dono": 2001,
        "pagina": [{"classe": "chat-line__message", "nome": "da vidrel", "ret": [660, 150, 1000, 180]}]},)";
    carregar(cena(kTwitch, vidrel));
    auto a = criar_automacao();
    // Sem saber qual é a Vidrel, o que está nela entra na leitura...
    EXPECT_EQ(ler_pagina(a, 2001, ModoLeitura::Twitch)->elementos.size(), 8u);
    // ... e sabendo, nunca.
    JANELA = 100;
    auto l = ler_pagina(a, 2001, ModoLeitura::Twitch);
    ASSERT_EQ(l->elementos.size(), 7u);
    for (const auto& e : l->elementos) EXPECT_NE(e.candidato.nome, "da vidrel");
}

TEST_F(LerPagina, ExecutavelEmMinusculasEProcessoFechado) {
    carregar(R"({"processos": [{"processo": 7000, "caminho": "C:\\Apps\\Opera\\OPERA.EXE"},
                                {"processo": 7004, "caminho": "C:\\x\\chrome.exe", "acessivel": false}],
      "janelas": [{"hwnd": 1, "processo": 7000, "ret": [0, 0, 1, 1]},
                  {"hwnd": 2, "processo": 7004, "ret": [0, 0, 1, 1]}]})");
    EXPECT_EQ(executavel_da_janela(1), "opera.exe");
    EXPECT_EQ(executavel_da_janela(2), std::nullopt);
    EXPECT_EQ(executavel_da_janela(3), std::nullopt);
    EXPECT_TRUE(eh_opera(1));
    EXPECT_FALSE(eh_opera(2));
}

TEST_F(LerPagina, OperaLeAMaiorFilhaVisivelDaPagina) {
    carregar(R"({"janelas": [{"hwnd": 4001, "classe": "Chrome_WidgetWin_1", "executavel": "opera.exe",
       "titulo": "x - Twitch - Opera", "ret": [0, 0, 1000, 800],
       "filhas": [
         {"hwnd": 4002, "classe": "Chrome_RenderWidgetHostHWND", "ret": [50, 50, 1000, 800],
          "pagina": [{"tipo": "Document", "nome": "a página", "ret": [50, 50, 1000, 800], "filhos": [
             {"papel": "log", "classe": "chat-list--x", "ret": [700, 100, 1000, 700]}]}]},
         {"hwnd": 4003, "classe": "Chrome_RenderWidgetHostHWND", "visivel": false, "ret": [0, 0, 1000, 800]},
         {"hwnd": 4004, "classe": "Chrome_RenderWidgetHostHWND", "ret": [0, 50, 50, 800],
          "pagina": [{"tipo": "Document", "nome": "barra lateral", "ret": [0, 50, 50, 800]}]}
       ]}]})");
    EXPECT_EQ(janela_da_pagina(4001), 4002);
    auto l = ler_pagina(criar_automacao(), 4001, ModoLeitura::Twitch);
    ASSERT_TRUE(l.ok());
    // A raiz (a janela da página) não é menor que o documento: vale ela.
    EXPECT_EQ(*l->documento->classe_atual(), "Chrome_RenderWidgetHostHWND");
    bool achou_chat = false;
    for (const auto& e : l->elementos) achou_chat = achou_chat || e.candidato.classe == "chat-list--x";
    EXPECT_TRUE(achou_chat);
}

TEST_F(LerPagina, OperaSemFilhaVisivelLeAJanelaDeTopo) {
    carregar(R"({"janelas": [{"hwnd": 4001, "classe": "Chrome_WidgetWin_1", "executavel": "opera.exe",
       "titulo": "x - Twitch - Opera", "ret": [0, 0, 1000, 800],
       "pagina": [{"tipo": "Document", "nome": "no topo", "ret": [0, 50, 1000, 800]}],
       "filhas": [{"hwnd": 4003, "classe": "Chrome_RenderWidgetHostHWND", "visivel": false, "ret": [0, 0, 1000, 800]}]}]})");
    EXPECT_EQ(janela_da_pagina(4001), 4001);
    auto l = ler_pagina(criar_automacao(), 4001, ModoLeitura::Twitch);
    ASSERT_TRUE(l.ok());
    EXPECT_EQ(*l->documento->classe_atual(), "Chrome_WidgetWin_1");
}
