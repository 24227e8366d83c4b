#include "estado/log.hpp"

#include "plataforma/sistema.hpp"

void registrar(std::string_view linha) {
    std::string texto(linha);
    texto += '\n';
    plataforma::escrever_erro(texto);
}

bool UmaVezPorMudanca::mudou(const std::string& estado) {
    if (estado == ultimo_) return false;
    ultimo_ = estado;
    return true;
}

bool UmaVezPorMudanca::registrar(const std::string& estado, const std::string& linha) {
    if (!mudou(estado)) return false;
    ::registrar(linha);
    return true;
}

void uma_vez_por_execucao(std::atomic<bool>& ja_registrou, const std::string& linha) {
    if (!ja_registrou.exchange(true)) registrar(linha);
}
