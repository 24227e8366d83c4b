#include "servidor_uia/mundo.hpp"

#include <algorithm>
#include <set>

#include "comum_wine.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "servidor_uia/registro.hpp"

namespace servidor_uia {

using plataforma::simulada::JanelaSim;

namespace {

// Ações que não são da área de trabalho simulada ou que o dublê do app faz
// no mundo de verdade (a entrada do localizador, o arquivo-chave, o fim):
// aqui dentro do localizador elas não rodam. "fim" encerraria o próprio
// localizador.
bool fica_de_fora(const std::string& acao) {
    static const std::set<std::string> fora = {"fim",    "entrada", "fim_da_entrada", "arquivo",
                                               "cursor", "tecla",   "travar",         "destravar"};
    return fora.count(acao) > 0;
}

struct Achadas {
    std::vector<std::pair<HWND, Hwnd>> topos;  // em ordem z, só as marcadas
    std::vector<std::pair<HWND, Hwnd>> filhas;
};

BOOL CALLBACK juntar_filha(HWND h, LPARAM lp) {
    if (const Hwnd c = banco::cena_de(h)) reinterpret_cast<Achadas*>(lp)->filhas.push_back({h, c});
    return TRUE;
}

BOOL CALLBACK juntar_topo(HWND h, LPARAM lp) {
    auto* achadas = reinterpret_cast<Achadas*>(lp);
    if (const Hwnd c = banco::cena_de(h)) {
        achadas->topos.push_back({h, c});
        EnumChildWindows(h, juntar_filha, lp);
    }
    return TRUE;
}

// A ordem real das que a área conhece primeiro; as que não estão de pé
// (ainda não abertas ou já fechadas no mundo real) ficam depois, na ordem em
// que estavam.
void reordenar(std::vector<Hwnd>& lista, const std::vector<Hwnd>& real) {
    std::vector<Hwnd> nova;
    for (Hwnd h : real)
        if (std::find(lista.begin(), lista.end(), h) != lista.end()) nova.push_back(h);
    for (Hwnd h : lista)
        if (std::find(nova.begin(), nova.end(), h) == nova.end()) nova.push_back(h);
    lista = std::move(nova);
}

}  // namespace

Mundo& Mundo::global() {
    static Mundo m;
    return m;
}

bool Mundo::iniciar() {
    std::lock_guard g(eventos_m_);
    if (iniciado_) return pronto_;
    iniciado_ = true;
    // O relógio da área só conta os instantes do rastro (desligado aqui) e
    // as travas internas: no tempo real elas são travas comuns.
    plataforma::simulada::Relogio::global().reiniciar(plataforma::simulada::Relogio::Modo::Real);
    const auto caminho = banco::variavel(banco::kVariavelCena);
    if (!caminho) {
        anotar("problema sem a variável " + std::string(banco::kVariavelCena));
        return false;
    }
    const auto texto = banco::ler_arquivo(*caminho);
    if (!texto) {
        anotar("problema não consegui ler a cena " + *caminho);
        return false;
    }
    try {
        plataforma::simulada::Cena cena = plataforma::simulada::carregar_cena(*texto, area());
        eventos_ = std::move(cena.linha_do_tempo);
    } catch (const plataforma::simulada::ErroDeCena& e) {
        anotar("problema cena " + *caminho + ": " + e.what());
        return false;
    }
    const auto inicio = banco::variavel(banco::kVariavelInicio);
    const auto valor = inicio ? ler_inteiro(*inicio) : std::nullopt;
    if (!valor) anotar("problema sem o instante zero da cena: a linha do tempo conta daqui");
    inicio_ms_ = valor.value_or(banco::agora_ms());
    pronto_ = true;
    return true;
}

void Mundo::em_dia() {
    std::lock_guard g(eventos_m_);
    if (!pronto_) return;
    const std::int64_t agora = banco::agora_ms() - inicio_ms_;
    while (proximo_ < eventos_.size() && eventos_[proximo_].em_ms <= agora) {
        const auto& e = eventos_[proximo_++];
        if (!fica_de_fora(e.acao)) plataforma::simulada::aplicar_evento(e);
    }
}

void Mundo::espelhar() {
    AreaDeTrabalho& a = area();
    Achadas achadas;
    EnumWindows(juntar_topo, reinterpret_cast<LPARAM>(&achadas));
    reais_.clear();
    for (const auto& [real, c] : achadas.topos) reais_[c] = real;
    for (const auto& [real, c] : achadas.filhas) reais_[c] = real;
    // Uma janela que já esteve de pé e sumiu foi fechada no mundo real (o
    // dublê a fechou antes de o evento vencer aqui): fecha na área também,
    // senão a árvore ainda a teria, sem janela real por trás.
    for (const auto& [c, real] : reais_) vistas_.insert(c);
    std::vector<Hwnd> sumidas;
    for (const auto& [h, j] : a.janelas)
        if (vistas_.count(h) && !reais_.count(h)) sumidas.push_back(h);
    for (Hwnd h : sumidas) a.fechar(h);

    const HWND mesa = GetDesktopWindow();
    auto copiar = [&](HWND real, Hwnd h) {
        JanelaSim* j = a.achar(h);
        if (!j) return;
        const HWND p = GetAncestor(real, GA_PARENT);
        const Hwnd pai = p && p != mesa ? banco::cena_de(p) : 0;
        if (pai != j->pai && (pai == 0 || a.achar(pai))) a.mudar_pai(h, pai);
        if (!j->pai) {
            const Hwnd dono = banco::cena_de(GetWindow(real, GW_OWNER));
            j->dono = a.achar(dono) ? dono : 0;
        }
        const LONG estilo = GetWindowLongW(real, GWL_STYLE);
        j->visivel = (estilo & WS_VISIBLE) != 0;
        j->estilo = static_cast<std::uint32_t>(estilo);
        j->minimizada = IsIconic(real) != 0;
        RECT r;
        // Minimizada, a janela da cena guarda o lugar de antes, como na simulação.
        if (!j->minimizada && GetWindowRect(real, &r)) {
            const Retangulo novo = banco::retangulo(r);
            if (novo != j->ret) a.mover(h, novo);
        }
        wchar_t titulo[512];
        const int n = InternalGetWindowText(real, titulo, 512);
        j->titulo = banco::estreito(std::wstring_view(titulo, n > 0 ? static_cast<std::size_t>(n) : 0));
    };
    // As de topo primeiro: as filhas andam com elas na área, e o que sobrar
    // de diferença nas filhas é delas mesmas.
    for (const auto& [real, c] : achadas.topos) copiar(real, c);
    for (const auto& [real, c] : achadas.filhas) copiar(real, c);

    std::vector<Hwnd> ordem;
    for (const auto& [real, c] : achadas.topos)
        if (const JanelaSim* j = a.achar(c); j && !j->pai) ordem.push_back(c);
    reordenar(a.ordem_z, ordem);
    for (auto& [h, j] : a.janelas) {
        const auto it = reais_.find(h);
        if (it == reais_.end() || j.filhas.empty()) continue;
        std::vector<Hwnd> filhas;
        for (HWND f = GetWindow(it->second, GW_CHILD); f; f = GetWindow(f, GW_HWNDNEXT))
            if (const Hwnd c = banco::cena_de(f)) filhas.push_back(c);
        reordenar(j.filhas, filhas);
    }
    const Hwnd frente = banco::cena_de(GetAncestor(GetForegroundWindow(), GA_ROOT));
    a.frente = a.achar(frente) ? frente : 0;
}

HWND Mundo::real_de(Hwnd cena) const {
    const auto it = reais_.find(cena);
    return it == reais_.end() ? nullptr : it->second;
}

std::uint32_t Mundo::processo_real(Hwnd cena) const {
    DWORD processo = 0;
    if (HWND real = real_de(cena)) GetWindowThreadProcessId(real, &processo);
    return processo;
}

}  // namespace servidor_uia
