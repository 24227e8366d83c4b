#pragma once
// Arquivos de cena: o estado inicial da área de trabalho e a linha do tempo
// das mudanças. O formato está em docs/cena.md.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/simulada/relogio.hpp"

namespace plataforma::simulada {

// Erro de conteúdo, com o caminho do campo (por exemplo
// "janelas[1].pagina[0].ret: esperava 4 inteiros").
struct ErroDeCena : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct EventoDaCena {
    std::int64_t em_ms = 0;
    std::string acao;
    std::string onde;  // "linha_do_tempo[3]", para as mensagens
    Json dados;
};

struct Cena {
    std::optional<Relogio::Modo> tempo;
    bool entrada_da_cena = false;  // a entrada padrão vem da linha do tempo
    bool tem_fim = false;          // a linha do tempo encerra a execução
    std::vector<EventoDaCena> linha_do_tempo;
};

// Valida o texto e monta a área de trabalho (esvaziada antes). Lança
// ErroDeCena com a explicação; a área fica vazia nesse caso.
Cena carregar_cena(const std::string& texto, AreaDeTrabalho& a);

// Aplica um evento já validado à área global e o registra no rastro. O evento
// "fim" encerra o processo. Com "adiar_avisos", as threads que esperam
// mensagens só são acordadas no próximo evento sem adiamento: os eventos de
// um mesmo instante chegam ao programa todos juntos.
void aplicar_evento(const EventoDaCena& e, bool adiar_avisos = false);

// Inicia a thread que aplica a linha do tempo nos seus instantes.
bool iniciar_linha_do_tempo(std::vector<EventoDaCena> eventos);

// O texto da cena embutida no programa (cenas/padrao.json).
const char* texto_da_cena_padrao();

}  // namespace plataforma::simulada
