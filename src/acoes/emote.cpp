#include "acoes/emote.hpp"

#include "acoes/sintese.hpp"
#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;
using uia::Propriedade;

bool serve_de_caixa(const Retangulo& r, const std::string& id, const Retangulo& chat) {
    if (!id.empty() || !(r.esquerda < r.direita)) return false;
    const std::int64_t topo = r.topo;
    return std::int64_t{r.esquerda} >= std::int64_t{chat.esquerda} - 30 &&
           std::int64_t{r.direita} <= std::int64_t{chat.direita} + 30 &&
           topo >= std::int64_t{chat.base} - 10 && topo <= std::int64_t{chat.base} + 200;
}

std::optional<uia::Elemento> achar_caixa(const uia::Automacao& a, const uia::Elemento& raiz,
                                         const Alvo& alvo) {
    auto pedido = a.pedido({Propriedade::retangulo, Propriedade::id});
    auto condicao = a.igual(Propriedade::papel, std::string("textbox"));
    if (!pedido || !condicao) return std::nullopt;
    auto achados = buscar_fora_da_vidrel(a, raiz, *condicao, *pedido);
    if (!achados) return std::nullopt;
    std::optional<uia::Elemento> melhor;
    std::int32_t melhor_topo = 0;
    for (const uia::Elemento& e : *achados) {
        const Retangulo r = e.retangulo_em_cache().valor_ou({});
        if (!serve_de_caixa(r, e.id_em_cache().valor_ou({}), alvo.chat)) continue;
        if (!melhor || r.topo < melhor_topo) {
            melhor = e;
            melhor_topo = r.topo;
        }
    }
    return melhor;
}

namespace {

// O foco do Chromium chega à página depois do SetFocus (que volta na hora):
// até ele estar na caixa, uma tecla iria para onde o foco estava (o player
// de vídeo pega letras soltas).
constexpr auto kEsperaDoFoco = 400ms;
constexpr auto kPassoDoFoco = 20ms;

// SetFocus na caixa e a espera até o elemento com o foco ser ela; o porquê
// quando não deu.
std::optional<std::string> focar_e_esperar(const uia::Automacao& a, const uia::Elemento& caixa) {
    if (const auto foco = caixa.focar(); !foco) return foco.erro().texto();
    const pl::Instante desde = pl::agora();
    for (;;) {
        const auto agora = a.elemento_com_foco();
        if (agora && a.mesmo_elemento(*agora, caixa).valor_ou(false)) return std::nullopt;
        if (pl::agora() + kPassoDoFoco > desde + kEsperaDoFoco)
            return "o foco não chegou à caixa em " + std::to_string(kEsperaDoFoco.count()) + " ms";
        pl::dormir(kPassoDoFoco);
    }
}

}  // namespace

std::optional<uia::Elemento> caixa_com_foco(MemoriaDoExecutor& m, const uia::Elemento& raiz, const Alvo& alvo,
                                            std::optional<std::string>& recusa) {
    if (m.caixa && m.caixa->janela == alvo.janela && m.caixa->canal == alvo.canal &&
        !focar_e_esperar(m.a, m.caixa->caixa))
        return m.caixa->caixa;
    auto caixa = achar_caixa(m.a, raiz, alvo);
    if (!caixa) return std::nullopt;
    m.caixa = CaixaLembrada{alvo.janela, alvo.canal, *caixa};
    recusa = focar_e_esperar(m.a, *caixa);
    return caixa;
}

namespace {

// O elemento está dentro do documento da página (e não na interface do
// próprio navegador: a barra de endereço, a busca na página, os menus)?
bool dentro_da_pagina(const uia::Automacao& a, const uia::Elemento& e) {
    auto pedido = a.pedido({Propriedade::tipo});
    auto cru = a.caminhante_cru();
    if (!pedido || !cru) return false;
    const auto documento = [](const uia::Elemento& x) {
        return x.tipo_em_cache().valor_ou(0) == uia::tipo::documento;
    };
    return e.tipo_atual().valor_ou(0) == uia::tipo::documento ||
           ancestral_que(*cru, e, documento, kMaximoDeAncestrais, &*pedido).has_value();
}

// O elemento com o foco é um campo de texto da página do navegador?
bool foco_serve(const uia::Automacao& a, const uia::Elemento& foco, Hwnd navegador) {
    const auto dono = pl::processo_da_janela(navegador);
    if (!dono || foco.processo_atual().valor_ou(0) != dono->processo) return false;
    const std::string papel = foco.papel_atual().valor_ou({});
    const bool campo = papel == "textbox" || papel == "combobox" || papel == "searchbox" ||
                       foco.tipo_atual().valor_ou(0) == uia::tipo::edicao;
    return campo && dentro_da_pagina(a, foco);
}

}  // namespace

void emote(MemoriaDoExecutor& m, const std::string& codigo) {
    const std::string rotulo = "emote " + codigo;
    const auto c = comecar(m.a, rotulo);
    if (!c) return;
    pl::trazer_para_frente(c->alvo.janela);
    // Esc fecharia a resposta que o site abriu.
    const bool resposta_aberta = contar_faixas_de_resposta(m.a, c->raiz, "") > 0;
    const std::string texto = " " + codigo + " ";
    if (const auto foco = m.a.elemento_com_foco(); foco && foco_serve(m.a, *foco, c->alvo.janela)) {
        digitar_texto(texto);
        // O Esc da lista de sugestões só vale na caixa do chat (sem ":" no
        // código não há lista, e nada a conferir).
        if (contem(codigo, ":") && !resposta_aberta) {
            const auto caixa = achar_caixa(m.a, c->raiz, c->alvo);
            const auto de_novo = m.a.elemento_com_foco();
            if (caixa && de_novo) {
                const auto rf = de_novo->retangulo_atual();
                const auto rc = caixa->retangulo_em_cache();
                if (rf && rc && mesma_caixa(*rf, *rc)) fechar_sugestoes(codigo);
            }
        }
        avisar_movimento();
        registrar(rotulo + ": digitado na caixa com foco");
        return;
    }
    std::optional<std::string> recusa;
    const auto caixa = caixa_com_foco(m, c->raiz, c->alvo, recusa);
    if (!caixa || recusa) {
        registrar(rotulo + ": caixa de mensagem não achada" +
                  (recusa ? " (foco recusado: " + *recusa + ")" : ""));
        return;
    }
    if (!conferir_frente(c->alvo.janela, rotulo)) return;
    digitar_texto(texto);
    if (resposta_aberta) {
        avisar_movimento();
        registrar(rotulo + ": digitado (resposta aberta, sem Esc)");
        return;
    }
    fechar_sugestoes(codigo);
    avisar_movimento();
    registrar(rotulo + ": digitado");
}
