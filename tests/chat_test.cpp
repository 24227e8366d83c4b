// A localização do chat numa busca e a releitura de cada volta.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "localizador/chat.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"

using plataforma::simulada::AreaDeTrabalho;
using plataforma::simulada::EventoDaCena;

namespace {

// Uma página da Twitch em que a última mensagem termina "fim_da_ultima".
std::string twitch(int fim_da_ultima, const std::string& extra_lista = "", int direita_da_pagina = 1000,
                   const std::string& endereco = "twitch.tv/tarsio") {
    return R"({"janelas": [{"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
       "titulo": "Outro_Nome - Twitch - Google Chrome", "ret": [0, 0, 1000, 800], "pagina": [
       {"tipo": "Edit", "classe": "OmniboxViewViews", "valor": ")" +
           endereco + R"(", "ret": [100, 10, 600, 40]},
       {"chave": "doc", "tipo": "Document", "ret": [0, 50, )" +
           std::to_string(direita_da_pagina) + R"(, 800], "filhos": [
         {"chave": "sala", "classe": "chat-room stream-chat", "ret": [660, 100, 1000, 800], "filhos": [
           {"chave": "conteudo", "classe": "chat-room__content", "ret": [660, 150, 1000, 800], "filhos": [
           {"chave": "lista", "classe": "chat-list--default", "ret": [660, 150, 1000, 700], "filhos": [
             {"chave": "mensagens", "papel": "log", "classe": "chat-scrollable-area__message-container",
              "ret": [660, 150, 1000, 700], "filhos": [
               {"classe": "chat-line__message", "ret": [670, 100, 990, 130]},
               {"chave": "ultima", "classe": "chat-line__message", "ret": [670, 600, 990, )" +
           std::to_string(fim_da_ultima) + R"(]})" + extra_lista + R"(]}]}]}]}]}]}],
      "linha_do_tempo": [{"em": 99999, "acao": "fim"}]})";
}

const char* kKick = R"({"janelas": [{"hwnd": 3001, "classe": "Chrome_WidgetWin_1", "executavel": "msedge.exe",
   "titulo": "tarsio Stream - Kick", "ret": [0, 0, 1700, 1000], "pagina": [
   {"chave": "endereco", "tipo": "Edit", "classe": "OmniboxViewViews", "valor": "kick.com/tarsio", "ret": [300, 10, 900, 40]},
   {"chave": "doc", "tipo": "Document", "ret": [108, 131, 1692, 992], "filhos": [
     {"papel": "textbox", "id": "search-input", "ret": [700, 140, 1000, 170]},
     {"chave": "sep", "papel": "separator", "classe": "chatroom-resize absolute", "ret": [1348, 181, 1352, 992]},
     {"chave": "titulo_chat", "papel": "heading", "nome": "Chat", "ret": [1360, 190, 1420, 214]},
     {"papel": "button", "classe": "p-0.5 aspect-square rounded", "ret": [1640, 880, 1672, 912]},
     {"chave": "caixa", "tipo": "Edit", "papel": "textbox", "classe": "editor-input", "ret": [1362, 920, 1640, 960]}]}]}]})";

JanelaDeLive live(Hwnd h, const std::string& titulo, Site s) { return {titulo, "", h, s}; }

class Localizacao : public ComAreaSimulada {
protected:
    void evento(const std::string& json) {
        const Json j = Json::parse(json);
        plataforma::simulada::aplicar_evento(EventoDaCena{0, j["acao"], "ev", j});
    }
    std::map<std::string, int> contagem() {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        return a.chamadas_uia;
    }
    void zerar_contagem() {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        a.chamadas_uia.clear();
    }
    LeituraChat localizar(const JanelaDeLive& j) {
        auto l = localizar_chat(automacao, j, memoria);
        EXPECT_TRUE(l.ok());
        return l.ok() ? *l : LeituraChat{};
    }

    uia::Automacao automacao = criar_automacao();
    MemoriaDoChat memoria;
};

const JanelaDeLive kTwitch = live(2001, "Outro_Nome - Twitch - Google Chrome", Site::Twitch);
const JanelaDeLive kKickLive = live(3001, "tarsio Stream - Kick", Site::Kick);

}  // namespace

TEST_F(Localizacao, TwitchAchaOContainerMedeAFolgaELeOCanalDoEndereco) {
    carregar(twitch(694));
    const LeituraChat l = localizar(kTwitch);
    ASSERT_TRUE(l.chat);
    EXPECT_EQ(l.ret_chat, (Retangulo{660, 150, 1000, 700}));
    EXPECT_EQ(l.folga, 6);
    EXPECT_EQ(l.canal, "tarsio");
    EXPECT_FALSE(l.com7tv);
    ASSERT_TRUE(l.chat_room);
    EXPECT_EQ(*l.chat_room->classe_atual(), "chat-room stream-chat");
    ASSERT_TRUE(l.conteiner_de_mensagens);
}

TEST_F(Localizacao, FolgaDe61PixelsViraZero) {
    carregar(twitch(639));
    EXPECT_EQ(localizar(kTwitch).folga, 0);
    carregar(twitch(640));
    EXPECT_EQ(localizar(kTwitch).folga, 60);
}

TEST_F(Localizacao, SemCanalNoEnderecoUsaOTitulo) {
    carregar(twitch(694, "", 1000, "twitch.tv/directory"));
    EXPECT_EQ(localizar(kTwitch).canal, "outro_nome");
}

TEST_F(Localizacao, ReleituraSoComLeiturasVivasDentroDoOrcamento) {
    carregar(twitch(694));
    const LeituraChat l = localizar(kTwitch);
    zerar_contagem();
    const Releitura r = reler_chat(automacao, l);
    EXPECT_EQ(r.estado, Releitura::Estado::ok);
    EXPECT_EQ(r.chat, (Retangulo{660, 150, 1000, 700}));
    EXPECT_EQ(r.pagina, (Retangulo{0, 50, 1000, 800}));
    const auto c = contagem();
    int total = 0;
    for (const auto& [nome, n] : c) total += n;
    // O retângulo da página, o do contêiner e uma leitura de classe; nenhuma busca.
    EXPECT_EQ(c.at("get_CurrentBoundingRectangle"), 2);
    EXPECT_EQ(c.at("get_CurrentClassName"), 1);
    EXPECT_EQ(total, 3);
}

TEST_F(Localizacao, PausadoSegueAClasseViva) {
    carregar(twitch(694));
    const LeituraChat l = localizar(kTwitch);
    EXPECT_FALSE(reler_chat(automacao, l).pausado);
    evento(
        R"({"acao": "elemento", "chave": "mensagens", "classe": "chat-scrollable-area__message-container chat-scrollable-area__message-container--paused"})");
    EXPECT_TRUE(reler_chat(automacao, l).pausado);
    evento(
        R"({"acao": "elemento", "chave": "mensagens", "classe": "chat-scrollable-area__message-container"})");
    EXPECT_FALSE(reler_chat(automacao, l).pausado);
}

TEST_F(Localizacao, ChatCortadoPelaPaginaA149NaoTemForma) {
    carregar(twitch(694, "", 809));  // a página acaba 149 depois do começo do chat
    const Releitura r = reler_chat(automacao, localizar(kTwitch));
    EXPECT_EQ(r.estado, Releitura::Estado::sem_forma);
    EXPECT_EQ(r.motivo, "chat fora da página");
    carregar(twitch(694, "", 810));
    const Releitura ok = reler_chat(automacao, localizar(kTwitch));
    EXPECT_EQ(ok.estado, Releitura::Estado::ok);
    EXPECT_EQ(ok.chat, (Retangulo{660, 150, 810, 700}));
}

TEST_F(Localizacao, MotivosDaReleituraQueNaoDeu) {
    carregar(twitch(694));
    LeituraChat l = localizar(kTwitch);
    // A página lida mas sem chat.
    LeituraChat sem_chat = l;
    sem_chat.chat.reset();
    EXPECT_EQ(reler_chat(automacao, sem_chat).motivo, "chat sem forma");
    LeituraChat sem_pagina = l;
    sem_pagina.pagina.reset();
    EXPECT_EQ(reler_chat(automacao, sem_pagina).motivo, "sem a página");
    // O elemento do contêiner sumiu.
    evento(R"({"acao": "remover", "chave": "lista"})");
    Releitura r = reler_chat(automacao, l);
    EXPECT_EQ(r.estado, Releitura::Estado::falha_de_leitura);
    EXPECT_EQ(r.motivo, "a leitura falhou");
    // A leitura do retângulo da página falhou.
    carregar(twitch(694));
    l = localizar(kTwitch);
    evento(R"({"acao": "falhar", "chamada": "get_CurrentBoundingRectangle", "chave": "doc"})");
    r = reler_chat(automacao, l);
    EXPECT_EQ(r.estado, Releitura::Estado::falha_de_leitura);
}

TEST_F(Localizacao, FolgaDo7tvMedidaACadaVoltaPeloUltimoFilho) {
    carregar(twitch(
        694,
        R"(,{"chave": "lista7", "classe": "seventv-chat-list chat-scrollable-area", "ret": [660, 150, 1000, 700], "filhos": [
         {"classe": "seventv-message", "ret": [670, 640, 990, 680]}]})"));
    const LeituraChat l = localizar(kTwitch);
    EXPECT_TRUE(l.com7tv);
    ASSERT_TRUE(l.lista_7tv);
    zerar_contagem();
    EXPECT_EQ(reler_chat(automacao, l).folga, 20);
    const auto c = contagem();
    EXPECT_EQ(c.at("get_CurrentBoundingRectangle"), 3);
    EXPECT_EQ(c.at("GetLastChildElement"), 1);
    evento(R"({"acao": "adicionar", "dentro_de": "lista7", "elemento": {"ret": [670, 680, 990, 698]}})");
    EXPECT_EQ(reler_chat(automacao, l).folga, 2);
    // Um último filho de 3 pixels ou menos deixa a folga da busca.
    evento(R"({"acao": "adicionar", "dentro_de": "lista7", "elemento": {"ret": [670, 698, 990, 701]}})");
    EXPECT_EQ(reler_chat(automacao, l).folga, l.folga);
}

TEST_F(Localizacao, KickAncoraCabecalhoCaixaEFolga) {
    carregar(kKick);
    const LeituraChat l = localizar(kKickLive);
    ASSERT_TRUE(l.chat);
    EXPECT_EQ(l.ret_chat, (Retangulo{1352, 214, 1692, 868}));
    EXPECT_EQ(l.folga, 52);
    EXPECT_EQ(l.canal, "tarsio");
    const Releitura r = reler_chat(automacao, l);
    EXPECT_EQ(r.estado, Releitura::Estado::ok);
    EXPECT_EQ(r.chat, (Retangulo{1352, 214, 1692, 868}));
}

TEST_F(Localizacao, KickSegundaLeituraSoNaPaginaLembradaComOEndereco) {
    carregar(kKick);
    localizar(kKickLive);
    zerar_contagem();
    // O endereço muda na barra, mas a segunda leitura usa a foto da primeira.
    evento(R"({"acao": "elemento", "chave": "endereco", "valor": "kick.com/outro"})");
    const LeituraChat l = localizar(kKickLive);
    EXPECT_EQ(contagem()["FindAllBuildCache"], 1);
    EXPECT_EQ(l.canal, "tarsio");
    EXPECT_EQ(l.ret_chat, (Retangulo{1352, 214, 1692, 868}));
    // Outro título: leitura inteira de novo.
    zerar_contagem();
    localizar(live(3001, "outra - Kick", Site::Kick));
    EXPECT_GT(contagem()["FindAllBuildCache"], 1);
}

TEST_F(Localizacao, KickAlturaDoCabecalhoFicaLembradaPorTitulo) {
    carregar(kKick);
    localizar(kKickLive);
    EXPECT_EQ(memoria.cabecalhos.at("tarsio Stream - Kick"), 33);
    evento(R"({"acao": "elemento", "chave": "titulo_chat", "ret": [1360, 190, 1420, 230]})");
    EXPECT_EQ(localizar(kKickLive).ret_chat.topo, 181 + 33);
}

TEST_F(Localizacao, KickPainelDoSiteLogoAbaixoDoSeparador) {
    carregar(kKick);
    evento(R"({"acao": "remover", "chave": "titulo_chat"})");
    EXPECT_FALSE(localizar(kKickLive).painel_do_site);
    evento(R"({"acao": "remover", "chave": "caixa"})");
    evento(
        R"({"acao": "adicionar", "dentro_de": "doc", "elemento": {"papel": "heading", "nome": "Predictions", "ret": [1360, 230, 1600, 260]}})");
    const LeituraChat l = localizar(kKickLive);
    EXPECT_FALSE(l.chat);
    EXPECT_TRUE(l.painel_do_site);
}

TEST_F(Localizacao, OperaComBuscaVaziaRegistraAsPaginasUmaVez) {
    carregar(R"({"janelas": [{"hwnd": 4001, "classe": "Chrome_WidgetWin_1", "executavel": "opera.exe",
       "titulo": "x - Twitch - Opera", "ret": [0, 0, 1000, 800],
       "filhas": [{"hwnd": 4002, "classe": "Chrome_RenderWidgetHostHWND", "ret": [50, 60, 1000, 800]},
                  {"hwnd": 4003, "classe": "Chrome_RenderWidgetHostHWND", "visivel": false, "ret": [0, 0, 9, 9]}]}]})");
    const JanelaDeLive opera = live(4001, "x - Twitch - Opera", Site::Twitch);
    localizar(opera);
    localizar(opera);
    int linhas = 0;
    for (const Json& j : plataforma::simulada::Rastro::global().linhas())
        if (j.contains("erro")) {
            ++linhas;
            EXPECT_EQ(
                j["erro"],
                "Opera: busca vazia; páginas visíveis [(50, 60, 1000, 800)], escolhida (50, 60, 1000, 800)");
        }
    EXPECT_EQ(linhas, 1);
}

TEST_F(Localizacao, ChatRoomPelaPalavraDaClasse) {
    carregar(twitch(694));
    auto raiz = *automacao.elemento_da_janela(2001);
    auto sala = achar_chat_room(automacao, raiz);
    ASSERT_TRUE(sala);
    EXPECT_EQ(*sala->classe_atual(), "chat-room stream-chat");
    evento(R"({"acao": "elemento", "chave": "sala", "classe": "chat-room__wrapper"})");
    EXPECT_FALSE(achar_chat_room(automacao, raiz));  // "chat-room__content" não é "chat-room"
}
