// O carregador de cenas: erros claros para arquivos ruins e a montagem da
// área de trabalho (repetições, chaves, filhas), e a linha do tempo aplicada.

#include <gtest/gtest.h>

#include <random>

#include "ajuda.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"

using namespace plataforma::simulada;

namespace {

std::string erro_de(const std::string& cena) {
    AreaDeTrabalho a;
    try {
        carregar_cena(cena, a);
    } catch (const ErroDeCena& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(CenaRuim, MensagensComOCaminhoDoCampo) {
    EXPECT_EQ(erro_de("{\"janelas\": [\n  {\"hwnd\": 1,}\n]}"), "JSON inválido na linha 2, coluna 14");
    EXPECT_EQ(erro_de(R"({"janelas": [{"hwnd": 1, "ret": [0, 0, 10]}]})"),
              "cena.janelas[0].ret: esperava 4 inteiros [esquerda, topo, direita, base]");
    EXPECT_EQ(erro_de(R"({"janelas": [{"hwnd": 1, "ret": [0, 0, 10, 10], "tituloo": "x"}]})"),
              "cena.janelas[0]: campo desconhecido \"tituloo\"");
    EXPECT_EQ(erro_de(R"({"janelas": [{"ret": [0, 0, 10, 10]}]})"),
              "cena.janelas[0]: falta o campo \"hwnd\"");
    EXPECT_EQ(erro_de(R"({"janelas": [{"hwnd": 1, "ret": [0,0,1,1]}, {"hwnd": 1, "ret": [0,0,1,1]}]})"),
              "cena.janelas[1].hwnd: handle repetido 1");
    EXPECT_EQ(erro_de(R"({"linha_do_tempo": [{"em": 10, "acao": "voar"}]})"),
              "cena.linha_do_tempo[0].acao: ação desconhecida \"voar\"");
    EXPECT_EQ(erro_de(R"({"linha_do_tempo": [{"em": 10, "acao": "mover", "janela": 9, "ret": [0,0,1,1]}]})"),
              "cena.linha_do_tempo[0].janela: janela 9 não existe na cena");
    EXPECT_EQ(erro_de(R"({"linha_do_tempo": [{"em": 10, "acao": "remover", "chave": "x"}]})"),
              "cena.linha_do_tempo[0].chave: chave \"x\" não existe na cena");
    EXPECT_EQ(erro_de(R"({"janelas": [{"hwnd": 1, "ret": [0,0,1,1], "pagina": [{"tipo": "Botao"}]}]})"),
              "cena.janelas[0].pagina[0].tipo: tipo de controle desconhecido \"Botao\"");
    EXPECT_EQ(
        erro_de(
            R"({"janelas": [{"hwnd": 1, "ret": [0,0,1,1], "pagina": [{"chave": "a"}, {"chave": "a"}]}]})"),
        "chave de elemento repetida \"a\"");
    EXPECT_EQ(erro_de("[1, 2]"), "cena: esperava um objeto");
    EXPECT_EQ(erro_de(R"({"monitores": [{"ret": [0, 0, 0, 0]}]})"),
              "cena.monitores[0].ret: monitor sem área");
}

TEST(CenaRuim, OProgramaParaComStatus2ENomeDoArquivo) {
    const Execucao e = rodar_programa(R"({"janelas": 3, "linha_do_tempo": [{"em": 1, "acao": "fim"}]})", {});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_NE(e.erro.find("cena "), std::string::npos);
    EXPECT_NE(e.erro.find("cena.janelas: esperava uma lista"), std::string::npos);
    EXPECT_EQ(e.saida, "");
}

TEST(CenaRuim, TempoVirtualSemFimEhRecusado) {
    const Execucao e = rodar_programa(R"({"janelas": []})", {});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_NE(e.erro.find("precisa de um evento \"fim\""), std::string::npos);
}

TEST(CenaRuim, ArquivoQueNaoExiste) {
    const Execucao e = rodar_programa_com_arquivo("nao-existe.json", {});
    EXPECT_EQ(e.codigo, 2);
    EXPECT_NE(e.erro.find("não consegui abrir o arquivo"), std::string::npos);
}

TEST(CenaBoa, RepeticaoNumeraEDesloca) {
    AreaDeTrabalho a;
    carregar_cena(R"({"janelas": [{"hwnd": 7, "ret": [0, 0, 100, 100], "pagina": [
        {"repetir": 3, "passo": [0, 30], "elemento": {"chave": "m{n}", "nome": "linha {n}",
         "ret": [0, 10, 50, 40], "filhos": [{"tipo": "Text", "nome": "t{n}", "ret": [1, 11, 20, 30]}]}}
      ]}]})",
                  a);
    ASSERT_EQ(a.janelas[7].arvore.size(), 3u);
    EXPECT_EQ(a.por_chave.at("m3")->nome, "linha 3");
    EXPECT_EQ(a.por_chave.at("m3")->ret, (Retangulo{0, 70, 50, 100}));
    EXPECT_EQ(a.por_chave.at("m3")->filhos[0]->ret, (Retangulo{1, 71, 20, 90}));
    EXPECT_EQ(a.por_chave.at("m2")->filhos[0]->tipo, 50020);
    EXPECT_EQ(a.por_chave.at("m2")->filhos[0]->nome, "t2");
}

TEST(CenaBoa, ValorQueNaoETexto) {
    AreaDeTrabalho a;
    carregar_cena(R"({"janelas": [{"hwnd": 7, "ret": [0, 0, 1, 1], "pagina": [
        {"chave": "n", "valor": 12}, {"chave": "s", "valor": "abc"}]}]})",
                  a);
    EXPECT_TRUE(a.por_chave.at("n")->valor_nao_texto);
    EXPECT_FALSE(a.por_chave.at("n")->valor.has_value());
    EXPECT_EQ(a.por_chave.at("s")->valor, "abc");
}

TEST(CenaBoa, OrdemZFrentePadraoEDpiDoMonitor) {
    AreaDeTrabalho a;
    carregar_cena(R"({
      "monitores": [{"ret": [0, 0, 1920, 1080], "dpi": 96}, {"ret": [1920, 0, 3840, 1080], "dpi": 144}],
      "janelas": [
        {"hwnd": 1, "ret": [0, 0, 10, 10], "visivel": false},
        {"hwnd": 2, "ret": [2000, 0, 2500, 500], "executavel": "chrome.exe"},
        {"hwnd": 3, "ret": [0, 0, 500, 500], "executavel": "chrome.exe", "dpi": 120}
      ]})",
                  a);
    EXPECT_EQ(a.ordem_z, (std::vector<Hwnd>{1, 2, 3}));
    EXPECT_EQ(a.frente, 2);  // a primeira visível
    EXPECT_EQ(a.dpi_de(2), 144u);
    EXPECT_EQ(a.dpi_de(3), 120u);
    EXPECT_EQ(a.janelas[2].processo, a.janelas[3].processo);  // mesmo executável, mesmo processo
    EXPECT_EQ(a.processos[a.janelas[2].processo].caminho, "C:\\Programas\\chrome.exe");
}

class LinhaDoTempo : public ComAreaSimulada {};

TEST_F(LinhaDoTempo, MoverLevaAsFilhasEOsElementos) {
    carregar(R"({"janelas": [{"hwnd": 7, "ret": [100, 100, 500, 500],
        "filhas": [{"hwnd": 8, "ret": [110, 120, 490, 490]}],
        "pagina": [{"chave": "e", "ret": [200, 200, 300, 300]}]}]})");
    EventoDaCena ev{1, "mover", "ev",
                    Json::parse(R"({"em": 1, "acao": "mover", "janela": 7, "deslocar": [10, -5]})")};
    aplicar_evento(ev);
    EXPECT_EQ(plataforma::retangulo_da_janela(7), (Retangulo{110, 95, 510, 495}));
    EXPECT_EQ(plataforma::retangulo_da_janela(8), (Retangulo{120, 115, 500, 485}));
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    EXPECT_EQ(a.por_chave.at("e")->ret, (Retangulo{210, 195, 310, 295}));
}

TEST_F(LinhaDoTempo, AdicionarERemoverElementos) {
    carregar(R"({"janelas": [{"hwnd": 7, "ret": [0, 0, 500, 500],
        "pagina": [{"chave": "lista", "filhos": [{"chave": "a"}, {"chave": "c"}]}]}]})");
    aplicar_evento({1, "adicionar", "ev", Json::parse(R"({"em": 1, "acao": "adicionar", "dentro_de": "lista",
        "posicao": 1, "elemento": {"chave": "b", "classe": "nova"}})")});
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        const auto& filhos = a.por_chave.at("lista")->filhos;
        ASSERT_EQ(filhos.size(), 3u);
        EXPECT_EQ(filhos[1]->chave, "b");
        EXPECT_EQ(filhos[1]->pai.lock(), a.por_chave.at("lista"));
    }
    aplicar_evento({2, "remover", "ev", Json::parse(R"({"em": 2, "acao": "remover", "chave": "a"})")});
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    EXPECT_EQ(a.por_chave.count("a"), 0u);
    ASSERT_EQ(a.por_chave.at("lista")->filhos.size(), 2u);
    EXPECT_EQ(a.por_chave.at("lista")->filhos[0]->chave, "b");
}

TEST_F(LinhaDoTempo, FalhasProgramadasComPularEVezes) {
    carregar(R"({"janelas": [{"hwnd": 7, "ret": [0, 0, 10, 10]}],
        "falhas": [{"chamada": "GetWindowRect", "janela": 7, "pular": 1, "vezes": 2}]})");
    EXPECT_TRUE(plataforma::retangulo_da_janela(7).has_value());
    EXPECT_FALSE(plataforma::retangulo_da_janela(7).has_value());
    EXPECT_FALSE(plataforma::retangulo_da_janela(7).has_value());
    EXPECT_TRUE(plataforma::retangulo_da_janela(7).has_value());
}

TEST(CenaPadrao, CarregaERodaAteOFim) {
    const Execucao e = rodar_programa_sem_cena({"--janela", "100"});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_FALSE(e.rastro.empty());
    EXPECT_EQ(e.rastro.front().value("cena", ""), "(cena padrão)");
}

TEST(CenaRuim, CenasEmbaralhadasDaoErroClaroNuncaOutraCoisa) {
    // A cena padrão com pedaços trocados: ou carrega, ou dá um ErroDeCena.
    const std::string base = texto_da_cena_padrao();
    const std::string trocas[] = {"0",       "\"x\"",
                                  "[]",      "{}",
                                  "null",    "true",
                                  "-1",      "1e99",
                                  "[1,2]",   "\"\\u0000\"",
                                  "1e400",   "18446744073709551615",
                                  "\"\\n\"", "[[[[[[[[]]]]]]]]"};
    std::mt19937 r(7);
    for (int i = 0; i < 400; ++i) {
        std::string s = base;
        // Troca o valor depois de um ":" por outro de tipo diferente.
        std::size_t pos = 0;
        for (int k = static_cast<int>(r() % 300); k >= 0; --k) {
            const std::size_t p = s.find(':', pos + 1);
            if (p == std::string::npos) break;
            pos = p;
        }
        const std::size_t fim = s.find_first_of(",}\n", pos + 1);
        if (fim == std::string::npos) continue;
        s.replace(pos + 1, fim - pos - 1, " " + trocas[r() % std::size(trocas)]);
        AreaDeTrabalho a;
        try {
            carregar_cena(s, a);
        } catch (const ErroDeCena&) {
        } catch (const std::exception& e) {
            ADD_FAILURE() << "troca " << i << ": " << e.what();
        }
    }
}
