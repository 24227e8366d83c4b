// As cenas que o leitor recusa para não cair, não estourar a pilha nem a
// memória e não virar o relógio: o programa sai com 2 antes de começar, com
// uma linha só no erro padrão. E a linha do tempo validada com exatidão: o
// que foi fechado ou removido pode voltar, e não pode mais ser citado.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "ajuda.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"

using namespace plataforma::simulada;

namespace {

// O problema que o programa deu para a cena, conferindo a borda: código 2,
// nada na saída, uma linha só no erro, "cena <arquivo>: <problema>".
std::string recusa(const Execucao& e) {
    EXPECT_EQ(e.codigo, 2);
    EXPECT_EQ(e.saida, "");
    const std::vector<std::string> linhas = e.linhas_do_erro();
    EXPECT_EQ(linhas.size(), 1u) << e.erro;
    if (linhas.empty()) return "";
    const std::string& l = linhas[0];
    const std::size_t fim_do_nome = l.find(".json: ");
    if (l.rfind("cena ", 0) != 0 || fim_do_nome == std::string::npos) {
        ADD_FAILURE() << "linha fora do formato: " << l;
        return l;
    }
    return l.substr(fim_do_nome + 7);
}

std::string recusa(const std::string& cena) { return recusa(rodar_programa(cena, {})); }

// O mesmo dentro do processo; vazio quando a cena carrega.
std::string erro_de(const std::string& cena) {
    AreaDeTrabalho a;
    try {
        carregar_cena(cena, a);
    } catch (const ErroDeCena& e) {
        return e.what();
    }
    return "";
}

// Uma cena com as janelas e os eventos dados, e o fim em 1000.
std::string cena_com(const std::string& janelas, const std::string& eventos = "") {
    return R"({"janelas": [)" + janelas + R"(], "linha_do_tempo": [)" + eventos +
           (eventos.empty() ? "" : ", ") + R"({"em": 1000, "acao": "fim"}]})";
}

const char* kJanela7 = R"({"hwnd": 7, "ret": [0, 0, 100, 100],
    "filhas": [{"hwnd": 8, "ret": [0, 0, 50, 50]}],
    "pagina": [{"chave": "lista", "filhos": [{"chave": "a", "filhos": [{"chave": "b"}]}]}]})";

std::string aninhado(const std::string& abre, const std::string& fecha, int n) {
    std::string s;
    s.reserve((abre.size() + fecha.size()) * n);
    for (int i = 0; i < n; ++i) s += abre;
    for (int i = 0; i < n; ++i) s += fecha;
    return s;
}

}  // namespace

TEST(CenaRecusada, NumerosQueNaoCabem) {
    // O que nem um double guarda: a biblioteca de JSON lançaria out_of_range.
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1e400]})")),
              "cena.janelas[0].ret[3]: número grande demais");
    EXPECT_EQ(recusa(R"({"linha_do_tempo": [{"em": )" + std::string(401, '9') + R"(, "acao": "fim"}]})"),
              "cena.linha_do_tempo[0].em: número grande demais");
    // De 2^63 a 2^64 − 1 o JSON guarda sem sinal; lidos com sinal viravam −1.
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 18446744073709551615]})")),
              "cena.janelas[0].ret: inteiro grande demais");
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 9223372036854775808, "ret": [0, 0, 1, 1]})")),
              "cena.janelas[0].hwnd: inteiro grande demais");
    EXPECT_EQ(
        recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1]})",
                        R"({"em": 5, "acao": "titulo", "janela": 18446744073709551615, "titulo": "x"})")),
        "cena.linha_do_tempo[0].janela: inteiro grande demais");
    EXPECT_EQ(recusa(R"({"falhas": [{"chamada": "SetWindowPos", "hresult": 18446744073709551615}],
                         "linha_do_tempo": [{"em": 1, "acao": "fim"}]})"),
              "cena.falhas[0].hresult: inteiro grande demais");
    // Abaixo de −2^63 o JSON já não tem inteiro: vira um número com vírgula.
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": -9223372036854775809, "ret": [0, 0, 1, 1]})")),
              "cena.janelas[0].hwnd: esperava um inteiro");

    // As pontas que cabem continuam valendo, sem dar a volta.
    AreaDeTrabalho a;
    carregar_cena(cena_com(R"({"hwnd": 9223372036854775807, "ret": [-2147483648, 0, 2147483647, 1]},
                              {"hwnd": -9223372036854775808, "ret": [0, 0, 1, 1]})"),
                  a);
    ASSERT_EQ(a.janelas.count(std::numeric_limits<Hwnd>::max()), 1u);
    EXPECT_EQ(a.janelas.count(std::numeric_limits<Hwnd>::min()), 1u);
    EXPECT_EQ(a.janelas[std::numeric_limits<Hwnd>::max()].ret, (Retangulo{-2147483648, 0, 2147483647, 1}));
}

TEST(CenaRecusada, InstantesDepoisDeDezDias) {
    // 10^13 ms em nanossegundos passa dos 64 bits: o evento rodava em t = 0.
    EXPECT_EQ(recusa(R"({"linha_do_tempo": [{"em": 10000000000000, "acao": "fim", "codigo": 3}]})"),
              "cena.linha_do_tempo[0].em: instante depois do limite de 864000000 ms (10 dias)");
    EXPECT_EQ(erro_de(R"({"linha_do_tempo": [{"em": 864000001, "acao": "fim"}]})"),
              "cena.linha_do_tempo[0].em: instante depois do limite de 864000000 ms (10 dias)");
    EXPECT_EQ(erro_de(R"({"linha_do_tempo": [{"em": 864000000, "acao": "fim"}]})"), "");
    // A soltura de um "travar" com "ms" também é um instante da linha do tempo.
    EXPECT_EQ(recusa(cena_minima(100, R"({"em": 10, "acao": "travar", "janela": 100, "ms": 863999991})")),
              "cena.linha_do_tempo[0].ms: a trava acabaria depois do limite de 864000000 ms (10 dias)");
    EXPECT_EQ(erro_de(cena_minima(100, R"({"em": 10, "acao": "travar", "janela": 100, "ms": 863999990})")),
              "");
    EXPECT_EQ(erro_de(cena_minima(
                  100, R"({"em": 10, "acao": "travar", "janela": 100, "ms": 18446744073709551615})")),
              "cena.linha_do_tempo[0].ms: inteiro grande demais");
}

TEST(CenaRecusada, JsonFundoDemais) {
    // Antes a leitura seguia até o fim e as recursões de depois estouravam a pilha.
    EXPECT_EQ(recusa(aninhado("[", "]", 100000)),
              "cena[0][0][0][0][0][0]…[0][0][0][0][0][0]: mais de 200 níveis de listas e objetos uns dentro "
              "dos outros");
    EXPECT_EQ(
        recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [)" +
                        aninhado(R"({"filhos": [)", "]}", 10000) + "]}")),
        "cena.janelas[0].pagina[0].filhos[0]….filhos[0].filhos[0].filhos[0]: mais de 200 níveis de listas e "
        "objetos uns dentro dos outros");
    // Dentro do processo também: com os sanitizadores, o LeakSanitizer olha a
    // árvore largada no meio da leitura.
    EXPECT_NE(erro_de(aninhado("{\"a\": [", "]}", 100000)).find("mais de 200 níveis"), std::string::npos);
    EXPECT_NE(erro_de(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [)" +
                               aninhado(R"({"filhos": [)", "]}", 10000) + "]}"))
                  .find("mais de 200 níveis"),
              std::string::npos);
    // O objeto do topo é o nível 1: 199 listas dentro dele ainda cabem.
    EXPECT_EQ(erro_de(R"({"descricao": )" + aninhado("[", "]", 199) + "}"),
              "cena.descricao: esperava um texto");
    EXPECT_EQ(erro_de(R"({"descricao": )" + aninhado("[", "]", 200) + "}"),
              "cena.descricao[0][0][0][0][0]…[0][0][0][0][0][0]: mais de 200 níveis de listas e objetos uns "
              "dentro dos outros");
    // Uma página que chega ao limite carrega inteira: 98 elementos, um
    // dentro do outro, e a lista vazia de filhos do último no nível 200.
    const std::string pagina = R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [)";
    AreaDeTrabalho a;
    carregar_cena(cena_com(pagina + aninhado(R"({"filhos": [)", "]}", 98) + "]}"), a);
    int niveis = 0;
    for (ElementoPtr e = a.janelas[1].arvore.at(0); e; e = e->filhos.empty() ? nullptr : e->filhos[0])
        ++niveis;
    EXPECT_EQ(niveis, 98);
    EXPECT_NE(erro_de(cena_com(pagina + aninhado(R"({"filhos": [)", "]}", 99) + "]}")), "");
}

TEST(CenaRecusada, CamposRepetidosOuDemais) {
    // Com campos repetidos valia o último, calado.
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "hwnd": 2})")),
              "cena.janelas[0]: campo repetido \"hwnd\"");
    std::string muitos = R"({"hwnd": 1, "ret": [0, 0, 1, 1])";
    for (int i = 0; i < 62; ++i) muitos += ", \"x" + std::to_string(i) + "\": 0";
    EXPECT_EQ(erro_de(cena_com(muitos + "}")), "cena.janelas[0]: campo desconhecido \"x0\"");
    EXPECT_EQ(recusa(cena_com(muitos + R"(, "x62": 0})")), "cena.janelas[0]: mais de 64 campos num objeto");
}

TEST(CenaRecusada, TextoDoArquivoNumaLinhaSo) {
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "ti\ntulo": "x"})")),
              R"(cena.janelas[0]: campo desconhecido "ti\ntulo")");
    EXPECT_EQ(recusa(cena_com(
                  R"({"hwnd": 1, "ret": [0, 0, 1, 1], "\r\t\u001b[2J\u0000\u007f\u0085\u2028\"\\": 1})")),
              R"(cena.janelas[0]: campo desconhecido "\r\t\u001b[2J\u0000\u007f\u0085\u2028\"\\")");
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1]})",
                              R"({"em": 5, "acao": "focar", "chave": "a\nb"})")),
              R"(cena.linha_do_tempo[0].chave: chave "a\nb" não existe na cena)");
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [{"tipo": "Bot\nao"}]})")),
              R"(cena.janelas[0].pagina[0].tipo: tipo de controle desconhecido "Bot\nao")");
    // Um campo repetido ou fundo demais traz o nome do campo no caminho.
    EXPECT_EQ(recusa(R"({"a\nb": {"c": 1, "c": 2}})"), R"(cena.a\nb: campo repetido "c")");
    // O nome do arquivo também.
    const Execucao e = rodar_programa_com_arquivo("nao\nexiste.json", {});
    EXPECT_EQ(e.codigo, 2);
    ASSERT_EQ(e.linhas_do_erro().size(), 1u) << e.erro;
    EXPECT_NE(e.erro.find("nao\\nexiste.json: não consegui abrir o arquivo\n"), std::string::npos) << e.erro;
}

TEST(CenaRecusada, RepeticoesEElementosDemais) {
    // 188 bytes que pediam mais de 4 GB.
    const std::string multiplica =
        R"({"janelas":[{"hwnd":1,"ret":[0,0,1,1],"pagina":[{"repetir":10000,"elemento":{"repetir":10000,)"
        R"("elemento":{}}}]}],"linha_do_tempo":[{"em":1,"acao":"fim"}]})";
    EXPECT_EQ(
        recusa(multiplica),
        "cena.janelas[0].pagina[0].elemento.repetir: repetições umas dentro das outras dariam 100000000 "
        "cópias (o limite é 100000)");
    // Sem elemento nenhum no fundo, as cópias ainda custariam o tempo todo.
    EXPECT_EQ(
        erro_de(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [{"repetir": 400, "elemento":
        {"repetir": 400, "elemento": {"repetir": 0, "elemento": {}}}}]})")),
        "cena.janelas[0].pagina[0].elemento.repetir: repetições umas dentro das outras dariam 160000 cópias "
        "(o limite é 100000)");
    // Irmãs não multiplicam, somam: o limite é o de elementos.
    std::string irmas;
    for (int i = 0; i < 11; ++i)
        irmas += std::string(i ? ", " : "") + R"({"repetir": 10000, "elemento": {}})";
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [)" + irmas + "]}")),
              "cena.janelas[0].pagina[10].elemento: a cena passaria de 100000 elementos");
    // Os que a linha do tempo acrescenta contam também.
    EXPECT_EQ(erro_de(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [{"repetir": 10000, "elemento":
        {"repetir": 10, "elemento": {}}}]})",
                               R"({"em": 5, "acao": "adicionar", "janela": 1, "elemento": {}})")),
              "cena.linha_do_tempo[0].elemento: a cena passaria de 100000 elementos");
    // Poucas cópias de um modelo enorme.
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [{"repetir": 100, "elemento":
        {"nome": ")" + std::string(1 << 20, 'x') +
                              R"("}}]})")),
              "cena.janelas[0].pagina[0].repetir: as cópias das repetições passariam de 64 MiB");

    // Dentro dos limites, tudo é montado.
    AreaDeTrabalho a;
    carregar_cena(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "pagina": [{"repetir": 300, "elemento":
        {"repetir": 300, "elemento": {"nome": "{n}"}}}]})"),
                  a);
    ASSERT_EQ(a.janelas[1].arvore.size(), 90000u);
    EXPECT_EQ(a.janelas[1].arvore.back()->nome, "300");
}

TEST(CenaRecusada, ArquivoEJanelasDemais) {
    std::string grande = cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1]})");
    grande.insert(1, 9 * 1024 * 1024, ' ');
    EXPECT_EQ(recusa(grande), "arquivo com mais de 8 MiB");
    std::string janelas;
    for (int i = 1; i <= 10001; ++i)
        janelas += (i > 1 ? ", " : "") + std::string(R"({"hwnd": )") + std::to_string(i) +
                   R"(, "ret": [0, 0, 1, 1]})";
    EXPECT_EQ(recusa(cena_com(janelas)), "cena.janelas[10000]: a cena passaria de 10000 janelas");
    std::string retangulos;
    for (int i = 0; i < 1001; ++i) retangulos += (i > 0 ? ", " : "") + std::string("[0, 0, 1, 1]");
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "regiao": [)" + retangulos + "]}")),
              "cena.janelas[0].regiao: a região passa de 1000 retângulos");
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "regiao": [[0, 0, 1]]})")),
              "cena.janelas[0].regiao[0]: esperava 4 inteiros [esquerda, topo, direita, base]");
}

TEST(CenaRecusada, DonosEmCiclo) {
    // A árvore de UI Automation põe a possuída debaixo da dona: com um ciclo,
    // quem anda nela não acaba nunca.
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "dono": 1})")),
              "cena.janelas[0].dono: a janela 1 é dona de si mesma");
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "dono": 2},
                                 {"hwnd": 2, "ret": [0, 0, 1, 1], "dono": 3},
                                 {"hwnd": 3, "ret": [0, 0, 1, 1], "dono": 1})")),
              "cena.janelas[0].dono: donos em ciclo: 1 → 2 → 3 → 1");
    // A 1 só leva ao ciclo; quem está nele é a 2.
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "dono": 2},
                                 {"hwnd": 2, "ret": [0, 0, 1, 1], "dono": 3,
                                  "filhas": [{"hwnd": 3, "ret": [0, 0, 1, 1], "dono": 2}]})")),
              "cena.janelas[1].dono: donos em ciclo: 2 → 3 → 2");
    EXPECT_EQ(recusa(cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1], "dono": 7})")),
              "janela 1: dono 7 não existe");

    // As janelas abertas pela linha do tempo também.
    EXPECT_EQ(
        recusa(cena_com(kJanela7, R"({"em": 5, "acao": "abrir", "janela": {"hwnd": 9, "ret": [0, 0, 1, 1],
                                           "dono": 9}})")),
        "cena.linha_do_tempo[0].janela.dono: a janela 9 é dona de si mesma");
    EXPECT_EQ(
        recusa(cena_com(kJanela7, R"({"em": 5, "acao": "abrir", "janela": {"hwnd": 9, "ret": [0, 0, 1, 1],
                                           "dono": 5}})")),
        "cena.linha_do_tempo[0].janela.dono: janela 5 não existe na cena");
    // A 9 continua com a 7 de dona depois que a 7 fecha; a 7 reaberta como
    // possuída da 9 fecharia o ciclo.
    EXPECT_EQ(
        recusa(cena_com(kJanela7, R"({"em": 5, "acao": "abrir", "janela": {"hwnd": 9, "ret": [0, 0, 1, 1],
                                             "dono": 7}},
                                           {"em": 6, "acao": "fechar", "janela": 7},
                                           {"em": 7, "acao": "abrir", "janela": {"hwnd": 7, "ret": [0, 0, 1, 1],
                                             "dono": 9}})")),
        "cena.linha_do_tempo[2].janela.dono: donos em ciclo: 7 → 9 → 7");
    EXPECT_EQ(
        erro_de(cena_com(kJanela7, R"({"em": 5, "acao": "abrir", "janela": {"hwnd": 9, "ret": [0, 0, 1, 1],
                                             "dono": 7}})")),
        "");
}

TEST(LinhaDoTempoExata, OQueFechouOuSaiuPodeVoltar) {
    // A 7 fecha e volta com o mesmo handle e a mesma chave de antes; "b", de
    // dentro do "a" removido, é acrescentada de novo.
    const Execucao e = rodar_programa(cena_com(kJanela7, R"({"em": 10, "acao": "fechar", "janela": 7},
            {"em": 20, "acao": "abrir", "janela": {"hwnd": 7, "ret": [0, 0, 5, 5], "pagina": [{"chave": "a"}]}},
            {"em": 30, "acao": "titulo", "janela": 7, "titulo": "de volta"},
            {"em": 40, "acao": "focar", "chave": "a"},
            {"em": 50, "acao": "adicionar", "janela": 7, "elemento": {"chave": "lista"}},
            {"em": 60, "acao": "remover", "chave": "a"},
            {"em": 70, "acao": "adicionar", "dentro_de": "lista", "elemento": {"chave": "b"}},
            {"em": 80, "acao": "elemento", "chave": "b", "nome": "de novo"})"),
                                      {});
    EXPECT_EQ(e.codigo, 0) << e.erro;
    const std::vector<Json> eventos = e.no_rastro("evento", "titulo");
    ASSERT_EQ(eventos.size(), 1u);
    EXPECT_EQ(eventos[0]["t"], 30);
    EXPECT_FALSE(eventos[0].contains("ignorado"));
    EXPECT_EQ(e.no_rastro("evento", "elemento").size(), 1u);
}

TEST(LinhaDoTempoExata, OQueFechouOuSaiuNaoPodeSerCitado) {
    // A filha vai com a mãe, e as chaves das duas páginas também.
    EXPECT_EQ(recusa(cena_com(kJanela7, R"({"em": 10, "acao": "fechar", "janela": 7},
                                           {"em": 20, "acao": "mover", "janela": 8, "deslocar": [1, 1]})")),
              "cena.linha_do_tempo[1].janela: janela 8 não existe na cena");
    EXPECT_EQ(
        recusa(cena_com(kJanela7, R"({"em": 10, "acao": "adicionar", "janela": 8, "elemento": {"chave": "c"}},
                                           {"em": 20, "acao": "fechar", "janela": 7},
                                           {"em": 30, "acao": "focar", "chave": "c"})")),
        "cena.linha_do_tempo[2].chave: chave \"c\" não existe na cena");
    // O que estava dentro do removido sai com ele.
    EXPECT_EQ(recusa(cena_com(kJanela7, R"({"em": 10, "acao": "remover", "chave": "a"},
                                           {"em": 20, "acao": "elemento", "chave": "b", "nome": "x"})")),
              "cena.linha_do_tempo[1].chave: chave \"b\" não existe na cena");
    // A ordem é a dos instantes, não a do arquivo.
    EXPECT_EQ(recusa(cena_com(kJanela7, R"({"em": 20, "acao": "adicionar", "dentro_de": "b", "elemento": {}},
                                           {"em": 10, "acao": "remover", "chave": "lista"})")),
              "cena.linha_do_tempo[0].dentro_de: chave \"b\" não existe na cena");
    // O que ainda existe não pode ser criado de novo.
    EXPECT_EQ(recusa(cena_com(kJanela7,
                              R"({"em": 10, "acao": "adicionar", "janela": 7, "elemento": {"chave": "b"}})")),
              "cena.linha_do_tempo[0]: chave de elemento repetida \"b\"");
    EXPECT_EQ(
        recusa(cena_com(kJanela7, R"({"em": 10, "acao": "abrir", "janela": {"hwnd": 5, "ret": [0, 0, 1, 1],
                                             "filhas": [{"hwnd": 8, "ret": [0, 0, 1, 1]}]}})")),
        "cena.linha_do_tempo[0].janela.filhas[0].hwnd: handle repetido 8");
}

TEST(LinhaDoTempoExata, ElementosUnsDentroDosOutrosTemLimite) {
    // Cada "adicionar" dentro do anterior: 100 níveis cabem, 101 não.
    auto cadeia = [](int n) {
        std::string ev = R"({"em": 5, "acao": "adicionar", "janela": 1, "elemento": {"chave": "e1"}})";
        for (int i = 2; i <= n; ++i)
            ev += R"(, {"em": 5, "acao": "adicionar", "dentro_de": "e)" + std::to_string(i - 1) +
                  R"(", "elemento": {"chave": "e)" + std::to_string(i) + R"("}})";
        return cena_com(R"({"hwnd": 1, "ret": [0, 0, 1, 1]})", ev);
    };
    EXPECT_EQ(erro_de(cadeia(100)), "");
    EXPECT_EQ(
        recusa(cadeia(101)),
        "cena.linha_do_tempo[100].elemento: o elemento ficaria a mais de 100 níveis de elementos uns dentro "
        "dos outros");
}

TEST(LinhaDoTempoExata, TravarComMsSoltaSozinho) {
    const Execucao e = rodar_programa(
        cena_minima(200, R"({"em": 10, "acao": "travar", "janela": 100, "ms": 50})"), {});
    EXPECT_EQ(e.codigo, 0) << e.erro;
    const std::vector<Json> travas = e.no_rastro("evento", "travar");
    const std::vector<Json> solturas = e.no_rastro("evento", "destravar");
    ASSERT_EQ(travas.size(), 1u);
    ASSERT_EQ(solturas.size(), 1u);
    EXPECT_EQ(travas[0]["t"], 10);
    EXPECT_EQ(solturas[0]["t"], 60);
    EXPECT_EQ(solturas[0]["janela"], 100);

    EXPECT_EQ(erro_de(cena_minima(200, R"({"em": 10, "acao": "travar", "janela": 100, "ms": -1})")),
              "cena.linha_do_tempo[0].ms: não pode ser negativo");
    EXPECT_EQ(erro_de(cena_minima(200, R"({"em": 10, "acao": "destravar", "janela": 100, "ms": 5})")),
              "cena.linha_do_tempo[0]: campo desconhecido \"ms\"");
    // A soltura é conferida no seu instante: a janela já fechou.
    EXPECT_EQ(erro_de(cena_minima(200, R"({"em": 10, "acao": "travar", "janela": 100, "ms": 50},
                                          {"em": 20, "acao": "fechar", "janela": 100})")),
              "cena.linha_do_tempo[0].janela: janela 100 não existe na cena");
}
