// O que o banco de provas supõe do Wine, conferido a cada execução antes dos
// casos (docs/wine.md): sem o nosso servidor não há UI Automation; com ele, o
// CoCreateInstance o carrega; BSTR, VARIANT, SAFEARRAY de VT_R8 e IErrorInfo
// se comportam como no Windows; um aviso levantado com NotifyWinEvent chega
// ao gancho de outro processo filtrado por processo; SetParent entre
// processos funciona; SendInput com KEYEVENTF_UNICODE entrega o par UTF-16.
// As diferenças que o banco contorna (WINEVENT_SKIPOWNPROCESS com processo,
// a foto velha dos ganchos no processo que avisa, o DPI do prefixo) saem
// como "nota", medidas, sem fazer a prova falhar.
//
//   provas_do_wine.exe sem-servidor            o CLSID não registrado
//   provas_do_wine.exe tudo <pasta>            o resto (a cena vem do ambiente)
//   provas_do_wine.exe avisador <pasta> <nome>  o outro processo da prova dos ganchos

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "comum_wine.hpp"
#include "duble/argumentos.hpp"
#include "duble/palco.hpp"

namespace {

constexpr CLSID kCUIAutomation8 = {
    0xe22ad333, 0xb25f, 0x460c, {0x83, 0xd0, 0x05, 0x81, 0x10, 0x73, 0x95, 0xc9}};
constexpr CLSID kCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID kIUIAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr IID kIUIAutomation2 = {
    0x34723aff, 0x0c9d, 0x49d0, {0x98, 0x96, 0x7a, 0xb5, 0x2d, 0xf8, 0xcd, 0x8a}};

int falhas = 0;

void conferir(bool ok, const std::string& o_que) {
    std::printf("%s %s\n", ok ? "ok  " : "FALHA", o_que.c_str());
    if (!ok) ++falhas;
}

void nota(const std::string& texto) { std::printf("nota %s\n", texto.c_str()); }

std::string hex(HRESULT hr) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%08lX", static_cast<unsigned long>(hr));
    return b;
}

std::wstring nome_do_evento(const std::string& base, const char* qual) {
    return banco::largo(base + "." + qual);
}

void despachar_ate(std::int64_t ate_ms) {
    for (;;) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        const std::int64_t falta = ate_ms - banco::agora_ms();
        if (falta <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(falta), QS_ALLINPUT);
    }
}

// ------------------------------------------------------------- sem servidor

int sem_servidor() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (const CLSID* c : {&kCUIAutomation8, &kCUIAutomation}) {
        void* p = nullptr;
        const HRESULT hr = CoCreateInstance(*c, nullptr, CLSCTX_INPROC_SERVER, kIUIAutomation, &p);
        conferir(hr == REGDB_E_CLASSNOTREG, "sem o servidor, CoCreateInstance do UI Automation dá " +
                                                hex(hr) + " (esperado 0x80040154)");
    }
    return falhas ? 1 : 0;
}

// ------------------------------------------------------------------ avisador

// O outro processo: uma janela que recebe caracteres e levanta avisos quando
// mandam, sem tirar mensagens da fila antes do primeiro (a foto velha).
std::wstring g_recebido;

LRESULT CALLBACK proc_avisador(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CHAR) {
        g_recebido += static_cast<wchar_t>(wp);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

int avisador(const std::string& pasta, const std::string& base) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc_avisador;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProvaAvisador";
    RegisterClassW(&wc);
    HWND h = CreateWindowExW(0, L"ProvaAvisador", L"avisador", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 200,
                             300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    banco::marcar(h, 1);
    HANDLE pronto = OpenEventW(EVENT_MODIFY_STATE, FALSE, nome_do_evento(base, "pronto").c_str());
    HANDLE vai = OpenEventW(SYNCHRONIZE, FALSE, nome_do_evento(base, "vai").c_str());
    HANDLE teclas = OpenEventW(SYNCHRONIZE, FALSE, nome_do_evento(base, "teclas").c_str());
    if (!pronto || !vai || !teclas) return 2;
    despachar_ate(banco::agora_ms() + 100);
    SetEvent(pronto);
    // Sem despachar nada: os ganchos do outro lado são instalados agora.
    WaitForSingleObject(vai, 10000);
    NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, h, OBJID_WINDOW, 1);
    // Uma mensagem tirada da fila renova a foto dos ganchos.
    PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
    despachar_ate(banco::agora_ms() + 20);
    NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, h, OBJID_WINDOW, 2);
    // Os caracteres que o outro lado manda com SendInput.
    const std::int64_t prazo = banco::agora_ms() + 5000;
    while (WaitForSingleObject(teclas, 0) != WAIT_OBJECT_0 && banco::agora_ms() < prazo)
        despachar_ate(banco::agora_ms() + 10);
    despachar_ate(banco::agora_ms() + 200);
    FILE* f = _wfopen(banco::largo(banco::arquivo_da_pasta(pasta, "avisador.txt")).c_str(), L"wb");
    if (f) {
        const std::string texto = banco::estreito(g_recebido);
        std::fwrite(texto.data(), 1, texto.size(), f);
        std::fclose(f);
    }
    despachar_ate(banco::agora_ms() + 300);
    return 0;
}

// ----------------------------------------------------------------------- tudo

struct Visto {
    HWINEVENTHOOK gancho;
    LONG filho;
};
std::vector<Visto> g_vistos;

void CALLBACK ao_aviso(HWINEVENTHOOK g, DWORD ev, HWND, LONG obj, LONG filho, DWORD, DWORD) {
    if (ev == EVENT_OBJECT_LOCATIONCHANGE && obj == OBJID_WINDOW) g_vistos.push_back({g, filho});
}

bool viu(HWINEVENTHOOK g, LONG filho) {
    for (const Visto& v : g_vistos)
        if (v.gancho == g && v.filho == filho) return true;
    return false;
}

void provar_com() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IUnknown* a = nullptr;
    HRESULT hr = CoCreateInstance(kCUIAutomation8, nullptr, CLSCTX_INPROC_SERVER, kIUIAutomation,
                                  reinterpret_cast<void**>(&a));
    conferir(SUCCEEDED(hr) && a, "com o servidor registrado, CoCreateInstance(CUIAutomation8) dá " + hex(hr));
    if (a) {
        IUnknown* a2 = nullptr;
        hr = a->QueryInterface(kIUIAutomation2, reinterpret_cast<void**>(&a2));
        conferir(SUCCEEDED(hr) && a2, "QueryInterface(IUIAutomation2) dá " + hex(hr));
        if (a2) a2->Release();
        a->Release();
    }

    BSTR b = SysAllocStringLen(L"a\0b", 3);
    conferir(b && SysStringLen(b) == 3 && b[1] == 0 && b[2] == L'b',
             "BSTR guarda o comprimento, com NUL no meio");
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = b;
    conferir(VariantClear(&v) == S_OK && v.vt == VT_EMPTY, "VariantClear libera o BSTR e deixa VT_EMPTY");

    SAFEARRAY* sa = SafeArrayCreateVector(VT_R8, 0, 4);
    bool sa_ok = sa != nullptr;
    for (LONG i = 0; sa_ok && i < 4; ++i) {
        double d = 10.5 * i;
        sa_ok = SafeArrayPutElement(sa, &i, &d) == S_OK;
    }
    VARTYPE vt = VT_EMPTY;
    LONG baixo = -1, alto = -1;
    double terceiro = 0;
    LONG i2 = 2;
    sa_ok = sa_ok && SafeArrayGetVartype(sa, &vt) == S_OK && vt == VT_R8 &&
            SafeArrayGetLBound(sa, 1, &baixo) == S_OK && SafeArrayGetUBound(sa, 1, &alto) == S_OK &&
            baixo == 0 && alto == 3 && SafeArrayGetElement(sa, &i2, &terceiro) == S_OK && terceiro == 21.0;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_R8;
    v.parray = sa;
    conferir(sa_ok && VariantClear(&v) == S_OK,
             "SAFEARRAY de VT_R8: tipo, limites, elementos e VariantClear");

    ICreateErrorInfo* cria = nullptr;
    bool erro_ok = CreateErrorInfo(&cria) == S_OK && cria;
    if (erro_ok) {
        cria->SetDescription(const_cast<LPOLESTR>(L"descrição de prova"));
        IErrorInfo* info = nullptr;
        erro_ok = cria->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)) == S_OK &&
                  SetErrorInfo(0, info) == S_OK;
        if (info) info->Release();
        cria->Release();
        IErrorInfo* lido = nullptr;
        BSTR d = nullptr;
        erro_ok = erro_ok && GetErrorInfo(0, &lido) == S_OK && lido && lido->GetDescription(&d) == S_OK &&
                  d && std::wstring(d) == L"descrição de prova";
        SysFreeString(d);
        if (lido) lido->Release();
        IErrorInfo* de_novo = nullptr;
        erro_ok = erro_ok && GetErrorInfo(0, &de_novo) == S_FALSE && !de_novo;
    }
    conferir(erro_ok, "IErrorInfo: GetErrorInfo entrega a descrição uma vez e depois S_FALSE");
}

void provar_dpi(HWND propria) {
    using Ciente = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    using DpiDaJanela = UINT(WINAPI*)(HWND);
    HMODULE u = GetModuleHandleW(L"user32.dll");
    auto ciente = reinterpret_cast<Ciente>(
        reinterpret_cast<void*>(GetProcAddress(u, "SetProcessDpiAwarenessContext")));
    auto dpi = reinterpret_cast<DpiDaJanela>(reinterpret_cast<void*>(GetProcAddress(u, "GetDpiForWindow")));
    if (ciente)
        nota(std::string("SetProcessDpiAwarenessContext(PER_MONITOR_AWARE_V2) devolve ") +
             (ciente(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ? "sucesso" : "falha"));
    conferir(dpi && dpi(propria) == 96, "GetDpiForWindow dá 96, o LogPixels do prefixo");
}

int tudo(const std::string& pasta) {
    provar_com();

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProvaPropria";
    RegisterClassW(&wc);
    HWND propria = CreateWindowExW(0, L"ProvaPropria", L"prova", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                   150, 100, nullptr, nullptr, wc.hInstance, nullptr);
    provar_dpi(propria);

    // O outro processo e os ganchos nele, com e sem WINEVENT_SKIPOWNPROCESS.
    const std::string base = "Local\\ProvasDoWine" + std::to_string(GetCurrentProcessId());
    HANDLE pronto = CreateEventW(nullptr, TRUE, FALSE, nome_do_evento(base, "pronto").c_str());
    HANDLE vai = CreateEventW(nullptr, TRUE, FALSE, nome_do_evento(base, "vai").c_str());
    HANDLE teclas = CreateEventW(nullptr, TRUE, FALSE, nome_do_evento(base, "teclas").c_str());
    std::wstring linha = L"\"" + banco::largo(banco::este_executavel()) + L"\" avisador \"" +
                         banco::largo(pasta) + L"\" \"" + banco::largo(base) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, linha.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        conferir(false, "iniciar o avisador");
        return 1;
    }
    conferir(WaitForSingleObject(pronto, 10000) == WAIT_OBJECT_0, "o avisador pôs a janela de pé");
    HWND outra = nullptr;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        DWORD p = 0;
        GetWindowThreadProcessId(h, &p);
        if (p == pi.dwProcessId && banco::cena_de(h) == 1) outra = h;
    }
    HWINEVENTHOOK com_pular = SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE,
                                              nullptr, ao_aviso, pi.dwProcessId, 0,
                                              WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    HWINEVENTHOOK sem_pular = SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE,
                                              nullptr, ao_aviso, pi.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    SetEvent(vai);
    despachar_ate(banco::agora_ms() + 1000);
    conferir(viu(sem_pular, 2), "NotifyWinEvent de outro processo chega ao gancho filtrado por processo");
    nota(std::string("gancho filtrado por processo com WINEVENT_SKIPOWNPROCESS ") +
         (viu(com_pular, 2) ? "recebe os avisos (como no Windows)"
                            : "não recebe nada (o Wine compara a marca com o "
                              "processo filtrado)"));
    nota(std::string("aviso levantado antes de a thread tirar uma mensagem da fila ") +
         (viu(sem_pular, 1) ? "chega" : "se perde (o Wine olha uma foto velha dos ganchos)"));
    UnhookWinEvent(com_pular);
    UnhookWinEvent(sem_pular);

    if (outra) {
        // SetParent entre processos; o GetLastError depois do sucesso não vale.
        SetLastError(0);
        const std::int64_t antes = banco::agora_ms();
        const HWND velha = SetParent(propria, outra);
        const DWORD erro = GetLastError();
        const std::int64_t gasto = banco::agora_ms() - antes;
        conferir(velha != nullptr && GetAncestor(propria, GA_PARENT) == outra,
                 "SetParent para uma janela de outro processo");
        nota("GetLastError depois do SetParent que deu certo: " + std::to_string(erro));
        conferir(gasto < 500,
                 "SetParent em " + std::to_string(gasto) + " ms (sem gerenciar as janelas: Managed=N)");
        SetParent(propria, nullptr);

        // Um caractere fora do plano básico pelo SendInput, na janela da frente.
        SetForegroundWindow(outra);
        const std::int64_t prazo = banco::agora_ms() + 3000;
        while (GetForegroundWindow() != outra && banco::agora_ms() < prazo)
            despachar_ate(banco::agora_ms() + 10);
        const wchar_t par[] = {0xD83D, 0xDE00, L'@'};
        std::vector<INPUT> entradas;
        for (wchar_t c : par)
            for (DWORD solta : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
                INPUT in{};
                in.type = INPUT_KEYBOARD;
                in.ki.wScan = c;
                in.ki.dwFlags = KEYEVENTF_UNICODE | solta;
                entradas.push_back(in);
            }
        const UINT enviados = SendInput(static_cast<UINT>(entradas.size()), entradas.data(), sizeof(INPUT));
        despachar_ate(banco::agora_ms() + 300);
        SetEvent(teclas);
        WaitForSingleObject(pi.hProcess, 10000);
        const auto recebido = banco::ler_arquivo(banco::arquivo_da_pasta(pasta, "avisador.txt"));
        conferir(enviados == entradas.size() && recebido && *recebido == "\xF0\x9F\x98\x80@",
                 "SendInput com KEYEVENTF_UNICODE entrega o par UTF-16 e o @ como WM_CHAR");
    } else {
        conferir(false, "a janela do avisador não apareceu");
        SetEvent(teclas);
    }
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    const std::int64_t antes = banco::agora_ms();
    DestroyWindow(propria);
    const std::int64_t gasto = banco::agora_ms() - antes;
    conferir(gasto < 500, "DestroyWindow em " + std::to_string(gasto) + " ms (Managed=N)");
    return falhas ? 1 : 0;
}

}  // namespace

int main() {
    std::vector<std::string> a;
    int n = 0;
    LPWSTR* v = CommandLineToArgvW(GetCommandLineW(), &n);
    for (int i = 1; i < n; ++i) a.push_back(banco::estreito(v[i]));
    LocalFree(v);
    if (!a.empty() && a[0] == "sem-servidor") return sem_servidor();
    if (a.size() >= 2 && a[0] == "tudo") return tudo(a[1]);
    if (a.size() >= 3 && a[0] == "avisador") return avisador(a[1], a[2]);
    std::fputs("provas_do_wine.exe sem-servidor | tudo <pasta> | avisador <pasta> <nome>\n", stderr);
    return 2;
}
