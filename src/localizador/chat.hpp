#pragma once
// Onde fica o chat: uma busca na página acha a coluna do chat, mede a folga e
// guarda os poucos elementos que deixam conferir o chat a cada volta com
// leituras vivas de retângulo, sem outra busca.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "estado/alvo.hpp"
#include "estado/log.hpp"
#include "localizador/descoberta.hpp"
#include "localizador/pagina.hpp"

// Como reler o chat: na Twitch, o contêiner escolhido; na Kick, a âncora e a
// caixa com a altura do cabeçalho e a folga.
struct ChatLembrado {
    Site site = Site::Twitch;
    std::optional<uia::Elemento> conteiner;
    std::optional<uia::Elemento> ancora;
    std::optional<uia::Elemento> caixa;
    std::int32_t cabecalho = 0;
    std::int32_t folga = 0;
};

struct LeituraChat {
    Site site = Site::Twitch;
    std::optional<std::string> canal;
    std::optional<ChatLembrado> chat;  // nenhum: a página não tem chat
    std::optional<uia::Elemento> pagina;
    Retangulo ret_chat;
    std::int32_t folga = 0;
    std::optional<uia::Elemento> lista_7tv;
    std::optional<uia::Elemento> conteiner_de_mensagens;
    std::optional<uia::Elemento> chat_room;
    bool com7tv = false;
    std::size_t lidos = 0;
    std::int64_t ms = 0;
    bool painel_do_site = false;
    // O contêiner da Twitch veio sem classe: a página chegou antes do modo de
    // leitor de tela do Chromium, que traz as classes (e com elas o botão,
    // a folga e o que cobre o chat). A leitura serve, mas a próxima busca não
    // espera os 5 s de costume.
    bool sem_classes = false;
};

// A página da Kick lida por último, com a foto da barra de endereço: a
// segunda busca da mesma aba olha só dentro da página.
struct PaginaKick {
    Hwnd janela = 0;
    std::string titulo;
    uia::Elemento pagina;
    std::optional<ElementoLido> endereco;
};

// O que quem localiza o chat (o localizador, o diagnóstico) guarda entre
// buscas. Cada thread tem a sua.
struct MemoriaDoChat {
    std::map<std::string, std::int32_t> cabecalhos;  // altura do cabeçalho da Kick, por título
    UmaVezPorMudanca log_do_opera;
    std::optional<PaginaKick> pagina_kick;
};

// Uma busca inteira. Erro quando a leitura da página falhou.
uia::Resultado<LeituraChat> localizar_chat(const uia::Automacao& a, const JanelaDeLive& j,
                                           MemoriaDoChat& memoria);

struct Releitura {
    enum class Estado { ok, falha_de_leitura, sem_forma } estado = Estado::ok;
    // Sem forma: "sem a página", "chat sem forma" ou "chat fora da página".
    std::string motivo;
    Retangulo chat;
    Retangulo pagina;
    bool pausado = false;
    std::int32_t folga = 0;
};

// A releitura de cada volta, só com leituras vivas dos elementos guardados.
// "folga" é a da última busca; com a lista do 7TV ela é medida de novo.
Releitura reler_chat(const uia::Automacao& a, const LeituraChat& leitura);

// O elemento cuja lista de classes tem a palavra "chat-room".
std::optional<uia::Elemento> achar_chat_room(const uia::Automacao& a, const uia::Elemento& raiz);

// A página da Kick lembrada para a janela e o título, se o elemento dela
// ainda tem retângulo.
std::optional<uia::Elemento> pagina_kick_lembrada(const MemoriaDoChat& memoria, Hwnd janela,
                                                  const std::string& titulo);
