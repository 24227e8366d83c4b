#include "servidor_uia/registro.hpp"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <string_view>

#include "bases_uia.hpp"
#include "comum_wine.hpp"

namespace servidor_uia {

namespace {

struct Registro {
    std::mutex m;
    std::FILE* arquivo = nullptr;
    bool aberto = false;
    std::set<std::string, std::less<>> usados;
};

Registro& registro() {
    static Registro r;
    return r;
}

void escrever(Registro& r, const std::string& linha) {
    if (!r.aberto) {
        r.aberto = true;
        if (const auto caminho = banco::variavel(banco::kVariavelRegistroUia))
            r.arquivo = _wfopen(banco::largo(*caminho).c_str(), L"ab");
    }
    if (!r.arquivo) return;
    const std::string texto = linha + "\n";
    std::fwrite(texto.data(), 1, texto.size(), r.arquivo);
    std::fflush(r.arquivo);
}

}  // namespace

void anotar(const std::string& linha) {
    Registro& r = registro();
    std::lock_guard g(r.m);
    escrever(r, linha);
}

void usado(const char* metodo) {
    Registro& r = registro();
    std::lock_guard g(r.m);
    if (!r.usados.insert(metodo).second) return;
    escrever(r, std::string("usado ") + metodo);
}

HRESULT nao_implementado(const char* metodo) {
    anotar(std::string("nao_implementado ") + metodo);
    return E_NOTIMPL;
}

}  // namespace servidor_uia
