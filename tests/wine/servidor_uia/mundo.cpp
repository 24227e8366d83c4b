#include "servidor_uia/mundo.hpp"

#include <algorithm>
#include <optional>
#include <set>

#include <nlohmann/json.hpp>

#include "comum_wine.hpp"
#include "plataforma/simulada/relogio.hpp"
#include "servidor_uia/registro.hpp"

namespace servidor_uia {

using plataforma::simulada::JanelaSim;
using plataforma::simulada::ReacaoSim;

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

std::string executavel_de(const std::string& caminho) {
    std::string nome = caminho.substr(caminho.find_last_of("\\/") + 1);
    for (char& c : nome)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return nome;
}

// Os retângulos de uma região GDI (GetRegionData), relativos à janela.
std::vector<Retangulo> retangulos_da_regiao(HRGN r) {
    std::vector<Retangulo> rs;
    const DWORD tamanho = GetRegionData(r, 0, nullptr);
    if (tamanho < sizeof(RGNDATAHEADER)) return rs;
    std::vector<char> dados(tamanho);
    auto* d = reinterpret_cast<RGNDATA*>(dados.data());
    if (GetRegionData(r, tamanho, d) != tamanho) return rs;
    const auto* rects = reinterpret_cast<const RECT*>(d->Buffer);
    for (DWORD i = 0; i < d->rdh.nCount; ++i) rs.push_back(banco::retangulo(rects[i]));
    return rs;
}

// O VK_PACKET do WM_KEYDOWN de uma unidade Unicode do SendInput: o que ela
// leva chega no WM_CHAR que vem junto, não é uma tecla.
constexpr int kPacote = 0xE7;

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
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        // Os diários de todos os dublês: o teclado chega à janela da frente,
        // seja de quem for.
        if (const auto pasta = banco::variavel(banco::kVariavelPasta)) {
            std::set<std::string> exes;
            for (const auto& [id, p] : a.processos)
                if (id != a.processo_do_programa && !p.caminho.empty()) exes.insert(executavel_de(p.caminho));
            for (const auto& e : eventos_)
                if (e.acao == "abrir" && e.dados.contains("janela") &&
                    e.dados["janela"].contains("executavel"))
                    exes.insert(executavel_de(e.dados["janela"]["executavel"].get<std::string>()));
            for (const std::string& exe : exes)
                diarios_[banco::arquivo_da_pasta(*pasta, banco::nome_do_diario(exe))] = 0;
        } else {
            anotar("problema sem a variável " + std::string(banco::kVariavelPasta) +
                   ": o teclado dos dublês não chega à página");
        }
        a.depois_da_reacao = [](const ReacaoSim& r) { Mundo::global().avisar_reacao(r); };
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

    // A região que o localizador dá à Vidrel do app (o buraco de passagem) e
    // o cursor que ele põe em cima da linha: o que fica sob o ponteiro
    // depende dos dois, e das janelas acima.
    for (const auto& [real, c] : achadas.topos) espelhar_regiao(real, c);
    for (const auto& [real, c] : achadas.filhas) espelhar_regiao(real, c);
    POINT cursor;
    if (GetCursorPos(&cursor)) a.cursor = {cursor.x, cursor.y};
    receber_teclado();
    a.atualizar_hover();
}

void Mundo::espelhar_regiao(HWND real, Hwnd h) {
    AreaDeTrabalho& a = area();
    JanelaSim* j = a.achar(h);
    if (!j) return;
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    if (!r) return;
    const int tipo = GetWindowRgn(real, r);
    // ERROR: a janela não tem região (é inteira); NULLREGION: tem, vazia.
    const bool tem = tipo == SIMPLEREGION || tipo == COMPLEXREGION || tipo == NULLREGION;
    std::vector<Retangulo> rs = tem ? retangulos_da_regiao(r) : std::vector<Retangulo>{};
    DeleteObject(r);
    const auto atual = j->regiao ? a.regioes.find(j->regiao) : a.regioes.end();
    if (tem && atual != a.regioes.end() && atual->second == rs) return;
    if (!tem && !j->regiao) return;
    if (atual != a.regioes.end()) a.regioes.erase(atual);
    j->regiao = 0;
    if (tem) {
        j->regiao = a.proxima_regiao++;
        a.regioes[j->regiao] = std::move(rs);
    }
}

void Mundo::receber_teclado() {
    AreaDeTrabalho& a = area();
    for (auto& [caminho, lido] : diarios_) {
        HANDLE f = CreateFileW(banco::largo(caminho).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (f == INVALID_HANDLE_VALUE) continue;
        LARGE_INTEGER tamanho{};
        std::string novo;
        if (GetFileSizeEx(f, &tamanho) && static_cast<std::uint64_t>(tamanho.QuadPart) > lido) {
            LARGE_INTEGER de{};
            de.QuadPart = static_cast<LONGLONG>(lido);
            novo.resize(static_cast<std::size_t>(tamanho.QuadPart - de.QuadPart));
            DWORD n = 0;
            if (!SetFilePointerEx(f, de, nullptr, FILE_BEGIN) ||
                !ReadFile(f, novo.data(), static_cast<DWORD>(novo.size()), &n, nullptr))
                n = 0;
            novo.resize(n);
        }
        CloseHandle(f);
        // Só as linhas inteiras; o resto fica para a próxima vez.
        const std::size_t fim = novo.rfind('\n');
        if (fim == std::string::npos) continue;
        lido += fim + 1;
        std::size_t inicio = 0;
        while (inicio <= fim) {
            const std::size_t quebra = novo.find('\n', inicio);
            const nlohmann::json l = nlohmann::json::parse(novo.substr(inicio, quebra - inicio), nullptr,
                                                           false);
            inicio = quebra + 1;
            if (!l.is_object()) continue;
            std::string texto;
            std::vector<int> teclas;
            if (l.contains("caractere") && l.value("texto", std::string()).size() > 0) {
                texto = l["texto"].get<std::string>();
                // Os de controle (o Esc também chega como WM_CHAR 0x1B) são
                // teclas, não texto.
                const unsigned char c = static_cast<unsigned char>(texto[0]);
                if (c < 0x20 || c == 0x7F) continue;
            } else if (l.contains("tecla") && l.value("msg", std::string()) == "WM_KEYDOWN" &&
                       l.value("vk", 0) != kPacote) {
                teclas.push_back(l.value("vk", 0));
            } else {
                continue;
            }
            const AreaDeTrabalho::Entrega e = a.receber_teclado(texto, teclas);
            nlohmann::ordered_json nota = {{"efeito", "teclado"},
                                           {"texto", texto},
                                           {"teclas", teclas},
                                           {"entregue", e.entregue},
                                           {"destino", e.destino}};
            anotar("efeito " + nota.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
        }
    }
}

// Na thread da reação, sem a trava: a mudança já está na área, e agora cada
// dublê (uma janela de cada processo) a aplica no modelo dele.
void Mundo::avisar_reacao(const ReacaoSim& r) {
    std::vector<HWND> destinos;
    std::optional<std::size_t> indice;
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        for (std::size_t i = 0; i < a.reacoes.size() && !indice; ++i)
            if (a.reacoes[i].onde == r.onde) indice = i;
        std::set<DWORD> processos;
        for (const auto& [c, real] : reais_) {
            DWORD p = 0;
            GetWindowThreadProcessId(real, &p);
            if (p && p != GetCurrentProcessId() && processos.insert(p).second) destinos.push_back(real);
        }
    }
    if (!indice) {
        anotar("problema a reação " + r.onde + " não está na cena");
        return;
    }
    for (HWND h : destinos) PostMessageW(h, banco::kMensagemDaReacao, *indice, 0);
    anotar("reacao " + r.onde + " " + r.chave);
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
