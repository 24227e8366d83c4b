#pragma once
// O rastro da simulação: uma linha JSON por efeito do programa sobre a área de
// trabalho, por evento da linha do tempo da cena e por linha escrita na saída
// ou no erro padrão, cada uma com o instante "t" em milissegundos.

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace plataforma::simulada {
// Ordem das chaves como escritas: o rastro é lido por gente.
using Json = nlohmann::ordered_json;
}  // namespace plataforma::simulada

namespace plataforma::simulada {

class Rastro {
public:
    static Rastro& global();

    // Abre o arquivo (truncando). Falso quando não abriu.
    bool abrir(const std::string& caminho);
    void fechar();
    bool ativo();

    // Acrescenta "t" e grava a linha; nada quando o rastro está desligado.
    void registrar(Json linha);
    void esvaziar();

    // Chamado com cada linha (com o "t"), na thread que a registrou; para as
    // bancadas medirem quando um efeito aconteceu.
    void observar(std::function<void(const Json&)> observador);

    // Guarda também as linhas na memória, para os testes dentro do processo.
    void guardar_na_memoria(bool sim);
    std::vector<Json> linhas();
    void esquecer();

private:
    std::mutex m_;
    std::FILE* arquivo_ = nullptr;
    bool na_memoria_ = false;
    std::function<void(const Json&)> observador_;
    std::vector<Json> memoria_;
};

}  // namespace plataforma::simulada
