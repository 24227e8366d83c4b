#include "conferencia_do_protocolo.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

const EsquemaJson& esquema_do_protocolo() {
    static const EsquemaJson esquema = [] {
        std::ifstream f(PROTOCOLO_ESQUEMA, std::ios::binary);
        if (!f) throw std::runtime_error("não consegui abrir " + std::string(PROTOCOLO_ESQUEMA));
        std::ostringstream ss;
        ss << f.rdbuf();
        return EsquemaJson(JsonOrdenado::parse(ss.str()));
    }();
    return esquema;
}

ModoDaSaida modo_da_saida(const std::vector<std::string>& a) {
    auto tem = [&](std::string_view opcao) { return std::find(a.begin(), a.end(), opcao) != a.end(); };
    if (tem("--diagnostico")) return ModoDaSaida::diagnostico;
    if (tem("--pulsar-janela")) return ModoDaSaida::pulso;
    if (tem("--navegadores")) return ModoDaSaida::navegadores;
    if (tem("--janela")) return ModoDaSaida::hospedado;
    return ModoDaSaida::prototipo;
}

std::string definicao_do_modo(ModoDaSaida modo) {
    switch (modo) {
        case ModoDaSaida::pulso:
            return "#/$defs/modoPulso";
        case ModoDaSaida::navegadores:
            return "#/$defs/modoNavegadores";
        case ModoDaSaida::hospedado:
            return "#/$defs/modoHospedado";
        case ModoDaSaida::prototipo:
            return "#/$defs/modoPrototipo";
        case ModoDaSaida::diagnostico:
            break;
    }
    return {};
}

std::optional<std::string> conferir_linha_do_protocolo(std::string_view linha, std::string_view definicao) {
    if (linha.find('\r') != std::string_view::npos) return "a linha tem um \\r (o fim de linha é só \\n)";
    JsonOrdenado j;
    try {
        j = JsonOrdenado::parse(linha);
    } catch (const JsonOrdenado::parse_error& e) {
        return std::string("não é JSON: ") + e.what();
    }
    if (!j.is_object()) return "não é um objeto JSON";
    // O programa escreve cada mensagem compacta; uma chave repetida some na
    // leitura, e a linha relida já não é a mesma.
    if (const std::string compacta = j.dump(); compacta != linha)
        return "fora da forma compacta do protocolo (brancos, escape \\u, número reescrito ou chave "
               "repetida); relida: " +
               compacta;
    return esquema_do_protocolo().conferir(j, definicao);
}

std::vector<std::string> problemas_da_saida(const std::vector<std::string>& argumentos,
                                            std::string_view saida) {
    std::vector<std::string> r;
    const ModoDaSaida modo = modo_da_saida(argumentos);
    if (modo == ModoDaSaida::diagnostico || saida.empty()) return r;
    if (saida.back() != '\n') r.push_back("a saída termina no meio de uma linha (sem o \\n final)");
    const std::string definicao = definicao_do_modo(modo);
    int prototipo = 0;
    std::size_t inicio = 0;
    for (int n = 1; inicio < saida.size(); ++n) {
        std::size_t fim = saida.find('\n', inicio);
        if (fim == std::string_view::npos) fim = saida.size();
        const std::string_view linha = saida.substr(inicio, fim - inicio);
        inicio = fim + 1;
        if (modo == ModoDaSaida::prototipo && linha == LINHA_DO_PROTOTIPO && ++prototipo == 1) continue;
        if (const auto p = conferir_linha_do_protocolo(linha, definicao))
            r.push_back("linha " + std::to_string(n) + ": " + *p + "\n    " + std::string(linha));
    }
    return r;
}
