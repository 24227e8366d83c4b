// Pintura GDI simulada: registra o que o programa pinta (preenchimentos, fonte,
// textos com as linhas em que cada um quebrou) e calcula a altura do texto
// como o DrawTextW com DT_WORDBREAK, com larguras de caractere aproximadas às
// de uma fonte proporcional.

#include <algorithm>
#include <cmath>

#include "comum/texto.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/simulada/texto_simulado.hpp"

namespace plataforma {

using simulada::AreaDeTrabalho;
using simulada::JanelaSim;
using simulada::Json;
using simulada::PinturaRegistrada;
using simulada::TextoPintado;

namespace {

class TelaSimulada final : public TelaDePintura {
public:
    explicit TelaSimulada(Retangulo cliente) { registro_.cliente = cliente; }

    Retangulo cliente() override { return registro_.cliente; }

    void preencher(const Retangulo& r, Cor cor) override { registro_.preenchimentos.emplace_back(r, cor); }

    void usar_fonte(const Fonte& f) override { registro_.fonte = f; }

    void fundo_transparente() override { registro_.fundo_transparente = true; }

    void cor_do_texto(Cor cor) override { cor_ = cor; }

    int desenhar_texto(std::string_view utf8, const Retangulo& caixa, std::uint32_t formato) override {
        TextoPintado t;
        t.texto = std::string(utf8);
        t.caixa = caixa;
        t.cor = cor_;
        t.formato = formato;
        const Fonte fonte = registro_.fonte.value_or(Fonte{"System", 16, 400});
        const int largura = static_cast<int>(std::max<std::int64_t>(0, caixa.largura()));
        t.linhas = simulada::quebrar_linhas(utf8, fonte, largura, (formato & dt::quebrar_palavras) != 0);
        for (const std::string& l : t.linhas)
            t.largura_maior_linha = std::max(t.largura_maior_linha, simulada::largura_do_texto(l, fonte));
        t.altura = static_cast<int>(t.linhas.size()) * simulada::altura_da_linha(fonte);
        registro_.textos.push_back(t);
        return t.altura;
    }

    PinturaRegistrada registro_;

private:
    Cor cor_{};
};

Json cor_json(Cor c) { return Json::array({c.r, c.g, c.b}); }
Json ret_json(const Retangulo& r) { return Json::array({r.esquerda, r.topo, r.direita, r.base}); }

}  // namespace

void pintar(Hwnd janela, const std::function<void(TelaDePintura&)>& corpo) {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    Retangulo cliente;
    {
        std::lock_guard g(a.m);
        JanelaSim* j = a.achar(janela);
        if (!j) return;
        j->precisa_pintar = false;  // BeginPaint valida a área
        const Retangulo c = a.cliente_em_tela(*j);
        cliente = {0, 0, static_cast<std::int32_t>(std::max<std::int64_t>(0, c.largura())),
                   static_cast<std::int32_t>(std::max<std::int64_t>(0, c.altura()))};
    }
    TelaSimulada tela(cliente);
    corpo(tela);
    {
        std::lock_guard g(a.m);
        if (JanelaSim* j = a.achar(janela)) {
            j->ultima_pintura = tela.registro_;
            ++j->pinturas;
        }
    }
    Json preenchimentos = Json::array();
    for (const auto& [r, c] : tela.registro_.preenchimentos)
        preenchimentos.push_back({{"ret", ret_json(r)}, {"cor", cor_json(c)}});
    Json textos = Json::array();
    for (const TextoPintado& t : tela.registro_.textos)
        textos.push_back({{"texto", t.texto},
                          {"caixa", ret_json(t.caixa)},
                          {"cor", cor_json(t.cor)},
                          {"formato", t.formato},
                          {"linhas", t.linhas},
                          {"altura", t.altura}});
    Json linha = {{"efeito", "pintura"},
                  {"janela", janela},
                  {"cliente", ret_json(cliente)},
                  {"preenchimentos", preenchimentos}};
    if (const auto& f = tela.registro_.fonte)
        linha["fonte"] = {{"nome", f->nome}, {"altura", f->altura}, {"peso", f->peso}};
    linha["fundo_transparente"] = tela.registro_.fundo_transparente;
    linha["textos"] = textos;
    simulada::Rastro::global().registrar(std::move(linha));
}

}  // namespace plataforma
