// Páginas estranhas (retângulos absurdos, árvores fundas, classes de tudo
// junto) passam pela leitura, pela escolha, pela releitura, pela busca do que
// cobre o chat e pela medida do cartão sem derrubar nada. Com os sanitizadores
// isto pega estouros e leituras fora do lugar.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "ajuda.hpp"
#include "localizador/cartao.hpp"
#include "localizador/chat.hpp"
#include "localizador/cobertura.hpp"
#include "localizador/descoberta.hpp"

namespace {

const char* kClasses[] = {"chat-list--default",
                          "chat-scrollable-area__message-container",
                          "chat-line__message",
                          "seventv-chat-list chat-scrollable-area",
                          "seventv-chat-message-background",
                          "chat-room",
                          "chat-room__content",
                          "chatroom-resize",
                          "p-0.5 aspect-square",
                          "viewer-card",
                          "viewer-card-layer__draggable",
                          "chat-wysiwyg-input__editor",
                          "chat-wysiwyg-input-box",
                          "community-highlight",
                          "ReactModal__Content",
                          "seventv-emote-menu-search-input",
                          "seventv-user-card-float",
                          "chat-input-tray__open",
                          "",
                          "x"};
const char* kPapeis[] = {"log", "textbox", "separator", "heading", "button", "dialog", "menu", "tooltip", ""};

class Gerador {
public:
    explicit Gerador(unsigned semente) : r_(semente) {}

    std::int64_t coordenada() {
        switch (r_() % 8) {
            case 0:
                return std::numeric_limits<std::int32_t>::min();
            case 1:
                return std::numeric_limits<std::int32_t>::max();
            case 2:
                return 0;
            case 3:
                return -1;
            default:
                return static_cast<std::int64_t>(r_() % 2200) - 100;
        }
    }

    std::string elemento(int profundidade) {
        std::string e = "{\"classe\": \"" + std::string(kClasses[r_() % std::size(kClasses)]) +
                        "\", \"papel\": \"" + kPapeis[r_() % std::size(kPapeis)] + "\", \"ret\": [" +
                        std::to_string(coordenada()) + ", " + std::to_string(coordenada()) + ", " +
                        std::to_string(coordenada()) + ", " + std::to_string(coordenada()) + "]";
        if (r_() % 5 == 0) e += ", \"fora\": true";
        if (r_() % 7 == 0) e += ", \"controle\": false";
        if (r_() % 9 == 0) e += ", \"id\": \"search-emotes-input\"";
        if (r_() % 6 == 0) e += ", \"tipo\": \"Button\"";
        if (profundidade < 6) {
            e += ", \"filhos\": [";
            const int n = static_cast<int>(r_() % 5);
            for (int i = 0; i < n; ++i) e += (i ? ", " : "") + elemento(profundidade + 1);
            e += "]";
        }
        return e + "}";
    }

    std::string cena(const char* exe, const char* titulo) {
        std::string pagina = "{\"tipo\": \"Document\", \"ret\": [0, 50, 1900, 1000], \"filhos\": [";
        for (int i = 0; i < 6; ++i) pagina += (i ? ", " : "") + elemento(0);
        pagina += "]}";
        return std::string(R"({"janelas": [{"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": ")") +
               exe + R"(", "titulo": ")" + titulo + R"(", "ret": [0, 0, 1920, 1040], "pagina": [)" + pagina +
               "]}]}";
    }

private:
    std::mt19937 r_;
};

class PaginaEstranha : public ComAreaSimulada, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(PaginaEstranha, NadaCai) {
    Gerador g(static_cast<unsigned>(GetParam()));
    const bool kick = GetParam() % 2 == 1;
    carregar(g.cena(kick ? "msedge.exe" : "chrome.exe", kick ? "x - Kick" : "x - Twitch"));
    auto a = criar_automacao();
    const auto j = achar_janela_de_live();
    ASSERT_TRUE(j);
    MemoriaDoChat memoria;
    const auto l = localizar_chat(a, *j, memoria);
    ASSERT_TRUE(l.ok());
    const Releitura r = reler_chat(a, *l);
    const Retangulo chat = r.estado == Releitura::Estado::ok ? r.chat : l->ret_chat;
    const auto coberturas = buscar_coberturas(a, 2001, j->titulo, j->site, memoria).buracos;
    juntar_vizinhos(coberturas);
    if (l->chat && l->chat->conteiner && l->conteiner_de_mensagens)
        sobreposicoes_na_coluna(a, *l->chat->conteiner, *l->conteiner_de_mensagens, chat);
    cabecalho_livre(a, 2001, chat, r.pagina, l->conteiner_de_mensagens);
    if (l->chat_room) medir_cartao(a, *l->chat_room, "alguém", chat, true);
    SUCCEED();
}

INSTANTIATE_TEST_SUITE_P(Sementes, PaginaEstranha, ::testing::Range(0, 40));
