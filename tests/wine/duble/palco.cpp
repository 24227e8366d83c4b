#include "duble/palco.hpp"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <thread>

#include "plataforma/simulada/relogio.hpp"

namespace banco {

using plataforma::simulada::JanelaSim;

// ------------------------------------------------------------------ diário

bool Diario::abrir(const std::string& caminho, const std::string& quem) {
    quem_ = quem;
    f_ = _wfopen(largo(caminho).c_str(), L"wb");
    return f_ != nullptr;
}

void Diario::escrever(Json linha) {
    std::lock_guard g(m_);
    if (!f_) return;
    Json j = {{"t", inicio_ms_ ? Json(agora_ms() - *inicio_ms_) : Json()}, {"duble", quem_}};
    j.update(linha);
    const std::string texto = j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    std::fwrite(texto.data(), 1, texto.size(), f_);
    std::fflush(f_);
}

void Diario::problema(const std::string& texto) { escrever({{"problema", texto}}); }

// ------------------------------------------------------------------- apoio

std::string minusculas_ascii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string nome_do_arquivo(const std::string& caminho) {
    const std::size_t barra = caminho.find_last_of("\\/");
    return barra == std::string::npos ? caminho : caminho.substr(barra + 1);
}

namespace {

BOOL CALLBACK juntar_filha(HWND h, LPARAM lp) {
    if (const Hwnd c = cena_de(h)) (*reinterpret_cast<std::map<Hwnd, HWND>*>(lp))[c] = h;
    return TRUE;
}

BOOL CALLBACK juntar(HWND h, LPARAM lp) {
    if (const Hwnd c = cena_de(h)) {
        (*reinterpret_cast<std::map<Hwnd, HWND>*>(lp))[c] = h;
        EnumChildWindows(h, juntar_filha, lp);
    }
    return TRUE;
}

BOOL CALLBACK juntar_topo(HWND h, LPARAM lp) {
    if (const Hwnd c = cena_de(h)) reinterpret_cast<std::vector<Hwnd>*>(lp)->push_back(c);
    return TRUE;
}

}  // namespace

std::map<Hwnd, HWND> janelas_marcadas() {
    std::map<Hwnd, HWND> r;
    EnumWindows(juntar, reinterpret_cast<LPARAM>(&r));
    return r;
}

std::vector<Hwnd> ordem_z_real() {
    std::vector<Hwnd> r;
    EnumWindows(juntar_topo, reinterpret_cast<LPARAM>(&r));
    return r;
}

void marcar_pronto(const std::string& pasta, const std::string& exe) {
    HANDLE f = CreateFileW(largo(arquivo_da_pasta(pasta, exe + ".pronto")).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

bool esta_pronto(const std::string& pasta, const std::string& exe) {
    return GetFileAttributesW(largo(arquivo_da_pasta(pasta, exe + ".pronto")).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

Palco*& palco_atual() {
    static Palco* p = nullptr;
    return p;
}

int esperar_despachando(const std::vector<HANDLE>& objetos, std::int64_t ate_ms) {
    for (;;) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        const std::int64_t agora = agora_ms();
        if (agora >= ate_ms) return -1;
        const std::int64_t falta = ate_ms - agora;
        const DWORD espera = falta > 0x7FFFFFFF ? INFINITE : static_cast<DWORD>(falta);
        const DWORD n = static_cast<DWORD>(objetos.size());
        const DWORD r = MsgWaitForMultipleObjects(n, objetos.data(), FALSE, espera, QS_ALLINPUT);
        if (r < WAIT_OBJECT_0 + n) return static_cast<int>(r - WAIT_OBJECT_0);
        if (r == WAIT_FAILED) return -2;
    }
}

namespace {

LRESULT CALLBACK procedimento_global(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        // A marca vem antes de tudo: o WM_NCCALCSIZE que segue já a usa.
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        marcar(h, static_cast<Hwnd>(reinterpret_cast<INT_PTR>(cs->lpCreateParams)));
    }
    if (Palco* p = palco_atual()) return p->procedimento(h, msg, wp, lp);
    return DefWindowProcW(h, msg, wp, lp);
}

void nada(std::uint32_t, Hwnd, std::int32_t, std::int32_t) {}

// O Wine guarda em cada thread uma foto de quais ganchos existem e só a
// renova quando a thread tira uma mensagem da fila: com a foto velha, o
// NotifyWinEvent nem procura os ganchos instalados depois dela (os do
// localizador) e o aviso se perde. Uma mensagem nossa, tirada logo antes dos
// avisos, renova a foto.
constexpr UINT kRenovarGanchos = WM_APP + 0x3A;

void renovar_ganchos_vistos() {
    PostThreadMessageW(GetCurrentThreadId(), kRenovarGanchos, 0, 0);
    MSG m;
    PeekMessageW(&m, reinterpret_cast<HWND>(-1), kRenovarGanchos, kRenovarGanchos, PM_REMOVE);
}

Json ret_json(const Retangulo& r) { return Json::array({r.esquerda, r.topo, r.direita, r.base}); }

std::string hex(std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%04X", v);
    return b;
}

}  // namespace

// ------------------------------------------------------------------- palco

Palco::Palco(std::string executavel, Diario& diario) : executavel_(std::move(executavel)), diario_(diario) {
    palco_atual() = this;
}

bool Palco::carregar(const std::string& caminho) {
    // Relógio real: as travas internas da área (as do aviso às filas) são
    // travas comuns; o modelo não tem threads do programa.
    plataforma::simulada::Relogio::global().reiniciar(plataforma::simulada::Relogio::Modo::Real);
    const auto texto = ler_arquivo(caminho);
    if (!texto) {
        diario_.problema("não consegui ler a cena " + caminho);
        return false;
    }
    try {
        eventos_ = plataforma::simulada::carregar_cena(*texto, area()).linha_do_tempo;
    } catch (const plataforma::simulada::ErroDeCena& e) {
        diario_.problema("cena " + caminho + ": " + e.what());
        return false;
    }
    // Um gancho que pega tudo, na área: os avisos que a simulação daria a
    // cada mudança ficam na fila dele, e o palco os dá de verdade.
    AreaDeTrabalho& a = area();
    std::lock_guard g(a.m);
    a.ganchos.push_back({1, 0, 0xFFFFFFFFu, 0, nada, std::this_thread::get_id()});
    reacoes_ = std::exchange(a.reacoes, {});
    return true;
}

void Palco::reagir(std::size_t indice) {
    if (indice >= reacoes_.size()) {
        diario_.problema("reação " + std::to_string(indice) + " que a cena não tem");
        return;
    }
    const plataforma::simulada::ReacaoSim& r = reacoes_[indice];
    diario_.escrever({{"reacao", r.onde}, {"chave", r.chave}});
    for (std::size_t i = 0; i < r.acoes.size(); ++i) {
        EventoDaCena e;
        e.acao = r.acoes[i].at("acao").get<std::string>();
        e.onde = r.onde + ".acoes[" + std::to_string(i) + "]";
        e.dados = r.acoes[i];
        aplicar(e);
    }
}

std::string Palco::exe_de(Hwnd cena) {
    AreaDeTrabalho& a = area();
    const JanelaSim* j = a.achar(a.raiz_de(cena));
    if (!j) return {};
    const auto p = a.processos.find(j->processo);
    return p == a.processos.end() ? std::string() : minusculas_ascii(nome_do_arquivo(p->second.caminho));
}

bool Palco::minha(Hwnd cena) { return !executavel_.empty() && exe_de(cena) == executavel_; }

std::set<std::string> Palco::executaveis() const {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::set<std::string> r;
    for (const auto& [id, p] : a.processos)
        if (id != a.processo_do_programa && !p.caminho.empty())
            r.insert(minusculas_ascii(nome_do_arquivo(p.caminho)));
    for (const EventoDaCena& e : eventos_)
        if (e.acao == "abrir" && e.dados.contains("janela") && e.dados["janela"].contains("executavel"))
            r.insert(minusculas_ascii(nome_do_arquivo(e.dados["janela"]["executavel"].get<std::string>())));
    return r;
}

HWND Palco::real_de(Hwnd cena) const {
    const auto it = reais_.find(cena);
    return it == reais_.end() ? nullptr : it->second;
}

void Palco::criar(Hwnd cena) {
    AreaDeTrabalho& a = area();
    JanelaSim j;
    Retangulo origem;
    std::optional<std::vector<Retangulo>> regiao;
    {
        std::lock_guard g(a.m);
        const JanelaSim* p = a.achar(cena);
        if (!p) return;
        j = *p;
        if (const JanelaSim* mae = a.achar(j.pai)) origem = a.cliente_em_tela(*mae);
        if (const auto it = a.regioes.find(j.regiao); j.regiao && it != a.regioes.end()) regiao = it->second;
    }
    std::wstring classe = largo(j.classe.empty() ? "DubleSemClasse" : j.classe);
    if (!classes_.count(classe)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = procedimento_global;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = classe.c_str();
        if (!RegisterClassExW(&wc)) diario_.problema("RegisterClassExW " + j.classe);
        classes_.insert(classe);
    }
    DWORD estilo = j.estilo & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE);
    HWND mae = nullptr;
    int x = j.ret.esquerda, y = j.ret.topo;
    if (j.pai) {
        mae = real_de(j.pai);
        estilo |= WS_CHILD;
        if (j.visivel) estilo |= WS_VISIBLE;
        x -= origem.esquerda;
        y -= origem.topo;
    } else if (j.dono) {
        mae = real_de(j.dono);
    }
    ++mexendo_;
    HWND real = CreateWindowExW(j.estilo_ex, classe.c_str(), largo(j.titulo).c_str(), estilo, x, y,
                                static_cast<int>(j.ret.largura()), static_cast<int>(j.ret.altura()), mae,
                                nullptr, GetModuleHandleW(nullptr),
                                reinterpret_cast<LPVOID>(static_cast<INT_PTR>(cena)));
    --mexendo_;
    if (!real) {
        diario_.problema("CreateWindowExW da janela " + std::to_string(cena) + ": erro " +
                         std::to_string(GetLastError()));
        return;
    }
    reais_[cena] = real;
    diario_.escrever({{"criada", cena}, {"real", numero(real)}, {"ret", ret_json(j.ret)}});
    if (regiao) {
        // A região da cena, que o dono da janela já tinha dado; a vazia é a
        // CreateRectRgn(0, 0, 0, 0) (NULLREGION).
        HRGN r = CreateRectRgn(0, 0, 0, 0);
        for (const Retangulo& x : *regiao) {
            HRGN parte = CreateRectRgn(x.esquerda, x.topo, x.direita, x.base);
            CombineRgn(r, r, parte, RGN_OR);
            DeleteObject(parte);
        }
        // Deu certo: a região é do sistema agora.
        if (!SetWindowRgn(real, r, FALSE)) {
            DeleteObject(r);
            diario_.problema("SetWindowRgn da janela " + std::to_string(cena));
        }
    }
    for (Hwnd f : j.filhas) criar(f);
    // A primeira filha da cena é a de cima.
    ++mexendo_;
    for (auto it = j.filhas.rbegin(); it != j.filhas.rend(); ++it)
        if (HWND f = real_de(*it))
            SetWindowPos(f, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!j.pai && j.visivel) ShowWindow(real, j.minimizada ? SW_SHOWMINNOACTIVE : SW_SHOWNA);
    --mexendo_;
}

void Palco::criar_iniciais() {
    std::vector<Hwnd> topos;
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        // De baixo para cima: cada janela nova fica por cima das anteriores.
        for (auto it = a.ordem_z.rbegin(); it != a.ordem_z.rend(); ++it)
            if (minha(*it)) topos.push_back(*it);
    }
    for (Hwnd h : topos) criar(h);
}

std::map<Hwnd, Palco::Estado> Palco::fotografar() {
    AreaDeTrabalho& a = area();
    std::lock_guard g(a.m);
    std::map<Hwnd, Estado> r;
    for (const auto& [h, j] : a.janelas)
        if (minha(h)) r[h] = Estado{j.ret, j.titulo, j.visivel, j.minimizada};
    return r;
}

void Palco::posicionar(Hwnd cena, const Retangulo& ret) {
    HWND real = real_de(cena);
    if (!real) return;
    POINT p{ret.esquerda, ret.topo};
    if (HWND mae = GetAncestor(real, GA_PARENT); mae && mae != GetDesktopWindow()) ScreenToClient(mae, &p);
    SetWindowPos(real, nullptr, p.x, p.y, static_cast<int>(ret.largura()), static_cast<int>(ret.altura()),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Palco::dar_avisos() {
    struct Aviso {
        HWND real;
        Hwnd cena;
        std::uint32_t evento;
        std::int32_t objeto, filho;
    };
    std::vector<Aviso> avisos;
    {
        AreaDeTrabalho& a = area();
        std::lock_guard g(a.m);
        for (const auto& [id, av] : a.avisos)
            if (minha(av.janela))
                if (HWND real = real_de(av.janela))
                    avisos.push_back({real, av.janela, av.evento, av.objeto, av.filho});
        a.avisos.clear();
        a.filas.clear();
    }
    if (!avisos.empty()) renovar_ganchos_vistos();
    for (const Aviso& av : avisos) {
        NotifyWinEvent(av.evento, av.real, av.objeto, av.filho);
        diario_.escrever({{"aviso", hex(av.evento)}, {"janela", av.cena}, {"objeto", av.objeto}});
    }
}

void Palco::reconciliar(const std::map<Hwnd, Estado>& antes, const EventoDaCena* e) {
    const std::map<Hwnd, Estado> depois = fotografar();
    ++mexendo_;
    for (const auto& [h, d] : depois) {
        const auto it = antes.find(h);
        if (it == antes.end()) {
            // Aberta agora: no alto da ordem z, sem vir para a frente.
            bool de_topo = false;
            {
                AreaDeTrabalho& a = area();
                std::lock_guard g(a.m);
                de_topo = a.achar(h) && !a.achar(h)->pai;
            }
            if (!de_topo || real_de(h)) continue;
            criar(h);
            if (HWND real = real_de(h))
                SetWindowPos(real, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            continue;
        }
        const Estado& a = it->second;
        HWND real = real_de(h);
        if (!real) continue;
        if (d.ret != a.ret && !d.minimizada) posicionar(h, d.ret);
        if (d.titulo != a.titulo) SetWindowTextW(real, largo(d.titulo).c_str());
        if (d.minimizada != a.minimizada)
            ShowWindow(real, d.minimizada ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
        if (d.visivel != a.visivel) ShowWindow(real, d.visivel ? SW_SHOWNA : SW_HIDE);
    }
    if (e && e->acao == "frente") {
        Hwnd frente = 0;
        {
            AreaDeTrabalho& a = area();
            std::lock_guard g(a.m);
            frente = a.frente;
        }
        if (frente && minha(frente))
            if (HWND real = real_de(frente)) {
                SetForegroundWindow(real);
                SetWindowPos(real, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
    }
    --mexendo_;
    // Os avisos saem com as janelas fechadas ainda de pé (o EVENT_OBJECT_HIDE
    // de uma janela que fecha leva o handle dela); depois elas vão embora.
    dar_avisos();
    for (const auto& [h, a] : antes) {
        if (depois.count(h)) continue;
        HWND real = real_de(h);
        if (!real) continue;
        if (!(GetWindowLongW(real, GWL_STYLE) & WS_CHILD)) DestroyWindow(real);
        reais_.erase(h);
    }
}

// A thread de um navegador que para de responder: a das janelas deste dublê
// não tira mensagens da fila até o destravar da cena (o do "ms"). Quem mandou
// uma mensagem e espera a resposta espera junto; o que chega pela fila fica
// para depois, como os eventos da linha do tempo que caem no meio.
void Palco::travar(const EventoDaCena& e) {
    const Hwnd janela = e.dados.value("janela", Hwnd{0});
    if (!minha(janela)) return;
    const EventoDaCena* solta = nullptr;
    for (const EventoDaCena& d : eventos_)
        if (d.acao == "destravar" && d.em_ms >= e.em_ms && d.dados.value("janela", Hwnd{0}) == janela) {
            solta = &d;
            break;
        }
    if (!solta) {
        diario_.problema("travar sem o destravar (o \"ms\") da janela " + std::to_string(janela));
        return;
    }
    diario_.escrever({{"evento", "travar"}, {"janela", janela}});
    // Até o instante do destravar na linha do tempo, como os outros eventos:
    // um travar aplicado atrasado não atrasa o destravar.
    const auto inicio = diario_.inicio_ms();
    const std::int64_t ate = inicio ? *inicio + solta->em_ms : agora_ms() + (solta->em_ms - e.em_ms);
    if (const std::int64_t falta = ate - agora_ms(); falta > 0) Sleep(static_cast<DWORD>(falta));
    diario_.escrever({{"evento", "destravar"}, {"janela", janela}});
}

void Palco::aplicar(const EventoDaCena& e) {
    static const std::set<std::string> sem_wine = {"dpi", "tecla"};
    if (e.acao == "travar") {
        travar(e);
        return;
    }
    // A thread já voltou: o travar dormiu até este instante.
    if (e.acao == "destravar") return;
    if (sem_wine.count(e.acao)) {
        diario_.problema("ação sem equivalente no Wine: " + e.acao);
        return;
    }
    // O resto do mundo de verdade (entrada, arquivo, cursor, fim) é do dublê
    // do app; aqui só a área.
    if (e.acao == "fim" || e.acao == "entrada" || e.acao == "fim_da_entrada" || e.acao == "arquivo" ||
        e.acao == "cursor")
        return;
    const auto antes = fotografar();
    plataforma::simulada::aplicar_evento(e);
    Json registro = {{"evento", e.acao}};
    if (e.dados.contains("janela"))
        registro["janela"] = e.dados["janela"].is_object() ? e.dados["janela"]["hwnd"] : e.dados["janela"];
    diario_.escrever(registro);
    reconciliar(antes, &e);
}

LRESULT Palco::procedimento(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    AreaDeTrabalho& a = area();
    const Hwnd cena = cena_de(h);
    switch (msg) {
        case WM_NCCALCSIZE: {
            // A área cliente é a da cena: o retângulo menos as bordas dela
            // (no Chrome, 8 px dos lados e de baixo e nada em cima).
            Retangulo b;
            {
                std::lock_guard g(a.m);
                const JanelaSim* j = a.achar(cena);
                if (!j) break;
                b = j->bordas;
            }
            RECT* r = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp);
            r->left += b.esquerda;
            r->top += b.topo;
            r->right -= b.direita;
            r->bottom -= b.base;
            if (r->right < r->left) r->right = r->left;
            if (r->bottom < r->top) r->bottom = r->top;
            return 0;
        }
        case WM_WINDOWPOSCHANGED: {
            const auto* wpos = reinterpret_cast<const WINDOWPOS*>(lp);
            if (!cena || mexendo_) break;
            // Uma mudança que veio de fora (o localizador): volta para o
            // modelo, com os avisos que a simulação daria.
            bool mudou = false;
            Json linha;
            Json mae;
            RECT r;
            {
                std::lock_guard g(a.m);
                JanelaSim* j = a.achar(cena);
                if (!j) break;
                // SetParent de fora (o localizador prendendo a Vidrel ao
                // navegador): a mãe nova, e as coordenadas que ficam as mesmas
                // na área cliente dela, como na simulação.
                const HWND p = GetAncestor(h, GA_PARENT);
                const Hwnd pai = p && p != GetDesktopWindow() ? cena_de(p) : 0;
                if (pai != j->pai && (pai == 0 || a.achar(pai))) {
                    mae = {{"mae", cena}, {"pai", pai}};
                    a.mudar_pai(cena, pai);
                    mudou = true;
                }
                if (!IsIconic(h) && GetWindowRect(h, &r) && retangulo(r) != j->ret) {
                    linha = {{"movida", cena}, {"ret", ret_json(retangulo(r))}, {"antes", ret_json(j->ret)}};
                    a.mover(cena, retangulo(r));
                    mudou = true;
                }
                if ((wpos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) &&
                    j->visivel != ((wpos->flags & SWP_SHOWWINDOW) != 0)) {
                    a.mudar_visibilidade(cena, (wpos->flags & SWP_SHOWWINDOW) != 0);
                    mudou = true;
                }
            }
            if (!mae.is_null()) diario_.escrever(mae);
            if (!linha.is_null()) diario_.escrever(linha);
            if (mudou) dar_avisos();
            break;
        }
        case WM_SHOWWINDOW:
            if (cena && !mexendo_ && lp == 0) {
                bool mudou = false;
                {
                    std::lock_guard g(a.m);
                    JanelaSim* j = a.achar(cena);
                    if (j && j->visivel != (wp != 0)) {
                        a.mudar_visibilidade(cena, wp != 0);
                        mudou = true;
                    }
                }
                if (mudou) {
                    diario_.escrever({{wp ? "mostrada" : "escondida", cena}});
                    dar_avisos();
                }
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            diario_.escrever({{"tecla", cena},
                              {"vk", static_cast<int>(wp)},
                              {"msg", msg == WM_KEYDOWN ? "WM_KEYDOWN" : "WM_SYSKEYDOWN"}});
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            diario_.escrever({{"tecla_solta", cena}, {"vk", static_cast<int>(wp)}});
            break;
        case WM_CHAR: {
            // Um caractere fora do plano básico chega em dois WM_CHAR (o par).
            const wchar_t c = static_cast<wchar_t>(wp);
            if (c >= 0xD800 && c <= 0xDBFF) {
                pendente_.assign(1, c);
                return 0;
            }
            std::wstring texto = pendente_;
            texto += c;
            pendente_.clear();
            diario_.escrever({{"caractere", cena}, {"texto", estreito(texto)}});
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            // Cores fixas e conhecidas por baixo da Vidrel (a prova da tela
            // confere a borda do cartão contra elas).
            const bool filha = (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) != 0;
            HBRUSH pincel = CreateSolidBrush(filha ? RGB(200, 200, 210) : RGB(90, 90, 100));
            RECT c;
            GetClientRect(h, &c);
            FillRect(dc, &c, pincel);
            DeleteObject(pincel);
            EndPaint(h, &ps);
            return 0;
        }
        case kMensagemDaReacao:
            reagir(static_cast<std::size_t>(wp));
            return 0;
        case WM_CLOSE:
            // Só a linha do tempo fecha as janelas da cena.
            return 0;
        case WM_NCDESTROY:
            for (auto it = reais_.begin(); it != reais_.end();)
                it = it->second == h ? reais_.erase(it) : std::next(it);
            break;
        default:
            break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace banco
