// O modo que lista as janelas de navegador enquanto a lista muda.

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "estado/saida.hpp"
#include "localizador/descoberta.hpp"
#include "modos/modos.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace {

std::string juntar(const std::vector<Hwnd>& hs) {
    std::string s;
    for (Hwnd h : hs) {
        if (!s.empty()) s += ',';
        s += std::to_string(h);
    }
    return s;
}

// Lê e joga fora a entrada; quando ela acaba, o modo acaba com ela.
void dreno_da_entrada() {
    std::string linha;
    while (plataforma::ler_linha_da_entrada(linha)) {
    }
    plataforma::encerrar_processo(0);
}

}  // namespace

int rodar_navegadores() {
    if (!plataforma::iniciar_thread(dreno_da_entrada))
        plataforma::parar("não consegui iniciar a thread da entrada");
    std::vector<Hwnd> existem;
    std::string ultima;
    for (;;) {
        std::vector<Hwnd> navegadores;
        for (Hwnd h : plataforma::janelas_de_topo())
            if (janela_de_navegador(h)) navegadores.push_back(h);
        for (Hwnd h : navegadores)
            if (std::find(existem.begin(), existem.end(), h) == existem.end()) existem.push_back(h);
        existem.erase(std::remove_if(existem.begin(), existem.end(),
                                     [](Hwnd h) { return !plataforma::existe_janela(h); }),
                      existem.end());
        const std::string linha = "{\"navegadores\":[" + juntar(navegadores) + "],\"existem\":[" +
                                  juntar(existem) + "]}";
        if (linha != ultima) {
            if (!escrever_linha(linha)) return 0;
            ultima = linha;
        }
        plataforma::dormir(std::chrono::milliseconds(250));
    }
}
