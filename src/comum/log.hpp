#pragma once
// Linhas de log: uma por acontecimento, em português, no erro padrão, sem
// hora nem nível.

#include <string>
#include <string_view>

void registrar(std::string_view linha);

// Guarda o último texto de um motivo para registrá-lo só quando muda.
class UmaVezPorMudanca {
public:
    // Registra "linha" se ela difere da última registrada por este objeto.
    bool registrar(const std::string& linha);
    void esquecer() { ultima_.clear(); }
    const std::string& ultima() const { return ultima_; }

private:
    std::string ultima_;
};
