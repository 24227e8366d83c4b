// As sondas das peças do site que as ações usam: a mensagem do 7TV de um
// nick, a lista do 7TV, a raiz do canal, a caixa de mensagem e a bandeja.

#include "acoes/mensagens.hpp"
#include "acoes/sintese.hpp"
#include "comum/minusculas.hpp"
#include "comum/texto.hpp"
#include "diagnostico/formas.hpp"
#include "diagnostico/sondas.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/previa.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

std::optional<uia::Elemento> raiz_de(const PaginaDaSonda& p) {
    auto raiz = p.a.elemento_da_janela(janela_da_pagina(p.j.janela));
    if (!raiz) return std::nullopt;
    return *raiz;
}

// Os elementos da página cuja classe contém o texto (sem caixa), com
// retângulo, classe e nome no cache.
std::vector<uia::Elemento> com_classe(const PaginaDaSonda& p, const uia::Elemento& raiz,
                                      const std::string& classe) {
    auto condicao = p.a.contem(Propriedade::classe, classe);
    auto pedido = p.a.pedido(
        {Propriedade::retangulo, Propriedade::classe, Propriedade::nome, Propriedade::fora});
    if (!condicao || !pedido) return {};
    auto achados = buscar_fora_da_vidrel(p.a, raiz, *condicao, *pedido);
    return achados ? std::move(*achados) : std::vector<uia::Elemento>{};
}

std::vector<uia::Elemento> filhos_de(const PaginaDaSonda& p, const uia::Elemento& e) {
    auto pedido = p.a.pedido(
        {Propriedade::retangulo, Propriedade::classe, Propriedade::nome, Propriedade::fora});
    auto verdadeira = p.a.verdadeira();
    if (!pedido || !verdadeira) return {};
    auto filhos = e.achar_todos(uia::Escopo::filhos, *verdadeira, *pedido);
    return filhos ? std::move(*filhos) : std::vector<uia::Elemento>{};
}

std::string forma_do_elemento(const uia::Elemento& e) {
    return forma_de_depuracao(e.retangulo_atual().valor_ou({})) +
           " classe=" + forma_de_depuracao(e.classe_atual().valor_ou({})) +
           " nome=" + forma_de_depuracao(e.nome_atual().valor_ou({}));
}

}  // namespace

void sonda_nick7(PaginaDaSonda& p, const std::string& nick) {
    const auto raiz = raiz_de(p);
    const pl::Instante inicio = pl::agora();
    MemoriaDaPagina memoria;
    BuscaDeLinha busca;
    if (raiz)
        busca = buscar_linha_do_7tv(p.a, *raiz, memoria, ComandoDeMensagem{"perfil", nick, nick, ""}, false);
    const std::string ms = ms_desde(inicio);
    if (!busca.achada) {
        dizer("nenhuma mensagem de " + nick + " (" + ms + " ms)");
        return;
    }
    std::string usuario = "None";
    std::string apertavel = "None";
    if (const auto& u = busca.achada->usuario) {
        usuario = "Some(" + forma_do_elemento(*u) + ")";
        auto pedido = p.a.pedido({Propriedade::invocavel});
        const auto com_cache = pedido ? u->atualizar_cache(*pedido)
                                      : uia::Resultado<uia::Elemento>(pedido.erro());
        if (com_cache) apertavel = forma_de_booleano(com_cache->invocavel_em_cache().valor_ou(false));
    }
    dizer("mensagem achada (exata " + std::string(forma_de_booleano(busca.achada->exata)) + ", " +
          std::to_string(busca.olhadas) + " lidas) em " + ms + " ms; nick " + usuario + ", apertável " +
          apertavel);
}

void sonda_sete(PaginaDaSonda& p) {
    std::vector<uia::Elemento> mensagens;
    if (const auto raiz = raiz_de(p)) {
        const auto listas = com_classe(p, *raiz, "seventv-chat-list");
        if (!listas.empty())
            for (const uia::Elemento& f : filhos_de(p, listas.front()))
                if (contem(minusculas(f.classe_em_cache().valor_ou({})), "seventv-message"))
                    mensagens.push_back(f);
    }
    dizer(std::to_string(mensagens.size()) + " mensagens do 7TV");
    for (const uia::Elemento& m : mensagens)
        dizer("MENSAGEM nome=" + forma_de_depuracao(m.nome_em_cache().valor_ou({})));
}

void sonda_visivel(PaginaDaSonda& p) {
    const auto raiz = raiz_de(p);
    const auto achadas = raiz ? com_classe(p, *raiz, "channel-root") : std::vector<uia::Elemento>{};
    if (achadas.empty()) {
        dizer("RAIZ None");
        return;
    }
    const uia::Elemento& canal = achadas.front();
    dizer("RAIZ " + tamanho_e_lugar(canal.retangulo_em_cache().valor_ou({})) + " " +
          forma_de_depuracao(canal.classe_em_cache().valor_ou({})));
    for (const uia::Elemento& f : filhos_de(p, canal))
        dizer(" fora=" + std::string(forma_de_booleano(f.fora_em_cache().valor_ou(false))) + " " +
              tamanho_e_lugar(f.retangulo_em_cache().valor_ou({})) +
              " classe=" + forma_de_depuracao(f.classe_em_cache().valor_ou({})));
}

void sonda_arroba(PaginaDaSonda& p) {
    const auto raiz = raiz_de(p);
    const auto caixas = raiz ? com_classe(p, *raiz, "chat-wysiwyg-input__editor")
                             : std::vector<uia::Elemento>{};
    if (caixas.empty()) {
        dizer("    filho sem caixa de mensagem");
        return;
    }
    dizer("CAIXA " + forma_do_elemento(caixas.front()));
    auto cru = p.a.caminhante_cru();
    auto pai = cru ? cru->pai(caixas.front()) : uia::Resultado<std::optional<uia::Elemento>>(cru.erro());
    dizer("PAI " + (pai && *pai ? forma_do_elemento(**pai) : std::string("None")));
}

void sonda_bandeja(PaginaDaSonda& p) {
    const auto raiz = raiz_de(p);
    dizer("bandeja: " + forma_opcional(raiz ? bandeja_aberta(p.a, *raiz) : std::nullopt));
    const pl::Instante inicio = pl::agora();
    const auto previa = raiz ? achar_previa(p.a, *raiz) : std::nullopt;
    dizer("prévia: " + forma_opcional(previa) + " em " + ms_desde(inicio) + " ms");
}
