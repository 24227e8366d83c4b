#pragma once
// O palco dos dublês: as janelas de verdade de um processo da cena.
//
// Cada dublê (o do navegador, com o nome chrome.exe, msedge.exe...; o do
// app, vornel.exe) carrega a cena inteira numa área simulada, que é o seu
// modelo do mundo, e põe de pé de verdade as janelas cujo processo tem o
// executável dele: classe, título, retângulo, bordas da área cliente, filhas,
// visibilidade, minimizada, a marca com o handle da cena. Cada evento da
// linha do tempo é aplicado ao modelo (com o leitor de cenas da própria
// simulação) e o que mudou nas janelas dele é feito nas janelas reais. Os
// avisos (WinEvents) que a simulação daria para a mudança saem de verdade,
// com NotifyWinEvent: o Wine não dá os de janela. Mudanças que vêm de fora
// (o localizador movendo o navegador) voltam para o modelo, com os mesmos
// avisos, e vão para o diário.
//
// O diário é um arquivo de linhas JSON que o roteiro lê: as janelas criadas
// (com o handle real), os movimentos de fora, as teclas e os caracteres
// recebidos (WM_KEYDOWN, WM_CHAR), os avisos dados e os problemas. O
// servidor de UI Automation também o lê: o teclado que chegou aqui é o que
// chega à página dele.
//
// As reações da página não disparam no modelo do dublê (ele não aperta nada
// nem tem o ponteiro): quem as vê é o servidor, que avisa cada dublê com
// banco::kMensagemDaReacao; o dublê aplica as ações dela no modelo e levanta
// os avisos.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "comum_wine.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/rastro.hpp"

namespace banco {

using plataforma::simulada::AreaDeTrabalho;
using plataforma::simulada::EventoDaCena;
using plataforma::simulada::Json;

class Diario {
public:
    bool abrir(const std::string& caminho, const std::string& quem);
    // Instante zero da linha do tempo: as linhas passam a levar "t" desde ele.
    void comecar(std::int64_t inicio_ms) { inicio_ms_ = inicio_ms; }
    std::optional<std::int64_t> inicio_ms() const { return inicio_ms_; }
    // De qualquer thread (o dublê do app vigia o cursor e as regiões numa
    // thread dele).
    void escrever(Json linha);
    void problema(const std::string& texto);

private:
    std::mutex m_;
    std::FILE* f_ = nullptr;
    std::string quem_;
    std::optional<std::int64_t> inicio_ms_;
};

class Palco {
public:
    // O executável deste processo (em minúsculas, sem a pasta).
    Palco(std::string executavel, Diario& diario);

    // Lê a cena. Falso (com o problema no diário) quando não deu.
    bool carregar(const std::string& caminho);
    AreaDeTrabalho& area() { return AreaDeTrabalho::global(); }
    const std::vector<EventoDaCena>& eventos() const { return eventos_; }
    // Os executáveis de todos os processos da cena, também os que a linha do
    // tempo abre.
    std::set<std::string> executaveis() const;

    // As janelas iniciais deste processo, de pé.
    void criar_iniciais();
    // Aplica um evento ao modelo e às janelas reais deste processo.
    void aplicar(const EventoDaCena& e);

    HWND real_de(Hwnd cena) const;
    bool minha(Hwnd cena);

    LRESULT procedimento(HWND h, UINT msg, WPARAM wp, LPARAM lp);

private:
    struct Estado {
        Retangulo ret;
        std::string titulo;
        bool visivel = false;
        bool minimizada = false;
    };
    std::map<Hwnd, Estado> fotografar();
    void criar(Hwnd cena);
    void reconciliar(const std::map<Hwnd, Estado>& antes, const EventoDaCena* e);
    void dar_avisos();
    void posicionar(Hwnd cena, const Retangulo& ret);
    std::string exe_de(Hwnd cena);
    void reagir(std::size_t indice);
    void travar(const EventoDaCena& e);

    std::string executavel_;
    Diario& diario_;
    std::vector<EventoDaCena> eventos_;
    std::vector<plataforma::simulada::ReacaoSim> reacoes_;  // as da cena, tiradas do modelo
    std::map<Hwnd, HWND> reais_;
    std::set<std::wstring> classes_;
    // Enquanto o palco mexe nas próprias janelas, os WM_WINDOWPOSCHANGED são dele.
    int mexendo_ = 0;
    std::wstring pendente_;  // metade alta de um par UTF-16 vinda num WM_CHAR
};

// A janela (com o diário) por onde as mensagens do palco passam.
Palco*& palco_atual();

// Espera mensagens ou os objetos dados até o instante (relógio de parede);
// despacha as mensagens. Devolve o índice do objeto sinalizado, ou -1.
int esperar_despachando(const std::vector<HANDLE>& objetos, std::int64_t ate_ms);

// Todas as janelas marcadas com um handle da cena, de todos os processos.
std::map<Hwnd, HWND> janelas_marcadas();
// As de topo marcadas, na ordem z (a de cima primeiro).
std::vector<Hwnd> ordem_z_real();

// "<exe>.pronto" na pasta: as janelas iniciais do dublê estão de pé.
void marcar_pronto(const std::string& pasta, const std::string& exe);
bool esta_pronto(const std::string& pasta, const std::string& exe);

std::string minusculas_ascii(std::string s);
std::string nome_do_arquivo(const std::string& caminho);

}  // namespace banco
