#include "localizador/pagina.hpp"

#include <map>
#include <mutex>

#include "comum/minusculas.hpp"
#include "estado/consultas.hpp"
#include "estado/processo.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

constexpr LinhaDeCondicao kDocumentoEEndereco[] = {
    {Propriedade::classe, true, "OmniboxViewViews"},
};

constexpr LinhaDeCondicao kTwitch[] = {
    {Propriedade::papel, true, "log"},
    {Propriedade::classe, false, "chat-scrollable-area"},
    {Propriedade::classe, false, "chat-list--"},
    {Propriedade::classe, false, "seventv-chat-message-background"},
    {Propriedade::classe, false, "chat-line__message"},
    {Propriedade::classe, false, "chat-room"},
};

constexpr LinhaDeCondicao kKick[] = {
    {Propriedade::classe, false, "chatroom-resize"},
    {Propriedade::papel, true, "textbox"},
    {Propriedade::classe, false, "p-0.5 aspect-square"},
    {Propriedade::papel, true, "heading"},
};

}  // namespace

std::string forma_de_depuracao(std::string_view s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') r += '\\';
        r += c;
    }
    return r + "\"";
}

std::string forma_de_depuracao(const Candidato& c) {
    return "Candidato { papel_aria: " + forma_de_depuracao(c.papel_aria) +
           ", id: " + forma_de_depuracao(c.id) + ", classe: " + forma_de_depuracao(c.classe) +
           ", nome: " + forma_de_depuracao(c.nome) + ", valor: " + forma_de_depuracao(c.valor) +
           ", ret: " + forma_de_depuracao(c.ret) + " }";
}

uia::Automacao criar_automacao() {
    auto a = uia::Automacao::criar();
    if (!a) pl::parar("UI Automation: não consegui criar o cliente (" + a.erro().texto() + ")");
    return *a;
}

bool eh_opera(Hwnd janela) {
    const auto guardado = processo().CACHE_DO_OPERA.com(
        [&](const std::map<Hwnd, bool>& m) -> std::optional<bool> {
            const auto it = m.find(janela);
            if (it == m.end()) return std::nullopt;
            return it->second;
        });
    if (guardado) return *guardado;
    // A consulta ao processo fica fora da trava.
    const bool opera = executavel_da_janela(janela) == std::optional<std::string>("opera.exe");
    processo().CACHE_DO_OPERA.com([&](std::map<Hwnd, bool>& m) { m[janela] = opera; });
    return opera;
}

Hwnd janela_da_pagina(Hwnd janela) {
    if (!eh_opera(janela)) return janela;
    Hwnd melhor = 0;
    std::int64_t maior = 0;
    for (Hwnd f : pl::janelas_filhas(janela)) {
        const auto classe = pl::classe_da_janela(f);
        if (!classe || *classe != "Chrome_RenderWidgetHostHWND" || !pl::janela_visivel(f)) continue;
        const auto r = pl::retangulo_da_janela(f);
        const std::int64_t area = r ? r->area() : 0;
        if (melhor == 0 || area > maior) {
            melhor = f;
            maior = area;
        }
    }
    return melhor ? melhor : janela;
}

namespace {

struct RaizLembrada {
    Hwnd pagina = 0;
    uia::Elemento raiz;
    std::optional<std::vector<uia::Elemento>> filhos;  // com a janela nativa em cache
};
// A raiz lembrada mora na BuscaDeUmaVez de fora, na pilha de quem busca; a
// thread só guarda o ponteiro. Um thread_local com destrutor (um elemento
// COM) rodaria no fim da thread, e o do MinGW roda depois de a memória dele
// já ter sido solta (emutls): o programa caía no fim de um pedido "video".
thread_local int BUSCAS_ABERTAS = 0;
thread_local std::optional<RaizLembrada>* RAIZ_DA_BUSCA = nullptr;

uia::Resultado<std::vector<uia::Elemento>> filhos_da_raiz(const uia::Automacao& a,
                                                          const uia::Elemento& raiz) {
    RaizLembrada* lembrada = RAIZ_DA_BUSCA && *RAIZ_DA_BUSCA && (*RAIZ_DA_BUSCA)->raiz.impl == raiz.impl
                                 ? &**RAIZ_DA_BUSCA
                                 : nullptr;
    if (lembrada && lembrada->filhos) return *lembrada->filhos;
    auto so_janela = a.pedido({Propriedade::janela_nativa});
    if (!so_janela) return so_janela.erro();
    auto tudo = a.verdadeira();
    if (!tudo) return tudo.erro();
    auto filhos = raiz.achar_todos(uia::Escopo::filhos, *tudo, *so_janela);
    if (filhos && lembrada) lembrada->filhos = *filhos;
    return filhos;
}

}  // namespace

struct BuscaDeUmaVez::Raiz {
    std::optional<RaizLembrada> lembrada;
};

BuscaDeUmaVez::BuscaDeUmaVez() : raiz_(std::make_unique<Raiz>()) {
    if (BUSCAS_ABERTAS++ == 0) RAIZ_DA_BUSCA = &raiz_->lembrada;
}

BuscaDeUmaVez::~BuscaDeUmaVez() {
    if (--BUSCAS_ABERTAS == 0) RAIZ_DA_BUSCA = nullptr;
}

uia::Resultado<uia::Elemento> raiz_da_pagina(const uia::Automacao& a, Hwnd janela) {
    const Hwnd pagina = janela_da_pagina(janela);
    if (RAIZ_DA_BUSCA && *RAIZ_DA_BUSCA && (*RAIZ_DA_BUSCA)->pagina == pagina) return (*RAIZ_DA_BUSCA)->raiz;
    auto raiz = a.elemento_da_janela(pagina);
    if (raiz && RAIZ_DA_BUSCA) *RAIZ_DA_BUSCA = RaizLembrada{pagina, *raiz, std::nullopt};
    return raiz;
}

uia::Resultado<uia::PedidoDeCache> pedido_da_pagina(const uia::Automacao& a,
                                                    std::initializer_list<uia::Propriedade> propriedades) {
    return a.pedido(propriedades, true);
}

std::optional<uia::Elemento> primeiro_na_subarvore(const uia::Automacao& a, const uia::Elemento& e,
                                                   const uia::Condicao& condicao) {
    auto pedido = pedido_da_pagina(a, {});
    if (!pedido) return std::nullopt;
    auto achados = e.achar_todos(uia::Escopo::subarvore, condicao, *pedido);
    if (!achados || achados->empty()) return std::nullopt;
    return achados->front();
}

uia::Resultado<std::vector<uia::Elemento>> buscar_fora_da_vidrel(const uia::Automacao& a,
                                                                 const uia::Elemento& raiz,
                                                                 const uia::Condicao& condicao,
                                                                 const uia::PedidoDeCache& pedido) {
    auto filhos = filhos_da_raiz(a, raiz);
    if (!filhos) return filhos.erro();
    const Hwnd vidrel = JANELA.load();
    std::vector<uia::Elemento> achados;
    for (const uia::Elemento& filho : *filhos) {
        const auto nativa = filho.janela_nativa_em_cache();
        if (nativa && vidrel != 0 && *nativa == vidrel) continue;
        auto deste = filho.achar_todos(uia::Escopo::subarvore, condicao, pedido);
        if (!deste) return deste.erro();
        achados.insert(achados.end(), deste->begin(), deste->end());
    }
    return achados;
}

uia::Resultado<uia::Condicao> condicao_de_tabela(const uia::Automacao& a,
                                                 std::span<const LinhaDeCondicao> linhas,
                                                 std::optional<uia::Condicao> antes) {
    for (const LinhaDeCondicao& l : linhas) {
        const std::string texto = l.texto;
        auto nova = l.exata ? a.igual(l.propriedade, texto) : a.contem(l.propriedade, texto);
        if (!nova) return nova.erro();
        if (!antes) {
            antes = *nova;
            continue;
        }
        auto ou = a.ou(*antes, *nova);
        if (!ou) return ou.erro();
        antes = *ou;
    }
    if (!antes) return a.verdadeira();
    return *antes;
}

std::span<const LinhaDeCondicao> linhas_do_modo(ModoLeitura modo) {
    if (modo == ModoLeitura::Twitch) return kTwitch;
    if (modo == ModoLeitura::Kick) return kKick;
    return {};
}

uia::Resultado<uia::Condicao> condicao_do_modo(const uia::Automacao& a, ModoLeitura modo) {
    if (modo == ModoLeitura::ArvoreInteira) return a.verdadeira();
    auto documento = a.igual(Propriedade::tipo, uia::tipo::documento);
    if (!documento) return documento.erro();
    auto c = condicao_de_tabela(a, kDocumentoEEndereco, *documento);
    if (!c) return c;
    return condicao_de_tabela(a, linhas_do_modo(modo), *c);
}

ElementoLido ler_elemento(uia::Elemento e) {
    ElementoLido lido;
    lido.candidato.papel_aria = e.papel_em_cache().valor_ou({});
    lido.candidato.id = e.id_em_cache().valor_ou({});
    lido.candidato.classe = e.classe_em_cache().valor_ou({});
    lido.candidato.nome = e.nome_em_cache().valor_ou({});
    lido.candidato.valor = e.valor_em_cache().valor_ou(std::nullopt).value_or("");
    lido.candidato.ret = e.retangulo_em_cache().valor_ou({});
    lido.elemento = std::move(e);
    return lido;
}

uia::Resultado<LeituraDaPagina> ler_pagina(const uia::Automacao& a, Hwnd janela, ModoLeitura modo) {
    auto raiz = raiz_da_pagina(a, janela);
    if (!raiz) return raiz.erro();
    auto pedido = pedido_da_pagina(
        a, {Propriedade::papel, Propriedade::id, Propriedade::classe, Propriedade::nome,
            Propriedade::retangulo, Propriedade::tipo, Propriedade::valor});
    if (!pedido) return pedido.erro();
    auto condicao = condicao_do_modo(a, modo);
    if (!condicao) return condicao.erro();
    auto achados = buscar_fora_da_vidrel(a, *raiz, *condicao, *pedido);
    if (!achados) return achados.erro();

    LeituraDaPagina leitura;
    leitura.elementos.reserve(achados->size());
    std::optional<uia::Elemento> melhor_documento;
    std::int64_t melhor_area = 0;
    for (uia::Elemento& e : *achados) {
        const bool documento = e.tipo_em_cache().valor_ou(0) == uia::tipo::documento;
        ElementoLido lido = ler_elemento(std::move(e));
        if (documento) {
            const std::int64_t area = lido.candidato.ret.area();
            if (!melhor_documento || area > melhor_area) {
                melhor_documento = lido.elemento;
                melhor_area = area;
            }
        }
        leitura.elementos.push_back(std::move(lido));
    }
    leitura.documento = melhor_documento;
    if (eh_opera(janela)) {
        // No Opera a raiz já é a janela da página: ela vale como documento
        // quando não é menor que o maior documento achado.
        const std::int64_t area_da_raiz = raiz->retangulo_atual().valor_ou({}).area();
        if (!melhor_documento || area_da_raiz >= melhor_area) leitura.documento = *raiz;
    }
    return leitura;
}
