#pragma once
// Os valores do processo que a partida define e todas as threads leem.
//
// São palavras lidas e escritas sem trava; como atômicos relaxados elas têm o
// mesmo custo e não são corrida de dados para o C++.

#include <atomic>
#include <optional>
#include <string>

#include "comum/protegido.hpp"
#include "comum/tipos.hpp"
#include "plataforma/sincronia.hpp"

// A janela da Vidrel: a do app no modo hospedado, a nossa no protótipo.
extern std::atomic<Hwnd> JANELA;
// Modo hospedado (--janela).
extern std::atomic<bool> JANELA_EXTERNA;
// A janela do navegador do último alvo publicado.
extern std::atomic<Hwnd> NAVEGADOR_ATUAL;
// A janela de navegador fixada (--dono, comando "fixar"); 0 = nenhuma.
extern std::atomic<Hwnd> DONO;

// O arquivo-chave de --presa: enquanto existe, a Vidrel pode se prender.
struct ChavePresa {
    std::optional<std::string> caminho;
    std::optional<plataforma::Instante> ultima_olhada;
    bool resposta = false;
};
extern Protegido<ChavePresa> CHAVE_PRESA;

// Define o caminho e esquece a última olhada, para a próxima consulta olhar o disco.
void definir_chave_presa(std::string caminho);
