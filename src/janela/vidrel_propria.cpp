#include "janela/vidrel_propria.hpp"

#include "estado/processo.hpp"
#include "janela/posicionamento.hpp"
#include "plataforma/sistema.hpp"

namespace {

using plataforma::Cor;

constexpr Cor kRosa{255, 60, 172};
constexpr Cor kPainel{18, 14, 26};

struct LinhaDoCartao {
    const char* texto;
    Cor cor;
};

// As quatro linhas fixas depois do título.
constexpr LinhaDoCartao kLinhas[] = {
    {"yVornel_: isto está POR CIMA do chat do site", {120, 220, 255}},
    {"Tarsio: e acompanha quando a janela muda", {255, 200, 90}},
    {"visitante: clique passa direto para o chat de baixo", {170, 255, 150}},
    {"A caixa de digitar do site continua à vista.", {200, 200, 210}},
};

void seguir_estado(Hwnd janela) {
    const std::optional<Alvo> alvo = ALVO_PUBLICADO.copiar();
    if (!alvo) {
        plataforma::mostrar_janela(janela, plataforma::sw::esconder);
        return;
    }
    posicionar(janela, *alvo, ModoDePosicao::da_propria_thread);
    plataforma::invalidar(janela, true);
}

}  // namespace

std::string titulo_do_cartao(std::optional<Site> site, std::int64_t largura, std::int64_t altura) {
    return std::string("Chat do Vornel · ") + (site ? nome_do_site(*site) : "") + " · " +
           std::to_string(largura) + "x" + std::to_string(altura);
}

void pintar_cartao(plataforma::TelaDePintura& tela, std::optional<Site> site) {
    const Retangulo cliente = tela.cliente();
    tela.preencher(cliente, kRosa);
    const Retangulo painel{cliente.esquerda + 3, cliente.topo + 3, cliente.direita - 3, cliente.base - 3};
    tela.preencher(painel, kPainel);
    tela.usar_fonte({"Segoe UI", 20, 600});
    tela.fundo_transparente();

    const std::string titulo = titulo_do_cartao(site, cliente.largura(), cliente.altura());
    Retangulo caixa{painel.esquerda + 12, painel.topo + 10, painel.direita - 12, painel.base};
    const std::uint32_t formato = plataforma::dt::quebrar_palavras | plataforma::dt::sem_prefixo;
    auto desenhar = [&](const std::string& texto, Cor cor) {
        tela.cor_do_texto(cor);
        const int altura = tela.desenhar_texto(texto, caixa, formato);
        caixa.topo = somar_saturado(caixa.topo, std::int64_t{altura} + 10);
    };
    desenhar(titulo, kRosa);
    for (const LinhaDoCartao& l : kLinhas) desenhar(l.texto, l.cor);
}

std::intptr_t procedimento_da_vidrel(Hwnd janela, std::uint32_t msg, std::uintptr_t wparam,
                                     std::intptr_t lparam) {
    switch (msg) {
        case plataforma::wm::pintar:
            plataforma::pintar(janela, [](plataforma::TelaDePintura& tela) {
                const auto site = ALVO_PUBLICADO.com([](const std::optional<Alvo>& a) {
                    return a ? std::optional<Site>(a->site) : std::nullopt;
                });
                pintar_cartao(tela, site);
            });
            return 0;
        case plataforma::wm::apagar_fundo:
            // Cada pixel é pintado no WM_PAINT: apagar antes só faria piscar.
            return 1;
        case WM_ESTADO:
            seguir_estado(janela);
            return 0;
        default:
            return plataforma::procedimento_padrao(janela, msg, wparam, lparam);
    }
}

Hwnd criar_vidrel() {
    if (!plataforma::modulo_do_programa()) plataforma::parar("módulo");
    // Uma classe que não registrou só importa se a criação falhar.
    plataforma::registrar_classe(CLASSE_DA_VIDREL, procedimento_da_vidrel);
    const Hwnd h = plataforma::criar_janela(ESTILO_EX_DA_VIDREL, CLASSE_DA_VIDREL, TITULO_DA_VIDREL,
                                            plataforma::estilo::popup, 0, 0, 10, 10, 0);
    if (h == 0) plataforma::parar("janela");
    plataforma::definir_alfa(h, 225);
    return h;
}
