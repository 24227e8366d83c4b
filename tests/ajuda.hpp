#pragma once
// Ajudas dos testes: rodar o programa de verdade sobre uma cena e ler o que ele
// escreveu, e montar a área de trabalho simulada dentro do processo de teste.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "comum/tipos.hpp"
#include "plataforma/simulada/rastro.hpp"

using plataforma::simulada::Json;

struct Execucao {
    int codigo = -1;
    std::string saida;
    std::string erro;
    std::vector<Json> rastro;

    std::vector<std::string> linhas_da_saida() const;
    std::vector<std::string> linhas_do_erro() const;
    // As linhas do rastro que têm o campo dado (por exemplo "efeito") com o valor dado.
    std::vector<Json> no_rastro(const std::string& campo, const std::string& valor) const;
    // As linhas da saída (ou do erro) com o instante em que saíram.
    std::vector<std::pair<std::int64_t, std::string>> saidas() const;
    std::vector<std::pair<std::int64_t, std::string>> erros() const;
    // Buscas na página (FindAllBuildCache) entre dois instantes (exige --rastro-uia).
    int buscas_entre(std::int64_t de, std::int64_t ate) const;
    // Só as do localizador: no modo hospedado ele roda na thread principal
    // (a 0 do rastro); os vigias da página buscam nas threads deles.
    int buscas_do_localizador_entre(std::int64_t de, std::int64_t ate) const;
    // A primeira linha de log que contém o texto; vazio se nenhuma.
    std::string log_com(const std::string& trecho) const;
};

// Uma cena de cenas/ com campos do topo trocados ou acrescentados (por exemplo
// outra "linha_do_tempo").
std::string cena_derivada(const std::string& arquivo, const std::string& campos);

// Roda build/linux/localizador com a cena (texto JSON) e os argumentos, em
// tempo virtual, e espera o fim (no máximo o limite, em relógio de parede).
Execucao rodar_programa(const std::string& cena, const std::vector<std::string>& argumentos,
                        std::chrono::seconds limite_de_parede = std::chrono::seconds(60));
// O mesmo com um arquivo de cena de cenas/.
Execucao rodar_programa_com_arquivo(const std::string& arquivo, const std::vector<std::string>& argumentos);
// Sem --cena: a cena padrão embutida.
Execucao rodar_programa_sem_cena(const std::vector<std::string>& argumentos);

// Uma cena de cenas/ com a entrada vinda da cena e a linha do tempo dada (os
// eventos, sem os colchetes); "extras" acrescenta campos do topo (começando
// por vírgula). Roda o programa com os argumentos.
Execucao rodar_linha_do_tempo(const std::string& arquivo, const std::string& linha_do_tempo,
                              const std::vector<std::string>& argumentos = {"--janela", "100"},
                              const std::string& extras = "");

// As linhas da saída que começam por "comeco", com o instante; estados() são
// as linhas de estado ({"site"...), sem batimentos.
std::vector<std::pair<std::int64_t, std::string>> linhas_que_comecam(const Execucao& e,
                                                                     const std::string& comeco);
inline std::vector<std::pair<std::int64_t, std::string>> estados(const Execucao& e) {
    return linhas_que_comecam(e, "{\"site\"");
}

std::vector<std::string> dividir_linhas(const std::string& texto);
// O conteúdo inteiro de um arquivo (vazio se não abre).
std::string ler_arquivo(const std::filesystem::path& p);

// Variáveis de ambiente só durante o teste: o programa as herda.
class ComAmbiente {
public:
    explicit ComAmbiente(std::map<std::string, std::string> vs) : vs_(std::move(vs)) {
        for (const auto& [n, v] : vs_) setenv(n.c_str(), v.c_str(), 1);
    }
    ~ComAmbiente() {
        for (const auto& [n, v] : vs_) unsetenv(n.c_str());
    }
    ComAmbiente(const ComAmbiente&) = delete;
    ComAmbiente& operator=(const ComAmbiente&) = delete;

private:
    std::map<std::string, std::string> vs_;
};

// Uma cena mínima: um monitor, a janela do app (100) e o fim no instante dado.
std::string cena_minima(int fim_ms, const std::string& linha_do_tempo_extra = "");

// Carrega a cena na área de trabalho global deste processo, zera o relógio
// virtual, os valores do programa e liga o rastro na memória.
class ComAreaSimulada : public ::testing::Test {
protected:
    void carregar(const std::string& cena);
    std::vector<Json> rastro(const std::string& efeito) const;
    void TearDown() override;
};

// Retângulos legíveis nas mensagens de falha.
inline void PrintTo(const Retangulo& r, std::ostream* os) { *os << retangulo_json(r); }
