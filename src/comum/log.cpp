#include "comum/log.hpp"

#include "plataforma/sistema.hpp"

void registrar(std::string_view linha) {
    std::string texto(linha);
    texto += '\n';
    plataforma::escrever_erro(texto);
}

bool UmaVezPorMudanca::registrar(const std::string& linha) {
    if (linha == ultima_) return false;
    ultima_ = linha;
    ::registrar(linha);
    return true;
}
