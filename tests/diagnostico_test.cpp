// O modo de diagnóstico rodado de verdade sobre as cenas: a escolha das
// sondas pelas variáveis de ambiente e as linhas que cada uma imprime.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "ajuda.hpp"

namespace {

// A cena da Twitch parada (sem a janela andando), acabando em "fim_ms".
std::string twitch_parada(const std::string& arquivo = "twitch_chrome.json", int fim_ms = 3000,
                          const std::string& eventos = "") {
    return cena_derivada(arquivo, R"({"linha_do_tempo": [)" + eventos + (eventos.empty() ? "" : ",") +
                                      R"({"em": )" + std::to_string(fim_ms) + R"(, "acao": "fim"}]})");
}

Execucao diagnosticar(const std::map<std::string, std::string>& vs,
                      const std::string& cena = twitch_parada()) {
    ComAmbiente ambiente(vs);
    return rodar_programa(cena, {"--diagnostico"});
}

int quantas_comecam(const std::vector<std::string>& ls, const std::string& comeco) {
    int n = 0;
    for (const std::string& l : ls) n += l.rfind(comeco, 0) == 0;
    return n;
}

bool alguma_comeca(const std::vector<std::string>& ls, const std::string& comeco) {
    return quantas_comecam(ls, comeco) > 0;
}

const char* const kCabecalhoTwitch = "Twitch em chrome.exe: \"tarsio_ao_vivo - Twitch - Google Chrome\"";

}  // namespace

TEST(Diagnostico, SemVariavelCabecalhoCincoPorCimaCaixaEAsDuasLeituras) {
    const Execucao e = diagnosticar({});
    EXPECT_EQ(e.codigo, 0);
    const auto ls = e.linhas_da_saida();
    ASSERT_GE(ls.size(), 10u);
    EXPECT_EQ(ls[0], kCabecalhoTwitch);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(ls[i].rfind("por cima: 0 em ", 0), 0u) << ls[i];
    EXPECT_EQ(ls[6],
              "caixa (1362, 887, 1682, 927); último ícone medido Some((1648, 895, 1672, 919)); "
              "pela borda Some((1646, 891, 1678, 923))");
    EXPECT_EQ(quantas_comecam(ls,
                              "ESCOLHIDO: Some(Candidato { papel_aria: \"\", id: \"\", classe: "
                              "\"chat-list--default scrollable-area\""),
              2);
    // As duas leituras, na ordem, e cada uma só com o que fala de chat.
    const auto inteira = std::find_if(ls.begin(), ls.end(), [](const std::string& l) {
        return l.find(" elementos em ") != std::string::npos &&
               l.find("(árvore inteira)") != std::string::npos;
    });
    const auto filtrada = std::find_if(ls.begin(), ls.end(), [](const std::string& l) {
        return l.find("(com filtro do lado do navegador)") != std::string::npos;
    });
    ASSERT_NE(inteira, ls.end());
    ASSERT_NE(filtrada, ls.end());
    EXPECT_LT(inteira, filtrada);
    EXPECT_TRUE(alguma_comeca(
        ls, "  340x646 em (1352,231)  papel=log id= classe=chat-scrollable-area__message-container"));
    for (const std::string& l : ls) EXPECT_NE(l.front(), '{') << "nada em JSON: " << l;
    EXPECT_FALSE(alguma_comeca(ls, "  50x50 em")) << "sem TUDO, só o que fala de chat";
}

TEST(Diagnostico, TudoListaTodosOsElementos) {
    const auto sem = diagnosticar({}).linhas_da_saida();
    const auto com = diagnosticar({{"TUDO", "1"}}).linhas_da_saida();
    EXPECT_GT(com.size(), sem.size() + 50);
    EXPECT_TRUE(alguma_comeca(com, "  50x50 em (168,866)"));
}

TEST(Diagnostico, SemPaginaUmaLinhaSo) {
    const Execucao e = diagnosticar({{"FAIXA", "3"}}, cena_minima(500));
    EXPECT_EQ(e.codigo, 0);
    EXPECT_EQ(e.linhas_da_saida(),
              std::vector<std::string>{
                  "Nenhuma aba da Twitch ou da Kick à frente num Chrome, Edge, Brave ou Opera."});
}

TEST(Diagnostico, FaixaQueNaoEhNumeroEhIgnorada) {
    for (const char* v : {"2s", "-1", "", "+", "1.5", " 2", "18446744073709551616", "٣"}) {
        const auto ls = diagnosticar({{"FAIXA", v}, {"SO_BURACOS", "1"}}).linhas_da_saida();
        EXPECT_EQ(quantas_comecam(ls, "por cima: "), 5) << "FAIXA=" << v;
        EXPECT_FALSE(alguma_comeca(ls, "0 ms página")) << "FAIXA=" << v;
    }
}

TEST(Diagnostico, FaixaImprimeOEstadoQuandoMudaEAcaba) {
    // A janela anda em 1 s: a linha muda (página, chat e janela); parada, não se repete.
    const std::string cena = twitch_parada(
        "twitch_chrome.json", 5000, R"({"em": 1000, "acao": "mover", "janela": 2001, "deslocar": [100, 0]})");
    const Execucao e = diagnosticar({{"FAIXA", "+2"}, {"CARTAO", "x"}}, cena);
    const auto ls = e.linhas_da_saida();
    ASSERT_GE(ls.size(), 3u);
    EXPECT_EQ(ls[0], kCabecalhoTwitch);
    EXPECT_EQ(ls[1],
              "0 ms página Some((108, 131, 1692, 992)) | chat guardado None | chat novo Some((1352, 231, "
              "1692, 877)) | escondido false | à mostra true | janela Some((100, 50, 1700, 1000))");
    EXPECT_EQ(quantas_comecam(ls, "por cima"), 0) << "a faixa acaba o diagnóstico";
    EXPECT_EQ(quantas_comecam(ls, "chat "), 0) << "CARTAO não roda depois da faixa";
    bool andou = false;
    for (const std::string& l : ls)
        andou |= l.find("janela Some((200, 50, 1800, 1000))") != std::string::npos;
    EXPECT_TRUE(andou);
    // O fim vem em 2 s de relógio, antes do "fim" da cena em 5 s.
    ASSERT_FALSE(e.rastro.empty());
    EXPECT_LE(e.rastro.back()["t"].get<std::int64_t>(), 2300);
    std::set<std::string> unicas(ls.begin() + 1, ls.end());
    EXPECT_EQ(unicas.size(), ls.size() - 1) << "cada linha só quando o estado muda";
}

TEST(Diagnostico, SoBuracosParaDepoisDoQueCobreEDoVideoEDaColuna) {
    const auto so = diagnosticar({{"SO_BURACOS", "1"}}).linhas_da_saida();
    ASSERT_EQ(so.size(), 7u);  // cabeçalho, cinco "por cima", a caixa
    const auto com_coluna = diagnosticar({{"SO_BURACOS", "1"}, {"COLUNA", "1"}}).linhas_da_saida();
    EXPECT_TRUE(alguma_comeca(com_coluna,
                              "lista (1352, 231, 1692, 877) classe \"chat-list--default scrollable-area\""));
    EXPECT_TRUE(
        alguma_comeca(com_coluna, "nível 1: pai Some((1352, 231, 1692, 992)) \"chat-room__content\""));
    EXPECT_FALSE(alguma_comeca(com_coluna, "ESCOLHIDO"));
    // O que vem depois de SO_BURACOS não roda.
    const auto com_mostra = diagnosticar({{"SO_BURACOS", "1"}, {"MOSTRA", "1,2,3,4"}}).linhas_da_saida();
    EXPECT_EQ(com_mostra, so);
}

TEST(Diagnostico, BandejaComSeteRodaSoABandeja) {
    const auto ls =
        diagnosticar({{"BANDEJA", "1"}, {"SETE", "1"}}, twitch_parada("twitch_7tv.json")).linhas_da_saida();
    EXPECT_EQ(quantas_comecam(ls, "bandeja: None"), 1);
    EXPECT_EQ(quantas_comecam(ls, "prévia: None em "), 1);
    EXPECT_FALSE(alguma_comeca(ls, "20 mensagens do 7TV"));
    const auto so_sete = diagnosticar({{"SETE", "1"}}, twitch_parada("twitch_7tv.json")).linhas_da_saida();
    EXPECT_EQ(quantas_comecam(so_sete, "20 mensagens do 7TV"), 1);
    EXPECT_EQ(quantas_comecam(so_sete, "MENSAGEM nome="), 20);
}

TEST(Diagnostico, VariavelQueNaoEhUnicodeContaComoNaoDada) {
    const auto ls = diagnosticar({{"SO_BURACOS", "\xff\xfe"}, {"ARROBA", "\xc3"}}).linhas_da_saida();
    EXPECT_TRUE(alguma_comeca(ls, "ESCOLHIDO")) << "nem SO_BURACOS nem ARROBA contam";
    EXPECT_FALSE(alguma_comeca(ls, "CAIXA"));
    const auto arroba = diagnosticar({{"ARROBA", "1"}}).linhas_da_saida();
    EXPECT_TRUE(alguma_comeca(arroba, "CAIXA (1372, 892, 1640, 922) classe=\"chat-wysiwyg-input__editor\""));
    EXPECT_TRUE(alguma_comeca(arroba, "PAI (1362, 887, 1682, 927) classe=\"chat-wysiwyg-input-box\""));
}

TEST(Diagnostico, MostraComPecasRuins) {
    // "x", a vazia e a que passa dos 32 bits são puladas: sobram quatro.
    const auto ls = diagnosticar({{"MOSTRA", " 1352, x,231,, 99999999999 ,1692 , 877"}}).linhas_da_saida();
    ASSERT_EQ(quantas_comecam(ls, "acima do chat: "), 1);
    for (const std::string& l : ls)
        if (l.rfind("acima do chat: ", 0) == 0) {
            EXPECT_EQ(l.substr(l.find("; página")), "; página Some((108, 131, 1692, 992))") << l;
        }
    EXPECT_EQ(quantas_comecam(ls, "chat_a_mostra: true"), 1);
    EXPECT_FALSE(alguma_comeca(ls, "ESCOLHIDO")) << "MOSTRA acaba o diagnóstico";
    for (const char* ruim : {"1,2,3", "1,2,3,4,5", "a,b,c,d", ""}) {
        const auto r = diagnosticar({{"MOSTRA", ruim}}).linhas_da_saida();
        EXPECT_FALSE(alguma_comeca(r, "acima do chat")) << "MOSTRA=" << ruim;
        EXPECT_FALSE(alguma_comeca(r, "chat_a_mostra")) << "MOSTRA=" << ruim;
        EXPECT_FALSE(alguma_comeca(r, "ESCOLHIDO")) << "MOSTRA=" << ruim;
    }
}

TEST(Diagnostico, MostraComUmaJanelaPorCimaDoCabecalho) {
    // Uma janela de outro programa sobre o cabeçalho do chat: o chat não está à mostra.
    Json cena = Json::parse(twitch_parada());
    cena["janelas"].insert(cena["janelas"].begin(),
                           Json::parse(R"({"hwnd": 7001, "classe": "Notepad", "titulo": "nota",
                                           "executavel": "notepad.exe", "ret": [1400, 150, 1600, 220]})"));
    const auto livre = diagnosticar({{"MOSTRA", "1352,231,1692,877"}}).linhas_da_saida();
    EXPECT_EQ(quantas_comecam(livre, "chat_a_mostra: true"), 1);
    const auto ls = diagnosticar({{"MOSTRA", "1352,231,1692,877"}}, cena.dump()).linhas_da_saida();
    EXPECT_EQ(quantas_comecam(ls, "chat_a_mostra: false"), 1);
    EXPECT_TRUE(
        alguma_comeca(ls, "acima do chat: classe=\"Notepad\" nome=\"nota\" Some((1400, 150, 1600, 220))"));
}

TEST(Diagnostico, EventosContaOsAvisosDoNavegadorPor10Segundos) {
    // Duas mudanças de título e um movimento dentro dos 10 s; o título de
    // 11 s já chega com o gancho removido.
    const std::string cena = twitch_parada(
        "twitch_chrome.json", 15000,
        R"({"em": 2000, "acao": "titulo", "janela": 2001, "titulo": "a - Twitch"},
                                              {"em": 4000, "acao": "titulo", "janela": 2001, "titulo": "b - Twitch"},
                                              {"em": 6000, "acao": "mover", "janela": 2001, "deslocar": [10, 0]},
                                              {"em": 11000, "acao": "titulo", "janela": 2001, "titulo": "c - Twitch"})");
    const Execucao e = diagnosticar({{"EVENTOS", "1"}, {"MOSTRA", "1,2,3,4"}}, cena);
    const auto ls = e.linhas_da_saida();
    const auto titulo = std::find(ls.begin(), ls.end(), "avisos em 10 s (evento em hexa: quantos):");
    ASSERT_NE(titulo, ls.end());
    const std::vector<std::string> contagem(titulo + 1, ls.end());
    EXPECT_EQ(contagem, (std::vector<std::string>{"  0x800B: 2", "  0x800C: 2"}));
    EXPECT_FALSE(alguma_comeca(ls, "acima do chat")) << "EVENTOS acaba o diagnóstico";
    EXPECT_EQ(e.no_rastro("efeito", "SetWinEventHook").size(), 1u);
    EXPECT_EQ(e.no_rastro("efeito", "UnhookWinEvent").size(), 1u);
}

TEST(Diagnostico, Nick7AchaAMensagemDoAutor) {
    const auto ls =
        diagnosticar({{"NICK7", "visitante3"}}, twitch_parada("twitch_7tv.json")).linhas_da_saida();
    EXPECT_TRUE(alguma_comeca(ls, "mensagem achada (exata false, 20 lidas) em "));
    const auto nao = diagnosticar({{"NICK7", "ninguem"}}, twitch_parada("twitch_7tv.json")).linhas_da_saida();
    EXPECT_TRUE(alguma_comeca(nao, "nenhuma mensagem de ninguem ("));
}

TEST(Diagnostico, ClasseSegueParaAListagem) {
    const auto ls = diagnosticar({{"CLASSE", "chat-room__content"}}).linhas_da_saida();
    EXPECT_TRUE(alguma_comeca(ls, "busca crua: 1 em "));
    EXPECT_TRUE(alguma_comeca(ls, "340x761 em (1352,231) "));
    EXPECT_TRUE(alguma_comeca(ls, "    70x30 em (1612,937) invoca=true \"chat-send-button\" \"Chat\""));
    EXPECT_TRUE(alguma_comeca(ls, "ESCOLHIDO"));
}

TEST(Diagnostico, KickEscolheAsPecasEMedeAsLeituras) {
    const std::string kick = twitch_parada("kick_edge.json", 30000);
    const auto ls = diagnosticar({{"KICK", "outro"}}, kick).linhas_da_saida();
    EXPECT_TRUE(alguma_comeca(ls, "separador Candidato { papel_aria: \"separator\""));
    EXPECT_TRUE(alguma_comeca(ls, "peças: Some(EscolhaKick { separador: "));
    EXPECT_TRUE(alguma_comeca(ls, "leitura filtrada: "));
    EXPECT_EQ(quantas_comecam(ls, "por cima, na página: "), 3);
    EXPECT_TRUE(alguma_comeca(ls, "leitura das voltas: "));
    const auto janela = diagnosticar({{"KICK", "janela"}}, kick).linhas_da_saida();
    // 20 s, uma leitura a cada 300 ms.
    EXPECT_TRUE(alguma_comeca(janela, "janela: 67 leituras, média 0 ms"));
}

TEST(Diagnostico, VideoSemLimiteDeChatESegue) {
    const Execucao e = diagnosticar({{"VIDEO", "1"}, {"SO_BURACOS", "1"}}, twitch_parada("kick_video.json"));
    const auto ls = e.linhas_da_saida();
    EXPECT_EQ(quantas_comecam(ls, "vídeo: Some((108, 181, 1340, 874))"), 1);
    EXPECT_FALSE(e.log_com("vídeo: Some((108, 181, 1340, 874)) entre 2 achados, em ").empty());
    // Depois do vídeo a sequência segue até SO_BURACOS.
    EXPECT_FALSE(alguma_comeca(ls, "ESCOLHIDO"));
}
