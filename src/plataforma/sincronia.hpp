#pragma once
// Trava (mutex) e Sinal (variável de condição) do programa.
//
// Todas as esperas do programa passam por aqui e por plataforma::dormir, para
// que a área de trabalho simulada possa conduzir o tempo: no tempo virtual o
// relógio só anda quando todas as threads estão paradas esperando, e uma
// thread presa numa Trava conta como parada. No Windows são o std::mutex e a
// std::condition_variable de sempre.

#include <chrono>
#include <mutex>

#if defined(LOCALIZADOR_WIN32)
#include <condition_variable>
#else
#include <vector>
#endif

namespace plataforma {

using Instante = std::chrono::steady_clock::time_point;

#if defined(LOCALIZADOR_WIN32)

class Trava {
public:
    Trava() = default;
    Trava(const Trava&) = delete;
    Trava& operator=(const Trava&) = delete;
    void lock() { m_.lock(); }
    void unlock() { m_.unlock(); }
    bool try_lock() { return m_.try_lock(); }

private:
    friend class Sinal;
    std::mutex m_;
};

class Sinal {
public:
    void notificar_um() { cv_.notify_one(); }
    void notificar_todos() { cv_.notify_all(); }
    void esperar(std::unique_lock<Trava>& lk) {
        std::unique_lock<std::mutex> interna(lk.mutex()->m_, std::adopt_lock);
        cv_.wait(interna);
        interna.release();
    }
    // Falso quando o prazo venceu sem aviso.
    bool esperar_ate(std::unique_lock<Trava>& lk, Instante prazo) {
        std::unique_lock<std::mutex> interna(lk.mutex()->m_, std::adopt_lock);
        const bool avisado = cv_.wait_until(interna, prazo) == std::cv_status::no_timeout;
        interna.release();
        return avisado;
    }

private:
    std::condition_variable cv_;
};

#else

namespace simulada {
class Relogio;
struct Espera;
}  // namespace simulada

class Trava {
public:
    Trava() = default;
    Trava(const Trava&) = delete;
    Trava& operator=(const Trava&) = delete;
    void lock();
    void unlock();
    bool try_lock();

private:
    friend class simulada::Relogio;
    bool ocupada_ = false;
    std::vector<simulada::Espera*> fila_;
};

class Sinal {
public:
    Sinal() = default;
    Sinal(const Sinal&) = delete;
    Sinal& operator=(const Sinal&) = delete;
    void notificar_um();
    void notificar_todos();
    void esperar(std::unique_lock<Trava>& lk);
    bool esperar_ate(std::unique_lock<Trava>& lk, Instante prazo);

private:
    friend class simulada::Relogio;
    std::vector<simulada::Espera*> fila_;
};

#endif

}  // namespace plataforma
