// As sondas do chat como o localizador o vê: a faixa de estados, o que cobre
// o chat, o que está acima dele e o cartão do espectador.

#include <chrono>
#include <limits>

#include "diagnostico/formas.hpp"
#include "diagnostico/selecao.hpp"
#include "diagnostico/sondas.hpp"
#include "estado/consultas.hpp"
#include "localizador/cartao.hpp"
#include "localizador/cobertura.hpp"
#include "localizador/montagem.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;

ChatMedido medir_chat(PaginaDaSonda& p, const JanelaDeLive& j) {
    ChatMedido m;
    auto lida = localizar_chat(p.a, j, p.memoria);
    if (!lida) return m;
    m.leitura = std::move(*lida);
    if (m.leitura->chat) m.releitura = reler_chat(p.a, *m.leitura);
    return m;
}

std::optional<MedidaDoCartao> medir_cartao_aberto(PaginaDaSonda& p, const std::string& nome,
                                                  const Retangulo& chat) {
    auto raiz = p.a.elemento_da_janela(janela_da_pagina(p.j.janela));
    const auto chat_room = raiz ? achar_chat_room(p.a, *raiz) : std::nullopt;
    if (!chat_room) return std::nullopt;
    return medir_cartao(p.a, *chat_room, nome, chat, true);
}

void sonda_faixa(PaginaDaSonda& p, std::uint64_t segundos) {
    const pl::Instante inicio = pl::agora();
    // Em milissegundos, saturado: um prazo de 2^64 segundos não dá a volta.
    const std::uint64_t limite_ms = segundos > std::numeric_limits<std::uint64_t>::max() / 1000
                                        ? std::numeric_limits<std::uint64_t>::max()
                                        : segundos * 1000;
    const auto passado_ms = [&] {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - inicio).count());
    };
    std::optional<LeituraChat> guardado;
    std::string anterior;
    while (passado_ms() < limite_ms) {
        const auto j = achar_janela_de_live();
        if (j) {
            std::optional<Retangulo> chat_guardado;
            std::optional<Retangulo> pagina;
            if (guardado) {
                const Releitura r = reler_chat(p.a, *guardado);
                if (r.estado == Releitura::Estado::ok) {
                    chat_guardado = r.chat;
                    pagina = r.pagina;
                }
            }
            const ChatMedido novo = medir_chat(p, *j);
            std::optional<Retangulo> chat_novo;
            if (novo.ok()) {
                chat_novo = novo.releitura->chat;
                pagina = novo.releitura->pagina;
                guardado = novo.leitura;
            }
            const std::optional<Retangulo> chat = chat_novo ? chat_novo : chat_guardado;
            const std::optional<uia::Elemento> lista = guardado ? guardado->conteiner_de_mensagens
                                                                : std::nullopt;
            const bool escondido = chat && pagina && !cabecalho_livre(p.a, j->janela, *chat, *pagina, lista);
            const bool a_mostra = chat && !escondido && chat_a_vista(*chat, j->janela);
            const std::string estado = "página " + forma_opcional(pagina) + " | chat guardado " +
                                       forma_opcional(chat_guardado) + " | chat novo " +
                                       forma_opcional(chat_novo) + " | escondido " +
                                       forma_de_booleano(escondido) + " | à mostra " +
                                       forma_de_booleano(a_mostra) + " | janela " +
                                       forma_opcional(pl::retangulo_da_janela(j->janela));
            if (estado != anterior) {
                dizer(ms_desde(inicio) + " ms " + estado);
                anterior = estado;
            }
        }
        pl::dormir(250ms);
    }
}

void sonda_por_cima(PaginaDaSonda& p) {
    const ChatMedido m = medir_chat(p, p.j);
    const LeituraChat vazia;
    const LeituraChat& leitura = m.leitura ? *m.leitura : vazia;
    const Retangulo chat = m.ok() ? m.releitura->chat : leitura.ret_chat;
    Coberturas ultima;
    for (int i = 0; i < 5; ++i) {
        const pl::Instante inicio = pl::agora();
        Coberturas c = buscar_tudo_que_cobre(p.a, p.j.janela, p.j.titulo, leitura, chat, p.memoria);
        const std::string ms = ms_desde(inicio);
        dizer("por cima: " + std::to_string(c.buracos.size()) + " em " + ms + " ms " +
              forma_de_lista(c.buracos) + (c.erro ? " (a busca falhou: " + c.erro->texto() + ")" : ""));
        ultima = std::move(c);
    }
    if (ultima.caixa)
        dizer("caixa " + forma_de_depuracao(*ultima.caixa) + "; último ícone medido " +
              forma_opcional(ultima.botao) + "; pela borda " +
              forma_opcional(quadrado_do_botao(std::nullopt, ultima.caixa, escala_dpi(p.j.janela))));
}

void sonda_mostra(PaginaDaSonda& p, const std::string& valor) {
    const ChatMedido m = medir_chat(p, p.j);
    const std::optional<Retangulo> pagina = m.ok() ? std::optional(m.releitura->pagina) : std::nullopt;
    const auto chat = retangulo_de_mostra(valor);
    if (!chat) return;
    const Ponto acima{static_cast<std::int32_t>((std::int64_t{chat->esquerda} + chat->direita) / 2),
                      somar_saturado(chat->topo, -30)};
    std::string descricao = "None None";
    if (auto e = p.a.elemento_no_ponto(acima)) {
        const auto ret = e->retangulo_atual();
        descricao = "classe=" + forma_de_depuracao(e->classe_atual().valor_ou({})) +
                    " nome=" + forma_de_depuracao(e->nome_atual().valor_ou({})) + " " +
                    forma_opcional(ret ? std::optional(*ret) : std::nullopt);
    }
    dizer("acima do chat: " + descricao + "; página " + forma_opcional(pagina));
    const std::optional<uia::Elemento> lista = m.leitura ? m.leitura->conteiner_de_mensagens : std::nullopt;
    const bool livre = cabecalho_livre(p.a, p.j.janela, *chat, pagina.value_or(Retangulo{}), lista);
    dizer(std::string("chat_a_mostra: ") + forma_de_booleano(livre));
}

void sonda_cartao(PaginaDaSonda& p, const std::string& nome) {
    const ChatMedido m = medir_chat(p, p.j);
    const std::optional<Retangulo> chat = m.ok() ? std::optional(m.releitura->chat) : std::nullopt;
    dizer("chat " + forma_opcional(chat));
    const std::optional<MedidaDoCartao> medida = chat ? medir_cartao_aberto(p, nome, *chat) : std::nullopt;
    dizer("cartão (esqueleto " + std::string(forma_de_booleano(true)) + "): " +
          (medida ? "Some(" + forma_de_depuracao(medida->ret) + ", " + forma_de_depuracao(medida->peca) + ")"
                  : std::string("None")));
}
