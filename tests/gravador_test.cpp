// O gravador de cenas do diagnóstico (CENA): a cena gravada de cada cena de
// exemplo, reproduzida no modo hospedado, dá as mesmas linhas que a original
// cortada no instante da gravação; e o texto que o escritor produz volta
// inteiro pelo carregador de cenas.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ajuda.hpp"
#include "diagnostico/cena_gravada.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/uia.hpp"

namespace fs = std::filesystem;
namespace pl = plataforma;

namespace {

struct Gravacao {
    Execucao diagnostico;
    std::string cena;  // vazia quando nada foi gravado
    std::int64_t instante = -1;
};

Gravacao gravar(const std::string& cena, const std::string& nome) {
    const fs::path destino = fs::temp_directory_path() / ("gravada_" + nome);
    fs::remove(destino);
    Gravacao g;
    {
        ComAmbiente ambiente(std::map<std::string, std::string>{{"CENA", destino.string()}});
        g.diagnostico = rodar_programa(cena, {"--diagnostico"});
    }
    for (const auto& [t, l] : g.diagnostico.saidas())
        if (l.rfind("cena gravada em ", 0) == 0) g.instante = t;
    if (fs::exists(destino)) g.cena = ler_arquivo(destino);
    fs::remove(destino);
    return g;
}

// A original como o gravador pode vê-la no instante da gravação. Ficam de
// fora, porque nenhum gravador as vê numa área de trabalho de verdade: as
// reações da página (o que o site faz quando o programa age), as falhas e as
// lentidões mandadas pela cena, as linhas da entrada padrão (o app as manda
// depois) e os eventos depois do instante. Os eventos até o instante já
// estão na foto e ficam no começo, e o fim vem no mesmo ponto do da gravada.
std::string cortada(const std::string& arquivo, std::int64_t instante, std::int64_t fim) {
    Json c = Json::parse(ler_arquivo(fs::path(CENAS_DIR) / arquivo));
    c.erase("reacoes");
    c.erase("falhas");
    c.erase("lentidoes");
    // Os tempos do Chromium (o foco, a rolagem, a partida em duas fases)
    // também não se veem: o gravador grava a página que já chegou.
    c.erase("chromium");
    c["entrada"] = "cena";
    Json eventos = Json::array();
    for (Json e : c.value("linha_do_tempo", Json::array())) {
        const std::string acao = e.value("acao", "");
        if (e.value("em", 0) > instante || acao == "fim" || acao == "entrada" || acao == "fim_da_entrada")
            continue;
        e["em"] = 0;
        eventos.push_back(e);
    }
    eventos.push_back({{"em", fim}, {"acao", "fim"}});
    c["linha_do_tempo"] = eventos;
    return c.dump(2);
}

std::int64_t fim_da(const std::string& cena) {
    const Json c = Json::parse(cena);
    for (const Json& e : c["linha_do_tempo"])
        if (e["acao"] == "fim") return e["em"];
    return -1;
}

std::vector<std::string> cenas_de_exemplo() {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(CENAS_DIR))
        if (e.path().extension() == ".json") r.push_back(e.path().filename().string());
    std::sort(r.begin(), r.end());
    return r;
}

}  // namespace

TEST(Gravador, CadaCenaDeExemploGravadaReproduzAsMesmasLinhasNoModoHospedado) {
    const auto cenas = cenas_de_exemplo();
    ASSERT_GE(cenas.size(), 10u);
    for (const std::string& arquivo : cenas) {
        SCOPED_TRACE(arquivo);
        const Gravacao g = gravar(ler_arquivo(fs::path(CENAS_DIR) / arquivo), arquivo);
        ASSERT_EQ(g.diagnostico.codigo, 0) << g.diagnostico.saida << g.diagnostico.erro;
        // O cabeçalho, a espera pela página quando ela começa vazia, e a linha da gravação.
        auto linhas = g.diagnostico.linhas_da_saida();
        if (linhas.size() == 3u && linhas[1].rfind("a página chegou em ", 0) == 0)
            linhas.erase(linhas.begin() + 1);
        ASSERT_EQ(linhas.size(), 2u) << g.diagnostico.saida;
        ASSERT_FALSE(g.cena.empty());
        const std::int64_t fim = fim_da(g.cena);
        EXPECT_EQ(fim, 3000);

        // Uma cena sem a janela do app (a dos navegadores) não tem o que
        // reproduzir no modo hospedado: ela é comparada no modo dela.
        const bool com_app = ler_arquivo(fs::path(CENAS_DIR) / arquivo).find("\"hwnd\": 100,") !=
                             std::string::npos;
        const std::vector<std::string> modo = com_app ? std::vector<std::string>{"--janela", "100"}
                                                      : std::vector<std::string>{"--navegadores"};
        const Execucao original = rodar_programa(cortada(arquivo, g.instante, fim), modo);
        const Execucao gravada = rodar_programa(g.cena, modo);
        EXPECT_EQ(gravada.codigo, original.codigo) << gravada.erro;
        EXPECT_EQ(gravada.saidas(), original.saidas());
        EXPECT_EQ(gravada.erros(), original.erros());
        // A comparação só vale se a reprodução fez alguma coisa.
        EXPECT_FALSE(original.saidas().empty());
    }
}

TEST(Gravador, ALinhaDizOndeGravouEQuantoEArquivoQueNaoAbreDaErro) {
    const Gravacao g = gravar(ler_arquivo(fs::path(CENAS_DIR) / "twitch_chrome.json"), "linha.json");
    const auto linhas = g.diagnostico.linhas_da_saida();
    ASSERT_EQ(linhas.size(), 2u);
    const std::string destino = (fs::temp_directory_path() / "gravada_linha.json").string();
    const Json cena = Json::parse(g.cena);
    std::size_t elementos = 0;
    std::function<void(const Json&)> contar = [&](const Json& es) {
        for (const Json& e : es) {
            ++elementos;
            contar(e.value("filhos", Json::array()));
        }
    };
    for (const Json& j : cena["janelas"]) {
        contar(j.value("pagina", Json::array()));
        for (const Json& f : j.value("filhas", Json::array())) contar(f.value("pagina", Json::array()));
    }
    EXPECT_GT(elementos, 20u);
    EXPECT_EQ(linhas[1], "cena gravada em " + destino + ": " + std::to_string(cena["janelas"].size()) +
                             " janelas, " + std::to_string(elementos) + " elementos");

    ComAmbiente ambiente(std::map<std::string, std::string>{{"CENA", "/nao/existe/pasta/cena.json"}});
    const Execucao e = rodar_programa(ler_arquivo(fs::path(CENAS_DIR) / "twitch_chrome.json"),
                                      {"--diagnostico"});
    EXPECT_EQ(e.codigo, 1);
    ASSERT_EQ(e.linhas_da_saida().size(), 2u);
    EXPECT_EQ(e.linhas_da_saida()[1],
              "não consegui gravar a cena em /nao/existe/pasta/cena.json: o arquivo não abriu ou a "
              "escrita falhou");
}

class EscritorDeCena : public ComAreaSimulada {};

TEST_F(EscritorDeCena, TextosDificeisJanelaSemDonaEPaginaVaziaVoltamPeloCarregador) {
    CenaGravada c;
    c.processo = 4242;
    c.monitores = {{Retangulo{0, 0, 1920, 1080}, 0}};
    JanelaGravada j;
    j.hwnd = 7;
    j.classe = "Chrome_WidgetWin_1";
    j.titulo = "a \"b\" \\ c\n\t\x01 ção 😀 \xff";
    j.executavel = "C:\\Programas\\chrome.exe";
    j.processo = 10;
    j.thread = 11;
    j.ret = {10, 20, 300, 400};
    j.estilo = pl::estilo::visivel;
    c.janelas.push_back(j);
    JanelaGravada k = j;
    k.hwnd = 8;
    k.titulo = "";
    k.dono = 7;
    ElementoGravado e;
    e.tipo = 50020;
    e.nome = "nome \"x\"\r";
    e.valor = "";
    e.ret = {1, 2, 3, 4};
    e.invocavel = true;
    e.rolavel = true;
    e.controle = false;
    k.pagina.push_back(e);
    c.janelas.push_back(k);
    c.frente = 7;
    c.fim_ms = 10;
    const std::string texto = texto_da_cena(c);
    EXPECT_EQ(contar_elementos(c), 1u);
    carregar(texto);

    EXPECT_EQ(pl::titulo_da_janela(7), "a \"b\" \\ c\n\t\x01 ção 😀 \xEF\xBF\xBD");
    EXPECT_EQ(pl::vizinha(7, pl::Vizinha::dona), 0);
    EXPECT_EQ(pl::vizinha(8, pl::Vizinha::dona), 7);
    EXPECT_EQ(pl::janela_da_frente(), 7);
    const auto monitores = pl::monitores();
    ASSERT_EQ(monitores.size(), 1u);
    EXPECT_EQ(monitores[0].dpi, 96u);  // não lido: o padrão

    // A página da janela 7 é vazia; a da 8 tem o elemento, que só a visão crua mostra.
    auto a = pl::uia::Automacao::criar();
    ASSERT_TRUE(a);
    auto pedido = a->pedido_da_subarvore({pl::uia::Propriedade::nome, pl::uia::Propriedade::valor,
                                          pl::uia::Propriedade::rolavel, pl::uia::Propriedade::controle});
    ASSERT_TRUE(pedido);
    auto sete = a->elemento_da_janela(7)->atualizar_cache(*pedido);
    ASSERT_TRUE(sete);
    // A 8 é possuída pela 7: o único filho da 7 é o elemento da 8.
    auto filhos = sete->filhos_em_cache();
    ASSERT_TRUE(filhos);
    ASSERT_EQ(filhos->size(), 1u);
    auto netos = (*filhos)[0].filhos_em_cache();
    ASSERT_TRUE(netos);
    ASSERT_EQ(netos->size(), 1u);
    const pl::uia::Elemento& el = (*netos)[0];
    EXPECT_EQ(el.nome_em_cache().valor_ou({}), "nome \"x\"\r");
    EXPECT_EQ(el.valor_em_cache().valor_ou(std::nullopt), std::optional<std::string>(""));
    EXPECT_TRUE(el.rolavel_em_cache().valor_ou(false));
    EXPECT_FALSE(el.controle_em_cache().valor_ou(true));
    // Sem o escopo da árvore no pedido não há filhos guardados.
    auto simples = a->pedido({pl::uia::Propriedade::nome});
    EXPECT_FALSE(a->elemento_da_janela(7)->atualizar_cache(*simples)->filhos_em_cache());
}
