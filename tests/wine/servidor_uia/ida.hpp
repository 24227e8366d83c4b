#pragma once
// O caminho de toda chamada que, no Windows, iria ao processo do navegador:
// põe os eventos em dia, toma a trava da área, copia o mundo real para ela
// (as janelas, o cursor, as regiões, o teclado que os dublês receberam),
// conta a chamada e confere as falhas e lentidões da cena (como o cliente
// simulado), roda o pedido e, já sem a trava, começa as reações da página
// que a chamada disparou e dorme a demora.

#include <ole2.h>
#include <windows.h>

#include <string>

#include "plataforma/simulada/consultas_uia.hpp"
#include "servidor_uia/mundo.hpp"
#include "servidor_uia/registro.hpp"

namespace servidor_uia {

using plataforma::simulada::ElementoPtr;

// "janela" diz de que janela da cena é a chamada quando ela não parte de um
// elemento (ElementFromHandle, ElementFromPoint); é calculada já com a área
// espelhada.
template <class Janela, class F>
HRESULT ir_na_janela(const char* metodo, const std::string& chamada, const ElementoPtr& e, Janela janela, F f,
                     const std::string& falhas_de = {}) {
    usado(metodo);
    Mundo& m = Mundo::global();
    m.em_dia();
    int demora = 0;
    HRESULT hr = S_OK;
    bool reagir = false;
    {
        AreaDeTrabalho& a = m.area();
        std::lock_guard g(a.m);
        m.espelhar();
        if (auto falha = plataforma::simulada::ida_ao_navegador(a, chamada, e, demora, janela(a), falhas_de))
            hr = static_cast<HRESULT>(*falha);
        else
            hr = f(a);
        reagir = !a.disparadas.empty() || !a.adiados_da_pagina.empty();
    }
    if (reagir) plataforma::simulada::despachar_reacoes();
    if (demora > 0) Sleep(static_cast<DWORD>(demora));
    return hr;
}

template <class F>
HRESULT ir(const char* metodo, const std::string& chamada, const ElementoPtr& e, F f,
           const std::string& falhas_de = {}) {
    return ir_na_janela(
        metodo, chamada, e, [](AreaDeTrabalho&) { return Hwnd{0}; }, f, falhas_de);
}

// As chamadas que ficam no processo do cliente: sem espelho nem contagem, só
// as falhas da cena. O Invoke do padrão também passa por aqui (a ida dele ao
// navegador foi o GetCurrentPatternAs), e as reações dele começam na saída.
template <class F>
HRESULT local(const char* metodo, const char* chamada, F f) {
    usado(metodo);
    Mundo& m = Mundo::global();
    m.em_dia();
    AreaDeTrabalho& a = m.area();
    HRESULT hr = S_OK;
    bool reagir = false;
    {
        std::lock_guard g(a.m);
        if (auto falha = chamada ? plataforma::simulada::falha_local(a, chamada) : std::nullopt)
            return static_cast<HRESULT>(*falha);
        hr = f(a);
        reagir = !a.disparadas.empty() || !a.adiados_da_pagina.empty();
    }
    if (reagir) plataforma::simulada::despachar_reacoes();
    return hr;
}

inline constexpr HRESULT kIndisponivel = static_cast<HRESULT>(0x80040201u);  // UIA_E_ELEMENTNOTAVAILABLE

BSTR bstr(const std::string& utf8);

}  // namespace servidor_uia
