#pragma once
// Um valor do processo atrás da sua própria trava. A trava fica só o tempo de
// ler, comparar ou copiar: nunca atravessa uma chamada à plataforma.

#include <mutex>

#include "plataforma/sincronia.hpp"

template <class T>
class Protegido {
public:
    T copiar() const {
        std::lock_guard g(trava_);
        return valor_;
    }
    void guardar(T novo) {
        std::lock_guard g(trava_);
        valor_ = std::move(novo);
    }
    // Roda "f" sobre o valor com a trava tomada; "f" não chama a plataforma.
    template <class F>
    auto com(F&& f) const {
        std::lock_guard g(trava_);
        return f(valor_);
    }
    template <class F>
    auto com(F&& f) {
        std::lock_guard g(trava_);
        return f(valor_);
    }

private:
    mutable plataforma::Trava trava_;
    T valor_{};
};
