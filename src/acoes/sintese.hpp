#pragma once
// O que as ações fazem no navegador além do UI Automation: apertar um
// elemento, conferir que o navegador veio para a frente, digitar texto como
// teclas Unicode, apertar Esc, avisar o navegador de onde o ponteiro está,
// tirar o ponteiro de cima do chat e voltar, e abrir um buraco de passagem na
// Vidrel para o ponteiro de verdade pousar numa linha do chat que ela cobre.
// Tudo roda na thread do executor e espera o que tem de esperar.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comum/tipos.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/entrada.hpp"
#include "plataforma/janelas.hpp"

// O elemento sem o padrão Invoke (o pedido do padrão veio vazio).
inline constexpr const char* kSemInvokePattern = "sem InvokePattern: o elemento não tem o padrão";

// O resultado de um aperto, para a linha de log: "apertado", ou o texto da
// falha ("falhou: " vem de quem registra).
struct Aperto {
    bool ok = false;
    std::string texto;
};

// Lê o retângulo do medido; fora de [topo, base] (ou sem retângulo), rola-o
// para a vista e espera 60 ms; então invoca o outro.
Aperto apertar(const uia::Elemento& medido, const uia::Elemento& invocado, std::int64_t topo,
               std::int64_t base);

// O navegador está na frente (a janela da frente, a raiz ou a dona da raiz
// dela)? Senão registra quem está, avisa o app e devolve falso.
bool conferir_frente(Hwnd navegador, const std::string& rotulo);

// Os registros de um texto: dois por unidade UTF-16 (aperta e solta), Unicode.
std::vector<plataforma::RegistroDeTecla> registros_de_texto(std::string_view texto);
// Digita o texto num SendInput só: chega inteiro, sem outra tecla no meio.
void digitar_texto(std::string_view texto);
void apertar_esc();
// Com ":" no código, a lista de sugestões de emote do site fica aberta:
// 80 ms depois, Esc. Sem ":", nada.
void fechar_sugestoes(const std::string& codigo);

// Dois WM_MOUSEMOVE ao navegador (30 ms e 90 ms depois), para ele ver de novo
// onde o ponteiro está.
void avisar_movimento();

// A bandeja de resposta aberta acima da caixa de digitar, com o ícone do 7TV
// dentro; só conta com pelo menos 2 × 2 pixels.
std::optional<Retangulo> bandeja_aberta(const uia::Automacao& a, const uia::Elemento& raiz);

// 25 pixels acima do meio do chat: fora das linhas, onde nada tem hover.
Ponto acima_do_chat(const Retangulo& chat);

// Com o ponteiro dentro do chat, leva-o para 25 pixels acima do chat e traz
// de volta (acima da bandeja de resposta, se ele estava em cima dela).
void afastar_ponteiro(const uia::Automacao& a, const uia::Elemento& raiz);

// Um buraco de 40 × 40 na Vidrel em volta de um ponto da tela, com o ponteiro
// posto nele. Devolve a região e o ponteiro de antes quando morre (ou em
// restaurar), em todo caminho.
class BuracoDoHover {
public:
    BuracoDoHover(Hwnd vidrel, Ponto alvo);
    ~BuracoDoHover() { restaurar(); }
    BuracoDoHover(const BuracoDoHover&) = delete;
    BuracoDoHover& operator=(const BuracoDoHover&) = delete;

    // O ponteiro de volta para onde estava e a região de antes de volta.
    void restaurar();

private:
    Hwnd vidrel_ = 0;
    std::optional<Ponto> ponteiro_antes_;
    // A região que a Vidrel tinha; nenhuma: ela era inteira.
    std::optional<plataforma::Regiao> salva_;
    bool aberto_ = false;
};
