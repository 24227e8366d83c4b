#pragma once
// A área de trabalho como o gravador a leu (registros simples) e o texto da
// cena que a reproduz no Linux, no formato de docs/cena.md.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "comum/tipos.hpp"

struct ElementoGravado {
    std::int32_t tipo = 50026;
    std::string papel, id, classe, nome;
    std::optional<std::string> valor;  // só o valor de texto
    Retangulo ret;
    bool fora = false;
    Hwnd hwnd = 0;
    bool invocavel = false;
    bool rolavel = false;
    bool focavel = true;
    bool controle = true;
    std::vector<ElementoGravado> filhos;
};

struct JanelaGravada {
    Hwnd hwnd = 0;
    std::string classe, titulo;
    std::optional<std::string> executavel;  // o caminho inteiro; nenhum quando o processo não se deixou ler
    std::uint32_t processo = 0;
    std::uint32_t thread = 0;
    Retangulo ret;
    Retangulo bordas;
    std::uint32_t dpi = 0;  // 0: o do monitor
    bool visivel = true;
    bool minimizada = false;
    Hwnd dono = 0;
    Hwnd foco = 0;
    std::uint32_t estilo = 0;
    std::uint32_t estilo_ex = 0;
    std::vector<JanelaGravada> filhas;
    std::vector<ElementoGravado> pagina;
};

struct MonitorGravado {
    Retangulo ret;
    std::uint32_t dpi = 0;  // 0: não se deixou ler (a cena fica com 96)
};

struct CenaGravada {
    std::string descricao;
    std::uint32_t processo = 0;  // o do próprio programa
    std::optional<std::string> caminho;
    std::vector<MonitorGravado> monitores;
    std::vector<JanelaGravada> janelas;  // a de cima primeiro
    Hwnd frente = 0;
    std::optional<Ponto> cursor;
    std::int64_t fim_ms = 0;
};

// O JSON da cena: a entrada vem da cena (a reprodução não espera o
// terminal), o tempo é virtual e a linha do tempo só tem o "fim".
std::string texto_da_cena(const CenaGravada& c);

// Quantos elementos há nas páginas da cena, filhos incluídos.
std::size_t contar_elementos(const CenaGravada& c);
