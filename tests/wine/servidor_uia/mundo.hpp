#pragma once
// O mundo do servidor de UI Automation: a área simulada da mesma cena que os
// dublês mostram de verdade, com as árvores das páginas. Ela segue as janelas
// reais: antes de cada ida ao navegador, o lugar, o título, a visibilidade, a
// mãe, a dona e a ordem z de cada janela marcada (banco::kMarca) são copiados
// para a área, e os elementos andam com a janela como na simulação. Os eventos
// da linha do tempo (os da página: elemento, adicionar, remover, focar,
// falhar...) são aplicados quando vencem, no relógio de parede comum, na
// primeira chamada depois do instante deles: o aviso que o dublê do navegador
// levanta no mesmo instante nunca chega antes da mudança.

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
    std::mutex eventos_m_;
    std::vector<plataforma::simulada::EventoDaCena> eventos_;
    std::size_t proximo_ = 0;
    std::int64_t inicio_ms_ = 0;
    bool iniciado_ = false;
    bool pronto_ = false;
    std::map<Hwnd, HWND> reais_;  // com a trava da área
    std::set<Hwnd> vistas_;       // as que já estiveram de pé
};

}  // namespace servidor_uia
