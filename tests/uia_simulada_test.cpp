// O UI Automation da área simulada tem a semântica do real: o cache é uma
// foto da busca, as condições exatas e as de "contém sem caixa", os escopos,
// as visões crua e de controle, elementos que somem, padrões ausentes, falhas
// programadas e a contagem das idas ao navegador.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/sistema.hpp"

using plataforma::simulada::AreaDeTrabalho;
using plataforma::simulada::EventoDaCena;
using uia::Propriedade;

namespace {

const char* kPagina = R"({
  "janelas": [
    {"hwnd": 100, "classe": "VornelChat", "executavel": "vornel.exe", "ret": [0, 0, 10, 10], "dono": 2001,
     "pagina": [{"chave": "na_vidrel", "classe": "chat-line__message", "ret": [0, 0, 10, 10]}]},
    {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
     "titulo": "x - Twitch - Google Chrome", "ret": [0, 0, 1000, 800],
     "pagina": [
       {"chave": "doc", "tipo": "Document", "ret": [0, 100, 1000, 800], "filhos": [
         {"chave": "lista", "classe": "chat-list--default", "papel": "log", "ret": [600, 100, 1000, 700], "filhos": [
           {"chave": "m1", "classe": "chat-line__message", "nome": "a: oi", "ret": [600, 100, 1000, 130],
            "padroes": ["invocar"], "valor": 7},
           {"chave": "m2", "classe": "chat-line__message", "nome": "b: tudo", "ret": [600, 130, 1000, 160],
            "valor": "texto"},
           {"chave": "oculto", "classe": "wrapper", "controle": false, "ret": [600, 160, 1000, 190],
            "filhos": [{"chave": "m3", "classe": "chat-line__message", "ret": [600, 160, 1000, 190]}]}
         ]}
       ]}
     ]}
  ]})";

std::map<std::string, int> contagem() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    return a.chamadas_uia;
}

class UiaSimulada : public ComAreaSimulada {
protected:
    void SetUp() override {
        carregar(kPagina);
        automacao = criar_automacao();
        raiz = *automacao.elemento_da_janela(2001);
    }

    std::vector<std::string> chaves(const std::vector<uia::Elemento>& es) {
        std::vector<std::string> r;
        for (const auto& e : es) r.push_back(e.nome_em_cache().valor_ou("?"));
        return r;
    }

    std::vector<uia::Elemento> achar(uia::Escopo escopo, const uia::Condicao& c,
                                     std::initializer_list<Propriedade> ps = {Propriedade::classe,
                                                                              Propriedade::nome}) {
        auto r = raiz.achar_todos(escopo, c, *automacao.pedido(ps));
        EXPECT_TRUE(r.ok());
        return r.ok() ? *r : std::vector<uia::Elemento>{};
    }

    void evento(const std::string& json) {
        plataforma::simulada::aplicar_evento(
            EventoDaCena{0, Json::parse(json)["acao"], "ev", Json::parse(json)});
    }

    uia::Automacao automacao;
    uia::Elemento raiz;
};

}  // namespace

TEST_F(UiaSimulada, CacheEFotoDaBuscaLeituraVivaVeAMudanca) {
    auto c = *automacao.contem(Propriedade::classe, "chat-line");
    // A Vidrel possuída vem antes da página (veja EscoposEOrdemDeDocumento): m1 é o segundo.
    auto achados = achar(uia::Escopo::descendentes, c);
    ASSERT_GE(achados.size(), 2u);
    evento(R"({"em": 0, "acao": "elemento", "chave": "m1", "classe": "chat-line__message--paused"})");
    EXPECT_EQ(*achados[1].classe_em_cache(), "chat-line__message");
    EXPECT_EQ(*achados[1].classe_atual(), "chat-line__message--paused");
    EXPECT_EQ(*achar(uia::Escopo::descendentes, c)[1].classe_em_cache(), "chat-line__message--paused");
    // O que não foi pedido no cache não está lá.
    EXPECT_FALSE(achados[1].retangulo_em_cache().ok());
}

TEST_F(UiaSimulada, ExataContraContemSemCaixa) {
    EXPECT_TRUE(achar(uia::Escopo::descendentes,
                      *automacao.igual(Propriedade::classe, std::string("Chat-Line__message")))
                    .empty());
    // Três na página e um na Vidrel, que o navegador possui.
    EXPECT_EQ(achar(uia::Escopo::descendentes,
                    *automacao.igual(Propriedade::classe, std::string("chat-line__message")))
                  .size(),
              4u);
    EXPECT_EQ(achar(uia::Escopo::descendentes, *automacao.contem(Propriedade::classe, "CHAT-LINE")).size(),
              4u);
    EXPECT_EQ(achar(uia::Escopo::descendentes, *automacao.igual_sem_caixa(Propriedade::nome, "A: OI")).size(),
              1u);
    EXPECT_TRUE(
        achar(uia::Escopo::descendentes, *automacao.igual_sem_caixa(Propriedade::nome, "A:")).empty());
}

TEST_F(UiaSimulada, EscoposEOrdemDeDocumento) {
    auto tudo = *automacao.verdadeira();
    auto doc = achar(uia::Escopo::filhos, *automacao.igual(Propriedade::tipo, uia::tipo::documento));
    ASSERT_EQ(doc.size(), 1u);
    auto filhos = doc[0].achar_todos(uia::Escopo::filhos, tudo, *automacao.pedido({Propriedade::nome}));
    EXPECT_EQ(filhos->size(), 1u);  // só a lista
    auto sub = doc[0].achar_todos(uia::Escopo::subarvore, tudo, *automacao.pedido({Propriedade::classe}));
    auto desc = doc[0].achar_todos(uia::Escopo::descendentes, tudo, *automacao.pedido({Propriedade::classe}));
    // Na visão de controle o "wrapper" não aparece, mas o filho dele sim.
    EXPECT_EQ(sub->size(), 5u);
    EXPECT_EQ(desc->size(), 4u);
    auto cru = doc[0].achar_todos(uia::Escopo::descendentes, tudo,
                                  *automacao.pedido({Propriedade::classe}, true));
    EXPECT_EQ(cru->size(), 5u);
    // Na ordem do núcleo do UI Automation: os filhos do provedor de janela
    // (a Vidrel, possuída pelo navegador) antes dos do programa (a página, em
    // ordem de documento).
    EXPECT_EQ(chaves(achar(uia::Escopo::descendentes, *automacao.contem(Propriedade::classe, "chat-line"))),
              (std::vector<std::string>{"", "a: oi", "b: tudo", ""}));
}

TEST_F(UiaSimulada, AVidrelPossuidaPeloNavegadorEFilhaDaRaiz) {
    auto achados = achar(uia::Escopo::filhos, *automacao.verdadeira(), {Propriedade::janela_nativa});
    bool tem_vidrel = false;
    for (const auto& e : achados) tem_vidrel = tem_vidrel || e.janela_nativa_em_cache().valor_ou(0) == 100;
    EXPECT_TRUE(tem_vidrel);
}

TEST_F(UiaSimulada, ValorQueNaoETextoPadraoAusenteEElementoQueSumiu) {
    auto m = achar(uia::Escopo::descendentes, *automacao.contem(Propriedade::classe, "chat-line"),
                   {Propriedade::valor});
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(*m[1].valor_em_cache(), std::nullopt);
    EXPECT_EQ(*m[2].valor_em_cache(), std::optional<std::string>("texto"));
    EXPECT_EQ(*m[1].invocar(), uia::Padrao::feito);
    EXPECT_EQ(*m[2].invocar(), uia::Padrao::ausente);
    EXPECT_EQ(rastro("Invoke").size(), 2u);
    // Sem o padrão a chamada nem acontece: a falha programada fica para a próxima.
    evento(
        R"({"em": 0, "acao": "falhar", "chamada": "Invoke", "janela": 2001, "hresult": "0x80004005", "vezes": 1})");
    EXPECT_EQ(*m[2].invocar(), uia::Padrao::ausente);
    EXPECT_TRUE(m[1].invocar().erro().na_chamada_do_padrao);
    evento(R"({"em": 0, "acao": "remover", "chave": "m1"})");
    EXPECT_EQ(m[1].retangulo_atual().erro().hresult, uia::ELEMENTO_INDISPONIVEL);
    EXPECT_EQ(m[1].invocar().erro().hresult, uia::ELEMENTO_INDISPONIVEL);
}

TEST_F(UiaSimulada, FalhaProgramadaComHresultEContagem) {
    evento(
        R"({"em": 0, "acao": "falhar", "chamada": "FindAllBuildCache", "janela": 2001, "hresult": "0x80131505", "vezes": 1})");
    const int antes = contagem()["FindAllBuildCache"];
    auto r = raiz.achar_todos(uia::Escopo::filhos, *automacao.verdadeira(),
                              *automacao.pedido({Propriedade::nome}));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.erro().hresult, static_cast<std::int32_t>(0x80131505u));
    EXPECT_EQ(r.erro().texto(), "HRESULT 0x80131505");
    EXPECT_TRUE(
        raiz.achar_todos(uia::Escopo::filhos, *automacao.verdadeira(), *automacao.pedido({Propriedade::nome}))
            .ok());
    EXPECT_EQ(contagem()["FindAllBuildCache"], antes + 2);
}

TEST_F(UiaSimulada, CaminhantesCruEDeControle) {
    auto lista = achar(uia::Escopo::descendentes,
                       *automacao.igual(Propriedade::papel, std::string("log")))[0];
    auto cru = *automacao.caminhante_cru();
    auto controle = *automacao.caminhante_controle();
    auto ultimo_cru = *cru.ultimo_filho(lista, *automacao.pedido({Propriedade::classe}));
    ASSERT_TRUE(ultimo_cru);
    EXPECT_EQ(*ultimo_cru->classe_em_cache(), "wrapper");
    auto ultimo_controle = *controle.ultimo_filho(lista, *automacao.pedido({Propriedade::classe}));
    ASSERT_TRUE(ultimo_controle);
    EXPECT_EQ(*ultimo_controle->classe_atual(), "chat-line__message");
    auto anterior = *cru.irmao_anterior(*ultimo_cru);
    ASSERT_TRUE(anterior);
    EXPECT_EQ(*anterior->nome_atual(), "b: tudo");
    EXPECT_TRUE(*automacao.mesmo_elemento(*(*cru.pai(*anterior)), lista));
    // Subindo pela árvore chega-se à janela e à área de trabalho, e aí acaba.
    std::optional<uia::Elemento> e = lista;
    int passos = 0;
    while (e && passos < 20) {
        e = *cru.pai(*e);
        ++passos;
    }
    EXPECT_LT(passos, 20);
}

TEST_F(UiaSimulada, ElementoNoPontoEOMaisFundoDeCima) {
    auto e = automacao.elemento_no_ponto({700, 140});
    ASSERT_TRUE(e);
    EXPECT_EQ(*e->nome_atual(), "b: tudo");
    auto fora = automacao.elemento_no_ponto({100, 50});  // dentro da janela, fora da página
    EXPECT_EQ(*fora->classe_atual(), "Chrome_WidgetWin_1");
}

// --- A página descrita como a web, com as regras do Chromium e do núcleo ------

namespace {

// Cada elemento tem um "id" (AutomationId) para o teste achá-lo.
const char* kPaginaDaWeb = R"({
  "chromium": {"foco_ms": 50, "rolagem_ms": 30},
  "janelas": [
    {"hwnd": 100, "classe": "VornelChat", "executavel": "vornel.exe", "ret": [0, 0, 10, 10], "dono": 2001,
     "estilo": 2147483648},
    {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe", "titulo": "c - Twitch - Google Chrome",
     "ret": [0, 0, 1000, 800], "provedor": {"tipo": "Pane"},
     "filhas": [{"hwnd": 2003, "classe": "Chrome_RenderWidgetHostHWND", "ret": [0, 100, 1000, 800]}],
     "pagina": [
       {"id": "barra", "tipo": "Edit", "classe": "OmniboxViewViews", "valor": "twitch.tv/c", "ret": [0, 50, 900, 90]},
       {"id": "doc", "web": "document", "nome": "c - Twitch", "valor": "https://www.twitch.tv/c", "hwnd": 2003,
        "ret": [0, 100, 1000, 800], "filhos": [
         {"id": "embrulho", "web": "generic", "ret": [600, 100, 1000, 700], "filhos": [
           {"id": "lista", "web": "log", "aria": true, "rola": true, "classe": "chat-list", "ret": [600, 100, 1000, 700],
            "filhos": [
             {"repetir": 30, "passo": [0, 30], "elemento":
               {"id": "linha{n}", "web": "generic", "nome": "v{n}: oi", "ret": [600, 100, 1000, 130], "filhos": [
                 {"id": "autor{n}", "web": "button", "nome": "v{n}", "ret": [600, 105, 650, 125],
                  "filhos": [{"id": "nome_do_autor{n}", "web": "text", "nome": "v{n}", "ret": [600, 105, 650, 125]}]},
                 {"id": "texto{n}", "web": "text", "nome": "oi", "ret": [660, 105, 700, 125]}]}}]}]},
         {"id": "portal", "web": "generic", "filhos": [{"id": "menu", "web": "menu", "aria": true}]},
         {"id": "sombra", "web": "generic", "aria": true, "ret": [20, 300, 20, 300], "filhos": [
           {"id": "s1", "web": "img", "nome": "a", "ret": [10, 110, 50, 130]},
           {"id": "s2", "web": "img", "nome": "b", "ret": [60, 110, 90, 140]}]},
         {"id": "escondido", "web": "dialog", "aria": true, "oculto": "aria-hidden", "ret": [0, 100, 500, 400],
          "filhos": [{"id": "dentro", "web": "button", "nome": "Ok", "ret": [10, 110, 60, 130]}]},
         {"id": "alerta", "web": "alertdialog", "aria": true, "nome": "Aviso", "ret": [100, 200, 400, 300]},
         {"id": "titulo", "web": "heading", "nome": "Chat", "ret": [600, 60, 800, 90],
          "filhos": [{"id": "texto_do_titulo", "web": "text", "nome": "Chat", "ret": [600, 60, 700, 90]}]},
         {"chave": "item", "id": "item", "web": "listitem", "ret": [0, 500, 300, 530], "filhos": [
           {"id": "direto", "web": "text", "nome": "um", "ret": [0, 500, 100, 530]},
           {"id": "meio", "web": "generic", "aria": true, "ret": [100, 500, 300, 530],
            "filhos": [{"id": "fundo", "web": "text", "nome": "dois", "ret": [100, 500, 200, 530]}]}]},
         {"id": "mudo", "web": "togglebutton", "nome": "Mudo", "ret": [0, 600, 50, 630]},
         {"id": "mais", "web": "button", "expansivel": true, "nome": "Mais", "ret": [60, 600, 110, 630]},
         {"id": "campo", "web": "textbox", "editavel": true, "nome": "Mensagem", "ret": [0, 700, 500, 740]},
         {"id": "clique", "web": "generic", "clicavel": true, "ret": [600, 720, 700, 740]},
         {"id": "mudo_de_cena", "web": "generic", "controle": true, "ret": [700, 720, 800, 740]},
         {"id": "fio", "web": "generic", "aria": true, "ret": [0, 650, 300, 650]}
       ]}
     ]}
  ]})";

class UiaDoChromium : public ComAreaSimulada {
protected:
    void SetUp() override {
        carregar(kPaginaDaWeb);
        a = criar_automacao();
        raiz = *a.elemento_da_janela(2001);
    }
    // Todas as propriedades no cache, na visão crua (ela acha também o que não é controle).
    uia::PedidoDeCache tudo() {
        return *a.pedido(
            {Propriedade::tipo, Propriedade::papel, Propriedade::nome, Propriedade::id, Propriedade::classe,
             Propriedade::retangulo, Propriedade::fora, Propriedade::controle, Propriedade::invocavel,
             Propriedade::rolavel, Propriedade::focavel, Propriedade::valor},
            true);
    }
    std::optional<uia::Elemento> el(const std::string& id) {
        auto r = raiz.achar_todos(uia::Escopo::subarvore, *a.igual(Propriedade::id, id), tudo());
        if (!r || r->empty()) return std::nullopt;
        return r->front();
    }
    std::vector<std::string> ids(const uia::Resultado<std::vector<uia::Elemento>>& r) {
        std::vector<std::string> v;
        if (r)
            for (const auto& e : *r) v.push_back(e.id_em_cache().valor_ou("?"));
        return v;
    }
    std::string id_de(const uia::Resultado<uia::Elemento>& e) {
        return e ? e->id_atual().valor_ou("?") : "erro";
    }
    uia::Automacao a;
    uia::Elemento raiz;
};

}  // namespace

TEST_F(UiaDoChromium, TipoEPapelAriaPelaTabelaDoChromium) {
    const std::vector<std::tuple<std::string, std::int32_t, std::string>> tabela = {
        {"embrulho", 50026, "group"}, {"lista", 50026, "log"},     {"alerta", 50032, "alert"},
        {"titulo", 50020, "heading"}, {"campo", 50004, "textbox"}, {"texto1", 50020, "description"},
        {"doc", 50030, "document"},   {"mudo", 50000, "button"},   {"item", 50007, "listitem"},
        {"menu", 50009, "menu"},      {"autor1", 50000, "button"}, {"s1", 50006, "img"},
    };
    for (const auto& [id, tipo, papel] : tabela) {
        const auto e = el(id);
        ASSERT_TRUE(e) << id;
        EXPECT_EQ(*e->tipo_em_cache(), tipo) << id;
        EXPECT_EQ(*e->papel_em_cache(), papel) << id;
    }
}

TEST_F(UiaDoChromium, VisaoDeControleDoChromium) {
    // O div sem nada, o texto direto do item de lista, o de dentro de um botão
    // e o de um título não são controle; o texto mais fundo no item, o div
    // com aria-* ou que se clica, e o dado na cena, sim.
    const std::vector<std::pair<std::string, bool>> tabela = {
        {"embrulho", false}, {"direto", false},      {"nome_do_autor1", false}, {"texto_do_titulo", false},
        {"fundo", true},     {"meio", true},         {"clique", true},          {"texto1", true},
        {"titulo", true},    {"mudo_de_cena", true}, {"lista", true},           {"linha1", true},
    };
    for (const auto& [id, controle] : tabela) {
        const auto e = el(id);
        ASSERT_TRUE(e) << id;
        EXPECT_EQ(*e->controle_em_cache(), controle) << id;
    }
    // Na visão de controle os filhos do embrulho sobem no lugar dele.
    auto doc = el("doc");
    ASSERT_TRUE(doc);
    auto filhos = doc->achar_todos(uia::Escopo::filhos, *a.verdadeira(), *a.pedido({Propriedade::id}));
    EXPECT_EQ(ids(filhos).front(), "lista");
    // O item que deixa de ser item de lista: o texto direto dele vira controle.
    plataforma::simulada::aplicar_evento(EventoDaCena{
        0, "elemento", "ev", Json::parse(R"({"acao": "elemento", "chave": "item", "web": "generic"})")});
    EXPECT_TRUE(*el("direto")->controle_em_cache());
}

TEST_F(UiaDoChromium, EscondidoSomeComOsDeBaixoEmTodaVisao) {
    EXPECT_FALSE(el("escondido"));
    EXPECT_FALSE(el("dentro"));
    auto doc = el("doc");
    auto cru = doc->achar_todos(uia::Escopo::descendentes, *a.igual(Propriedade::nome, std::string("Ok")),
                                *a.pedido({Propriedade::id}, true));
    EXPECT_TRUE(cru->empty());
}

TEST_F(UiaDoChromium, SemTamanhoVaiAUniaoDosFilhosOuAoAncestralFora) {
    const auto sombra = el("sombra");
    EXPECT_EQ(*sombra->retangulo_em_cache(), (Retangulo{10, 110, 90, 140}));
    EXPECT_FALSE(*sombra->fora_em_cache());
    // O menu fechado do portal: o retângulo da página inteira, fora da tela.
    const auto menu = el("menu");
    EXPECT_EQ(*menu->retangulo_em_cache(), (Retangulo{0, 100, 1000, 800}));
    EXPECT_TRUE(*menu->fora_em_cache());
    EXPECT_TRUE(*menu->fora_atual());
    EXPECT_EQ(*el("portal")->retangulo_atual(), (Retangulo{0, 100, 1000, 800}));
    // Vazio num eixo só: fica como está, à vista.
    EXPECT_EQ(*el("fio")->retangulo_em_cache(), (Retangulo{0, 650, 300, 650}));
    EXPECT_FALSE(*el("fio")->fora_em_cache());
}

TEST_F(UiaDoChromium, PadroesDoChromium) {
    // ScrollItem em todos; Invoke no que se aperta, não no que expande,
    // alterna ou é campo de texto.
    const std::vector<std::pair<std::string, bool>> invoca = {
        {"autor1", true}, {"clique", true}, {"mais", false},
        {"mudo", false},  {"campo", false}, {"embrulho", false},
    };
    for (const auto& [id, sim] : invoca) {
        const auto e = el(id);
        EXPECT_EQ(*e->invocavel_em_cache(), sim) << id;
        EXPECT_TRUE(*e->rolavel_em_cache()) << id;
    }
}

TEST_F(UiaDoChromium, FocoChegaDepoisENuncaNoQueNaoFoca) {
    auto campo = el("campo");
    ASSERT_TRUE(campo->focar());
    EXPECT_NE(id_de(a.elemento_com_foco()), "campo");  // ainda não chegou
    plataforma::dormir(std::chrono::milliseconds(60));
    EXPECT_EQ(id_de(a.elemento_com_foco()), "campo");
    // O div que se clica não é focável: S_OK, e o foco fica onde estava.
    auto clique = el("clique");
    EXPECT_TRUE(clique->focar().ok());
    plataforma::dormir(std::chrono::milliseconds(60));
    EXPECT_EQ(id_de(a.elemento_com_foco()), "campo");
}

TEST_F(UiaDoChromium, RolagemCentraDepoisENadaQuandoJaAVista) {
    // A linha 25 está em [820, 850), abaixo da lista [100, 700): depois de 30
    // ms a lista rola para pô-la no meio, mas o conteúdo (as 30 linhas, até
    // 1000) só anda até encostar a ponta de baixo: 300 pixels.
    auto linha = el("linha25");
    ASSERT_EQ(*linha->rolar_para_a_vista(), uia::Padrao::feito);
    EXPECT_EQ(linha->retangulo_atual()->topo, 820);
    plataforma::dormir(std::chrono::milliseconds(40));
    EXPECT_EQ(*linha->retangulo_atual(), (Retangulo{600, 520, 1000, 550}));
    // Já à vista: nada anda.
    auto linha15 = el("linha15");
    const Retangulo antes = *linha15->retangulo_atual();
    EXPECT_EQ(antes, (Retangulo{600, 220, 1000, 250}));
    linha15->rolar_para_a_vista();
    plataforma::dormir(std::chrono::milliseconds(40));
    EXPECT_EQ(*linha15->retangulo_atual(), antes);
}

TEST_F(UiaDoChromium, BuscaDeForaDaVisaoPerdeOPrimeiroAchado) {
    // O embrulho não é controle: os descendentes dele perdem a lista (o
    // primeiro da visão); a subárvore não perde nada.
    auto embrulho = el("embrulho");
    auto lista_de_linhas = a.contem(Propriedade::id, "linha");
    auto desc = embrulho->achar_todos(uia::Escopo::descendentes, *a.verdadeira(),
                                      *a.pedido({Propriedade::id}));
    EXPECT_EQ(ids(desc).front(), "linha1");
    auto sub = embrulho->achar_todos(uia::Escopo::subarvore, *a.verdadeira(), *a.pedido({Propriedade::id}));
    EXPECT_EQ(ids(sub).front(), "lista");
    auto filhos = embrulho->achar_todos(uia::Escopo::filhos, *a.verdadeira(), *a.pedido({Propriedade::id}));
    EXPECT_TRUE(filhos->empty());  // o único filho na visão era a lista
    auto primeiro = embrulho->achar_primeiro(uia::Escopo::descendentes, *lista_de_linhas);
    ASSERT_TRUE(primeiro && *primeiro);
    EXPECT_EQ(*(*primeiro)->id_atual(), "linha1");
    // Na visão crua o embrulho está na visão: nada se perde.
    auto cru = embrulho->achar_todos(uia::Escopo::descendentes, *a.verdadeira(),
                                     *a.pedido({Propriedade::id}, true));
    EXPECT_EQ(ids(cru).front(), "lista");
}

TEST_F(UiaDoChromium, CondicaoDeTipoErradoERecusadaAoCriar) {
    EXPECT_EQ(a.igual(Propriedade::tipo, std::string("Button")).erro().hresult, uia::ARGUMENTO_INVALIDO);
    EXPECT_EQ(a.igual(Propriedade::nome, 3).erro().hresult, uia::ARGUMENTO_INVALIDO);
    EXPECT_EQ(a.igual(Propriedade::fora, std::string("true")).erro().hresult, uia::ARGUMENTO_INVALIDO);
    EXPECT_EQ(a.contem(Propriedade::tipo, "5").erro().hresult, uia::ARGUMENTO_INVALIDO);
    EXPECT_TRUE(a.igual(Propriedade::fora, true));
    EXPECT_TRUE(a.igual(Propriedade::tipo, uia::tipo::botao));
}

TEST_F(UiaDoChromium, JanelaCompostaDoProvedorEDaJanela) {
    // O Chrome diz Pane; nome e classe vêm da janela.
    EXPECT_EQ(*raiz.tipo_atual(), 50033);
    EXPECT_EQ(*raiz.nome_atual(), "c - Twitch - Google Chrome");
    EXPECT_EQ(*raiz.classe_atual(), "Chrome_WidgetWin_1");
    // A janela do app, um popup sem título: Pane pelo provedor de janela.
    EXPECT_EQ(*a.elemento_da_janela(100)->tipo_atual(), 50033);
    // Os filhos na ordem do núcleo: a janela possuída antes da página.
    auto filhos = raiz.achar_todos(uia::Escopo::filhos, *a.verdadeira(),
                                   *a.pedido({Propriedade::janela_nativa, Propriedade::id}, true));
    ASSERT_GE(filhos->size(), 2u);
    EXPECT_EQ(*(*filhos)[0].janela_nativa_em_cache(), 100);
    EXPECT_EQ(*(*filhos)[1].id_em_cache(), "barra");
    // Minimizada, a janela de topo não dá retângulo: zero.
    plataforma::simulada::aplicar_evento(
        EventoDaCena{0, "minimizar", "ev", Json::parse(R"({"acao": "minimizar", "janela": 2001})")});
    EXPECT_EQ(*raiz.retangulo_atual(), (Retangulo{}));
}

TEST_F(UiaDoChromium, FocoForaDaVisaoSobeAoAncestralDeControle) {
    // O texto dentro do botão do autor não é controle: o foco sobe ao botão.
    {
        AreaDeTrabalho& area = AreaDeTrabalho::global();
        std::lock_guard g(area.m);
        for (const auto& [h, j] : area.janelas)
            for (const auto& topo : j.arvore)
                for (const auto& f : topo->filhos)
                    if (f->id == "embrulho") area.foco_uia = f->filhos[0]->filhos[0]->filhos[0];
    }
    EXPECT_EQ(id_de(a.elemento_com_foco()), "autor1");
    // Sem nenhum ancestral na visão de controle: UIA_E_ELEMENTNOTAVAILABLE.
    carregar(R"({"janelas": [{"hwnd": 7, "ret": [0, 0, 10, 10], "pagina": [
        {"chave": "solto", "controle": false}]}], "foco_elemento": "solto"})");
    {
        AreaDeTrabalho& area = AreaDeTrabalho::global();
        std::lock_guard g(area.m);
        area.elemento_de(7)->controle = false;
        area.raiz()->controle = false;
    }
    EXPECT_EQ(a.elemento_com_foco().erro().hresult, uia::ELEMENTO_INDISPONIVEL);
}

TEST_F(UiaDoChromium, JanelaQueSumiuEProcessoQueMorreu) {
    EXPECT_EQ(a.elemento_da_janela(0).erro().hresult, uia::ELEMENTO_INDISPONIVEL);
    EXPECT_EQ(a.elemento_da_janela(999).erro().hresult, uia::ELEMENTO_INDISPONIVEL);
    auto lista = el("lista");
    plataforma::simulada::aplicar_evento(
        EventoDaCena{0, "morrer", "ev", Json::parse(R"({"acao": "morrer", "janela": 2001})")});
    EXPECT_EQ(lista->retangulo_atual().erro().hresult, static_cast<std::int32_t>(0x800706BAu));
    auto busca = lista->achar_todos(uia::Escopo::descendentes, *a.verdadeira(), *a.pedido({Propriedade::id}));
    ASSERT_TRUE(busca.ok());
    EXPECT_TRUE(busca->empty());
    EXPECT_EQ(a.elemento_da_janela(2001).erro().hresult, uia::ELEMENTO_INDISPONIVEL);
}

TEST_F(UiaDoChromium, PartidaEmDuasFases) {
    // A árvore chega 300 ms depois da primeira ida; a classe e o id, 500 ms
    // depois da primeira leitura de propriedade.
    Json cena = Json::parse(kPaginaDaWeb);
    cena["chromium"] = Json::parse(R"({"arvore_ms": 300, "leitor_ms": 500})");
    carregar(cena.dump());
    a = criar_automacao();
    raiz = *a.elemento_da_janela(2001);
    const auto achar_doc = [&] {
        auto r = raiz.achar_todos(
            uia::Escopo::filhos, *a.igual(Propriedade::tipo, uia::tipo::documento),
            *a.pedido({Propriedade::retangulo, Propriedade::valor, Propriedade::nome}, true));
        return r->empty() ? std::optional<uia::Elemento>() : std::optional<uia::Elemento>(r->front());
    };
    auto doc = achar_doc();
    ASSERT_TRUE(doc);
    EXPECT_EQ(*doc->retangulo_em_cache(), (Retangulo{}));
    EXPECT_EQ(*doc->valor_em_cache(), std::nullopt);
    EXPECT_EQ(*doc->nome_em_cache(), "");
    EXPECT_TRUE(
        doc->achar_todos(uia::Escopo::filhos, *a.verdadeira(), *a.pedido({Propriedade::id}, true))->empty());
    plataforma::dormir(std::chrono::milliseconds(350));
    doc = achar_doc();
    EXPECT_EQ(*doc->retangulo_em_cache(), (Retangulo{0, 100, 1000, 800}));
    auto lista = doc->achar_todos(uia::Escopo::subarvore, *a.igual(Propriedade::papel, std::string("log")),
                                  *a.pedido({Propriedade::classe, Propriedade::id}));
    ASSERT_EQ(lista->size(), 1u);
    EXPECT_EQ(*(*lista)[0].classe_em_cache(), "");
    EXPECT_EQ(*(*lista)[0].id_em_cache(), "");
    plataforma::dormir(std::chrono::milliseconds(200));
    EXPECT_EQ(*(*lista)[0].classe_atual(), "chat-list");
}
