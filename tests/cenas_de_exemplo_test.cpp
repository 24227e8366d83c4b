// As cenas de exemplo de cenas/: em cada uma o navegador é achado e o chat
// localizado onde a página o desenha, a 100 % e a 150 %.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ajuda.hpp"
#include "localizador/chat.hpp"
#include "localizador/descoberta.hpp"
#include "plataforma/simulada/cena.hpp"

namespace {

std::string ler(const std::string& arquivo) {
    std::ifstream f(std::string(CENAS_DIR) + "/" + arquivo);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

struct Esperado {
    const char* arquivo;
    Hwnd janela;
    Site site;
    Retangulo chat;
    std::int32_t folga;
    const char* canal;
};

void PrintTo(const Esperado& e, std::ostream* os) { *os << e.arquivo; }

class CenaDeExemplo : public ComAreaSimulada, public ::testing::WithParamInterface<Esperado> {};

}  // namespace

TEST_P(CenaDeExemplo, AchaONavegadorEOChat) {
    const Esperado& e = GetParam();
    carregar(ler(e.arquivo));
    const auto live = achar_janela_de_live();
    ASSERT_TRUE(live);
    EXPECT_EQ(live->janela, e.janela);
    EXPECT_EQ(live->site, e.site);
    auto a = criar_automacao();
    MemoriaDoChat memoria;
    const auto l = localizar_chat(a, *live, memoria);
    ASSERT_TRUE(l.ok()) << l.erro().texto();
    ASSERT_TRUE(l->chat);
    EXPECT_EQ(l->ret_chat, e.chat);
    EXPECT_EQ(l->folga, e.folga);
    EXPECT_EQ(l->canal, std::optional<std::string>(e.canal));
    const Releitura r = reler_chat(a, *l);
    EXPECT_EQ(r.estado, Releitura::Estado::ok) << r.motivo;
    EXPECT_EQ(r.chat, e.chat);
}

INSTANTIATE_TEST_SUITE_P(
    Cenas, CenaDeExemplo,
    ::testing::Values(
        Esperado{"padrao.json", 2001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"twitch_chrome.json", 2001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"twitch_chrome_150.json", 2001, Site::Twitch, {2028, 347, 2538, 1316}, 9, "tarsio_ao_vivo"},
        Esperado{"twitch_7tv.json", 2001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"kick_edge.json", 3001, Site::Kick, {1352, 214, 1692, 868}, 52, "tarsio"},
        Esperado{"kick_edge_150.json", 3001, Site::Kick, {2028, 321, 2538, 1302}, 78, "tarsio"},
        Esperado{"opera.json", 4001, Site::Twitch, {1352, 231, 1692, 877}, 6, "tarsio_ao_vivo"},
        Esperado{"dois_navegadores.json", 3001, Site::Kick, {1352, 214, 1692, 868}, 52, "tarsio"}),
    [](const auto& info) {
        std::string n = info.param.arquivo;
        n = n.substr(0, n.find('.'));
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return n;
    });

class CenaDeExemplo7tv : public ComAreaSimulada {};

TEST_F(CenaDeExemplo7tv, AFolgaSegueOUltimoFilhoDaLista) {
    carregar(ler("twitch_7tv.json"));
    auto a = criar_automacao();
    MemoriaDoChat memoria;
    const auto l = localizar_chat(a, *achar_janela_de_live(), memoria);
    ASSERT_TRUE(l.ok());
    EXPECT_TRUE(l->com7tv);
    ASSERT_TRUE(l->lista_7tv);
    EXPECT_EQ(reler_chat(a, *l).folga, 6);
    plataforma::simulada::aplicar_evento(
        {1000, "adicionar", "ev", Json::parse(R"({"em": 1000, "acao": "adicionar",
        "dentro_de": "lista_7tv", "elemento": {"classe": "seventv-message", "ret": [1362, 841, 1682, 875]}})")});
    EXPECT_EQ(reler_chat(a, *l).folga, 2);
}
