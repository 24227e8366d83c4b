#include "diagnostico/formas.hpp"

#include <chrono>

#include "estado/saida.hpp"
#include "plataforma/sistema.hpp"

void dizer(const std::string& linha) { escrever_linha(linha); }

std::string ms_desde(plataforma::Instante inicio) {
    return std::to_string(
        std::chrono::duration_cast<std::chrono::milliseconds>(plataforma::agora() - inicio).count());
}

std::string forma_opcional(const std::optional<Retangulo>& r) {
    return r ? "Some(" + forma_de_depuracao(*r) + ")" : "None";
}

std::string forma_de_lista(const std::vector<Retangulo>& rs) {
    std::string s = "[";
    for (std::size_t i = 0; i < rs.size(); ++i) s += (i ? ", " : "") + forma_de_depuracao(rs[i]);
    return s + "]";
}

std::string tamanho_e_lugar(const Retangulo& r) {
    return std::to_string(r.largura()) + "x" + std::to_string(r.altura()) + " em (" +
           std::to_string(r.esquerda) + "," + std::to_string(r.topo) + ")";
}
