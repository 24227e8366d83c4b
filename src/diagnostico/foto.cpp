// A foto da página da frente como o localizador a vê: a janela, a página, os
// elementos da leitura, a coluna do chat, os buracos, o quadrado do botão e o
// buraco do cartão, num SVG que a pessoa manda junto com o problema.

#include <chrono>

#include "comum/desenho.hpp"
#include "comum/texto.hpp"
#include "diagnostico/formas.hpp"
#include "diagnostico/sondas.hpp"
#include "estado/consultas.hpp"
#include "localizador/cobertura.hpp"
#include "localizador/montagem.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;

namespace {

void figura(Desenho& d, Traco t, const Retangulo& r, std::string rotulo, std::string dica = {}) {
    d.figuras.push_back({t, r, std::move(rotulo), std::move(dica)});
}

// Os elementos da mesma leitura que o localizador faz, em contornos finos.
void desenhar_elementos(PaginaDaSonda& p, Desenho& d) {
    const pl::Instante inicio = pl::agora();
    const auto lida = ler_pagina(p.a, p.j.janela,
                                 p.j.site == Site::Kick ? ModoLeitura::Kick : ModoLeitura::Twitch);
    if (!lida) {
        d.legenda.push_back("a leitura da página falhou: " + lida.erro().texto());
        return;
    }
    for (const ElementoLido& e : lida->elementos)
        figura(d, Traco::elemento, e.candidato.ret, {}, forma_de_depuracao(e.candidato));
    d.legenda.push_back(std::to_string(lida->elementos.size()) + " elementos lidos em " + ms_desde(inicio) +
                        " ms");
}

}  // namespace

int sonda_foto(PaginaDaSonda& p, const std::string& caminho) {
    Desenho d;
    d.titulo = std::string(nome_do_site(p.j.site)) + " em " + p.j.executavel + ": " + p.j.titulo;
    const Retangulo janela = pl::retangulo_da_janela(p.j.janela).value_or(Retangulo{});
    d.quadro = janela;
    figura(d, Traco::janela, janela, "navegador " + std::to_string(p.j.janela) + " " + p.j.executavel);
    d.legenda.push_back(d.titulo);

    const ChatMedido m = medir_chat(p, p.j);
    if (m.ok()) figura(d, Traco::pagina, m.releitura->pagina, "página");
    desenhar_elementos(p, d);
    if (!m.leitura) {
        d.legenda.push_back("a busca do chat falhou");
    } else if (!m.ok()) {
        d.legenda.push_back("sem chat" + (m.releitura ? ": " + m.releitura->motivo : std::string()));
    } else {
        const Retangulo chat = m.releitura->chat;
        figura(d, Traco::chat, chat, "chat");
        const Coberturas c = buscar_tudo_que_cobre(p.a, p.j.janela, p.j.titulo, *m.leitura, chat, p.memoria);
        if (c.erro) d.legenda.push_back("a busca do que cobre o chat falhou: " + c.erro->texto());
        for (std::size_t i = 0; i < c.buracos.size(); ++i)
            figura(d, Traco::buraco, c.buracos[i], "buraco " + std::to_string(i + 1));
        // O cartão só existe com um aperto de perfil pendente; aqui, com o
        // nome dado em CARTAO, é medido como o localizador mediria.
        if (const auto nome = pl::variavel_de_ambiente("CARTAO")) {
            const auto medida = medir_cartao_aberto(p, *nome, chat);
            const auto buraco = buraco_extra(medida ? std::optional(medida->ret) : std::nullopt, chat);
            if (buraco)
                figura(d, Traco::cartao, deslocar(*buraco, chat.esquerda, chat.topo), "cartão de " + *nome);
            else
                d.legenda.push_back("nenhum cartão de " + *nome + " por cima do chat");
        }
        if (const auto botao = quadrado_do_botao(c.botao, c.caixa, escala_dpi(p.j.janela)))
            figura(d, Traco::botao, *botao, "botão");
        d.legenda.push_back("folga " + std::to_string(m.releitura->folga) + ", " +
                            std::to_string(c.buracos.size()) + " buracos");
    }

    if (!gravar_arquivo(caminho, svg_do_desenho(d))) {
        dizer("não consegui gravar a foto em " + caminho + ": o arquivo não abriu ou a escrita falhou");
        return 1;
    }
    std::size_t elementos = 0;
    for (const Figura& f : d.figuras) elementos += f.traco == Traco::elemento;
    dizer("foto gravada em " + caminho + ": " + std::to_string(elementos) + " elementos, chat " +
          forma_opcional(m.ok() ? std::optional(m.releitura->chat) : std::nullopt));
    return 0;
}
