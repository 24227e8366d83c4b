#pragma once
// O que os dublês (navegador e app) e o servidor de UI Automation do banco de
// provas no Wine combinam entre si: a marca que cada janela real leva com o
// seu handle da cena, o relógio de parede comum e as variáveis de ambiente.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "comum/texto.hpp"
#include "comum/tipos.hpp"

namespace banco {

// A propriedade de janela (SetPropW) com o handle da cena: o servidor de UI
// Automation, dentro do localizador, acha por ela a janela da cena de uma
// janela real, e o dublê do app acha as janelas dos outros processos.
inline constexpr const wchar_t* kMarca = L"LocalizadorCena";

// Variáveis de ambiente. A cena e o registro do servidor vêm do roteiro; o
// instante zero da linha do tempo e a pasta da prova (onde ficam os diários
// dos dublês), do dublê do app, que os dá logo antes de iniciar o localizador.
inline constexpr const char* kVariavelCena = "LOCALIZADOR_CENA";
inline constexpr const char* kVariavelInicio = "LOCALIZADOR_INICIO";
inline constexpr const char* kVariavelRegistroUia = "LOCALIZADOR_REGISTRO_UIA";
inline constexpr const char* kVariavelPasta = "LOCALIZADOR_PASTA";

// Do servidor para cada dublê: a reação da página de índice wParam (na lista
// "reacoes" da cena) acabou de acontecer no modelo do servidor. O dublê a
// aplica no modelo dele e levanta os avisos que a simulação daria.
inline constexpr UINT kMensagemDaReacao = WM_APP + 0x3B;

// Um arquivo da pasta da prova ("inicio", o instante zero escolhido pelo
// dublê do app; os diários).
inline std::string arquivo_da_pasta(const std::string& pasta, const std::string& nome) {
    if (pasta.empty()) return nome;
    const char fim = pasta.back();
    return fim == '\\' || fim == '/' ? pasta + nome : pasta + "\\" + nome;
}

// O nome do diário de um dublê na pasta da prova.
inline std::string nome_do_diario(const std::string& exe) { return exe + ".diario.jsonl"; }

inline Hwnd cena_de(HWND real) {
    if (!real) return 0;
    return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(GetPropW(real, kMarca)));
}

inline void marcar(HWND real, Hwnd cena) {
    SetPropW(real, kMarca, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(cena)));
}

inline Hwnd numero(HWND h) { return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(h)); }
inline HWND janela(Hwnd h) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(h)); }

// Milissegundos desde 1970 no relógio de parede: todos os processos da prova
// (no mesmo Wine) contam a linha do tempo da cena a partir do mesmo instante.
inline std::int64_t agora_ms() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    const std::uint64_t t = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    return static_cast<std::int64_t>(t / 10000 - 11644473600000ull);
}

inline std::wstring largo(std::string_view utf8) {
    const std::u16string u = utf8_para_utf16(utf8);
    return std::wstring(u.begin(), u.end());
}

inline std::string estreito(std::wstring_view s) {
    return utf16_para_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size()));
}

inline std::optional<std::string> variavel(const char* nome) {
    const std::wstring n = largo(nome);
    const DWORD tamanho = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
    if (tamanho == 0) return std::nullopt;
    std::wstring v(tamanho, L'\0');
    const DWORD lidos = GetEnvironmentVariableW(n.c_str(), v.data(), tamanho);
    if (lidos >= tamanho) return std::nullopt;
    v.resize(lidos);
    return estreito(v);
}

inline Retangulo retangulo(const RECT& r) {
    return {static_cast<std::int32_t>(r.left), static_cast<std::int32_t>(r.top),
            static_cast<std::int32_t>(r.right), static_cast<std::int32_t>(r.bottom)};
}

// O texto inteiro de um arquivo; nenhum quando não abriu.
std::optional<std::string> ler_arquivo(const std::string& caminho_utf8_);

}  // namespace banco
