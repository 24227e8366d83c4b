// O esquema do protocolo e a conferência que as ajudas fazem em toda saída:
// as linhas que se afastam do documento são recusadas com um motivo legível,
// os exemplos do documento passam, e cada mensagem do esquema tem exemplo.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "conferencia_do_protocolo.hpp"
#include "esquema.hpp"

namespace {

std::string ler(const char* caminho) {
    std::ifstream f(caminho, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// As linhas dos blocos ```jsonl do documento: cada uma é uma mensagem de exemplo.
std::vector<std::string> exemplos_do_documento() {
    std::vector<std::string> r;
    std::istringstream doc(ler(PROTOCOLO_DOC));
    bool dentro = false;
    for (std::string l; std::getline(doc, l);) {
        if (l.rfind("```", 0) == 0) {
            dentro = !dentro && l == "```jsonl";
            continue;
        }
        if (dentro && !l.empty()) r.push_back(l);
    }
    return r;
}

std::string problema(std::string_view linha, std::string_view definicao = "") {
    return conferir_linha_do_protocolo(linha, definicao).value_or("");
}

const std::string kEstado =
    R"({"site":"twitch","canal":"tarsio_ao_vivo","largura":340,"altura":646,"folga":6,"com7tv":false,)"
    R"("pausado":false,"buracos":[[10,20,110,60]],"pagina":[-1244,-100,340,761],)"
    R"("botao":[1604,886,1636,918],"janela":2001,"frente":true,"avista":true})";

std::string trocar(std::string s, const std::string& de, const std::string& para) {
    const auto pos = s.find(de);
    EXPECT_NE(pos, std::string::npos) << de;
    return pos == std::string::npos ? s : s.replace(pos, de.size(), para);
}

}  // namespace

TEST(ProtocoloEsquema, ExemplosDoDocumentoPassamECobremTodasAsMensagens) {
    const std::vector<std::string> exemplos = exemplos_do_documento();
    ASSERT_GE(exemplos.size(), 20u);
    for (const std::string& l : exemplos) EXPECT_EQ(problema(l), "") << l;
    // Cada alternativa da raiz do esquema é uma mensagem: todas precisam de exemplo.
    const EsquemaJson& e = esquema_do_protocolo();
    for (const auto& alt : e.raiz()["oneOf"]) {
        const std::string def = alt["$ref"].get<std::string>();
        int n = 0;
        for (const std::string& l : exemplos) n += e.conferir(JsonOrdenado::parse(l), def) ? 0 : 1;
        EXPECT_GT(n, 0) << "docs/protocolo.md não tem exemplo de " << def;
    }
}

TEST(ProtocoloEsquema, LinhasQueSeAfastamDoDocumentoSaoRecusadasComOMotivo) {
    ASSERT_EQ(problema(kEstado), "");
    const std::vector<std::pair<std::string, std::string>> casos{
        {R"({"arrasto":1})", "/arrasto: esperava \"boolean\""},
        {R"({"vivo":2})", "/vivo: esperava exatamente 1"},
        {R"({"vivo":1,"extra":0})", "chave que o protocolo não tem \"extra\""},
        {R"({"telaCheia":"sim"})", "/telaCheia"},
        {R"({"aviso":""})", "/aviso: texto com menos de 1"},
        {trocar(kEstado, R"("site":"twitch","canal":"tarsio_ao_vivo")",
                R"("canal":"tarsio_ao_vivo","site":"twitch")"),
         "a chave \"site\" veio depois de \"canal\""},
        {trocar(kEstado, R"(,"avista":true)", ""), "falta a chave \"avista\""},
        {trocar(kEstado, "[[10,20,110,60]]", "[[10,20,110]]"), "/buracos/0: lista com 3 elementos"},
        {trocar(kEstado, "[[10,20,110,60]]", "[[10,20,110,60.5]]"), "/buracos/0/3: esperava \"integer\""},
        {trocar(kEstado, R"("largura":340)", R"("largura":340.0)"), "/largura: esperava \"integer\""},
        {trocar(kEstado, R"("largura":340)", R"("largura":0)"), "/largura: 0 abaixo do mínimo 1"},
        {trocar(kEstado, R"("site":"twitch")", R"("site":"youtube")"), "/site: esperava um de"},
        {trocar(kEstado, "tarsio_ao_vivo", "Tarsio"), "/canal"},
        {trocar(kEstado, R"("janela":2001)", R"("janela":9223372036854775808)"), "/janela"},
        {trocar(kEstado, R"("pagina":[-1244,-100,340,761])", R"("pagina":[-1244,-100,340,2147483648])"),
         "/pagina"},
        {R"({"video":[1,2,3,4],"nick":[5,6,7,8],"nickFora":true})", "com a chave \"nickFora\""},
        {R"({"video":[1,2,3,4]})", "falta a chave \"nick\""},
        {R"({"video":[1,2,3,4],"cheia":true,"nick":null})", "a chave \"nick\" veio depois de \"cheia\""},
        {R"({"video":[1,2,3,4],"nick":null,"cheia":false})", "/cheia: esperava exatamente true"},
        {R"({"resgate":"x","canal":"tarsio","extra":1})", "chave que o protocolo não tem"},
        {R"({"resgate":")" + std::string(201, 'a') + R"(","canal":"tarsio"})", "mais de 200 caracteres"},
        {R"({"navegadores":[1,1],"existem":[1]})", "repetidos"},
        {R"({"previa":[1,2,3,4,5]})", "/previa"},
        {R"({"nickAgora":true})", "/nickAgora"},
        // A forma da linha, além do esquema.
        {R"({"vivo": 1})", "forma compacta"},
        {R"({"aviso":"Voc\u00ea"})", "forma compacta"},
        {R"({"arrasto":true,"arrasto":false})", "forma compacta"},
        {"{\"vivo\":1}\r", "\\r"},
        {R"({"vivo":1)", "não é JSON"},
        {"[1,2]", "não é um objeto"},
        {R"({"desconhecida":1})", "nenhuma alternativa serve"},
    };
    for (const auto& [linha, motivo] : casos) {
        const std::string p = problema(linha);
        EXPECT_NE(p.find(motivo), std::string::npos)
            << linha << "\n  motivo esperado: " << motivo << "\n  motivo dado: " << p;
    }
    // Os limites que ainda valem.
    EXPECT_EQ(problema(R"({"resgate":")" + std::string(200, 'a') + R"(","canal":"tarsio"})"), "");
    // O limite conta caracteres, não bytes: 200 "é" são 400 bytes.
    std::string acentos;
    for (int i = 0; i < 200; ++i) acentos += "é";
    EXPECT_EQ(problema(R"({"resgate":")" + acentos + R"(","canal":"tarsio"})"), "");
    EXPECT_NE(problema(R"({"resgate":")" + acentos + R"(é","canal":"tarsio"})"), "");
    EXPECT_EQ(problema(trocar(kEstado, R"("janela":2001)", R"("janela":-9223372036854775808)")), "");
}

TEST(ProtocoloEsquema, CadaModoSoAceitaAsSuasMensagens) {
    EXPECT_EQ(problema(R"({"vivo":1})", "#/$defs/modoHospedado"), "");
    EXPECT_NE(problema(R"({"vivo":1})", "#/$defs/modoNavegadores"), "");
    EXPECT_NE(problema(R"({"vivo":1})", "#/$defs/modoPrototipo"), "");
    EXPECT_EQ(problema(R"({"telaCheia":true})", "#/$defs/modoPrototipo"), "");
    EXPECT_NE(problema(R"({"navegadores":[],"existem":[]})", "#/$defs/modoHospedado"), "");
    EXPECT_EQ(problema(R"({"pecas":[]})", "#/$defs/modoPulso"), "");
    EXPECT_NE(problema(R"({"site":null})", "#/$defs/modoPulso"), "");

    EXPECT_EQ(modo_da_saida({"--janela", "100", "--navegadores"}), ModoDaSaida::navegadores);
    EXPECT_EQ(modo_da_saida({"--janela", "100", "--diagnostico"}), ModoDaSaida::diagnostico);
    EXPECT_EQ(modo_da_saida({"--presa", "x"}), ModoDaSaida::prototipo);

    // A saída inteira: o texto da partida só no protótipo e uma vez; a última
    // linha precisa do "\n"; o diagnóstico não é do protocolo.
    const std::string partida = std::string(LINHA_DO_PROTOTIPO) + "\n";
    EXPECT_TRUE(problemas_da_saida({}, partida + "{\"telaCheia\":true}\n").empty());
    EXPECT_EQ(problemas_da_saida({}, partida + partida).size(), 1u);
    EXPECT_EQ(problemas_da_saida({"--janela", "100"}, partida).size(), 1u);
    EXPECT_EQ(problemas_da_saida({"--janela", "100"}, "{\"vivo\":1}\n{\"vivo\":1}").size(), 1u);
    EXPECT_TRUE(problemas_da_saida({"--diagnostico"}, "relatório livre\n").empty());
    const auto p = problemas_da_saida({"--janela", "100"}, "{\"vivo\":1}\n{\"arrasto\":1}\n");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NE(p[0].find("linha 2"), std::string::npos) << p[0];
}

TEST(ProtocoloEsquema, ValidadorRecusaPalavraChaveQueNaoConhece) {
    EXPECT_THROW(EsquemaJson(JsonOrdenado::parse(R"({"type":"string","format":"email"})")),
                 std::invalid_argument);
    EXPECT_THROW(EsquemaJson(JsonOrdenado::parse(R"({"$ref":"#/$defs/nada"})")), std::invalid_argument);
    EXPECT_THROW(EsquemaJson(JsonOrdenado::parse(R"({"properties":{"a":{"tipo":"string"}}})")),
                 std::invalid_argument);
    EXPECT_NO_THROW(EsquemaJson(JsonOrdenado::parse(R"({"$defs":{"a":{"type":["string","null"]}}})")));
}
