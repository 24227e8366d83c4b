#pragma once
// Ajudas do backend real: conversões entre os tipos do programa e os do Windows.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "comum/texto.hpp"
#include "comum/tipos.hpp"

namespace plataforma::win32 {

inline HWND hwnd(Hwnd h) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(h)); }
inline Hwnd handle(HWND h) { return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(h)); }

inline std::wstring largo(std::string_view utf8) {
    const std::u16string u = utf8_para_utf16(utf8);
    return std::wstring(u.begin(), u.end());
}

inline std::string estreito(const wchar_t* s, std::size_t n) {
    return utf16_para_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(s), n));
}

inline Retangulo retangulo(const RECT& r) {
    return {static_cast<std::int32_t>(r.left), static_cast<std::int32_t>(r.top),
            static_cast<std::int32_t>(r.right), static_cast<std::int32_t>(r.bottom)};
}

inline RECT rect(const Retangulo& r) { return {r.esquerda, r.topo, r.direita, r.base}; }

// Um HANDLE do kernel com dono: CloseHandle quando morre.
class HandleDono {
public:
    HandleDono() = default;
    explicit HandleDono(HANDLE h) : h_(h) {}
    ~HandleDono() {
        if (h_) CloseHandle(h_);
    }
    HandleDono(const HandleDono&) = delete;
    HandleDono& operator=(const HandleDono&) = delete;
    HandleDono(HandleDono&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    HandleDono& operator=(HandleDono&& o) noexcept {
        if (this != &o) {
            if (h_) CloseHandle(h_);
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HANDLE h_ = nullptr;
};

// Memória que o Windows alocou com LocalAlloc para nós (CommandLineToArgvW).
struct LiberarLocal {
    void operator()(void* p) const { LocalFree(p); }
};
template <class T>
using LocalDono = std::unique_ptr<T, LiberarLocal>;

// O último erro da thread, lido logo depois da chamada que falhou; 0 vira
// E_FAIL para a falha nunca parecer sucesso.
inline std::uint32_t ultimo_erro() {
    const DWORD e = GetLastError();
    return e ? static_cast<std::uint32_t>(e) : 0x80004005u;
}

}  // namespace plataforma::win32
