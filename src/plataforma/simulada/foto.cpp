#include "plataforma/simulada/foto.hpp"

#include <mutex>
#include <optional>

#include "comum/texto.hpp"
#include "plataforma/simulada/relogio.hpp"

namespace plataforma::simulada {

namespace {

struct UltimaLinha {
    std::mutex m;
    std::string linha;
};

UltimaLinha& ultima() {
    static UltimaLinha u;
    return u;
}

std::optional<Retangulo> retangulo_da_linha(const Json& v) {
    if (!v.is_array() || v.size() != 4) return std::nullopt;
    std::int32_t n[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (!v[i].is_number_integer()) return std::nullopt;
        n[i] = saturar(v[i].get<std::int64_t>());
    }
    return Retangulo{n[0], n[1], n[2], n[3]};
}

std::string rotulo_da_janela(const JanelaSim& j) {
    return std::to_string(j.hwnd) + " " + j.classe + (j.titulo.empty() ? "" : " \"" + j.titulo + "\"");
}

// O chat da linha de estado fica no canto da janela do app: é lá que o
// programa a pôs. Sem a janela do app à vista, só o botão (que é de tela).
void desenhar_linha_de_estado(Desenho& d, const std::string& linha, const JanelaSim* app) {
    if (linha.empty()) {
        d.legenda.push_back("nenhuma linha de estado até aqui");
        return;
    }
    d.legenda.push_back("última linha de estado: " + primeiros_escalares(linha, 240));
    const Json e = Json::parse(linha, nullptr, false);
    if (!e.is_object() || !e.contains("largura") || !e.contains("altura")) return;
    if (app && e["largura"].is_number_integer() && e["altura"].is_number_integer()) {
        const Retangulo chat{app->ret.esquerda, app->ret.topo,
                             somar_saturado(app->ret.esquerda, e["largura"].get<std::int64_t>()),
                             somar_saturado(app->ret.topo, e["altura"].get<std::int64_t>())};
        d.figuras.push_back({Traco::chat, chat, "chat", {}});
        const Json buracos = e.value("buracos", Json::array());
        int i = 0;
        if (buracos.is_array())
            for (const Json& b : buracos)
                if (const auto r = retangulo_da_linha(b))
                    d.figuras.push_back({Traco::buraco,
                                         deslocar(*r, chat.esquerda, chat.topo),
                                         "buraco " + std::to_string(++i),
                                         {}});
    }
    if (const auto botao = retangulo_da_linha(e.value("botao", Json())))
        d.figuras.push_back({Traco::botao, *botao, "botão", {}});
}

}  // namespace

void ver_linha_da_saida(std::string_view linha) {
    if (linha.substr(0, 8) != "{\"site\":") return;
    UltimaLinha& u = ultima();
    std::lock_guard g(u.m);
    u.linha = std::string(linha);
}

void esquecer_linha_de_estado() {
    UltimaLinha& u = ultima();
    std::lock_guard g(u.m);
    u.linha.clear();
}

Desenho desenho_da_area(AreaDeTrabalho& a, const std::string& linha_de_estado, std::int64_t instante_ms) {
    Desenho d;
    d.titulo = "área de trabalho simulada em " + std::to_string(instante_ms) + " ms";
    d.legenda.push_back(d.titulo);
    for (std::size_t i = 0; i < a.monitores.size(); ++i) {
        const MonitorSim& m = a.monitores[i];
        d.quadro = uniao(d.quadro, m.ret);
        d.figuras.push_back({Traco::monitor,
                             m.ret,
                             "monitor " + std::to_string(i + 1) + ", " + std::to_string(m.dpi) + " DPI",
                             {}});
    }
    // De baixo para cima: a primeira da ordem z é a de cima.
    const JanelaSim* app = nullptr;
    for (auto it = a.ordem_z.rbegin(); it != a.ordem_z.rend(); ++it) {
        const JanelaSim* j = a.achar(*it);
        if (!j) continue;
        const bool do_programa = j->propria || j->posta_pelo_programa;
        // A janela do app no modo hospedado só é movida, nunca mostrada (quem
        // mostra é o app): ela é desenhada escondida mesmo, porque o lugar dela
        // é o que a foto quer mostrar.
        if (j->minimizada || (!j->visivel && !do_programa)) continue;
        if (!do_programa) {
            d.figuras.push_back({Traco::janela, j->ret, rotulo_da_janela(*j), {}});
            continue;
        }
        app = j;
        d.figuras.push_back(
            {Traco::vidrel, j->ret, "app " + rotulo_da_janela(*j) + (j->visivel ? "" : " (escondida)"), {}});
        // A região é relativa ao canto da janela; o que fica de fora dela
        // são os recortes (os buracos que o app abriu).
        if (j->regiao)
            if (const auto r = a.regioes.find(j->regiao); r != a.regioes.end())
                for (const Retangulo& p : r->second)
                    d.figuras.push_back({Traco::regiao,
                                         deslocar(p, j->ret.esquerda, j->ret.topo),
                                         {},
                                         "região da janela do app"});
    }
    if (d.quadro.vazio())
        for (const Hwnd h : a.ordem_z)
            if (const JanelaSim* j = a.achar(h); j && j->visivel && !j->minimizada)
                d.quadro = uniao(d.quadro, j->ret);
    desenhar_linha_de_estado(d, linha_de_estado, app);
    if (a.cursor_visivel) d.cursor = a.cursor;
    return d;
}

bool tirar_foto(const std::string& arquivo) {
    std::string linha;
    {
        UltimaLinha& u = ultima();
        std::lock_guard g(u.m);
        linha = u.linha;
    }
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    Desenho d;
    {
        std::lock_guard g(a.m);
        d = desenho_da_area(a, linha, Relogio::global().agora_ms());
    }
    return gravar_arquivo(arquivo, svg_do_desenho(d));
}

}  // namespace plataforma::simulada
