#pragma once
// Ajudas do backend real: conversões entre os tipos do programa e os do Windows.

#include <windows.h>

#include <string>
#include <string_view>

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

}  // namespace plataforma::win32
