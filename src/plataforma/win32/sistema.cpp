// O quadro do processo no Windows.

#include "plataforma/sistema.hpp"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "plataforma/win32/comum_win32.hpp"

#include <shellapi.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace plataforma {

namespace {

// Um temporizador de alta resolução (Windows 10 1803 em diante) para cada
// espera, solto no fim dela; sem ele, o sleep comum. Não um por thread: nada
// fecharia o de uma thread que acabou.
struct Temporizador {
    HANDLE h = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                      TIMER_ALL_ACCESS);
    Temporizador() = default;
    Temporizador(const Temporizador&) = delete;
    Temporizador& operator=(const Temporizador&) = delete;
    ~Temporizador() {
        if (h) CloseHandle(h);
    }
};

}  // namespace

Instante agora() { return std::chrono::steady_clock::now(); }

void dormir(Duracao d) {
    if (d <= Duracao::zero()) {
        Sleep(0);
        return;
    }
    if (Temporizador t; t.h) {
        LARGE_INTEGER prazo;
        // Relativo, em unidades de 100 ns.
        prazo.QuadPart = -static_cast<LONGLONG>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(d).count() / 100);
        if (SetWaitableTimer(t.h, &prazo, 0, nullptr, nullptr, FALSE) &&
            WaitForSingleObject(t.h, INFINITE) == WAIT_OBJECT_0)
            return;
    }
    std::this_thread::sleep_for(d);
}

void dormir_ate(Instante prazo) {
    const Instante a = agora();
    if (prazo > a) dormir(prazo - a);
}

bool iniciar_thread(std::function<void()> corpo) {
    try {
        std::thread(std::move(corpo)).detach();
        return true;
    } catch (...) {
        return false;
    }
}

void encerrar_processo(int codigo) {
    std::fflush(stdout);
    std::fflush(stderr);
    // Sem ExitProcess: ele desliga as DLLs com as outras threads ainda dentro
    // de chamadas de UI Automation, e isso pode travar para sempre.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(codigo));
    std::_Exit(codigo);
}

void parar(std::string_view motivo) {
    escrever_erro(std::string(motivo) + "\n");
    encerrar_processo(1);
}

void iniciar_plataforma(int, char**) {
    // Cada linha termina só com "\n", como o protocolo pede, e sai em UTF-8.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> argumentos() {
    std::vector<std::string> r;
    int n = 0;
    const win32::LocalDono<LPWSTR> v(CommandLineToArgvW(GetCommandLineW(), &n));
    if (!v) return r;
    for (int i = 1; i < n; ++i) r.push_back(win32::estreito(v.get()[i], wcslen(v.get()[i])));
    return r;
}

bool escrever_saida(std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

void escrever_erro(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

namespace {

// A entrada é um console (alguém rodando o programa à mão): os bytes viriam
// na página de código do console, não em UTF-8. Lida em UTF-16 e convertida.
bool ler_linha_do_console(HANDLE console, std::string& linha) {
    std::u16string lida;
    for (;;) {
        wchar_t c = 0;
        DWORD n = 0;
        if (!ReadConsoleW(console, &c, 1, &n, nullptr) || n == 0) {
            if (lida.empty()) return false;
            break;
        }
        if (c == 0x1A && lida.empty()) return false;  // Ctrl+Z: fim da entrada
        if (c == L'\n') break;
        lida += static_cast<char16_t>(c);
    }
    linha = utf16_para_utf8(lida);
    return true;
}

bool entrada_eh_console(HANDLE& console) {
    static const HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    static const bool eh = [] {
        DWORD modo = 0;
        return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &modo) != 0;
    }();
    console = h;
    return eh;
}

}  // namespace

bool ler_linha_da_entrada(std::string& linha) {
    linha.clear();
    HANDLE console = nullptr;
    if (entrada_eh_console(console)) return ler_linha_do_console(console, linha);
    bool leu = false;
    for (int c; (c = std::fgetc(stdin)) != EOF;) {
        leu = true;
        if (c == '\n') break;
        linha += static_cast<char>(c);
    }
    return leu && !std::ferror(stdin);
}

std::optional<std::string> variavel_de_ambiente(const char* nome) {
    const std::wstring n = win32::largo(nome);
    const DWORD tamanho = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
    if (tamanho == 0) return std::nullopt;
    std::wstring v(tamanho, L'\0');
    SetLastError(0);
    const DWORD lidos = GetEnvironmentVariableW(n.c_str(), v.data(), tamanho);
    if (lidos >= tamanho || GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    v.resize(lidos);
    // Metades de par soltas: o valor não é Unicode válido.
    for (std::size_t i = 0; i < v.size(); ++i) {
        const wchar_t c = v[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= v.size() || v[i + 1] < 0xDC00 || v[i + 1] > 0xDFFF) return std::nullopt;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
    }
    return win32::estreito(v.data(), v.size());
}

}  // namespace plataforma
