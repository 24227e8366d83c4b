#include "diagnostico/diagnostico.hpp"

#include <optional>
#include <string>

#include "diagnostico/formas.hpp"
#include "diagnostico/selecao.hpp"
#include "diagnostico/sondas.hpp"
#include "estado/alvo.hpp"
#include "plataforma/sistema.hpp"

namespace {

std::optional<std::string> variavel(const char* nome) { return plataforma::variavel_de_ambiente(nome); }

using namespace std::chrono_literals;
constexpr auto kEsperaDaPagina = 3000ms;
constexpr auto kPassoDaPagina = 100ms;

// A página já chegou: a leitura do site traz algum elemento com classe além
// da barra de endereço (que é do navegador).
bool pagina_chegou(const PaginaDaSonda& p) {
    const auto l = ler_pagina(p.a, p.j.janela,
                              p.j.site == Site::Kick ? ModoLeitura::Kick : ModoLeitura::Twitch);
    if (!l) return false;
    for (const ElementoLido& e : l->elementos)
        if (!e.candidato.classe.empty() && e.candidato.classe != "OmniboxViewViews") return true;
    return false;
}

// O Chromium só monta a árvore da página quando um cliente de UI Automation
// pede algo, e as classes chegam ainda depois, com o modo de leitor de tela:
// num navegador que ninguém leu ainda, as sondas mediriam um documento
// vazio. Espera a página chegar (no máximo 3 s) e diz quando esperou; a que
// já estava lá não conta tempo nenhum (a primeira leitura pode levar alguns).
void esperar_a_pagina(const PaginaDaSonda& p) {
    const plataforma::Instante inicio = plataforma::agora();
    if (pagina_chegou(p)) return;
    do {
        if (plataforma::agora() + kPassoDaPagina > inicio + kEsperaDaPagina) {
            dizer("a página não chegou em " + std::to_string(kEsperaDaPagina.count()) +
                  " ms; as sondas leem o que houver");
            return;
        }
        plataforma::dormir(kPassoDaPagina);
    } while (!pagina_chegou(p));
    dizer("a página chegou em " + ms_desde(inicio) + " ms");
}

}  // namespace

int diagnosticar() {
    PaginaDaSonda p{criar_automacao(), {}, {}};
    const auto j = achar_janela_de_live();
    if (!j) {
        dizer("Nenhuma aba da Twitch ou da Kick à frente num Chrome, Edge, Brave ou Opera.");
        return 0;
    }
    p.j = *j;
    dizer(std::string(nome_do_site(j->site)) + " em " + j->executavel + ": \"" + j->titulo + "\"");
    esperar_a_pagina(p);

    if (const auto cena = variavel("CENA")) return sonda_cena(p, *cena);
    if (const auto foto = variavel("FOTO")) return sonda_foto(p, *foto);
    if (const auto faixa = variavel("FAIXA")) {
        if (const auto n = segundos_da_faixa(*faixa)) {
            sonda_faixa(p, *n);
            return 0;
        }
    }
    sonda_por_cima(p);
    if (const auto nome = variavel("CARTAO")) {
        sonda_cartao(p, *nome);
        return 0;
    }
    if (variavel("VIDEO")) sonda_video(p);
    if (const auto kick = variavel("KICK")) {
        sonda_kick(p, *kick);
        return 0;
    }
    if (variavel("COLUNA")) sonda_coluna(p);
    if (variavel("EVENTOS")) {
        sonda_eventos(p);
        return 0;
    }
    if (variavel("SO_BURACOS")) return 0;
    if (const auto mostra = variavel("MOSTRA")) {
        sonda_mostra(p, *mostra);
        return 0;
    }
    if (const auto nick = variavel("NICK7")) {
        sonda_nick7(p, *nick);
        return 0;
    }
    if (const auto classe = variavel("CLASSE")) sonda_classe(p, *classe);
    if (variavel("BANDEJA")) {
        sonda_bandeja(p);
        return 0;
    }
    if (variavel("SETE"))
        sonda_sete(p);
    else if (variavel("VISIVEL"))
        sonda_visivel(p);
    else if (variavel("ARROBA"))
        sonda_arroba(p);
    else
        sonda_listagem(p, variavel("TUDO").has_value());
    return 0;
}
