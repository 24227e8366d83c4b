// A lupa do Windows (Magnification.dll) para o banco no Wine, que não traz
// uma. O roteiro a copia para o System32 do prefixo só nos casos que a
// querem (o localizador só a carrega de lá). Ela faz o que a da Microsoft
// promete e anota cada chamada no diário magnification.dll.diario.jsonl da
// pasta da prova, com o instante desde o zero da linha do tempo. Anota como
// problema o que a lupa de verdade recusa ou o que deixaria a tela do usuário
// ampliada: um fator fora de 1.0 a 4096.0, deslocamentos fora de -262144 a
// 262143, uma transformação sem MagInitialize, chamadas de threads
// diferentes da que iniciou, e um MagUninitialize com a tela ainda ampliada.

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "comum_wine.hpp"

namespace {

std::mutex g_m;
std::FILE* g_diario = nullptr;
std::int64_t g_inicio = 0;
bool g_iniciada = false;
DWORD g_thread = 0;
float g_fator = 1.0f;
int g_x = 0;
int g_y = 0;

void escrever(const std::string& corpo) {
    if (!g_diario) {
        const auto pasta = banco::variavel(banco::kVariavelPasta);
        if (!pasta) return;
        if (const auto inicio = banco::variavel(banco::kVariavelInicio)) g_inicio = std::stoll(*inicio);
        const std::wstring caminho = banco::largo(
            banco::arquivo_da_pasta(*pasta, "magnification.dll.diario.jsonl"));
        g_diario = _wfopen(caminho.c_str(), L"ab");
        if (!g_diario) return;
    }
    std::fprintf(g_diario, "{\"t\":%lld,%s}\n", static_cast<long long>(banco::agora_ms() - g_inicio),
                 corpo.c_str());
    std::fflush(g_diario);
}

void problema(const std::string& texto) { escrever("\"problema\":\"" + texto + "\""); }

void conferir_thread(const char* chamada) {
    if (g_iniciada && GetCurrentThreadId() != g_thread)
        problema(std::string(chamada) + " de outra thread que a do MagInitialize");
}

}  // namespace

extern "C" {

BOOL WINAPI MagInitialize() {
    std::lock_guard g(g_m);
    if (g_iniciada) problema("MagInitialize com a lupa já iniciada");
    g_iniciada = true;
    g_thread = GetCurrentThreadId();
    escrever("\"chamada\":\"MagInitialize\",\"ok\":true");
    return TRUE;
}

BOOL WINAPI MagUninitialize() {
    std::lock_guard g(g_m);
    conferir_thread("MagUninitialize");
    if (!g_iniciada) problema("MagUninitialize sem MagInitialize");
    if (g_fator != 1.0f || g_x != 0 || g_y != 0) problema("MagUninitialize com a tela ainda ampliada");
    g_iniciada = false;
    escrever("\"chamada\":\"MagUninitialize\",\"ok\":true");
    return TRUE;
}

BOOL WINAPI MagSetFullscreenTransform(float fator, int x, int y) {
    std::lock_guard g(g_m);
    conferir_thread("MagSetFullscreenTransform");
    bool ok = true;
    if (!g_iniciada) {
        problema("MagSetFullscreenTransform sem MagInitialize");
        ok = false;
    }
    if (!(fator >= 1.0f && fator <= 4096.0f) || x < -262144 || x > 262143 || y < -262144 || y > 262143) {
        problema("MagSetFullscreenTransform fora dos limites");
        ok = false;
    }
    if (ok) {
        g_fator = fator;
        g_x = x;
        g_y = y;
    }
    char corpo[160];
    std::snprintf(corpo, sizeof corpo,
                  "\"chamada\":\"MagSetFullscreenTransform\",\"fator\":%.9g,\"x\":%d,\"y\":%d,\"ok\":%s",
                  static_cast<double>(fator), x, y, ok ? "true" : "false");
    escrever(corpo);
    if (!ok) SetLastError(ERROR_INVALID_PARAMETER);
    return ok ? TRUE : FALSE;
}

BOOL WINAPI MagGetFullscreenTransform(float* fator, int* x, int* y) {
    std::lock_guard g(g_m);
    if (!fator || !x || !y) return FALSE;
    *fator = g_fator;
    *x = g_x;
    *y = g_y;
    return TRUE;
}

}  // extern "C"
