// As fotos em SVG: o desenho partilhado, a foto do diagnóstico (FOTO) e a da
// área de trabalho simulada (--foto). Cada SVG é lido por um leitor de XML
// estrito e as figuras são conferidas pelo retângulo de verdade (data-ret).

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ajuda.hpp"
#include "comum/desenho.hpp"
#include "xml_simples.hpp"

namespace fs = std::filesystem;

namespace {

fs::path temporario(const std::string& nome) {
    const fs::path p = fs::temp_directory_path() / ("foto_" + nome);
    fs::remove(p);
    return p;
}

NoXml svg_de(const std::string& texto) {
    auto lido = ler_xml(texto);
    if (auto* erro = std::get_if<std::string>(&lido)) {
        ADD_FAILURE() << "SVG mal formado: " << *erro << "\n" << texto.substr(0, 2000);
        return {};
    }
    return std::get<NoXml>(std::move(lido));
}

// Os data-ret das figuras de uma classe, em ordem.
std::vector<std::string> rets(const NoXml& svg, const std::string& classe) {
    std::vector<std::string> r;
    for (const NoXml* n : nos_com(svg, "rect", "class", classe)) r.push_back(n->atributos.at("data-ret"));
    return r;
}

std::vector<std::string> textos(const NoXml& svg) {
    std::vector<std::string> r;
    for (const NoXml* n : nos_com(svg, "text")) r.push_back(n->texto);
    return r;
}

bool algum_texto(const NoXml& svg, const std::string& trecho) {
    for (const std::string& t : textos(svg))
        if (t.find(trecho) != std::string::npos) return true;
    return false;
}

// A Twitch parada com um diálogo do site por cima do chat, já na cena inicial
// (o diagnóstico lê a página no instante 0).
std::string twitch_com_dialogo(const std::string& mais = "", int fim_ms = 3000) {
    Json c = Json::parse(ler_arquivo(fs::path(CENAS_DIR) / "twitch_chrome.json"));
    for (Json& j : c["janelas"])
        if (j["hwnd"] == 2001)
            for (Json& e : j["pagina"])
                if (e.value("chave", "") == "pagina")
                    e["filhos"].push_back(Json::parse(R"({"papel": "dialog", "classe": "ReactModal__Content",
                        "nome": "Denunciar", "ret": [1380, 320, 1664, 470]})"));
    c["entrada"] = "cena";
    c["linha_do_tempo"] = Json::parse("[" + mais + (mais.empty() ? "" : ",") + R"({"em": )" +
                                      std::to_string(fim_ms) + R"(, "acao": "fim"}])");
    return c.dump();
}

}  // namespace

TEST(LeitorDeXml, AceitaOBemFormadoERecusaOQuebrado) {
    const auto bom = ler_xml(
        "<?xml version=\"1.0\"?>\n<!-- c --><a b=\"&lt;&#233;&#x41;\" c='x'>t &amp; u<d/><e></e></a>\n");
    ASSERT_TRUE(std::holds_alternative<NoXml>(bom)) << std::get<std::string>(bom);
    EXPECT_EQ(std::get<NoXml>(bom).atributos.at("b"), "<\u00e9A");
    EXPECT_EQ(std::get<NoXml>(bom).texto, "t & u");
    for (const char* ruim : {"<a><b></a></b>", "<a>x & y</a>", "<a b=1/>", "<a/><b/>", "<a>\x01</a>",
                             "<a>\xff</a>", "<a b=\"1\" b=\"2\"/>", "<a>&bogus;</a>", "<a", "<a b=\"<\"/>",
                             "<a>&#1;</a>", "<a b=\"1\"c=\"2\"/>", "", "texto"})
        EXPECT_TRUE(std::holds_alternative<std::string>(ler_xml(ruim))) << ruim;
}

TEST(Desenho, RotulosQualquerTextoViramXmlBemFormado) {
    Desenho d;
    d.titulo = "t\xff\x01<x>";
    d.quadro = {0, 0, 1000, 800};
    d.figuras = {{Traco::janela, {10, 10, 990, 790}, "nav \"a\" & 'b' <c>\n\x02\xc3", "dica\x7f\x1b"},
                 {Traco::chat, {600, 100, 900, 700}, "chat", {}},
                 {Traco::elemento, {610, 110, 620, 120}, {}, "só dica"},
                 // Um retângulo absurdo de página estranha é cortado no desenho.
                 {Traco::buraco, {650, 200, 1073741823, 300}, "buraco 1", {}},
                 {Traco::botao, {5000, 5000, 5032, 5032}, "botão", {}},
                 {Traco::elemento, {900, 900, 800, 950}, {}, {}}};
    d.cursor = Ponto{500, 400};
    d.legenda = {std::string(300, 'x') + "\xe2\x82"};
    const NoXml svg = svg_de(svg_do_desenho(d));
    EXPECT_EQ(svg.nome, "svg");
    EXPECT_EQ(rets(svg, "chat"), std::vector<std::string>{"600,100,900,700"});
    ASSERT_EQ(rets(svg, "buraco"), std::vector<std::string>{"650,200,1073741823,300"});
    const NoXml& buraco = *nos_com(svg, "rect", "class", "buraco")[0];
    EXPECT_LE(std::stoll(buraco.atributos.at("width")), 1000);
    // Todo fora do quadro: só na legenda, com o retângulo.
    EXPECT_TRUE(rets(svg, "botao").empty());
    EXPECT_TRUE(algum_texto(svg, "fora do quadro ou vazio: botão (5000, 5000, 5032, 5032)"));
    EXPECT_TRUE(algum_texto(svg, "1 elementos fora do quadro ou vazios"));
    EXPECT_TRUE(algum_texto(svg, "nav \"a\" & 'b' <c>"));
    EXPECT_EQ(nos_com(svg, "path", "data-ponto", "500,400").size(), 1u);
    EXPECT_EQ(rets(svg, "elemento"), std::vector<std::string>{"610,110,620,120"});
    EXPECT_EQ(nos_com(svg, "rect", "class", "elemento")[0]->filhos.at(0).texto, "só dica");
}

TEST(Desenho, SemQuadroOEnvolveAsFiguras) {
    Desenho d;
    d.figuras = {{Traco::janela, {-200, -100, 0, 0}, "a", {}}, {Traco::janela, {100, 50, 300, 250}, "b", {}}};
    const NoXml svg = svg_de(svg_do_desenho(d));
    EXPECT_EQ(svg.atributos.at("data-quadro"), "-200,-100,300,250");
    EXPECT_EQ(rets(svg, "janela").size(), 2u);
}

TEST(FotoDoDiagnostico, APaginaComoOLocalizadorAVe) {
    const fs::path arquivo = temporario("diagnostico.svg");
    Execucao e;
    {
        ComAmbiente ambiente({{"FOTO", arquivo.string()}});
        e = rodar_programa(twitch_com_dialogo(), {"--diagnostico"});
    }
    ASSERT_EQ(e.codigo, 0) << e.erro;
    const NoXml svg = svg_de(ler_arquivo(arquivo));
    const std::size_t elementos = rets(svg, "elemento").size();
    EXPECT_GT(elementos, 20u);
    // O cabeçalho e a linha da foto, e nenhuma outra sonda.
    EXPECT_EQ(
        e.linhas_da_saida(),
        (std::vector<std::string>{"Twitch em chrome.exe: \"tarsio_ao_vivo - Twitch - Google Chrome\"",
                                  "foto gravada em " + arquivo.string() + ": " + std::to_string(elementos) +
                                      " elementos, chat Some((1352, 231, 1692, 877))"}));
    EXPECT_EQ(rets(svg, "janela"), std::vector<std::string>{"100,50,1700,1000"});
    EXPECT_EQ(rets(svg, "pagina"), std::vector<std::string>{"108,131,1692,992"});
    EXPECT_EQ(rets(svg, "chat"), std::vector<std::string>{"1352,231,1692,877"});
    EXPECT_EQ(rets(svg, "buraco"), std::vector<std::string>{"1380,320,1664,470"});
    EXPECT_EQ(rets(svg, "botao").size(), 1u);
    EXPECT_TRUE(rets(svg, "cartao").empty());
    EXPECT_TRUE(algum_texto(svg, "buraco 1 (1380, 320, 1664, 470)"));
    EXPECT_TRUE(algum_texto(svg, "folga 6, 1 buracos"));
}

TEST(FotoDoDiagnostico, SemPaginaOuSemArquivo) {
    const fs::path arquivo = temporario("sem_pagina.svg");
    {
        ComAmbiente ambiente({{"FOTO", arquivo.string()}});
        const Execucao e = rodar_programa(cena_minima(1000), {"--diagnostico"});
        EXPECT_EQ(e.codigo, 0);
        EXPECT_EQ(e.linhas_da_saida(),
                  std::vector<std::string>{
                      "Nenhuma aba da Twitch ou da Kick à frente num Chrome, Edge, Brave ou Opera."});
        EXPECT_FALSE(fs::exists(arquivo));
    }
    const std::string ruim = (fs::temp_directory_path() / "nao_existe_foto" / "x.svg").string();
    ComAmbiente ambiente({{"FOTO", ruim}});
    const Execucao e = rodar_programa(twitch_com_dialogo(), {"--diagnostico"});
    EXPECT_EQ(e.codigo, 1);
    ASSERT_EQ(e.linhas_da_saida().size(), 2u);
    EXPECT_EQ(e.linhas_da_saida()[1],
              "não consegui gravar a foto em " + ruim + ": o arquivo não abriu ou a escrita falhou");
}

TEST(FotoDaArea, OAppOChatEOsBuracosDaUltimaLinhaNoInstante) {
    const fs::path antes = temporario("antes.svg");
    const fs::path depois = temporario("depois.svg");
    const Execucao e = rodar_programa(
        twitch_com_dialogo(R"({"em": 1000, "acao": "mover", "janela": 2001, "deslocar": [40, 20]})"),
        {"--janela", "100", "--foto", "500:" + antes.string(), "--foto", "1500:" + depois.string()});
    ASSERT_EQ(e.codigo, 0) << e.erro;
    const NoXml a = svg_de(ler_arquivo(antes));
    EXPECT_EQ(rets(a, "monitor"), std::vector<std::string>{"0,0,1920,1080"});
    EXPECT_EQ(rets(a, "janela"), std::vector<std::string>{"100,50,1700,1000"});
    EXPECT_EQ(rets(a, "vidrel"), std::vector<std::string>{"1352,231,1692,877"});
    EXPECT_EQ(rets(a, "chat"), std::vector<std::string>{"1352,231,1692,877"});
    EXPECT_EQ(rets(a, "buraco"), std::vector<std::string>{"1380,320,1664,470"});
    EXPECT_EQ(nos_com(a, "path", "data-ponto", "900,500").size(), 1u);
    EXPECT_TRUE(algum_texto(a, "(escondida)"));
    // A janela andou e o app foi atrás; o buraco anda junto, relativo ao chat.
    const NoXml d = svg_de(ler_arquivo(depois));
    EXPECT_EQ(rets(d, "janela"), std::vector<std::string>{"140,70,1740,1020"});
    EXPECT_EQ(rets(d, "vidrel"), std::vector<std::string>{"1392,251,1732,897"});
    EXPECT_EQ(rets(d, "buraco"), std::vector<std::string>{"1420,340,1704,490"});
    EXPECT_EQ(e.no_rastro("evento", "foto").size(), 2u);
}

TEST(FotoDaArea, OpcaoRuimParaNaPartida) {
    const std::string bom = temporario("opcao.svg").string();
    const std::string pasta_que_nao_existe =
        (fs::temp_directory_path() / "nao_existe_foto" / "x.svg").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> casos = {
        {{"--foto"}, "--foto <valor>: falta o valor"},
        {{"--foto", bom}, "falta o \":\""},
        {{"--foto", "x:" + bom}, "o instante precisa ser de 0 a"},
        {{"--foto", "-1:" + bom}, "o instante precisa ser de 0 a"},
        {{"--foto", " 5:" + bom}, "o instante precisa ser de 0 a"},
        {{"--foto", "10:"}, "falta o arquivo"},
        {{"--foto", "10:" + pasta_que_nao_existe}, "não consegui criar o arquivo"},
        {{"--foto", "99999:" + bom}, "a cena termina antes, em 3000 ms"},
    };
    for (const auto& [args, trecho] : casos) {
        std::vector<std::string> a = {"--janela", "100"};
        a.insert(a.end(), args.begin(), args.end());
        const Execucao e = rodar_programa(twitch_com_dialogo(), a);
        EXPECT_EQ(e.codigo, 2) << args.back();
        EXPECT_NE(e.erro.find(trecho), std::string::npos) << args.back() << ": " << e.erro;
        EXPECT_TRUE(e.saida.empty()) << args.back();
    }
}

TEST(FotoDaArea, AcaoDaCenaEFotoNoInstanteDoFim) {
    const fs::path na_cena = temporario("na_cena.svg");
    const fs::path no_fim = temporario("no_fim.svg");
    const Execucao e = rodar_programa(
        twitch_com_dialogo(R"({"em": 700, "acao": "foto", "arquivo": ")" + na_cena.string() + R"("})"),
        {"--janela", "100", "--foto", "3000:" + no_fim.string()});
    ASSERT_EQ(e.codigo, 0) << e.erro;
    EXPECT_EQ(rets(svg_de(ler_arquivo(na_cena)), "vidrel"), std::vector<std::string>{"1352,231,1692,877"});
    EXPECT_EQ(rets(svg_de(ler_arquivo(no_fim)), "chat"), std::vector<std::string>{"1352,231,1692,877"});

    const Execucao vazio = rodar_programa(twitch_com_dialogo(R"({"em": 700, "acao": "foto", "arquivo": ""})"),
                                          {"--janela", "100"});
    EXPECT_EQ(vazio.codigo, 2);
    EXPECT_NE(vazio.erro.find("o arquivo da foto está vazio"), std::string::npos) << vazio.erro;
}
