// O perfil de custo do navegador na área simulada: a latência de cada ida, o
// preço por elemento de uma busca, os picos e paradas sorteados pela semente,
// o tempo esgotado do cliente, a árvore que chega atrasada e o layout que anda
// atrás da página. E o programa inteiro sob ele: o chat achado quando a árvore
// chega, e uma parada de 5 s do navegador.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "ajuda.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/sistema.hpp"

using plataforma::simulada::EventoDaCena;
using uia::Propriedade;
using namespace std::chrono_literals;

namespace {

// Uma janela de navegador sem janelas possuídas: a busca a partir do
// elemento dela examina exatamente os cinco elementos da página.
std::string pagina_com_custo(const std::string& custo) {
    return R"({
  "custo": )" +
           custo +
           R"(,
  "janelas": [
    {"hwnd": 2001, "classe": "Chrome_WidgetWin_1", "executavel": "chrome.exe",
     "titulo": "x - Twitch - Google Chrome", "ret": [0, 0, 1000, 800],
     "pagina": [
       {"chave": "doc", "tipo": "Document", "ret": [0, 100, 1000, 800], "filhos": [
         {"chave": "lista", "classe": "chat-list--default", "ret": [600, 100, 1000, 700], "filhos": [
           {"chave": "m1", "classe": "chat-line__message", "ret": [600, 100, 1000, 130]},
           {"chave": "m2", "classe": "chat-line__message", "ret": [600, 130, 1000, 160]},
           {"chave": "m3", "classe": "chat-line__message", "ret": [600, 160, 1000, 190]}
         ]}
       ]}
     ]}
  ]})";
}

std::int64_t us_desde(plataforma::Instante t) {
    return std::chrono::duration_cast<std::chrono::microseconds>(plataforma::agora() - t).count();
}

class Custo : public ComAreaSimulada {
protected:
    void montar(const std::string& custo) {
        carregar(pagina_com_custo(custo));
        automacao = criar_automacao();
    }

    // Quanto tempo (virtual) cada uma de n leituras vivas do documento levou.
    std::vector<std::int64_t> duracoes(int n) {
        const auto raiz = *automacao.elemento_da_janela(2001);
        const auto doc = (*raiz.achar_todos(uia::Escopo::filhos, *automacao.verdadeira(),
                                            *automacao.pedido({Propriedade::retangulo})))
                             .front();
        std::vector<std::int64_t> r;
        for (int i = 0; i < n; ++i) {
            const auto t = plataforma::agora();
            EXPECT_TRUE(doc.retangulo_atual().ok());
            r.push_back(us_desde(t));
        }
        return r;
    }

    std::vector<uia::Elemento> mensagens(const uia::Elemento& de) {
        auto r = de.achar_todos(uia::Escopo::descendentes,
                                *automacao.contem(Propriedade::classe, "chat-line"),
                                *automacao.pedido({Propriedade::retangulo, Propriedade::classe}));
        EXPECT_TRUE(r.ok());
        return r.ok() ? *r : std::vector<uia::Elemento>{};
    }

    void evento(const std::string& json) {
        const Json j = Json::parse(json);
        plataforma::simulada::aplicar_evento(EventoDaCena{0, j["acao"], "ev", j});
    }

    uia::Automacao automacao;
};

}  // namespace

TEST_F(Custo, LatenciaPorChamadaEPrecoPorElementoDaBusca) {
    montar(R"({"base_us": 400, "por_examinado_ns": 1000, "por_devolvido_us": 100})");
    auto t = plataforma::agora();
    const auto raiz = automacao.elemento_da_janela(2001);
    ASSERT_TRUE(raiz.ok());
    EXPECT_EQ(us_desde(t), 400);

    // Cinco examinados (doc, lista, três linhas) e três devolvidos com cache.
    t = plataforma::agora();
    const auto achados = mensagens(*raiz);
    ASSERT_EQ(achados.size(), 3u);
    EXPECT_EQ(us_desde(t), 400 + 5 + 3 * 100);

    // O cache fica no programa: ler dele não custa nada.
    t = plataforma::agora();
    EXPECT_TRUE(achados[0].classe_em_cache().ok());
    EXPECT_EQ(us_desde(t), 0);

    // Uma leitura viva é uma ida só, sem elementos.
    t = plataforma::agora();
    EXPECT_TRUE(achados[0].retangulo_atual().ok());
    EXPECT_EQ(us_desde(t), 400);

    // Sem perfil, nada custa.
    montar(R"("nenhum")");
    t = plataforma::agora();
    EXPECT_EQ(mensagens(*automacao.elemento_da_janela(2001)).size(), 3u);
    EXPECT_EQ(us_desde(t), 0);
}

TEST_F(Custo, PicosSorteadosPelaSementeSeRepetem) {
    const std::string perfil =
        R"({"base_us": 100, "picos_em_10mil": 3000, "pico_us": [5000, 9000], "semente": 7})";
    montar(perfil);
    const auto primeira = duracoes(60);
    int picos = 0;
    for (const std::int64_t d : primeira) {
        if (d == 100) continue;
        ++picos;
        EXPECT_GE(d, 100 + 5000);
        EXPECT_LE(d, 100 + 9000);
    }
    // 30 % de 60 chamadas: nem nenhuma nem todas.
    EXPECT_GT(picos, 5);
    EXPECT_LT(picos, 40);

    montar(perfil);
    EXPECT_EQ(duracoes(60), primeira);

    montar(R"({"base_us": 100, "picos_em_10mil": 3000, "pico_us": [5000, 9000], "semente": 8})");
    EXPECT_NE(duracoes(60), primeira);

    // A variação fica dentro da faixa e também se repete.
    montar(R"({"base_us": 100, "variacao_us": 400, "semente": 3})");
    const auto variadas = duracoes(40);
    for (const std::int64_t d : variadas) {
        EXPECT_GE(d, 100);
        EXPECT_LE(d, 500);
    }
    EXPECT_NE(std::count(variadas.begin(), variadas.end(), variadas.front()), 40);
    montar(R"({"base_us": 100, "variacao_us": 400, "semente": 3})");
    EXPECT_EQ(duracoes(40), variadas);
}

TEST_F(Custo, ParadaMaisLongaQueATransacaoViraTempoEsgotado) {
    // Toda chamada para 5 s; o cliente desiste nos 3 s que pediu ao criar a Automacao.
    montar(R"({"paradas_em_10mil": 10000, "parada_ms": [5000, 5000]})");
    auto t = plataforma::agora();
    const auto raiz = automacao.elemento_da_janela(2001);
    ASSERT_FALSE(raiz.ok());
    EXPECT_EQ(static_cast<std::uint32_t>(raiz.erro().hresult), 0x80131505u);
    EXPECT_EQ(us_desde(t), 3'000'000);

    // Uma parada marcada: quem chama no meio dela espera o resto, sem erro
    // quando o resto cabe na transação.
    montar(R"({"paradas": [{"em": 1000, "ms": 500}]})");
    plataforma::dormir(1200ms);
    t = plataforma::agora();
    EXPECT_TRUE(automacao.elemento_da_janela(2001).ok());
    EXPECT_EQ(us_desde(t), 300'000);
    // Depois dela, de graça de novo.
    t = plataforma::agora();
    EXPECT_TRUE(automacao.elemento_da_janela(2001).ok());
    EXPECT_EQ(us_desde(t), 0);
}

TEST_F(Custo, ArvoreDaPaginaChegaDepoisDoPrimeiroCliente) {
    montar(R"({"partida_ms": 300, "pico_us": [2000, 2000]})");
    plataforma::dormir(1000ms);  // o relógio andando antes não conta: a partida é da primeira ida
    auto t = plataforma::agora();
    const auto raiz = *automacao.elemento_da_janela(2001);
    EXPECT_EQ(us_desde(t), 2000);  // ocupado

    // Só o documento, vazio.
    t = plataforma::agora();
    const auto tudo = *raiz.achar_todos(uia::Escopo::descendentes, *automacao.verdadeira(),
                                        *automacao.pedido({Propriedade::tipo}));
    ASSERT_EQ(tudo.size(), 1u);
    EXPECT_EQ(*tudo[0].tipo_em_cache(), uia::tipo::documento);
    EXPECT_GE(us_desde(t), 2000);
    EXPECT_TRUE(mensagens(raiz).empty());

    // Cada ida até aqui custou o pico: a árvore chega em 1000 + 300 ms do relógio.
    plataforma::dormir_ate(plataforma::Instante{1290ms});
    EXPECT_TRUE(mensagens(raiz).empty());
    plataforma::dormir_ate(plataforma::Instante{1300ms});
    t = plataforma::agora();
    EXPECT_EQ(mensagens(raiz).size(), 3u);
    EXPECT_EQ(us_desde(t), 0);  // acordada: sem o pico
}

TEST_F(Custo, LayoutAtrasadoDepoisDeMudarAPaginaMasNaoAoMoverAJanela) {
    montar(R"({"atraso_do_layout_ms": 250})");
    const auto raiz = *automacao.elemento_da_janela(2001);
    const auto ms = mensagens(raiz);
    ASSERT_EQ(ms.size(), 3u);
    const Retangulo m1{600, 100, 1000, 130};
    const Retangulo m2{600, 130, 1000, 160};

    evento(R"({"em": 0, "acao": "elemento", "chave": "m1", "deslocar": [0, 50]})");
    EXPECT_EQ(*ms[0].retangulo_atual(), m1);
    // Uma busca nova também vê o lugar velho.
    EXPECT_EQ(*mensagens(raiz)[0].retangulo_em_cache(), m1);

    // A janela anda: aparece na hora, com o atraso ainda valendo por dentro.
    plataforma::dormir(100ms);
    evento(R"({"em": 0, "acao": "mover", "janela": 2001, "deslocar": [10, 0]})");
    EXPECT_EQ(*ms[1].retangulo_atual(), deslocar(m2, 10, 0));
    EXPECT_EQ(*ms[0].retangulo_atual(), deslocar(m1, 10, 0));

    plataforma::dormir(149ms);
    EXPECT_EQ(*ms[0].retangulo_atual(), deslocar(m1, 10, 0));
    plataforma::dormir(1ms);
    EXPECT_EQ(*ms[0].retangulo_atual(), deslocar(m1, 10, 50));
}

TEST(CustoDaCena, PerfisDesconhecidosECamposRuinsSaoRecusados) {
    auto& a = plataforma::simulada::AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    const auto recusa = [&](const std::string& custo) {
        try {
            plataforma::simulada::carregar_cena(pagina_com_custo(custo), a);
        } catch (const plataforma::simulada::ErroDeCena& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(recusa(R"("firefox")").find("perfil desconhecido"), std::string::npos);
    EXPECT_NE(recusa(R"({"base_us": -1})").find("cena.custo.base_us"), std::string::npos);
    EXPECT_NE(recusa(R"({"pico_us": [9, 3]})").find("cena.custo.pico_us"), std::string::npos);
    EXPECT_NE(recusa(R"({"picos_em_10mil": 10001})").find("picos_em_10mil"), std::string::npos);
    EXPECT_NE(recusa(R"({"latencia": 3})").find("latencia"), std::string::npos);
    EXPECT_NE(recusa(R"({"paradas": [{"em": 10, "ms": 0}]})").find("paradas[0].ms"), std::string::npos);
    EXPECT_EQ(recusa(R"({"perfil": "chromium", "semente": 9})"), "");
    EXPECT_EQ(a.custo.perfil().nome, "próprio");
    EXPECT_EQ(a.custo.perfil().por_devolvido_us, plataforma::simulada::perfil_chromium().por_devolvido_us);
    EXPECT_EQ(recusa(R"("chromium")"), "");
    EXPECT_EQ(a.custo.perfil().nome, "chromium");
    a.limpar();
}

// O programa inteiro, sobre a Twitch, sob o perfil do Chromium.
TEST(CustoNoPrograma, ChatAchadoQuandoAArvoreDaPaginaChega) {
    const auto e = rodar_linha_do_tempo("twitch_chrome.json", R"({"em": 3000, "acao": "fim"})",
                                        {"--janela", "100"},
                                        R"(, "custo": {"perfil": "chromium", "partida_ms": 1200})");
    ASSERT_EQ(e.codigo, 0) << e.erro;
    const auto es = estados(e);
    ASSERT_FALSE(es.empty()) << e.erro;
    // Nenhum chat antes de a árvore chegar; o primeiro estado com o chat
    // logo depois (as buscas sem chat vêm a cada 50 ms).
    EXPECT_GE(es.front().first, 1200);
    EXPECT_LE(es.front().first, 1200 + 150);
    EXPECT_NE(es.front().second.find("\"site\":\"twitch\""), std::string::npos);
    EXPECT_NE(es.front().second.find("\"largura\":340"), std::string::npos);
    const std::string antes = e.log_com("não achei o chat nesta página");
    EXPECT_FALSE(antes.empty()) << e.erro;
    EXPECT_FALSE(e.log_com("chat achado").empty()) << e.erro;
}

TEST(CustoNoPrograma, ParadaDeCincoSegundosDoNavegador) {
    // A página carregando: o navegador não responde nos primeiros 5 s. A
    // primeira busca esgota os 3 s do cliente e a falha sai no log com o
    // HRESULT; a seguinte espera o resto da parada e acha o chat.
    const auto e = rodar_linha_do_tempo("twitch_chrome.json", R"({"em": 9000, "acao": "fim"})",
                                        {"--janela", "100"},
                                        R"(, "custo": {"perfil": "chromium", "partida_ms": 0,
                                               "paradas": [{"em": 0, "ms": 5000}]})");
    ASSERT_EQ(e.codigo, 0) << e.erro;
    const auto erros = e.erros();
    const auto falha = std::find_if(erros.begin(), erros.end(), [](const auto& l) {
        return l.second.find("a busca falhou: HRESULT 0x80131505") != std::string::npos;
    });
    ASSERT_NE(falha, erros.end()) << e.erro;
    // O localizador começa em 100 ms: a primeira ida esgota em 100 + 3000.
    EXPECT_EQ(falha->first, 3100);

    const auto batidas = linhas_que_comecam(e, "{\"vivo\":1}");
    ASSERT_GT(batidas.size(), 15u);
    std::int64_t maior_fora = 0, maior_dentro = 0;
    for (std::size_t i = 1; i < batidas.size(); ++i) {
        const std::int64_t de = batidas[i - 1].first, ate = batidas[i].first;
        EXPECT_GE(ate - de, 250);
        std::int64_t& maior = de < 5000 ? maior_dentro : maior_fora;
        maior = std::max(maior, ate - de);
    }
    // Fora da parada, o ritmo de 250 ms (mais uma volta de 100 ms e o custo dela).
    EXPECT_LE(maior_fora, 250 + 100 + 20);
    // Dentro, o batimento só falta enquanto o localizador espera uma chamada,
    // nunca mais que o tempo esgotado do cliente (e a volta seguinte).
    EXPECT_LE(maior_dentro, 3000 + 50);
    const auto es = estados(e);
    ASSERT_FALSE(es.empty());
    EXPECT_NE(es.front().second.find("\"site\":\"twitch\""), std::string::npos) << es.front().second;
    EXPECT_GE(es.front().first, 5000);
    EXPECT_LT(es.front().first, 5000 + 200);
}

TEST(CustoNoPrograma, JanelaQueAndaDuranteABuscaESeguidaNaIdaSeguinte) {
    // O navegador anda 10 px a cada 25 ms enquanto a busca periódica (a de
    // 5 s: umas 50 idas de 3 ms a um navegador ocupado, 150 ms) lê a página:
    // cada passo tem de aparecer no botão da linha de estado logo na ida
    // seguinte, e nunca a posição lida antes do movimento.
    std::string eventos;
    constexpr int kPassos = 24;
    for (int i = 0; i < kPassos; ++i)
        eventos += R"({"em": )" + std::to_string(5000 + 25 * i) +
                   R"(, "acao": "mover", "janela": 2001, "deslocar": [10, 0]}, )";
    const auto e = rodar_linha_do_tempo("twitch_chrome.json", eventos + R"({"em": 6500, "acao": "fim"})",
                                        {"--janela", "100"},
                                        R"(, "custo": {"perfil": "chromium", "partida_ms": 0,
                                               "picos_em_10mil": 0, "paradas_em_10mil": 0,
                                               "base_us": 3000, "variacao_us": 500})");
    ASSERT_EQ(e.codigo, 0) << e.erro;
    const auto es = estados(e);
    const auto botao_x = [](const std::string& l) -> std::optional<int> {
        const auto p = l.find("\"botao\":[");
        if (p == std::string::npos) return std::nullopt;
        return std::stoi(l.substr(p + 9));
    };
    std::optional<int> x0;
    for (const auto& [t, l] : es)
        if (t < 5000) x0 = botao_x(l);
    ASSERT_TRUE(x0) << e.saida;
    int maior_atraso = 0;
    for (int i = 0; i < kPassos; ++i) {
        const int t = 5000 + 25 * i, x = *x0 + 10 * (i + 1);
        const auto it = std::find_if(es.begin(), es.end(), [&](const auto& par) {
            return par.first >= t && botao_x(par.second) == x;
        });
        ASSERT_NE(it, es.end()) << "passo " << i << " nunca publicado\n" << e.saida;
        maior_atraso = std::max(maior_atraso, static_cast<int>(it->first - t));
    }
    // Uma ida custa no máximo 3,5 ms mais o que ela devolve: menos que um quadro.
    EXPECT_LE(maior_atraso, 16);
    // Nenhuma linha volta o botão para trás (uma leitura de antes do movimento).
    std::optional<int> anterior;
    for (const auto& [t, l] : es) {
        const auto x = botao_x(l);
        if (t >= 5000 && x && anterior) {
            EXPECT_GE(*x, *anterior) << l;
        }
        if (x) anterior = x;
    }
}
