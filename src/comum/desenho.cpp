#include "comum/desenho.hpp"

#include <algorithm>
#include <cstdint>

#include "comum/texto.hpp"

namespace {

constexpr Retangulo kQuadroSemNada{0, 0, 640, 480};
// O lado maior do SVG na tela do visualizador; o viewBox leva a escala.
constexpr std::int64_t kLadoMaximo = 2000;

std::string n(std::int64_t v) { return std::to_string(v); }

// As cores de cada papel. As espessuras são múltiplos de "--l", a espessura
// fina do quadro, para que uma tela de 4K e uma página pequena fiquem iguais.
std::string estilo(std::int64_t fino) {
    const std::string f = n(fino) + "px";
    const std::string g = n(fino * 3) + "px";
    return ".fundo{fill:#ffffff}"
           ".monitor{fill:#fafafa;stroke:#777777;stroke-width:" +
           g + ";stroke-dasharray:" + n(fino * 12) +
           "}"
           ".janela{fill:#e9edf2;fill-opacity:0.85;stroke:#4a5260;stroke-width:" +
           g +
           "}"
           ".pagina{fill:#ffffff;stroke:#2e8b57;stroke-width:" +
           g +
           "}"
           ".elemento{fill:none;stroke:#9a9a9a;stroke-width:" +
           f +
           "}"
           ".chat{fill:#3a7bd5;fill-opacity:0.12;stroke:#1f5fbf;stroke-width:" +
           g +
           "}"
           ".buraco{fill:#e23c3c;fill-opacity:0.28;stroke:#c01818;stroke-width:" +
           g +
           "}"
           ".botao{fill:#ff9800;fill-opacity:0.45;stroke:#c66a00;stroke-width:" +
           g +
           "}"
           ".cartao{fill:#9c3fe0;fill-opacity:0.28;stroke:#7a1fc0;stroke-width:" +
           g +
           "}"
           ".vidrel{fill:none;stroke:#119911;stroke-width:" +
           g + ";stroke-dasharray:" + n(fino * 8) +
           "}"
           ".regiao{fill:#22bb22;fill-opacity:0.22;stroke:none}"
           ".cursor{fill:#111111;stroke:#ffffff;stroke-width:" +
           f +
           "}"
           "text{fill:#1a1a1a;paint-order:stroke;stroke:#ffffff;stroke-width:" +
           g +
           "}"
           ".legenda{stroke:none}";
}

std::string atributos_do_retangulo(const Retangulo& r) {
    return "x=\"" + n(r.esquerda) + "\" y=\"" + n(r.topo) + "\" width=\"" + n(r.largura()) + "\" height=\"" +
           n(r.altura()) + "\"";
}

std::string dados_do_retangulo(const Retangulo& r) {
    return n(r.esquerda) + "," + n(r.topo) + "," + n(r.direita) + "," + n(r.base);
}

// Onde vai o rótulo de cada figura: no canto de cima à esquerda, ou mais
// para baixo quando outro rótulo já está ali; numa figura baixa demais, logo
// acima ou abaixo dela. Nunca passa da borda direita do corte.
class Rotulos {
public:
    Rotulos(std::int64_t letra, const Retangulo& corte) : letra_(letra), corte_(corte) {}

    Ponto lugar(const Retangulo& r, std::string_view texto) {
        const std::int64_t largura = static_cast<std::int64_t>(contar_escalares(texto)) * letra_ * 11 / 20;
        const std::int64_t linha = letra_ * 3 / 2;
        std::vector<std::int64_t> topos;
        if (r.altura() >= linha)
            for (std::int64_t y = r.topo; y + linha <= r.base && topos.size() < 6; y += linha)
                topos.push_back(y);
        else
            topos = {std::int64_t{r.topo} - linha, std::int64_t{r.base}};
        const std::int64_t x = std::max<std::int64_t>(
            corte_.esquerda,
            std::min<std::int64_t>(std::int64_t{r.esquerda} + letra_ / 3, corte_.direita - largura));
        std::int64_t escolhido = topos.front();
        for (const std::int64_t y : topos) {
            const Retangulo caixa{saturar(x), saturar(y), saturar(x + largura), saturar(y + linha)};
            const bool livre = std::none_of(postos_.begin(), postos_.end(), [&](const Retangulo& o) {
                return !intersecao(o, caixa).vazio();
            });
            if (livre) {
                escolhido = y;
                break;
            }
        }
        postos_.push_back({saturar(x), saturar(escolhido), saturar(x + largura), saturar(escolhido + linha)});
        return {saturar(x), saturar(escolhido + letra_ + letra_ / 6)};
    }

private:
    std::int64_t letra_;
    Retangulo corte_;
    std::vector<Retangulo> postos_;
};

// As linhas da legenda quebradas para caber na largura do desenho.
std::vector<std::string> quebrar(const std::vector<std::string>& linhas, std::int64_t largura,
                                 std::int64_t letra) {
    const std::size_t cabem = static_cast<std::size_t>(
        std::max<std::int64_t>(20, largura * 20 / (letra * 11)));
    std::vector<std::string> r;
    for (const std::string& original : linhas) {
        // Já consertado: cada parte tem então os mesmos bytes do pedaço que cobre.
        const std::string linha = utf8_consertado(original);
        std::string_view resto = linha;
        do {
            const std::string parte = primeiros_escalares(resto, cabem);
            r.push_back(parte);
            resto.remove_prefix(std::min(resto.size(), parte.size()));
        } while (!resto.empty() && r.size() < 1000);
    }
    return r;
}

Retangulo quadro_do_desenho(const Desenho& d) {
    if (!d.quadro.vazio()) return d.quadro;
    Retangulo q;
    for (const Figura& f : d.figuras) q = uniao(q, f.ret);
    return q.vazio() ? kQuadroSemNada : q;
}

}  // namespace

const char* nome_do_traco(Traco t) {
    switch (t) {
        case Traco::monitor:
            return "monitor";
        case Traco::janela:
            return "janela";
        case Traco::pagina:
            return "pagina";
        case Traco::elemento:
            return "elemento";
        case Traco::chat:
            return "chat";
        case Traco::buraco:
            return "buraco";
        case Traco::botao:
            return "botao";
        case Traco::cartao:
            return "cartao";
        case Traco::vidrel:
            return "vidrel";
        case Traco::regiao:
            return "regiao";
    }
    return "janela";
}

Retangulo uniao(const Retangulo& a, const Retangulo& b) {
    if (a.vazio()) return b.vazio() ? Retangulo{} : b;
    if (b.vazio()) return a;
    return {std::min(a.esquerda, b.esquerda), std::min(a.topo, b.topo), std::max(a.direita, b.direita),
            std::max(a.base, b.base)};
}

std::string texto_para_xml(std::string_view s) {
    std::string r;
    r.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t c = proximo_escalar(s, pos);
        switch (c) {
            case U'&':
                r += "&amp;";
                continue;
            case U'<':
                r += "&lt;";
                continue;
            case U'>':
                r += "&gt;";
                continue;
            case U'"':
                r += "&quot;";
                continue;
            case U'\'':
                r += "&apos;";
                continue;
            default:
                break;
        }
        // O XML 1.0 não aceita esses nem escapados; as quebras viram branco
        // porque um rótulo é uma linha só.
        if (c == U'\t' || c == U'\n' || c == U'\r') c = U' ';
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) c = 0xFFFD;
        acrescentar_utf8(r, c);
    }
    return r;
}

std::string svg_do_desenho(const Desenho& d) {
    const Retangulo quadro = quadro_do_desenho(d);
    const std::int64_t menor = std::max<std::int64_t>(1, std::min(quadro.largura(), quadro.altura()));
    const std::int64_t letra = std::clamp<std::int64_t>(menor / 60, 10, 400);
    const std::int64_t fino = std::max<std::int64_t>(1, letra / 12);
    const std::int64_t margem = letra;

    // O que é desenhado fica dentro do quadro com a margem: um retângulo de
    // página estranha (um bilhão de pixels) não estica o desenho.
    const Retangulo corte{somar_saturado(quadro.esquerda, -margem), somar_saturado(quadro.topo, -margem),
                          somar_saturado(quadro.direita, margem), somar_saturado(quadro.base, margem)};
    std::vector<std::string> legenda = d.legenda;
    Rotulos rotulos(letra, corte);
    std::string corpo;
    std::size_t elementos_fora = 0;
    for (const Figura& f : d.figuras) {
        const Retangulo r = intersecao(f.ret, corte);
        const std::string nome = f.rotulo.empty() ? std::string()
                                                  : f.rotulo + " " + forma_de_depuracao(f.ret);
        if (r.vazio()) {
            if (nome.empty())
                ++elementos_fora;
            else
                legenda.push_back("fora do quadro ou vazio: " + nome);
            continue;
        }
        const std::string dica = f.dica.empty() ? nome : f.dica;
        corpo += "<rect class=\"" + std::string(nome_do_traco(f.traco)) + "\" " + atributos_do_retangulo(r) +
                 " data-ret=\"" + dados_do_retangulo(f.ret) + "\">";
        if (!dica.empty()) corpo += "<title>" + texto_para_xml(dica) + "</title>";
        corpo += "</rect>\n";
        if (!nome.empty()) {
            const Ponto p = rotulos.lugar(r, nome);
            corpo += "<text x=\"" + n(p.x) + "\" y=\"" + n(p.y) + "\">" + texto_para_xml(nome) + "</text>\n";
        }
    }
    if (elementos_fora)
        legenda.push_back(n(static_cast<std::int64_t>(elementos_fora)) +
                          " elementos fora do quadro ou vazios");
    if (d.cursor) {
        const std::int64_t x = d.cursor->x, y = d.cursor->y, t = letra * 2;
        legenda.push_back("cursor (" + n(x) + ", " + n(y) + ")");
        if (corte.contem(*d.cursor))
            corpo += "<path class=\"cursor\" data-ponto=\"" + n(x) + "," + n(y) + "\" d=\"M" + n(x) + " " +
                     n(y) + " l0 " + n(t) + " l" + n(t * 3 / 10) + " " + n(-t * 3 / 10) + " l" +
                     n(t * 4 / 10) + " " + n(t * 6 / 10) + " l" + n(t / 6) + " " + n(-t / 12) + " l" +
                     n(-t * 4 / 10) + " " + n(-t * 6 / 10) + " l" + n(t * 4 / 10) + " 0 z\"/>\n";
    }

    // A legenda fica embaixo do corte.
    legenda = quebrar(legenda, corte.largura() - letra, letra);
    const std::int64_t linha = letra * 3 / 2;
    const std::int64_t x0 = corte.esquerda, y0 = corte.topo;
    const std::int64_t w = corte.largura();
    const std::int64_t h = corte.altura() + linha * static_cast<std::int64_t>(legenda.size()) +
                           (legenda.empty() ? 0 : letra);
    const std::int64_t maior = std::max(w, h);
    const std::int64_t lw = maior > kLadoMaximo ? std::max<std::int64_t>(1, w * kLadoMaximo / maior) : w;
    const std::int64_t lh = maior > kLadoMaximo ? std::max<std::int64_t>(1, h * kLadoMaximo / maior) : h;

    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n(lw) + "\" height=\"" + n(lh) +
         "\" viewBox=\"" + n(x0) + " " + n(y0) + " " + n(w) + " " + n(h) +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"" + n(letra) + "\" data-quadro=\"" +
         dados_do_retangulo(quadro) + "\">\n";
    s += "<title>" + texto_para_xml(d.titulo) + "</title>\n";
    s += "<style>" + estilo(fino) + "</style>\n";
    s += "<rect class=\"fundo\" x=\"" + n(x0) + "\" y=\"" + n(y0) + "\" width=\"" + n(w) + "\" height=\"" +
         n(h) + "\"/>\n";
    s += corpo;
    for (std::size_t i = 0; i < legenda.size(); ++i)
        s += "<text class=\"legenda\" x=\"" + n(x0 + letra / 2) + "\" y=\"" +
             n(corte.base + letra + linha * static_cast<std::int64_t>(i) + letra / 2) + "\">" +
             texto_para_xml(legenda[i]) + "</text>\n";
    s += "</svg>\n";
    return s;
}
