#include "janela/monitor.hpp"

#include "estado/consultas.hpp"
#include "estado/titulos.hpp"
#include "plataforma/janelas.hpp"

namespace pl = plataforma;

bool tela_cheia(Hwnd janela) {
    const auto r = pl::retangulo_da_janela(janela);
    if (!r) return false;
    const auto m = pl::monitor_da_janela(janela);
    return m && m->ret == *r;
}

std::string descrever_monitor(Hwnd janela, Hwnd outra) {
    const auto a = pl::monitor_da_janela(janela);
    const auto b = pl::monitor_da_janela(outra);
    std::string t = a && b && a->id == b->id ? "mesmo monitor" : "outro monitor";
    if (tela_cheia(janela)) t += ", tela cheia";
    return t;
}

std::string descrever_janela_da_frente(Hwnd da_frente, Hwnd navegador) {
    return executavel_da_janela(da_frente).value_or("?") + " (" + descrever_monitor(da_frente, navegador) +
           ")";
}

JanelaLida como_esta(Hwnd janela, std::string_view titulo) {
    if (!pl::existe_janela(janela) || pl::janela_minimizada(janela) || !pl::janela_visivel(janela))
        return JanelaLida::sumiu;
    return mesmo_titulo(pl::titulo_interno(janela), titulo) ? JanelaLida::igual : JanelaLida::titulo_mudou;
}
