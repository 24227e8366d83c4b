#pragma once
// O mundo do servidor de UI Automation: a área simulada da mesma cena que os
// dublês mostram de verdade, com as árvores das páginas. Ela segue o mundo
// real: antes de cada ida ao navegador, o lugar, o título, a visibilidade, a
// mãe, a dona, a ordem z e a região de cada janela marcada (banco::kMarca), a
// janela da frente e o cursor são copiados para a área, e os elementos andam
// com a janela como na simulação; o que fica sob o ponteiro é recalculado
// ali. O teclado que os dublês receberam de verdade (os WM_CHAR e WM_KEYDOWN
// dos diários) chega à página como o SendInput chega na simulação. Os eventos
// da linha do tempo (os da página: elemento, adicionar, remover, focar,
// falhar...) são aplicados quando vencem, no relógio de parede comum, na
// primeira chamada depois do instante deles: o aviso que o dublê do navegador
// levanta no mesmo instante nunca chega antes da mudança.
//
// As reações da página (um aperto que abre o cartão, o ponteiro que mostra os
// botões de uma linha, o Esc que fecha as sugestões) acontecem aqui, com a
// semântica da simulação; depois de cada uma, cada dublê é avisado
// (banco::kMensagemDaReacao) e a aplica no modelo dele, levantando os avisos
// de janela que ela daria: de novo, o aviso vem depois da mudança.

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"

namespace servidor_uia {

using plataforma::simulada::AreaDeTrabalho;

class Mundo {
public:
    static Mundo& global();

    // Carrega a cena de LOCALIZADOR_CENA, uma vez. Falso (e anotado) quando
    // não deu: o CoCreateInstance falha.
    bool iniciar();

    // Os eventos da linha do tempo que já venceram, aplicados à área. Sem a
    // trava da área (aplicar_evento a toma).
    void em_dia();

    AreaDeTrabalho& area() { return AreaDeTrabalho::global(); }

    // Com a trava da área: copia das janelas reais para a área.
    void espelhar();

    // A janela real de uma janela da cena, pelo último espelho (0 se não há).
    HWND real_de(Hwnd cena) const;
    // O processo real da janela da cena (get_CurrentProcessId).
    std::uint32_t processo_real(Hwnd cena) const;

private:
    void espelhar_regiao(HWND real, Hwnd h);
    void receber_teclado();
    void avisar_reacao(const plataforma::simulada::ReacaoSim& r);

    std::mutex eventos_m_;
    std::vector<plataforma::simulada::EventoDaCena> eventos_;
    std::size_t proximo_ = 0;
    std::int64_t inicio_ms_ = 0;
    bool iniciado_ = false;
    bool pronto_ = false;
    std::map<Hwnd, HWND> reais_;  // com a trava da área
    std::set<Hwnd> vistas_;       // as que já estiveram de pé
    // Os diários dos dublês e quanto de cada um já foi lido (com a trava da área).
    std::map<std::string, std::uint64_t> diarios_;
};

}  // namespace servidor_uia
