// O dublê do app (o Vornel): o pai do localizador, como no Windows. Ele põe
// de pé as janelas do próprio processo (a que --janela nomeia), inicia um
// dublê do navegador para cada outro executável da cena e espera as janelas
// deles, acerta a janela da frente e a ordem z da cena, escolhe o instante
// zero da linha do tempo e inicia o localizador com a saída, o erro e a
// entrada em canos (a saída e o erro vão para arquivos, também linha a linha
// com o instante de chegada). Na linha do tempo, além das próprias
// janelas, ele faz o que é do mundo e não de uma janela: as linhas da
// entrada, o fim dela, o arquivo-chave, o cursor e o fim da cena (o
// localizador é encerrado com o código do evento). Enquanto o localizador
// roda, uma thread olha o cursor (GetCursorPos) e a região das janelas do app
// (GetWindowRgn: o buraco de passagem que o localizador abre na Vidrel) e põe
// cada mudança no diário.
//
//   vornel.exe --cena <cena.json> --pasta <pasta> --localizador <exe> -- <opções do localizador>
//
// Nas opções, os valores de --janela, --pulsar-janela e --dono são handles
// da cena e viram os das janelas reais.

#include <windows.h>

#include <atomic>
#include <set>
#include <thread>

#include "duble/argumentos.hpp"
#include "duble/palco.hpp"

namespace banco {
namespace {

// Aspas e barras pelas regras do CommandLineToArgvW.
std::wstring citar(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\n\v\"") == std::wstring::npos) return a;
    std::wstring r = L"\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t barras = 0;
        while (i < a.size() && a[i] == L'\\') {
            ++i;
            ++barras;
        }
        if (i == a.size()) {
            r.append(barras * 2, L'\\');
            break;
        }
        if (a[i] == L'"') {
            r.append(barras * 2 + 1, L'\\');
        } else {
            r.append(barras, L'\\');
        }
        r += a[i];
    }
    return r + L"\"";
}

// A saída ou o erro do localizador: um cano lido por uma thread, que grava os
// bytes como vieram (<nome>.txt) e cada linha com o instante em que chegou
// (<nome>.t.jsonl, milissegundos desde o instante zero). A comparação usa os
// instantes para reconhecer as linhas de passagem logo depois de uma mudança
// de janela da cena.
class Cano {
public:
    bool abrir(const std::string& pasta, const std::string& nome) {
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        if (!CreatePipe(&leitura_, &escrita_, &sa, 0)) return false;
        SetHandleInformation(leitura_, HANDLE_FLAG_INHERIT, 0);
        bruto_ = _wfopen(largo(arquivo_da_pasta(pasta, nome + ".txt")).c_str(), L"wb");
        linhas_ = _wfopen(largo(arquivo_da_pasta(pasta, nome + ".t.jsonl")).c_str(), L"wb");
        return bruto_ && linhas_;
    }
    HANDLE ponta_do_filho() const { return escrita_; }

    // Depois do CreateProcess: só o filho fica com a ponta de escrita, e o fim
    // dele fecha o cano.
    void ler(std::int64_t inicio_ms) {
        CloseHandle(std::exchange(escrita_, nullptr));
        leitor_ = std::thread([this, inicio_ms] {
            std::string linha;
            char b[4096];
            DWORD n = 0;
            while (ReadFile(leitura_, b, sizeof b, &n, nullptr) && n > 0) {
                std::fwrite(b, 1, n, bruto_);
                std::fflush(bruto_);
                for (DWORD i = 0; i < n; ++i) {
                    if (b[i] != '\n') {
                        linha += b[i];
                        continue;
                    }
                    const Json j = {{"t", agora_ms() - inicio_ms}, {"linha", linha}};
                    const std::string texto = j.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
                    std::fwrite(texto.data(), 1, texto.size(), linhas_);
                    std::fflush(linhas_);
                    linha.clear();
                }
            }
        });
    }

    ~Cano() {
        if (escrita_) CloseHandle(escrita_);
        if (leitor_.joinable()) leitor_.join();
        if (leitura_) CloseHandle(leitura_);
        if (bruto_) std::fclose(bruto_);
        if (linhas_) std::fclose(linhas_);
    }

private:
    HANDLE leitura_ = nullptr;
    HANDLE escrita_ = nullptr;
    std::FILE* bruto_ = nullptr;
    std::FILE* linhas_ = nullptr;
    std::thread leitor_;
};

// O cursor e as regiões das janelas deste processo, olhados a cada 5 ms:
// o localizador segura cada lugar do ponteiro pelo menos 40 ms e o buraco de
// passagem por centenas, então nenhuma mudança passa entre duas olhadas.
class Vigia {
public:
    explicit Vigia(Diario& diario) : diario_(diario) {}
    void comecar() {
        fio_ = std::thread([this] {
            while (!parar_) {
                olhar();
                Sleep(5);
            }
        });
    }
    ~Vigia() {
        parar_ = true;
        if (fio_.joinable()) fio_.join();
    }

private:
    void olhar() {
        POINT p;
        if (GetCursorPos(&p) && (!cursor_ || p.x != cursor_->x || p.y != cursor_->y)) {
            cursor_ = p;
            diario_.escrever({{"cursor", Json::array({p.x, p.y})}});
        }
        for (const auto& [cena, real] : janelas_marcadas()) {
            DWORD processo = 0;
            GetWindowThreadProcessId(real, &processo);
            if (processo != GetCurrentProcessId()) continue;
            const Json r = regiao_de(real);
            const auto it = regioes_.find(cena);
            // Sem região no começo é o normal: só as mudanças vão ao diário.
            if (it == regioes_.end() ? r.is_null() : it->second == r) continue;
            regioes_[cena] = r;
            diario_.escrever({{"regiao", cena}, {"retangulos", r}});
        }
    }

    // Os retângulos da região da janela (GDI), relativos a ela; nulo sem região.
    static Json regiao_de(HWND h) {
        HRGN r = CreateRectRgn(0, 0, 0, 0);
        const int tipo = GetWindowRgn(h, r);
        Json rs;
        if (tipo == SIMPLEREGION || tipo == COMPLEXREGION || tipo == NULLREGION) {
            rs = Json::array();
            const DWORD tamanho = GetRegionData(r, 0, nullptr);
            std::vector<char> dados(tamanho);
            auto* d = reinterpret_cast<RGNDATA*>(dados.data());
            if (tamanho >= sizeof(RGNDATAHEADER) && GetRegionData(r, tamanho, d) == tamanho) {
                const auto* rects = reinterpret_cast<const RECT*>(d->Buffer);
                for (DWORD i = 0; i < d->rdh.nCount; ++i)
                    rs.push_back(Json::array({rects[i].left, rects[i].top, rects[i].right, rects[i].bottom}));
            }
        }
        DeleteObject(r);
        return rs;
    }

    Diario& diario_;
    std::thread fio_;
    std::atomic<bool> parar_{false};
    std::optional<POINT> cursor_;
    std::map<Hwnd, Json> regioes_;
};

class App {
public:
    App(const Argumentos& args, Diario& diario, Palco& palco)
        : args_(args), diario_(diario), palco_(palco), pasta_(args.valor("pasta")) {}

    int rodar();

private:
    bool iniciar_dubles();
    bool esperar_janelas();
    void arrumar_o_mundo();
    bool iniciar_localizador();
    void linha_do_tempo();
    bool do_mundo(const EventoDaCena& e);
    void terminar();

    const Argumentos& args_;
    Diario& diario_;
    Palco& palco_;
    std::string pasta_;
    std::vector<PROCESS_INFORMATION> dubles_;
    std::vector<std::string> outros_;  // os executáveis deles
    PROCESS_INFORMATION localizador_{};
    HANDLE entrada_ = nullptr;  // a ponta de escrita do cano da entrada
    Cano saida_, erro_;
    std::int64_t inicio_ = 0;
    Vigia vigia_{diario_};
};

bool App::iniciar_dubles() {
    const std::string eu = minusculas_ascii(nome_do_arquivo(este_executavel()));
    const std::string pasta_dos_exes = este_executavel().substr(0, este_executavel().find_last_of('\\'));
    for (const std::string& exe : palco_.executaveis()) {
        if (exe == eu) continue;
        const std::string caminho = pasta_dos_exes + "\\" + exe;
        std::wstring linha = citar(largo(caminho)) + L" --cena " + citar(largo(args_.valor("cena"))) +
                             L" --pasta " + citar(largo(pasta_)) + L" --pai " +
                             std::to_wstring(GetCurrentProcessId());
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(largo(caminho).c_str(), linha.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi)) {
            diario_.problema("não consegui iniciar o dublê " + caminho + ": erro " +
                             std::to_string(GetLastError()));
            return false;
        }
        CloseHandle(pi.hThread);
        dubles_.push_back(pi);
        outros_.push_back(exe);
        diario_.escrever({{"duble_iniciado", exe}, {"processo", pi.dwProcessId}});
    }
    return true;
}

bool App::esperar_janelas() {
    std::set<Hwnd> esperadas;
    {
        AreaDeTrabalho& a = palco_.area();
        std::lock_guard g(a.m);
        for (const auto& [h, j] : a.janelas) esperadas.insert(h);
    }
    const std::int64_t prazo = agora_ms() + 30000;
    while (agora_ms() < prazo) {
        const auto marcadas = janelas_marcadas();
        bool todas = true;
        for (Hwnd h : esperadas) todas = todas && marcadas.count(h);
        for (const std::string& exe : outros_) todas = todas && esta_pronto(pasta_, exe);
        if (todas) return true;
        std::vector<HANDLE> processos;
        for (const auto& pi : dubles_) processos.push_back(pi.hProcess);
        if (esperar_despachando(processos, agora_ms() + 20) >= 0) {
            diario_.problema("um dublê acabou antes de pôr as janelas de pé");
            return false;
        }
    }
    diario_.problema("as janelas da cena não ficaram de pé em 30 s");
    return false;
}

// A janela da frente e a ordem z da cena, entre processos: primeiro a
// frente (vir para a frente também sobe a janela), depois cada janela, de
// baixo para cima, vai para o alto.
void App::arrumar_o_mundo() {
    AreaDeTrabalho& a = palco_.area();
    std::vector<Hwnd> ordem;
    Hwnd frente = 0;
    Ponto cursor;
    {
        std::lock_guard g(a.m);
        ordem = a.ordem_z;
        frente = a.frente;
        cursor = a.cursor;
    }
    const auto reais = janelas_marcadas();
    auto real = [&](Hwnd h) {
        const auto it = reais.find(h);
        return it == reais.end() ? nullptr : it->second;
    };
    if (HWND f = real(frente)) {
        SetForegroundWindow(f);
        const std::int64_t prazo = agora_ms() + 5000;
        while (GetForegroundWindow() != f && agora_ms() < prazo) esperar_despachando({}, agora_ms() + 10);
        if (GetForegroundWindow() != f) diario_.problema("a janela da frente da cena não veio para a frente");
        DWORD_PTR r = 0;
        SendMessageTimeoutW(f, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &r);
    }
    std::vector<Hwnd> de_pe;
    for (Hwnd h : ordem)
        if (real(h)) de_pe.push_back(h);
    // A ativação da janela da frente chega à thread dela pela fila e pode
    // subir a janela depois: arruma até a ordem real ser a da cena.
    std::vector<Hwnd> real_z;
    for (int tentativa = 0; tentativa < 20; ++tentativa) {
        for (auto it = ordem.rbegin(); it != ordem.rend(); ++it)
            if (HWND h = real(*it))
                SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        esperar_despachando({}, agora_ms() + 50);
        real_z = ordem_z_real();
        if (real_z == de_pe) break;
    }
    SetCursorPos(cursor.x, cursor.y);
    diario_.escrever({{"ordem_z", real_z}, {"frente", cena_de(GetForegroundWindow())}});
    if (real_z != de_pe) diario_.problema("a ordem z real não é a da cena");
}

bool App::iniciar_localizador() {
    const auto reais = janelas_marcadas();
    std::wstring linha = citar(largo(args_.valor("localizador")));
    std::vector<std::string> resto = args_.resto;
    for (std::size_t i = 0; i + 1 < resto.size(); ++i) {
        if (resto[i] != "--janela" && resto[i] != "--pulsar-janela" && resto[i] != "--dono") continue;
        const auto h = ler_inteiro(resto[i + 1]);
        const auto it = h ? reais.find(*h) : reais.end();
        if (it != reais.end()) resto[i + 1] = std::to_string(numero(it->second));
    }
    for (const std::string& a : resto) linha += L" " + citar(largo(a));

    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE leitura = nullptr;
    if (!CreatePipe(&leitura, &entrada_, &sa, 0)) return false;
    SetHandleInformation(entrada_, HANDLE_FLAG_INHERIT, 0);
    if (!saida_.abrir(pasta_, "saida") || !erro_.abrir(pasta_, "erro")) {
        diario_.problema("não consegui abrir a saída e o erro do localizador");
        return false;
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = leitura;
    si.hStdOutput = saida_.ponta_do_filho();
    si.hStdError = erro_.ponta_do_filho();

    // O instante zero: agora. O servidor de UI Automation (dentro do
    // localizador) o lê do ambiente; os dublês, do arquivo.
    inicio_ = agora_ms();
    SetEnvironmentVariableW(largo(kVariavelInicio).c_str(), std::to_wstring(inicio_).c_str());
    SetEnvironmentVariableW(largo(kVariavelPasta).c_str(), largo(pasta_).c_str());
    const std::string inicio = arquivo_da_pasta(pasta_, "inicio");
    {
        const std::string provisorio = inicio + ".novo";
        HANDLE f = CreateFileW(largo(provisorio).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                               nullptr);
        const std::string texto = std::to_string(inicio_);
        DWORD n = 0;
        WriteFile(f, texto.data(), static_cast<DWORD>(texto.size()), &n, nullptr);
        CloseHandle(f);
        MoveFileExW(largo(provisorio).c_str(), largo(inicio).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    diario_.comecar(inicio_);
    const BOOL ok = CreateProcessW(largo(args_.valor("localizador")).c_str(), linha.data(), nullptr, nullptr,
                                   TRUE, 0, nullptr, nullptr, &si, &localizador_);
    CloseHandle(leitura);
    saida_.ler(inicio_);
    erro_.ler(inicio_);
    if (!ok) {
        diario_.problema("não consegui iniciar o localizador: erro " + std::to_string(GetLastError()));
        return false;
    }
    CloseHandle(localizador_.hThread);
    diario_.escrever({{"localizador", estreito(linha)}, {"processo", localizador_.dwProcessId}});
    vigia_.comecar();
    return true;
}

// O que é do mundo e não de uma janela. Verdadeiro: a cena acabou.
bool App::do_mundo(const EventoDaCena& e) {
    const Json& d = e.dados;
    if (e.acao == "entrada") {
        const std::string linha = d.at("linha").get<std::string>() + "\n";
        DWORD n = 0;
        if (entrada_) WriteFile(entrada_, linha.data(), static_cast<DWORD>(linha.size()), &n, nullptr);
        diario_.escrever({{"entrada", d.at("linha")}});
    } else if (e.acao == "fim_da_entrada") {
        if (entrada_) CloseHandle(std::exchange(entrada_, nullptr));
        diario_.escrever({{"fim_da_entrada", true}});
    } else if (e.acao == "arquivo") {
        // Relativo à pasta corrente, que é a mesma do localizador.
        const std::wstring caminho = largo(d.at("caminho").get<std::string>());
        if (d.at("existe").get<bool>()) {
            HANDLE f = CreateFileW(caminho.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD n = 0;
            WriteFile(f, "\n", 1, &n, nullptr);
            CloseHandle(f);
        } else {
            DeleteFileW(caminho.c_str());
        }
        diario_.escrever({{"arquivo", d.at("caminho")}, {"existe", d.at("existe")}});
    } else if (e.acao == "cursor") {
        if (d.contains("pos")) SetCursorPos(d["pos"][0].get<int>(), d["pos"][1].get<int>());
        if (d.contains("visivel")) diario_.problema("o cursor escondido não tem equivalente no Wine");
    } else if (e.acao == "fim") {
        const int codigo = d.value("codigo", 0);
        TerminateProcess(localizador_.hProcess, static_cast<UINT>(codigo));
        diario_.escrever({{"fim", codigo}});
        return true;
    }
    return false;
}

void App::linha_do_tempo() {
    const auto& eventos = palco_.eventos();
    std::size_t i = 0;
    for (;;) {
        const std::int64_t ate = i < eventos.size() ? inicio_ + eventos[i].em_ms : INT64_MAX;
        // O localizador acabou sozinho (a janela do app fechou, a entrada acabou).
        if (esperar_despachando({localizador_.hProcess}, ate) == 0) return;
        while (i < eventos.size() && inicio_ + eventos[i].em_ms <= agora_ms()) {
            const EventoDaCena& e = eventos[i++];
            if (do_mundo(e)) return;
            palco_.aplicar(e);
        }
    }
}

void App::terminar() {
    if (localizador_.hProcess) {
        if (WaitForSingleObject(localizador_.hProcess, 10000) != WAIT_OBJECT_0) {
            diario_.problema("o localizador não acabou em 10 s depois do fim");
            TerminateProcess(localizador_.hProcess, 99);
            WaitForSingleObject(localizador_.hProcess, 5000);
        }
        DWORD codigo = 0;
        GetExitCodeProcess(localizador_.hProcess, &codigo);
        diario_.escrever({{"encerrado", codigo}});
        CloseHandle(localizador_.hProcess);
    }
    if (entrada_) CloseHandle(entrada_);
    for (auto& pi : dubles_) {
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hProcess);
    }
}

int App::rodar() {
    bool ok = iniciar_dubles();
    if (ok) {
        palco_.criar_iniciais();
        ok = esperar_janelas();
    }
    if (ok) {
        arrumar_o_mundo();
        ok = iniciar_localizador();
    }
    if (ok) linha_do_tempo();
    terminar();
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace banco

int main() {
    using namespace banco;
    const Argumentos args = ler_argumentos();
    const std::string exe = minusculas_ascii(nome_do_arquivo(este_executavel()));
    Diario diario;
    if (!diario.abrir(arquivo_da_pasta(args.valor("pasta"), nome_do_diario(exe)), exe)) return 2;
    Palco palco(exe, diario);
    if (!palco.carregar(args.valor("cena"))) return 2;
    App app(args, diario, palco);
    return app.rodar();
}
