#include "localizador/escolha.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "comum/minusculas.hpp"
#include "comum/texto.hpp"

int pontuacao_twitch(const Candidato& c) {
    if (c.ret.largura() < 150 || c.ret.altura() < 120) return 0;
    const std::string classe = minusculas(c.classe);
    if (contem(classe, "chat-list--")) return 100;
    if (contem(classe, "chat-scrollable-area__message-container")) return 95;
    if (c.papel_aria == "log") return 90;
    return 0;
}

std::optional<std::size_t> escolher_twitch(const std::vector<Candidato>& candidatos) {
    std::optional<std::size_t> melhor;
    int melhor_pontos = 0;
    std::int64_t melhor_area = 0;
    for (std::size_t i = 0; i < candidatos.size(); ++i) {
        const int pontos = pontuacao_twitch(candidatos[i]);
        if (pontos == 0) continue;
        const std::int64_t area = candidatos[i].ret.area();
        if (!melhor || pontos > melhor_pontos || (pontos == melhor_pontos && area >= melhor_area)) {
            melhor = i;
            melhor_pontos = pontos;
            melhor_area = area;
        }
    }
    return melhor;
}

std::optional<EscolhaKick> escolher_kick(const std::vector<Candidato>& cs, double escala,
                                         std::optional<std::int32_t> cabecalho_fixo) {
    std::optional<std::size_t> ancora;
    for (std::size_t i = 0; i < cs.size() && !ancora; ++i) {
        const bool separador = cs[i].papel_aria == "separator" && contem(cs[i].classe, "chatroom-resize");
        if (separador || contem(minusculas(cs[i].nome), "chatroom")) ancora = i;
    }
    if (!ancora) return std::nullopt;
    const std::int64_t L = cs[*ancora].ret.esquerda;
    const std::int64_t T = cs[*ancora].ret.topo;

    std::int64_t cabecalho = 50;
    if (cabecalho_fixo) {
        cabecalho = *cabecalho_fixo;
    } else {
        bool achou = false;
        for (const Candidato& c : cs) {
            const Retangulo& r = c.ret;
            if (r.esquerda >= L && r.topo >= T && r.altura() <= 60 && r.topo < T + 30 && r.topo < r.base) {
                const std::int64_t h = std::int64_t{r.base} - T;
                cabecalho = achou ? std::max(cabecalho, h) : h;
                achou = true;
            }
        }
    }

    std::optional<std::size_t> caixa;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const Candidato& c = cs[i];
        const Retangulo& r = c.ret;
        if (c.papel_aria != "textbox" || !c.id.empty()) continue;
        if (r.esquerda < L || !(r.esquerda < r.direita) || !(r.topo < r.base) || r.topo <= T + cabecalho)
            continue;
        if (!caixa || r.topo >= cs[*caixa].ret.topo) caixa = i;
    }
    if (!caixa) return std::nullopt;

    const std::int64_t B = cs[*caixa].ret.topo;
    const std::int64_t W = B - na_escala(200, escala);
    std::int64_t topo_dos_botoes = B;
    for (const Candidato& c : cs) {
        const Retangulo& r = c.ret;
        if (c.papel_aria == "button" && contem(c.classe, "aspect-square") && r.esquerda >= L && r.base <= B &&
            r.topo >= W)
            topo_dos_botoes = std::min<std::int64_t>(topo_dos_botoes, r.topo);
    }
    EscolhaKick e;
    e.separador = *ancora;
    e.caixa = *caixa;
    e.cabecalho = saturar(cabecalho);
    e.folga = saturar(std::int64_t{na_escala(12, escala)} + B - topo_dos_botoes);
    return e;
}
