#include "localizador/pagina.hpp"

#include <map>
#include <mutex>

#include "comum/globais.hpp"
#include "comum/minusculas.hpp"
#include "comum/protegido.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

std::string entre_aspas(const std::string& s) {
    std::string r = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') r += '\\';
        r += c;
    }
    return r + "\"";
}

// As linhas das tabelas de condição de cada modo.
struct LinhaDeCondicao {
    Propriedade propriedade;
    bool exata;  // senão: contém, sem caixa
    const char* texto;
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

Protegido<std::map<Hwnd, bool>> CACHE_DO_OPERA;

}  // namespace

std::string forma_de_depuracao(const Retangulo& r) {
    return "(" + std::to_string(r.esquerda) + ", " + std::to_string(r.topo) + ", " +
           std::to_string(r.direita) + ", " + std::to_string(r.base) + ")";
}

std::string forma_de_depuracao(const Candidato& c) {
    return "Candidato { papel_aria: " + entre_aspas(c.papel_aria) + ", id: " + entre_aspas(c.id) +
           ", classe: " + entre_aspas(c.classe) + ", nome: " + entre_aspas(c.nome) +
           ", valor: " + entre_aspas(c.valor) + ", ret: " + forma_de_depuracao(c.ret) + " }";
}

uia::Automacao criar_automacao() {
    auto a = uia::Automacao::criar();
    if (!a) pl::parar("UI Automation: não consegui criar o cliente (" + a.erro().texto() + ")");
    return *a;
}

std::optional<std::string> executavel_da_janela(Hwnd janela) {
    const auto dono = pl::processo_da_janela(janela);
    if (!dono) return std::nullopt;
    const auto caminho = pl::caminho_do_processo(dono->processo);
    if (!caminho) return std::nullopt;
    const std::size_t barra = caminho->rfind('\\');
    return minusculas(barra == std::string::npos ? *caminho : caminho->substr(barra + 1));
}

bool eh_opera(Hwnd janela) {
    const auto guardado = CACHE_DO_OPERA.com([&](const std::map<Hwnd, bool>& m) -> std::optional<bool> {
        const auto it = m.find(janela);
        if (it == m.end()) return std::nullopt;
        return it->second;
    });
    if (guardado) return *guardado;
    // A consulta ao processo fica fora da trava.
    const bool opera = executavel_da_janela(janela) == std::optional<std::string>("opera.exe");
    CACHE_DO_OPERA.com([&](std::map<Hwnd, bool>& m) { m[janela] = opera; });
    return opera;
}

void esquecer_cache_do_opera() { CACHE_DO_OPERA.guardar({}); }

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

uia::Resultado<std::vector<uia::Elemento>> buscar_fora_da_vidrel(const uia::Automacao& a,
                                                                 const uia::Elemento& raiz,
                                                                 const uia::Condicao& condicao,
                                                                 const uia::PedidoDeCache& pedido) {
    auto so_janela = a.pedido({Propriedade::janela_nativa});
    if (!so_janela) return so_janela.erro();
    auto tudo = a.verdadeira();
    if (!tudo) return tudo.erro();
    auto filhos = raiz.achar_todos(uia::Escopo::filhos, *tudo, *so_janela);
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

uia::Resultado<uia::Condicao> condicao_do_modo(const uia::Automacao& a, ModoLeitura modo) {
    if (modo == ModoLeitura::ArvoreInteira) return a.verdadeira();
    auto c = a.igual(Propriedade::tipo, uia::tipo::documento);
    if (!c) return c;
    auto juntar = [&](uia::Resultado<uia::Condicao> nova) -> bool {
        if (!nova) {
            c = nova.erro();
            return false;
        }
        c = a.ou(*c, *nova);
        return c.ok();
    };
    if (!juntar(a.igual(Propriedade::classe, std::string("OmniboxViewViews")))) return c;
    const auto linhas = modo == ModoLeitura::Twitch ? std::begin(kTwitch) : std::begin(kKick);
    const auto fim = modo == ModoLeitura::Twitch ? std::end(kTwitch) : std::end(kKick);
    for (auto l = linhas; l != fim; ++l) {
        const std::string texto = l->texto;
        if (!juntar(l->exata ? a.igual(l->propriedade, texto) : a.contem(l->propriedade, texto))) return c;
    }
    return c;
}

uia::Resultado<LeituraDaPagina> ler_pagina(const uia::Automacao& a, Hwnd janela, ModoLeitura modo) {
    auto raiz = a.elemento_da_janela(janela_da_pagina(janela));
    if (!raiz) return raiz.erro();
    auto pedido = a.pedido({Propriedade::papel, Propriedade::id, Propriedade::classe, Propriedade::nome,
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
        ElementoLido lido;
        lido.candidato.ret = e.retangulo_em_cache().valor_ou({});
        if (e.tipo_em_cache().valor_ou(0) == uia::tipo::documento) {
            const std::int64_t area = lido.candidato.ret.area();
            if (!melhor_documento || area > melhor_area) {
                melhor_documento = e;
                melhor_area = area;
            }
        }
        lido.candidato.papel_aria = e.papel_em_cache().valor_ou({});
        lido.candidato.id = e.id_em_cache().valor_ou({});
        lido.candidato.classe = e.classe_em_cache().valor_ou({});
        lido.candidato.nome = e.nome_em_cache().valor_ou({});
        lido.candidato.valor = e.valor_em_cache().valor_ou(std::nullopt).value_or("");
        lido.elemento = std::move(e);
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
