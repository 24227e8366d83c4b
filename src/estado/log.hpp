#pragma once
// Linhas de log: uma por acontecimento, em português, no erro padrão, sem
// hora nem nível. Cada motivo é registrado uma vez por mudança, não a cada
// volta.

#include <atomic>
#include <string>
#include <string_view>

void registrar(std::string_view linha);

// Guarda o último estado de um motivo para registrá-lo só quando muda.
class UmaVezPorMudanca {
public:
    // O estado é outro que o último? Guarda-o (não registra nada).
    bool mudou(const std::string& estado);
    // Registra "linha" se ela difere da última registrada por este objeto.
    bool registrar(const std::string& linha) { return registrar(linha, linha); }
    // Registra "linha" quando "estado" difere do último; a linha pode trazer
    // números que mudam (tempos) sem que o estado mude.
    bool registrar(const std::string& estado, const std::string& linha);
    void esquecer() { ultimo_.clear(); }
    const std::string& ultimo() const { return ultimo_; }

private:
    std::string ultimo_;
};

// Registra a linha só na primeira vez em toda a execução.
void uma_vez_por_execucao(std::atomic<bool>& ja_registrou, const std::string& linha);
