// Um app que não responde não pode parar o localizador: com a janela do app
// travada, o batimento segue no seu ritmo e a Vidrel segue o navegador, e as
// chamadas que esperariam pelo app ficam para quando ele voltar.

#include <gtest/gtest.h>

#include "ajuda.hpp"

namespace {

Execucao twitch(const std::string& linha_do_tempo,
                const std::vector<std::string>& args = {"--janela", "100"}) {
    return rodar_linha_do_tempo("twitch_chrome.json", linha_do_tempo, args);
}

// Os batimentos saem na primeira volta 250 ms depois do anterior; as voltas
// são de até 100 ms: nunca mais de 350 ms entre dois.
std::vector<std::int64_t> batimentos(const Execucao& e) {
    std::vector<std::int64_t> t;
    for (const auto& [quando, linha] : e.saidas())
        if (linha == "{\"vivo\":1}") t.push_back(quando);
    return t;
}

}  // namespace

TEST(AppTravado, BatimentoEPosicaoSeguemComOAppSemResponder) {
    // O app trava 5 s; nesse tempo a aba pisca (o observador esconde a
    // Vidrel) e o navegador anda duas vezes.
    const Execucao e = twitch(R"({"em": 1000, "acao": "travar", "janela": 100, "ms": 5000},
        {"em": 1520, "acao": "titulo", "janela": 2001, "titulo": "Google - Google Chrome"},
        {"em": 1530, "acao": "titulo", "janela": 2001, "titulo": "tarsio_ao_vivo - Twitch - Google Chrome"},
        {"em": 2500, "acao": "mover", "janela": 2001, "deslocar": [40, 20]},
        {"em": 4000, "acao": "mover", "janela": 2001, "deslocar": [-40, -20]},
        {"em": 7000, "acao": "fim"})");
    EXPECT_EQ(e.codigo, 0);
    const auto t = batimentos(e);
    ASSERT_GE(t.size(), 20u) << e.saida;
    for (std::size_t i = 1; i < t.size(); ++i)
        EXPECT_LE(t[i] - t[i - 1], 350) << "entre " << t[i - 1] << " e " << t[i];
    EXPECT_NE(e.log_com("título mudou"), "");
    // O alvo andou com o navegador durante a trava, na saída e nos pedidos de
    // posição (que o app só atende quando volta).
    bool publicou_andado = false;
    for (const auto& [quando, linha] : e.saidas())
        if (quando >= 2500 && quando < 2700 && linha.find("\"site\":\"twitch\"") != std::string::npos)
            publicou_andado = true;
    EXPECT_TRUE(publicou_andado) << e.saida;
    int adiados = 0;
    for (const Json& j : e.no_rastro("efeito", "SetWindowPos"))
        if (j["janela"] == 100 && j.value("adiado", false) && j["t"] >= 2500 && j["t"] < 6000) ++adiados;
    EXPECT_GE(adiados, 2);
    // Quando o app volta, os pedidos guardados chegam, na ordem: a Vidrel
    // acaba sobre o chat do navegador que já voltou ao lugar.
    const auto entregues = e.no_rastro("efeito", "entregue");
    ASSERT_GE(entregues.size(), 2u);
    for (const Json& j : entregues) EXPECT_EQ(j["t"], 6000) << j.dump();
    const Json ultima = [&] {
        Json r;
        for (const Json& j : entregues)
            if (j["chamada"] == "SetWindowPos" && j["janela"] == 100) r = j;
        return r;
    }();
    EXPECT_EQ(ultima.value("ret", Json()), Json::parse("[1352, 231, 1692, 877]")) << ultima.dump();
    // Esconder o app também não espera por ele.
    bool escondeu_sem_esperar = false;
    for (const Json& j : e.no_rastro("efeito", "ShowWindowAsync"))
        if (j["janela"] == 100 && j["t"] >= 1520 && j["t"] < 1600) escondeu_sem_esperar = true;
    EXPECT_TRUE(escondeu_sem_esperar);
}

TEST(AppTravado, SoltarEsperaOAppMasNaoSeguraOLocalizador) {
    // Presa ao navegador, o navegador esconde a janela com o app travado: o
    // observador solta a Vidrel (o SetParent espera o app). O navegador volta
    // antes do app: o localizador não espera a vez de prender de novo, segue
    // por cima e batendo.
    const std::string chave = "/tmp/localizador-teste-presa-travada";
    const Execucao e = twitch(R"({"em": 0, "acao": "arquivo", "caminho": ")" + chave + R"(", "existe": true},
        {"em": 1000, "acao": "travar", "janela": 100, "ms": 3000},
        {"em": 1200, "acao": "esconder", "janela": 2001},
        {"em": 1500, "acao": "mostrar", "janela": 2001},
        {"em": 5000, "acao": "arquivo", "caminho": ")" +
                                  chave + R"(", "existe": false},
        {"em": 5500, "acao": "fim"})",
                              {"--janela", "100", "--presa", chave});
    EXPECT_EQ(e.codigo, 0);
    EXPECT_NE(e.log_com("Vidrel presa ao navegador"), "");
    EXPECT_NE(e.log_com("Vidrel solta do navegador (o navegador escondeu a janela)"), "");
    const auto t = batimentos(e);
    ASSERT_GE(t.size(), 15u);
    for (std::size_t i = 1; i < t.size(); ++i)
        EXPECT_LE(t[i] - t[i - 1], 350) << "entre " << t[i - 1] << " e " << t[i];
    // O SetParent de soltar só acontece quando o app volta; enquanto isso a
    // Vidrel foi posta por cima do navegador que voltou.
    for (const Json& j : e.no_rastro("efeito", "SetParent")) {
        if (j["pai"] == 0) {
            EXPECT_GE(j["t"].get<std::int64_t>(), 4000);
        }
    }
    bool por_cima = false;
    for (const Json& j : e.no_rastro("efeito", "SetWindowPos"))
        if (j["janela"] == 100 && j["t"] >= 1500 && j["t"] < 1700) por_cima = true;
    EXPECT_TRUE(por_cima);
}
