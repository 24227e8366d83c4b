#pragma once
// A linha de comando dos dublês: "--nome valor" e, no do app, o resto depois
// de "--" (a linha do localizador).

#include <windows.h>

#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "comum_wine.hpp"

namespace banco {

struct Argumentos {
    std::map<std::string, std::string> opcoes;
    std::vector<std::string> resto;

    std::string valor(const std::string& nome, const std::string& padrao = {}) const {
        const auto it = opcoes.find(nome);
        return it == opcoes.end() ? padrao : it->second;
    }
};

inline Argumentos ler_argumentos() {
    Argumentos r;
    int n = 0;
    LPWSTR* v = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!v) return r;
    bool depois = false;
    for (int i = 1; i < n; ++i) {
        const std::string a = estreito(v[i]);
        if (depois) {
            r.resto.push_back(a);
        } else if (a == "--") {
            depois = true;
        } else if (a.rfind("--", 0) == 0 && i + 1 < n) {
            r.opcoes[a.substr(2)] = estreito(v[++i]);
        }
    }
    LocalFree(v);
    return r;
}

// O caminho deste executável e o nome dele em minúsculas.
inline std::string este_executavel() {
    wchar_t b[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, b, MAX_PATH);
    return estreito(std::wstring_view(b, n));
}

}  // namespace banco
