#include "plataforma/simulada/custo.hpp"

#include <algorithm>
#include <chrono>

namespace plataforma::simulada {

namespace {

constexpr std::int64_t kNsPorUs = 1000;
constexpr std::int64_t kNsPorMs = 1000 * 1000;

std::int64_t ns_de(Instante t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

}  // namespace

bool PerfilDeCusto::nenhum() const {
    return base_us == 0 && variacao_us == 0 && picos_em_10mil == 0 && paradas_em_10mil == 0 &&
           por_examinado_ns == 0 && por_devolvido_us == 0 && partida_ms == 0 && atraso_do_layout_ms == 0 &&
           paradas.empty();
}

PerfilDeCusto perfil_chromium() {
    PerfilDeCusto p;
    p.nome = "chromium";
    // Ocioso, uma ida e volta responde entre 0,1 e 0,5 ms.
    p.base_us = 100;
    p.variacao_us = 400;
    // Com a thread principal ocupada, de alguns ms a mais de 10 ms.
    p.picos_em_10mil = 200;
    p.pico_min_us = 3000;
    p.pico_max_us = 15000;
    // Carga de página ou DOM grande reescrito: de 100 ms a segundos.
    p.paradas_em_10mil = 2;
    p.parada_min_ms = 100;
    p.parada_max_ms = 2000;
    // A condição avaliada no navegador: pouco por elemento percorrido, e o
    // grosso pelo que volta com cache.
    p.por_examinado_ns = 5000;
    p.por_devolvido_us = 250;
    p.partida_ms = 400;
    p.atraso_do_layout_ms = 250;
    return p;
}

std::optional<PerfilDeCusto> perfil_pelo_nome(const std::string& nome) {
    if (nome == "chromium") return perfil_chromium();
    if (nome == "nenhum") return PerfilDeCusto{};
    return std::nullopt;
}

void CustoDoNavegador::definir(PerfilDeCusto p) {
    perfil_ = std::move(p);
    limpar();
}

void CustoDoNavegador::limpar() {
    // A semente nunca deixa o estado em zero (o sorteio ficaria preso nele).
    estado_ = perfil_.semente ^ 0x9E3779B97F4A7C15ull;
    acordadas_.clear();
    historico_.clear();
    em_ida_ = false;
    demora_ns_ = 0;
    examinados_ = devolvidos_ = 0;
}

// splitmix64: pequeno, sem estado escondido e o mesmo em toda plataforma.
std::uint64_t CustoDoNavegador::sorteio() {
    std::uint64_t z = (estado_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::int64_t CustoDoNavegador::entre(std::int64_t a, std::int64_t b) {
    if (b <= a) return a;
    return a + static_cast<std::int64_t>(sorteio() % static_cast<std::uint64_t>(b - a + 1));
}

void CustoDoNavegador::comecar(Hwnd janela, Instante agora) {
    demora_ns_ = 0;
    examinados_ = devolvidos_ = 0;
    const PerfilDeCusto& p = perfil_;
    if (p.nenhum()) return;
    em_ida_ = true;
    if (janela) acordadas_.try_emplace(janela, agora);
    // Os sorteios saem sempre na mesma ordem, usados ou não: mudar uma taxa
    // não muda a latência das outras chamadas.
    const std::int64_t variacao = entre(0, p.variacao_us);
    const bool pico = static_cast<int>(sorteio() % 10000) < p.picos_em_10mil;
    const std::int64_t pico_us = entre(p.pico_min_us, p.pico_max_us);
    const bool parada = static_cast<int>(sorteio() % 10000) < p.paradas_em_10mil;
    const std::int64_t parada_ms = entre(p.parada_min_ms, p.parada_max_ms);
    demora_ns_ = (p.base_us + variacao) * kNsPorUs;
    if (pico || (janela && adormecida(janela, agora))) demora_ns_ += pico_us * kNsPorUs;
    if (parada) demora_ns_ += parada_ms * kNsPorMs;
    const std::int64_t agora_ns = ns_de(agora);
    for (const ParadaMarcada& m : p.paradas) {
        const std::int64_t de = m.em_ms * kNsPorMs, ate = (m.em_ms + m.ms) * kNsPorMs;
        if (agora_ns >= de && agora_ns < ate) demora_ns_ = std::max(demora_ns_, ate - agora_ns);
    }
}

CustoDaIda CustoDoNavegador::terminar(std::int64_t tempo_esgotado_ms) {
    CustoDaIda c;
    c.demora_ns = demora_ns_ + examinados_ * perfil_.por_examinado_ns +
                  devolvidos_ * perfil_.por_devolvido_us * kNsPorUs;
    if (tempo_esgotado_ms > 0 && c.demora_ns > tempo_esgotado_ms * kNsPorMs) {
        c.demora_ns = tempo_esgotado_ms * kNsPorMs;
        c.falha = TEMPO_ESGOTADO;
    }
    demora_ns_ = 0;
    examinados_ = devolvidos_ = 0;
    em_ida_ = false;
    return c;
}

bool CustoDoNavegador::adormecida(Hwnd janela, Instante agora) const {
    if (perfil_.partida_ms <= 0 || !em_ida_) return false;
    const auto it = acordadas_.find(janela);
    if (it == acordadas_.end()) return false;
    return agora < it->second + std::chrono::milliseconds{perfil_.partida_ms};
}

void CustoDoNavegador::mudou_o_layout(const std::map<int, Retangulo>& antes,
                                      const std::map<int, Retangulo>& depois, Instante agora) {
    if (!com_atraso()) return;
    for (const auto& [numero, ret] : antes) {
        const auto it = depois.find(numero);
        if (it != depois.end() && it->second != ret) historico_[numero].emplace_back(agora, ret);
    }
}

// A página diz o retângulo de "atraso" atrás: o de antes da primeira mudança
// que ainda não tem essa idade.
std::optional<Retangulo> CustoDoNavegador::retangulo_atrasado(int numero, Instante agora) {
    const auto it = historico_.find(numero);
    if (it == historico_.end()) return std::nullopt;
    auto& h = it->second;
    const Instante limite = agora - std::chrono::milliseconds{perfil_.atraso_do_layout_ms};
    while (!h.empty() && h.front().first <= limite) h.pop_front();
    if (h.empty()) {
        historico_.erase(it);
        return std::nullopt;
    }
    return h.front().second;
}

}  // namespace plataforma::simulada
