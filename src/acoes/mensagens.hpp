#pragma once
// Achar na página a linha de uma mensagem do chat (a do próprio site ou a do
// 7TV), da mais nova para a mais velha, e dentro dela o nome do autor e o
// botão de responder. A lista de mensagens achada fica lembrada para a
// próxima busca, enquanto a janela e o canal forem os mesmos.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acoes/comandos.hpp"
#include "estado/alvo.hpp"
#include "localizador/pagina.hpp"

// As listas de mensagens das buscas anteriores, de uma janela e um canal.
struct MemoriaDaPagina {
    Hwnd janela = 0;
    std::optional<std::string> canal;
    std::optional<uia::Elemento> lista_do_site;
    std::optional<uia::Elemento> lista_do_7tv;
};

// Outra janela ou outro canal: as listas lembradas não valem mais.
void rechavear(MemoriaDaPagina& m, const Alvo& alvo);

// "nick TAB nome TAB texto", com o nome e o texto normalizados.
std::string chave_da_mensagem(const ComandoDeMensagem& c);

// Os nomes com que o autor pode aparecer, normalizados: o nome inteiro e o
// cortado no primeiro " (" (o site mostra "nome (login)"); sem nome, o nick.
std::vector<std::string> nomes_do_autor(const ComandoDeMensagem& c);

// O que se procura no nome acessível de uma linha do chat do site ("Nome:
// texto da mensagem"), já normalizado uma vez para a busca toda.
class ProcuraNoSite {
public:
    explicit ProcuraNoSite(const ComandoDeMensagem& c);
    bool casa(std::string_view nome_da_linha) const;

private:
    std::vector<std::string> nomes_;  // "nome:" normalizado, de cada forma do nome
    std::string fim_;                 // ": texto" normalizado; vazio sem texto
};
inline bool linha_do_site_casa(std::string_view nome_da_linha, const ComandoDeMensagem& c) {
    return ProcuraNoSite(c).casa(nome_da_linha);
}

// Os textos de uma linha do 7TV depois do primeiro que é o autor, juntos e
// normalizados: o texto da mensagem.
std::string texto_depois_do_autor(const std::vector<std::string>& textos, const std::string& autor);

struct LinhaAchada {
    uia::Elemento linha;
    std::optional<uia::Elemento> usuario;  // o nome do autor, que abre o cartão
    std::optional<uia::Elemento> botao;    // o botão de responder do site
    bool exata = true;                     // 7TV: falso quando só o autor casou
};

// Uma busca que acha a linha e, além dela, quantas linhas olhou e os nicks
// mais novos que viu (para o log de quando não acha).
struct BuscaDeLinha {
    std::optional<LinhaAchada> achada;
    std::size_t olhadas = 0;
    std::vector<std::string> nicks;
};

// O que procurar dentro da linha achada.
enum class DentroDaLinha { botao, usuario, os_dois };

// Na lista do chat do site: a linha mais nova da mensagem, com o botão de
// responder (um botão com "@nick" no nome) e/ou o nome do autor.
BuscaDeLinha achar_linha_do_site(const uia::Automacao& a, const uia::Elemento& raiz, MemoriaDaPagina& m,
                                 const ComandoDeMensagem& c, DentroDaLinha dentro = DentroDaLinha::os_dois);

// Na lista do 7TV: primeiro a lembrada, depois a de agora; registra quando
// só a de agora tinha e quando nenhuma tinha.
std::optional<LinhaAchada> achar_linha_do_7tv(const uia::Automacao& a, const uia::Elemento& raiz,
                                              MemoriaDaPagina& m, const ComandoDeMensagem& c,
                                              bool registrar_o_que_houve = true);

// O mesmo, com quantas linhas a última lista olhada teve e os nicks vistos nela.
BuscaDeLinha buscar_linha_do_7tv(const uia::Automacao& a, const uia::Elemento& raiz, MemoriaDaPagina& m,
                                 const ComandoDeMensagem& c, bool registrar_o_que_houve = true);
// Quantas faixas "Replying to" da página falam do nick (sem nick, todas):
// cresce quando uma resposta abre.
int contar_faixas_de_resposta(const uia::Automacao& a, const uia::Elemento& raiz, const std::string& nick);

// O elemento da linha que diz que o site não deixa responder, com o motivo.
std::optional<std::string> resposta_proibida(const uia::Automacao& a, const uia::Elemento& linha);
