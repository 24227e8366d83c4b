#pragma once
// O custo de falar com o navegador. No Windows quase todo o tempo do programa
// é do navegador: cada chamada atravessa para o processo dele e espera a thread
// principal da página, e uma busca custa pelo que ele percorre e devolve. O
// perfil de custo diz quanto: uma latência por chamada com variação, picos de
// ocupado e paradas sorteados com semente, um preço por elemento examinado e
// por elemento devolvido numa busca, a árvore que só chega um tempo depois do
// primeiro cliente (com um documento vazio e ocupado antes) e os retângulos
// que andam atrasados depois das mudanças da página. A área cobra o custo como
// tempo de quem chamou: no tempo virtual ele é virtual e sempre o mesmo.
//
// Nada daqui conhece a árvore nem a trava: quem chama (consultas_uia,
// arvore_uia, a linha do tempo) passa o que for preciso, com a trava da área
// tomada.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "comum/tipos.hpp"
#include "plataforma/sincronia.hpp"

namespace plataforma::simulada {

// Uma parada marcada: as chamadas que começam em [em_ms, em_ms + ms) esperam
// até o fim dela (ou até o tempo esgotado do cliente).
struct ParadaMarcada {
    std::int64_t em_ms = 0;
    std::int64_t ms = 0;
};

struct PerfilDeCusto {
    std::string nome = "nenhum";
    // Por chamada: base + um sorteio em [0, variacao].
    std::int64_t base_us = 0;
    std::int64_t variacao_us = 0;
    // Picos de ocupado (a thread da página estava fazendo outra coisa) e
    // paradas (carga da página, DOM reescrito), a cada 10 mil chamadas, com a
    // duração sorteada entre o mínimo e o máximo.
    int picos_em_10mil = 0;
    std::int64_t pico_min_us = 0, pico_max_us = 0;
    int paradas_em_10mil = 0;
    std::int64_t parada_min_ms = 0, parada_max_ms = 0;
    // Por busca (FindAll e as variantes BuildCache dos passos): cada elemento
    // que o navegador examina e cada um que volta com cache.
    std::int64_t por_examinado_ns = 0;
    std::int64_t por_devolvido_us = 0;
    // A árvore da página chega este tempo depois da primeira chamada sobre a
    // janela; antes os documentos estão vazios, e cada chamada sobre ela é um pico.
    std::int64_t partida_ms = 0;
    // Os retângulos dos elementos que uma mudança da linha do tempo mexeu saem
    // como estavam este tempo antes (mover a janela aparece na hora).
    std::int64_t atraso_do_layout_ms = 0;
    std::uint64_t semente = 1;
    std::vector<ParadaMarcada> paradas;

    bool nenhum() const;
};

// O perfil "chromium": um Chromium de verdade, medido de fora.
PerfilDeCusto perfil_chromium();
// Um perfil pelo nome ("chromium" ou "nenhum").
std::optional<PerfilDeCusto> perfil_pelo_nome(const std::string& nome);

// UIA_E_TIMEOUT: o cliente desistiu de esperar.
inline constexpr std::int32_t TEMPO_ESGOTADO = static_cast<std::int32_t>(0x80131505u);

// O que uma ida ao navegador custou.
struct CustoDaIda {
    std::int64_t demora_ns = 0;
    std::optional<std::int32_t> falha;  // TEMPO_ESGOTADO
};

class CustoDoNavegador {
public:
    void definir(PerfilDeCusto p);
    const PerfilDeCusto& perfil() const { return perfil_; }
    // Volta ao começo: sorteios, partidas e atrasos esquecidos.
    void limpar();

    // Uma chamada sobre "janela" (a de topo) começa em "agora": a latência, o
    // pico, a parada. Marca a janela como acordada na primeira vez.
    void comecar(Hwnd janela, Instante agora);
    // Uma busca dentro da chamada examinou e devolveu tantos elementos.
    void examinou(std::int64_t n) { examinados_ += n; }
    void devolveu(std::int64_t n) { devolvidos_ += n; }
    // Fecha a chamada: o total, com o tempo esgotado do cliente (0 = nunca).
    CustoDaIda terminar(std::int64_t tempo_esgotado_ms);

    // A árvore da página desta janela (a de topo) ainda não chegou para quem
    // lê por UI Automation? Fora de uma ida (o ponteiro em cima de algo, por
    // exemplo) a página de verdade está sempre lá.
    bool adormecida(Hwnd janela, Instante agora) const;

    // Atraso do layout: "antes" e "depois" são os retângulos (relativos à
    // janela dona) dos elementos, pelo número, em volta de uma mudança da
    // linha do tempo. O retângulo que a página diz agora, relativo à janela,
    // ou nenhum quando é o de verdade.
    void mudou_o_layout(const std::map<int, Retangulo>& antes, const std::map<int, Retangulo>& depois,
                        Instante agora);
    std::optional<Retangulo> retangulo_atrasado(int numero, Instante agora);
    bool com_atraso() const { return perfil_.atraso_do_layout_ms > 0; }

private:
    std::uint64_t sorteio();
    std::int64_t entre(std::int64_t a, std::int64_t b);

    PerfilDeCusto perfil_;
    std::uint64_t estado_ = 1;
    std::map<Hwnd, Instante> acordadas_;
    // Por elemento: os retângulos de antes de cada mudança, com o instante.
    std::map<int, std::deque<std::pair<Instante, Retangulo>>> historico_;
    bool em_ida_ = false;
    std::int64_t demora_ns_ = 0;
    std::int64_t examinados_ = 0, devolvidos_ = 0;
};

}  // namespace plataforma::simulada
