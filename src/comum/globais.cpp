#include "comum/globais.hpp"

std::atomic<Hwnd> JANELA{0};
std::atomic<bool> JANELA_EXTERNA{false};
std::atomic<Hwnd> NAVEGADOR_ATUAL{0};
std::atomic<Hwnd> DONO{0};
Protegido<ChavePresa> CHAVE_PRESA;

void definir_chave_presa(std::string caminho) {
    CHAVE_PRESA.com([&](ChavePresa& c) {
        c.caminho = std::move(caminho);
        c.ultima_olhada.reset();
    });
}
