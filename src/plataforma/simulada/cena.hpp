#pragma once
// Arquivos de cena: o estado inicial da área de trabalho e a linha do tempo
// das mudanças. O formato está em docs/cena.md.
//
// Por dentro: cena_json lê o texto com limites, cena_leitor confere os campos
// de um objeto, cena_montador monta janelas e elementos, cena.cpp lê o topo e
// valida a linha do tempo contra o rascunho (cena_rascunho), e cada ação da
// linha do tempo tem uma entrada só em acoes_da_cena, que sabe conferi-la e
// aplicá-la. linha_do_tempo.cpp aplica os eventos nos seus instantes.

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
// "janelas[1].pagina[0].ret: esperava 4 inteiros"). A mensagem sai sempre
// numa linha só: quebras e outros caracteres de controle vindos do arquivo
// (um nome de campo, uma chave) viram escapes.
struct ErroDeCena : std::runtime_error {
    explicit ErroDeCena(const std::string& mensagem);
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

// O texto de um arquivo de cena, sem passar do tamanho que o leitor aceita.
// Lança ErroDeCena ("não consegui abrir o arquivo", grande demais).
std::string ler_arquivo_de_cena(const std::string& caminho);

// Valida o texto e monta a área de trabalho (esvaziada antes). Lança
// ErroDeCena com a explicação; a área fica vazia nesse caso.
Cena carregar_cena(const std::string& texto, AreaDeTrabalho& a);

// A linha do erro padrão para um problema com a cena: "cena <arquivo>: <problema>",
// com o nome do arquivo também numa linha só.
std::string linha_de_erro_da_cena(const std::string& arquivo, const std::string& problema);

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
