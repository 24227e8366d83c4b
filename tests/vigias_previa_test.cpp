// A prévia do 7TV, dentro do processo sobre cenas/twitch_7tv_previa.json: o
// vigia volta a volta no relógio virtual, com a página mudada entre as
// voltas, e a thread dele iniciada como a resposta do 7TV a inicia. E o aviso
// da simulação quando um elemento é solto depois do fim do cliente.

#include <gtest/gtest.h>

#include "ajuda.hpp"
#include "apoio/cena_no_processo.hpp"
#include "estado/processo.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/previa.hpp"

using namespace std::chrono_literals;

namespace {

const char* kIcone = R"({"acao": "adicionar", "dentro_de": "bandeja", "elemento":
    {"chave": "icone_da_previa", "tipo": "Image", "classe": "seventv-tray-user-message-icon",
     "ret": [1362, 846, 1380, 876]}})";
const char* kPrevia = R"({"acao": "adicionar", "dentro_de": "bandeja", "elemento":
    {"chave": "previa", "tipo": "Group", "classe": "seventv-tray-user-message", "ret": [1362, 830, 1682, 876]}})";
const char* kSobe = R"({"acao": "elemento", "chave": "previa", "deslocar": [0, -20]})";
const char* kSome = R"({"acao": "remover", "chave": "previa"})";

class Previa : public ComAreaSimulada {
protected:
    void SetUp() override { carregar(ler_cena_de_exemplo("twitch_7tv_previa.json")); }
    void TearDown() override {
        // Uma thread de vigia que ainda estivesse rodando veria a cena seguinte.
        EXPECT_FALSE(processo().previa_em_curso.load());
        ComAreaSimulada::TearDown();
    }
    void evento(const std::string& json) {
        const Json j = Json::parse(json);
        plataforma::simulada::aplicar_evento({0, j["acao"], "ev", j});
    }
    // Uma volta e a espera que vem depois dela.
    bool volta(VigiaDaPrevia& v) {
        const bool segue = v.volta();
        if (segue) plataforma::dormir(300ms);
        return segue;
    }
    std::vector<std::string> linhas() {
        std::vector<std::string> r;
        for (const Json& j : plataforma::simulada::Rastro::global().linhas())
            if (j.contains("saida")) r.push_back(j["saida"]);
        return r;
    }
    std::vector<Json> avisos_uia() {
        std::vector<Json> r;
        for (const Json& j : plataforma::simulada::Rastro::global().linhas())
            if (j.contains("aviso_uia")) r.push_back(j);
        return r;
    }
};

}  // namespace

TEST_F(Previa, ApareceSobeESome) {
    evento(kIcone);
    evento(kPrevia);
    VigiaDaPrevia v(criar_automacao(), 2001);
    EXPECT_TRUE(volta(v));
    EXPECT_TRUE(volta(v));  // parada: nada
    evento(kSobe);
    EXPECT_TRUE(volta(v));
    evento(kSome);
    EXPECT_TRUE(volta(v));   // uma falta só
    EXPECT_FALSE(volta(v));  // a segunda acaba
    // O ícone estreito (18 pixels) nunca vale; a prévia sai 12 pixels mais alta.
    EXPECT_EQ(linhas(), (std::vector<std::string>{"{\"previa\":[1362,818,1682,876]}",
                                                  "{\"previa\":[1362,798,1682,856]}", "{\"previa\":null}"}));
}

TEST_F(Previa, UmaFaltaSoNaoEscreveNada) {
    evento(kPrevia);
    VigiaDaPrevia v(criar_automacao(), 2001);
    EXPECT_TRUE(volta(v));
    evento(kSome);
    EXPECT_TRUE(volta(v));
    evento(kPrevia);  // redesenhada no mesmo lugar
    EXPECT_TRUE(volta(v));
    EXPECT_TRUE(volta(v));
    EXPECT_EQ(linhas(), std::vector<std::string>{"{\"previa\":[1362,818,1682,876]}"});
}

TEST_F(Previa, PequenaDemaisEIgnorada) {
    // 19 de largura e 9 de altura não valem; sem prévia nenhuma o vigia acaba
    // na segunda volta sem escrever.
    evento(R"({"acao": "adicionar", "dentro_de": "bandeja", "elemento":
        {"classe": "seventv-tray-user-message", "ret": [1362, 830, 1381, 876]}})");
    evento(R"({"acao": "adicionar", "dentro_de": "bandeja", "elemento":
        {"classe": "seventv-tray-user-message", "ret": [1362, 830, 1682, 839]}})");
    VigiaDaPrevia v(criar_automacao(), 2001);
    EXPECT_TRUE(volta(v));
    EXPECT_FALSE(volta(v));
    EXPECT_TRUE(linhas().empty());
    // 20 × 10 vale.
    evento(R"({"acao": "adicionar", "dentro_de": "bandeja", "elemento":
        {"classe": "seventv-tray-user-message", "ret": [1362, 830, 1382, 840]}})");
    VigiaDaPrevia outro(criar_automacao(), 2001);
    EXPECT_TRUE(volta(outro));
    EXPECT_EQ(linhas(), std::vector<std::string>{"{\"previa\":[1362,818,1382,840]}"});
}

TEST_F(Previa, ChamadasQueFalhamSaoFaltas) {
    evento(kPrevia);
    VigiaDaPrevia v(criar_automacao(), 2001);
    EXPECT_TRUE(volta(v));
    // Duas faltas separadas por uma volta boa não acabam o vigia.
    evento(R"({"acao": "falhar", "chamada": "ElementFromHandle", "vezes": 1})");
    EXPECT_TRUE(volta(v));
    EXPECT_TRUE(volta(v));
    evento(R"({"acao": "falhar", "chamada": "FindAllBuildCache", "janela": 2001, "vezes": 1})");
    EXPECT_TRUE(volta(v));
    EXPECT_TRUE(volta(v));
    evento(R"({"acao": "falhar", "chamada": "FindAllBuildCache", "janela": 2001, "vezes": 2})");
    EXPECT_TRUE(volta(v));
    EXPECT_FALSE(volta(v));
    EXPECT_EQ(linhas(), (std::vector<std::string>{"{\"previa\":[1362,818,1682,876]}", "{\"previa\":null}"}));
}

TEST_F(Previa, QuinzeMinutosAcabamComNull) {
    evento(kPrevia);
    const plataforma::Instante inicio = plataforma::agora();
    VigiaDaPrevia v(criar_automacao(), 2001);
    int voltas = 0;
    while (volta(v)) ++voltas;
    EXPECT_GE(plataforma::agora() - inicio, 900s);
    EXPECT_LT(plataforma::agora() - inicio, 901s);
    EXPECT_EQ(voltas, 3000);  // uma a cada 300 ms
    EXPECT_EQ(linhas(), (std::vector<std::string>{"{\"previa\":[1362,818,1682,876]}", "{\"previa\":null}"}));
}

TEST_F(Previa, UmVigiaPorVezNaThreadDele) {
    evento(kPrevia);
    iniciar_vigia_da_previa(2001);
    iniciar_vigia_da_previa(2001);  // ignorado: o primeiro ainda roda
    plataforma::dormir(1s);
    EXPECT_TRUE(processo().previa_em_curso.load());
    evento(kSome);
    for (int i = 0; i < 20 && processo().previa_em_curso.load(); ++i) plataforma::dormir(100ms);
    EXPECT_FALSE(processo().previa_em_curso.load());
    EXPECT_EQ(linhas(), (std::vector<std::string>{"{\"previa\":[1362,818,1682,876]}", "{\"previa\":null}"}));
    // Acabado, um pedido novo inicia outro vigia (que sem prévia acaba calado).
    iniciar_vigia_da_previa(2001);
    EXPECT_TRUE(processo().previa_em_curso.load());
    for (int i = 0; i < 20 && processo().previa_em_curso.load(); ++i) plataforma::dormir(100ms);
    EXPECT_FALSE(processo().previa_em_curso.load());
    EXPECT_EQ(linhas().size(), 2u);
    // A thread solta os elementos antes do cliente dela.
    EXPECT_TRUE(avisos_uia().empty());
    // O relógio só anda com todas as threads paradas: depois desta espera a
    // thread do vigia já saiu.
    plataforma::dormir(1s);
}

TEST_F(Previa, ElementoSoltoDepoisDoFimDoClienteApareceNoRastro) {
    std::optional<uia::Elemento> sobra;
    {
        const uia::Automacao a = criar_automacao();
        auto raiz = a.elemento_da_janela(2001);
        ASSERT_TRUE(raiz);
        auto achados = raiz->achar_todos(uia::Escopo::filhos, *a.verdadeira(), *a.pedido({}));
        ASSERT_TRUE(achados && !achados->empty());
        sobra = achados->front();
    }
    EXPECT_TRUE(avisos_uia().empty());
    sobra.reset();
    const auto avisos = avisos_uia();
    ASSERT_EQ(avisos.size(), 1u);
    EXPECT_EQ(avisos[0]["chave"], "barra");
}
