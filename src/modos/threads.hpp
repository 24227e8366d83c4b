#pragma once
// As threads que os modos iniciam: sem uma delas o programa não funciona, e
// a recusa do sistema para o processo.

#include <functional>
#include <string>

#include "plataforma/sistema.hpp"

inline void iniciar_ou_parar(std::function<void()> corpo, const std::string& qual) {
    if (!plataforma::iniciar_thread(std::move(corpo)))
        plataforma::parar("não consegui iniciar a thread " + qual);
}
