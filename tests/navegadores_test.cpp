// O modo --navegadores rodando de verdade sobre uma cena em que navegadores
// abrem e fecham: uma linha a cada mudança, nenhuma repetida.

#include <gtest/gtest.h>

#include "ajuda.hpp"

namespace {

const char* kCena = R"({
  "entrada": "cena",
  "janelas": [
    {"hwnd": 7, "classe": "Notepad", "executavel": "notepad.exe", "titulo": "notas - Twitch", "ret": [0, 0, 500, 500]},
    {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe", "titulo": "a - Twitch - Google Chrome", "ret": [0, 0, 900, 700]},
    {"hwnd": 2002, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe", "titulo": "Google - Google Chrome", "ret": [0, 0, 900, 700]},
    {"hwnd": 2003, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe", "titulo": "b - Twitch - Google Chrome", "ret": [0, 0, 900, 700], "minimizada": true},
    {"hwnd": 6001, "classe": "MozillaWindowClass", "executavel": "firefox.exe", "titulo": "c - Twitch — Mozilla Firefox", "ret": [0, 0, 900, 700]},
    {"hwnd": 6002, "classe": "Chrome_WidgetWin_1", "executavel": "vivaldi.exe", "titulo": "d - Twitch - Vivaldi", "ret": [0, 0, 900, 700]},
    {"hwnd": 3001, "classe": "Chrome_WidgetWin_1", "executavel": "msedge.exe", "titulo": "tarsio Stream - Kick - Microsoft Edge", "ret": [0, 0, 900, 700]}
  ],
  "linha_do_tempo": [
    {"em": 600, "acao": "abrir", "janela": {"hwnd": 5001, "classe": "Chrome_WidgetWin_1", "executavel": "brave.exe",
      "titulo": "e - Twitch - Brave", "ret": [0, 0, 900, 700]}},
    {"em": 1200, "acao": "fechar", "janela": 2001},
    {"em": 1700, "acao": "titulo", "janela": 3001, "titulo": "Kickstarter - Microsoft Edge"},
    {"em": 2200, "acao": "fim"}
  ]})";

}  // namespace

TEST(ProgramaNavegadores, ListaAsJanelasDeLiveACadaMudanca) {
    const Execucao e = rodar_programa(kCena, {"--janela", "100", "--navegadores"});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(e.linhas_da_saida(), (std::vector<std::string>{
                                       "{\"navegadores\":[2001,3001],\"existem\":[2001,3001]}",
                                       "{\"navegadores\":[5001,2001,3001],\"existem\":[2001,3001,5001]}",
                                       "{\"navegadores\":[5001,3001],\"existem\":[3001,5001]}",
                                       // A Edge deixou de mostrar uma live, mas a janela existe.
                                       "{\"navegadores\":[5001],\"existem\":[3001,5001]}",
                                   }));
    // As linhas saem na primeira volta depois de cada mudança.
    std::vector<std::int64_t> instantes;
    for (const Json& j : e.rastro)
        if (j.contains("saida")) instantes.push_back(j["t"]);
    EXPECT_EQ(instantes, (std::vector<std::int64_t>{0, 750, 1250, 1750}));
}

TEST(ProgramaNavegadores, FimDaEntradaEncerraComZero) {
    const Execucao e = rodar_programa(R"({"entrada": "cena", "linha_do_tempo": [
        {"em": 300, "acao": "entrada", "linha": "qualquer coisa"},
        {"em": 400, "acao": "fim_da_entrada"}, {"em": 5000, "acao": "fim"}]})",
                                      {"--navegadores"});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(e.saida, "{\"navegadores\":[],\"existem\":[]}\n");
    EXPECT_LT(e.rastro.back()["t"].get<int>(), 1000);
}
