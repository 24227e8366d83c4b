#pragma once
// O laço do localizador: acha o navegador com a live, decide quando ler a
// página de novo, acha o chat e o que o cobre, e publica o alvo. Entre as
// buscas, que são caras, só relê os poucos elementos guardados; assim a Vidrel
// acompanha a janela, as abas e a rolagem em poucas dezenas de milissegundos.

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "estado/log.hpp"
#include "localizador/cartao.hpp"
#include "localizador/chat.hpp"
#include "localizador/cobertura.hpp"
#include "localizador/descoberta.hpp"
#include "plataforma/sincronia.hpp"

// O laço do localizador, para sempre, com o seu próprio cliente de UI
// Automation. Quem o roda (o modo) já iniciou o observador do ponteiro e o
// das janelas.
[[noreturn]] void rodar_localizador();

class Localizador {
public:
    explicit Localizador(uia::Automacao automacao);
    ~Localizador();
    Localizador(const Localizador&) = delete;
    Localizador& operator=(const Localizador&) = delete;

    // Quanto esperar antes da próxima volta.
    std::chrono::milliseconds espera() const;
    // Uma volta inteira, sem a espera.
    void volta();

private:
    using Instante = plataforma::Instante;

    // O alvo atual: a última leitura da página e os buracos da última busca
    // do que cobre o chat, relativos ao chat.
    struct Atual {
        Hwnd janela = 0;
        std::string titulo;
        Site site = Site::Twitch;
        LeituraChat leitura;
        std::vector<Retangulo> buracos;  // relativos ao chat
        Coberturas coberturas;           // em tela, da mesma busca, com a caixa e o botão
    };
    struct Lembrado {
        Atual atual;
        Instante quando;
    };
    struct BoaLeitura {
        Hwnd janela = 0;
        std::string titulo;
        Releitura r;
        Instante quando;
    };

    void bater_e_conferir();
    void sem_navegador();
    void janela_andou(const JanelaDeLive& j);
    // Falso (nada andou) quando a janela não mostra mais a aba seguida.
    bool transladar(std::int64_t dx, std::int64_t dy);
    void seguir_a_janela();
    // Enquanto a página é lida, cada ida ao navegador começa seguindo a
    // janela que só andou: a Vidrel não espera a leitura acabar. O que essa
    // leitura trouxe é de antes do movimento e não é publicado.
    class Lendo {
    public:
        explicit Lendo(Localizador& l) : l_(l) {
            l_.lendo_ = true;
            l_.andou_lendo_ = false;
        }
        ~Lendo() { l_.lendo_ = false; }
        Lendo(const Lendo&) = delete;
        Lendo& operator=(const Lendo&) = delete;

    private:
        Localizador& l_;
    };
    void conferir_tela_cheia(Hwnd janela);
    bool busca_devida(const JanelaDeLive& j);
    void reler(const JanelaDeLive& j);
    bool segurar(const JanelaDeLive& j);
    void buscar(const JanelaDeLive& j);
    bool reusar_lembrado(const JanelaDeLive& j);
    void buscar_coberturas_de(Atual& atual, const Retangulo& chat);
    void publicar_leitura(const JanelaDeLive& j, const Releitura& r);
    void retirar();
    void lembrar_mostrado();
    void acompanhar_o_cartao(Hwnd janela, const Retangulo& chat);
    void vidrel_escondida_pelo_observador(const JanelaDeLive& j);
    // Cada desfecho é registrado uma vez por mudança: a chave junta o
    // desfecho ("chat" vale para achado e lembrado), o detalhe, a janela e o
    // título.
    static std::string chave(const char* desfecho, const JanelaDeLive& j, const std::string& detalhe = {});
    void relatar(const std::string& estado, const std::string& linha);
    void relatar_sem_leitura(const JanelaDeLive& j, const std::string& rotulo, const Releitura& r,
                             const Retangulo& chat);
    // O último desfecho registrado foi uma falta de leitura.
    bool sem_leitura_relatada() const;

    uia::Automacao a_;
    MemoriaDoChat memoria_;
    ArrastoDoCartao arrasto_;
    std::optional<Instante> aperto_visto_;

    // O navegador da volta anterior.
    Hwnd janela_ = 0;
    std::string titulo_;
    std::optional<Retangulo> ret_janela_;
    bool janela_parada_ = true;  // não andou desde a volta anterior
    bool lendo_ = false;
    bool andou_lendo_ = false;

    std::optional<Atual> atual_;
    bool mostrado_ = false;  // há um alvo publicado deste localizador
    std::optional<BoaLeitura> boa_;
    int falhas_seguidas_ = 0;
    int buscas_sem_chat_ = 0;
    int descartes_seguidos_ = 0;
    bool forcar_busca_ = false;
    std::map<std::pair<Hwnd, std::string>, Lembrado> lembrados_;

    Instante ultima_busca_;
    Instante ultimo_batimento_;
    std::optional<Instante> tela_cheia_mudou_;
    std::optional<Instante> busca_sem_chat_;
    std::optional<Instante> pagina_andou_;
    std::deque<Instante> eventos_da_pagina_;
    std::optional<Instante> reuso_;
    bool tela_cheia_ = false;

    std::optional<Retangulo> pagina_anterior_;
    std::optional<Instante> sem_lugar_desde_;
    bool sem_lugar_logado_ = false;
    bool modal_logado_ = false;
    UmaVezPorMudanca relato_;
};
