#pragma once
// Donos RAII dos recursos de COM usados pelo cliente de UI Automation: uma
// interface contada por referência, um BSTR e um VARIANT. Pequenos e sem
// dependência do WRL, que o MinGW não traz inteiro.

#include <ole2.h>
#include <windows.h>

#include <utility>

namespace plataforma::win32 {

// Uma referência a uma interface COM; solta no destrutor.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& outro) : p_(outro.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& outro) noexcept : p_(std::exchange(outro.p_, nullptr)) {}
    ComPtr& operator=(ComPtr outro) noexcept {
        std::swap(p_, outro.p_);
        return *this;
    }
    ~ComPtr() { soltar(); }

    // Toma posse de uma referência já contada (a que uma chamada entregou
    // por void**).
    static ComPtr adotar(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Para um parâmetro de saída: solta o que havia antes e entrega o endereço.
    T** receber() {
        soltar();
        return &p_;
    }

    void soltar() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }

private:
    T* p_ = nullptr;
};

// Um BSTR próprio; SysFreeString aceita nulo.
class Bstr {
public:
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }

    BSTR get() const { return b_; }
    BSTR* receber() {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }

private:
    BSTR b_ = nullptr;
};

// Um VARIANT iniciado e limpo no fim (libera o BSTR que ele tiver).
class Variante {
public:
    Variante() { VariantInit(&v_); }
    Variante(const Variante&) = delete;
    Variante& operator=(const Variante&) = delete;
    ~Variante() { VariantClear(&v_); }

    VARIANT& get() { return v_; }
    const VARIANT& get() const { return v_; }
    // Para um parâmetro de saída: limpa o conteúdo anterior (fica VT_EMPTY).
    VARIANT* receber() {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

}  // namespace plataforma::win32
