// O UI Automation da área simulada tem a semântica do real: o cache é uma
// foto da busca, as condições exatas e as de "contém sem caixa", os escopos,
// as visões crua e de controle, elementos que somem, padrões ausentes, falhas
// programadas e a contagem das idas ao navegador.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"

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
