#include "plataforma/simulada/cena.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <utility>

#include "comum/texto.hpp"
#include "plataforma/simulada/console.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::simulada {

namespace {

// Lê um objeto JSON da cena campo a campo, com o caminho para as mensagens,
// e recusa campos que ninguém leu (um erro de digitação não passa calado).
class Leitor {
public:
    Leitor(const Json& j, std::string caminho) : j_(j), caminho_(std::move(caminho)) {
        if (!j_.is_object()) erro("esperava um objeto");
    }

    const std::string& caminho() const { return caminho_; }
    std::string de(const std::string& campo) const { return caminho_ + "." + campo; }

    [[noreturn]] void erro(const std::string& problema) const {
        throw ErroDeCena(caminho_ + ": " + problema);
    }
    [[noreturn]] static void erro_em(const std::string& caminho, const std::string& problema) {
        throw ErroDeCena(caminho + ": " + problema);
    }

    bool tem(const std::string& campo) {
        lidos_.insert(campo);
        return j_.contains(campo);
    }

    const Json& bruto(const std::string& campo) {
        lidos_.insert(campo);
        if (!j_.contains(campo)) erro("falta o campo \"" + campo + "\"");
        return j_.at(campo);
    }

    std::int64_t inteiro(const std::string& campo) { return como_inteiro(bruto(campo), de(campo)); }
    std::int64_t inteiro(const std::string& campo, std::int64_t padrao) {
        return tem(campo) ? inteiro(campo) : padrao;
    }
    std::int32_t inteiro32(const std::string& campo, std::int32_t padrao) {
        const std::int64_t v = inteiro(campo, padrao);
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            erro_em(de(campo), "fora da faixa de 32 bits");
        return static_cast<std::int32_t>(v);
    }
    std::uint32_t natural32(const std::string& campo, std::uint32_t padrao) {
        const std::int64_t v = inteiro(campo, padrao);
        if (v < 0 || v > std::numeric_limits<std::uint32_t>::max())
            erro_em(de(campo), "esperava um inteiro entre 0 e 4294967295");
        return static_cast<std::uint32_t>(v);
    }

    std::string texto(const std::string& campo) {
        const Json& v = bruto(campo);
        if (!v.is_string()) erro_em(de(campo), "esperava um texto");
        const std::string s = v.get<std::string>();
        if (!utf8_valido(s)) erro_em(de(campo), "texto que não é UTF-8 válido");
        return s;
    }
    std::string texto(const std::string& campo, const std::string& padrao) {
        return tem(campo) ? texto(campo) : padrao;
    }

    bool logico(const std::string& campo, bool padrao) {
        if (!tem(campo)) return padrao;
        const Json& v = bruto(campo);
        if (!v.is_boolean()) erro_em(de(campo), "esperava true ou false");
        return v.get<bool>();
    }

    Retangulo retangulo(const std::string& campo) { return como_retangulo(bruto(campo), de(campo)); }

    Ponto ponto(const std::string& campo) {
        const Json& v = bruto(campo);
        if (!v.is_array() || v.size() != 2) erro_em(de(campo), "esperava 2 inteiros [x, y]");
        return {como_32(v[0], de(campo) + "[0]"), como_32(v[1], de(campo) + "[1]")};
    }

    const Json& lista(const std::string& campo) {
        const Json& v = bruto(campo);
        if (!v.is_array()) erro_em(de(campo), "esperava uma lista");
        return v;
    }

    void fim() const {
        for (auto it = j_.begin(); it != j_.end(); ++it)
            if (!lidos_.count(it.key())) erro("campo desconhecido \"" + it.key() + "\"");
    }

    static std::int64_t como_inteiro(const Json& v, const std::string& caminho) {
        if (v.is_number_integer()) return v.get<std::int64_t>();
        if (v.is_number_unsigned()) {
            const auto u = v.get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
                erro_em(caminho, "inteiro grande demais");
            return static_cast<std::int64_t>(u);
        }
        erro_em(caminho, "esperava um inteiro");
    }

    static std::int32_t como_32(const Json& v, const std::string& caminho) {
        const std::int64_t x = como_inteiro(v, caminho);
        if (x < std::numeric_limits<std::int32_t>::min() || x > std::numeric_limits<std::int32_t>::max())
            erro_em(caminho, "fora da faixa de 32 bits");
        return static_cast<std::int32_t>(x);
    }

    static Retangulo como_retangulo(const Json& v, const std::string& caminho) {
        if (!v.is_array() || v.size() != 4)
            erro_em(caminho, "esperava 4 inteiros [esquerda, topo, direita, base]");
        return {como_32(v[0], caminho), como_32(v[1], caminho), como_32(v[2], caminho),
                como_32(v[3], caminho)};
    }

private:
    const Json& j_;
    std::string caminho_;
    std::set<std::string> lidos_;
};

std::string indice(const std::string& caminho, std::size_t i) {
    return caminho + "[" + std::to_string(i) + "]";
}

// Troca "{n}" pelo número da repetição em todos os textos do elemento; uma
// repetição de dentro guarda o seu "{n}" para si.
void numerar(Json& j, int n) {
    if (j.is_object() && j.contains("repetir")) return;
    if (j.is_string()) {
        std::string s = j.get<std::string>();
        for (std::size_t p; (p = s.find("{n}")) != std::string::npos;) s.replace(p, 3, std::to_string(n));
        j = s;
    } else if (j.is_object() || j.is_array()) {
        for (auto& filho : j) numerar(filho, n);
    }
}

int codigo_de_tecla(const Json& v, const std::string& caminho) {
    if (v.is_string()) {
        const std::string s = v.get<std::string>();
        if (s == "botao_esquerdo") return 0x01;
        if (s == "botao_direito") return 0x02;
        if (s == "enter") return 0x0D;
        if (s == "esc") return 0x1B;
        Leitor::erro_em(caminho, "tecla desconhecida \"" + s +
                                     "\" (botao_esquerdo, botao_direito, enter, esc ou um código)");
    }
    const std::int64_t c = Leitor::como_inteiro(v, caminho);
    if (c < 1 || c > 254) Leitor::erro_em(caminho, "código de tecla fora de 1..254");
    return static_cast<int>(c);
}

std::int32_t ler_hresult(const Json& v, const std::string& caminho) {
    if (v.is_string()) {
        const std::string s = v.get<std::string>();
        if (s.size() > 2 && s.size() <= 10 && (s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0) &&
            s.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos)
            return static_cast<std::int32_t>(std::stoul(s.substr(2), nullptr, 16));
        Leitor::erro_em(caminho, "esperava um HRESULT como \"0x80040201\"");
    }
    const std::int64_t x = Leitor::como_inteiro(v, caminho);
    if (x < std::numeric_limits<std::int32_t>::min() || x > 0xFFFFFFFFll)
        Leitor::erro_em(caminho, "HRESULT fora de 32 bits");
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(x));
}

// Montagem dos objetos da cena sobre a área (com a trava dela tomada).
class Montador {
public:
    explicit Montador(AreaDeTrabalho& a) : a_(a) {}

    // Lê um item da lista de elementos: um elemento ou uma repetição dele.
    void elementos(const Json& j, const std::string& caminho, std::vector<ElementoPtr>& destino,
                   const std::weak_ptr<ElementoSim>& pai) {
        if (j.is_object() && j.contains("repetir")) {
            Leitor l(j, caminho);
            const std::int64_t n = l.inteiro("repetir");
            if (n < 0 || n > 10000) Leitor::erro_em(l.de("repetir"), "esperava 0 a 10000");
            const Ponto passo = l.tem("passo") ? l.ponto("passo") : Ponto{0, 0};
            const Json& modelo = l.bruto("elemento");
            l.fim();
            for (int i = 1; i <= n; ++i) {
                Json copia = modelo;
                numerar(copia, i);
                const std::size_t antes = destino.size();
                elementos(copia, l.de("elemento"), destino, pai);
                for (std::size_t k = antes; k < destino.size(); ++k) {
                    std::vector<ElementoPtr> um{destino[k]};
                    a_.deslocar_elementos(um, std::int64_t{passo.x} * (i - 1),
                                          std::int64_t{passo.y} * (i - 1));
                }
            }
            return;
        }
        Leitor l(j, caminho);
        ElementoPtr e = a_.novo_elemento();
        e->pai = pai;
        e->chave = l.texto("chave", "");
        if (l.tem("tipo")) {
            const Json& t = l.bruto("tipo");
            if (t.is_string()) {
                const auto tipo = tipo_de_controle(t.get<std::string>());
                if (!tipo)
                    Leitor::erro_em(l.de("tipo"),
                                    "tipo de controle desconhecido \"" + t.get<std::string>() + "\"");
                e->tipo = *tipo;
            } else {
                e->tipo = l.inteiro32("tipo", 50026);
            }
        }
        campos(l, *e);
        if (l.tem("filhos")) {
            const Json& filhos = l.lista("filhos");
            for (std::size_t i = 0; i < filhos.size(); ++i)
                elementos(filhos[i], indice(l.de("filhos"), i), e->filhos, e);
        }
        l.fim();
        destino.push_back(e);
    }

    // Os campos que um evento "elemento" também pode mudar.
    static void campos(Leitor& l, ElementoSim& e) {
        e.papel = l.texto("papel", e.papel);
        e.id = l.texto("id", e.id);
        e.classe = l.texto("classe", e.classe);
        e.nome = l.texto("nome", e.nome);
        if (l.tem("valor")) {
            const Json& v = l.bruto("valor");
            if (v.is_string()) {
                e.valor = v.get<std::string>();
                e.valor_nao_texto = false;
            } else if (v.is_null()) {
                e.valor.reset();
                e.valor_nao_texto = false;
            } else if (v.is_number() || v.is_boolean()) {
                e.valor.reset();
                e.valor_nao_texto = true;
            } else {
                Leitor::erro_em(l.de("valor"), "esperava texto, número, booleano ou null");
            }
        }
        if (l.tem("ret")) e.ret = l.retangulo("ret");
        e.fora = l.logico("fora", e.fora);
        e.janela_nativa = l.inteiro("hwnd", e.janela_nativa);
        e.focavel = l.logico("focavel", e.focavel);
        e.controle = l.logico("controle", e.controle);
        if (l.tem("padroes")) {
            e.invocavel = false;
            e.rolavel = false;
            const Json& p = l.lista("padroes");
            for (std::size_t i = 0; i < p.size(); ++i) {
                const std::string nome = p[i].is_string() ? p[i].get<std::string>() : "";
                if (nome == "invocar")
                    e.invocavel = true;
                else if (nome == "rolar")
                    e.rolavel = true;
                else
                    Leitor::erro_em(indice(l.de("padroes"), i), "padrão desconhecido (invocar ou rolar)");
            }
        }
    }

    // Sem número, uma janela fica no processo do mesmo executável (como os
    // navegadores), a filha no da mãe, e uma sem executável num processo seu.
    std::uint32_t processo_de(Leitor& l, Hwnd pai) {
        if (l.tem("processo")) return l.natural32("processo", 0);
        if (l.tem("executavel")) {
            const std::string caminho = caminho_do_executavel(l.texto("executavel"));
            for (const auto& [id, proc] : a_.processos)
                if (proc.caminho == caminho && id != a_.processo_do_programa) return id;
        } else if (JanelaSim* mae = a_.achar(pai)) {
            return mae->processo;
        }
        std::uint32_t p = 5000;
        while (a_.processos.count(p) || processo_em_uso(p)) p += 4;
        a_.processos[p];  // reserva o número
        return p;
    }

    static std::string caminho_do_executavel(std::string exe) {
        return exe.find('\\') == std::string::npos ? "C:\\Programas\\" + exe : exe;
    }

    bool processo_em_uso(std::uint32_t p) const {
        for (const auto& [h, j] : a_.janelas)
            if (j.processo == p) return true;
        return false;
    }

    void janela(const Json& j, const std::string& caminho, Hwnd pai, bool no_topo) {
        Leitor l(j, caminho);
        JanelaSim w;
        w.hwnd = l.inteiro("hwnd");
        if (w.hwnd == 0) Leitor::erro_em(l.de("hwnd"), "0 não é um handle de janela");
        if (a_.janelas.count(w.hwnd))
            Leitor::erro_em(l.de("hwnd"), "handle repetido " + std::to_string(w.hwnd));
        w.classe = l.texto("classe", "");
        w.titulo = l.texto("titulo", "");
        w.processo = processo_de(l, pai);
        if (l.tem("executavel")) {
            auto& proc = a_.processos[w.processo];
            if (proc.caminho.empty()) proc.caminho = caminho_do_executavel(l.texto("executavel"));
        }
        w.thread = l.natural32("thread", w.processo + 1);
        w.ret = l.retangulo("ret");
        if (l.tem("bordas")) w.bordas = l.retangulo("bordas");
        w.visivel = l.logico("visivel", true);
        w.minimizada = l.logico("minimizada", false);
        if (l.tem("dpi")) {
            const std::uint32_t dpi = l.natural32("dpi", 96);
            if (dpi) w.dpi = dpi;
        }
        w.dono = l.inteiro("dono", 0);
        w.pai = pai;
        w.estilo = l.natural32("estilo", pai ? 0x40000000u : 0x14CF0000u);
        if (pai) w.estilo |= estilo::filha;
        w.estilo_ex = l.natural32("estilo_ex", 0);
        if (l.logico("topo", false)) w.estilo_ex |= estilo_ex::topo;
        w.foco = l.inteiro("foco", 0);
        if (w.visivel) w.estilo |= estilo::visivel;
        const Hwnd h = w.hwnd;
        a_.janelas[h] = w;
        if (pai)
            a_.janelas[pai].filhas.push_back(h);
        else if (no_topo)
            a_.inserir_no_topo(h);
        else
            a_.ordem_z.push_back(h);
        if (l.tem("pagina")) {
            const Json& p = l.lista("pagina");
            std::vector<ElementoPtr> arvore;
            for (std::size_t i = 0; i < p.size(); ++i) elementos(p[i], indice(l.de("pagina"), i), arvore, {});
            for (const ElementoPtr& e : arvore) a_.definir_dona(e, h);
            a_.janelas[h].arvore = std::move(arvore);
        }
        if (l.tem("filhas")) {
            const Json& f = l.lista("filhas");
            for (std::size_t i = 0; i < f.size(); ++i) janela(f[i], indice(l.de("filhas"), i), h, false);
        }
        l.fim();
        for (const ElementoPtr& e : a_.janelas[h].arvore) registrar(e);
    }

    // Chaves únicas em toda a cena.
    void registrar(const ElementoPtr& e) {
        if (!e->chave.empty()) {
            const auto it = a_.por_chave.find(e->chave);
            if (it != a_.por_chave.end() && !it->second->removido)
                throw ErroDeCena("chave de elemento repetida \"" + e->chave + "\"");
            a_.por_chave[e->chave] = e;
        }
        for (const ElementoPtr& f : e->filhos) registrar(f);
    }

    static LentidaoSim lentidao(Leitor& l) {
        LentidaoSim d;
        d.chamada = l.texto("chamada");
        d.janela = l.inteiro("janela", 0);
        d.ms = static_cast<int>(l.inteiro32("ms", 0));
        if (d.ms < 0) Leitor::erro_em(l.de("ms"), "não pode ser negativo");
        return d;
    }

    static FalhaSim falha(Leitor& l) {
        FalhaSim f;
        f.chamada = l.texto("chamada");
        f.janela = l.inteiro("janela", 0);
        f.chave = l.texto("chave", "");
        if (l.tem("hresult")) f.hresult = ler_hresult(l.bruto("hresult"), l.de("hresult"));
        f.pular = static_cast<int>(l.inteiro32("pular", 0));
        f.vezes = static_cast<int>(l.inteiro32("vezes", -1));
        if (f.pular < 0) Leitor::erro_em(l.de("pular"), "não pode ser negativo");
        if (f.vezes == 0) Leitor::erro_em(l.de("vezes"), "0 vezes não falharia nunca");
        return f;
    }

private:
    AreaDeTrabalho& a_;
};

const std::set<std::string>& acoes_validas() {
    static const std::set<std::string> s = {
        "mover",   "titulo",         "mostrar",  "esconder",  "minimizar", "restaurar", "fechar",
        "frente",  "abrir",          "elemento", "adicionar", "remover",   "cursor",    "tecla",
        "entrada", "fim_da_entrada", "falhar",   "curar",     "dpi",       "fim",       "lentidao",
        "focar",   "arquivo",        "arrasto",  "travar",    "destravar"};
    return s;
}

// Valida um evento da linha do tempo numa área de rascunho que acompanha as
// janelas e chaves que existirão naquele ponto.
struct Rascunho {
    std::set<Hwnd> janelas;
    std::set<std::string> chaves;
};

void validar_evento(const EventoDaCena& e, Rascunho& r, AreaDeTrabalho& rascunho) {
    Leitor l(e.dados, e.onde);
    l.inteiro("em");
    l.texto("acao");
    auto janela_existente = [&](const char* campo) {
        const Hwnd h = l.inteiro(campo);
        if (!r.janelas.count(h))
            Leitor::erro_em(l.de(campo), "janela " + std::to_string(h) + " não existe na cena");
        return h;
    };
    auto chave_existente = [&](const char* campo) {
        const std::string c = l.texto(campo);
        if (!r.chaves.count(c)) Leitor::erro_em(l.de(campo), "chave \"" + c + "\" não existe na cena");
        return c;
    };
    auto guardar_chaves = [&](const std::vector<ElementoPtr>& arvore) {
        std::function<void(const ElementoPtr&)> g = [&](const ElementoPtr& x) {
            if (!x->chave.empty()) {
                if (r.chaves.count(x->chave))
                    throw ErroDeCena(e.onde + ": chave de elemento repetida \"" + x->chave + "\"");
                r.chaves.insert(x->chave);
            }
            for (const ElementoPtr& f : x->filhos) g(f);
        };
        for (const ElementoPtr& x : arvore) g(x);
    };
    const std::string& a = e.acao;
    if (a == "mover") {
        janela_existente("janela");
        const bool tem_ret = l.tem("ret");
        const bool tem_desl = l.tem("deslocar");
        if (tem_ret == tem_desl) l.erro("\"mover\" leva \"ret\" ou \"deslocar\", um dos dois");
        if (tem_ret) l.retangulo("ret");
        if (tem_desl) l.ponto("deslocar");
    } else if (a == "titulo") {
        janela_existente("janela");
        l.texto("titulo");
    } else if (a == "mostrar" || a == "esconder" || a == "minimizar" || a == "restaurar") {
        janela_existente("janela");
    } else if (a == "fechar") {
        const Hwnd h = janela_existente("janela");
        r.janelas.erase(h);
    } else if (a == "frente") {
        if (l.inteiro("janela") != 0) janela_existente("janela");
    } else if (a == "abrir") {
        Montador m(rascunho);
        const Json& j = l.bruto("janela");
        m.janela(j, l.de("janela"), 0, true);
        std::function<void(Hwnd)> juntar = [&](Hwnd h) {
            if (r.janelas.count(h)) Leitor::erro_em(l.de("janela"), "handle repetido " + std::to_string(h));
            r.janelas.insert(h);
            guardar_chaves(rascunho.janelas[h].arvore);
            for (Hwnd f : rascunho.janelas[h].filhas) juntar(f);
        };
        juntar(Leitor::como_inteiro(j.at("hwnd"), l.de("janela.hwnd")));
    } else if (a == "elemento") {
        chave_existente("chave");
        ElementoSim descartavel;
        Montador::campos(l, descartavel);
        if (l.tem("deslocar")) l.ponto("deslocar");
    } else if (a == "adicionar") {
        if (l.tem("dentro_de") == l.tem("janela"))
            l.erro("\"adicionar\" leva \"dentro_de\" (chave) ou \"janela\", um dos dois");
        if (l.tem("dentro_de")) chave_existente("dentro_de");
        if (l.tem("janela")) janela_existente("janela");
        l.inteiro("posicao", -1);
        Montador m(rascunho);
        std::vector<ElementoPtr> novos;
        m.elementos(l.bruto("elemento"), l.de("elemento"), novos, {});
        guardar_chaves(novos);
    } else if (a == "remover") {
        const std::string c = chave_existente("chave");
        r.chaves.erase(c);
    } else if (a == "cursor") {
        if (l.tem("pos")) l.ponto("pos");
        l.logico("visivel", true);
    } else if (a == "tecla") {
        codigo_de_tecla(l.bruto("tecla"), l.de("tecla"));
        l.logico("apertada", true);
        if (!l.tem("apertada")) l.erro("falta o campo \"apertada\"");
    } else if (a == "entrada") {
        l.texto("linha");
    } else if (a == "falhar") {
        Montador::falha(l);
    } else if (a == "curar") {
        l.texto("chamada");
    } else if (a == "lentidao") {
        Montador::lentidao(l);
    } else if (a == "focar") {
        chave_existente("chave");
    } else if (a == "travar" || a == "destravar") {
        janela_existente("janela");
        if (a == "travar" && l.tem("ms") && l.inteiro("ms") < 0)
            Leitor::erro_em(l.de("ms"), "não pode ser negativo");
    } else if (a == "arrasto") {
        janela_existente("janela");
        const std::string fase = l.texto("fase");
        if (fase != "inicio" && fase != "fim")
            Leitor::erro_em(l.de("fase"), "esperava \"inicio\" ou \"fim\"");
    } else if (a == "arquivo") {
        l.texto("caminho");
        l.logico("existe", true);
        if (!l.tem("existe")) l.erro("falta o campo \"existe\"");
    } else if (a == "dpi") {
        janela_existente("janela");
        l.natural32("dpi", 0);
    } else if (a == "fim") {
        const std::int64_t c = l.inteiro("codigo", 0);
        if (c < 0 || c > 255) Leitor::erro_em(l.de("codigo"), "esperava 0 a 255");
    }
    l.fim();
}

}  // namespace

Cena carregar_cena(const std::string& texto, AreaDeTrabalho& a) {
    Json raiz;
    try {
        raiz = Json::parse(texto);
    } catch (const Json::parse_error& e) {
        // Linha e coluna do byte onde o JSON quebrou.
        std::size_t linha = 1, coluna = 1;
        const std::size_t ate = std::min<std::size_t>(e.byte ? e.byte - 1 : 0, texto.size());
        for (std::size_t i = 0; i < ate; ++i) {
            if (texto[i] == '\n') {
                ++linha;
                coluna = 1;
            } else {
                ++coluna;
            }
        }
        throw ErroDeCena("JSON inválido na linha " + std::to_string(linha) + ", coluna " +
                         std::to_string(coluna));
    }
    a.limpar();
    Cena cena;
    try {
        Leitor l(raiz, "cena");
        l.texto("descricao", "");
        if (l.tem("tempo")) {
            const std::string t = l.texto("tempo");
            if (t == "virtual")
                cena.tempo = Relogio::Modo::Virtual;
            else if (t == "real")
                cena.tempo = Relogio::Modo::Real;
            else
                Leitor::erro_em(l.de("tempo"), "esperava \"virtual\" ou \"real\"");
        }
        if (l.tem("entrada")) {
            const std::string e = l.texto("entrada");
            if (e != "real" && e != "cena") Leitor::erro_em(l.de("entrada"), "esperava \"real\" ou \"cena\"");
            cena.entrada_da_cena = e == "cena";
        }
        if (l.tem("programa")) {
            Leitor p(l.bruto("programa"), l.de("programa"));
            a.processo_do_programa = p.natural32("processo", 4242);
            a.processos[a.processo_do_programa].caminho = p.texto("caminho", "C:\\Vornel\\localizador.exe");
            p.fim();
        } else {
            a.processos[a.processo_do_programa].caminho = "C:\\Vornel\\localizador.exe";
        }
        if (l.tem("monitores")) {
            const Json& ms = l.lista("monitores");
            for (std::size_t i = 0; i < ms.size(); ++i) {
                Leitor m(ms[i], indice(l.de("monitores"), i));
                MonitorSim mon;
                mon.id = 0x10001 + static_cast<std::intptr_t>(i) * 2;
                mon.ret = m.retangulo("ret");
                mon.dpi = m.natural32("dpi", 96);
                if (mon.dpi == 0) Leitor::erro_em(m.de("dpi"), "DPI 0");
                if (mon.ret.vazio()) Leitor::erro_em(m.de("ret"), "monitor sem área");
                m.fim();
                a.monitores.push_back(mon);
            }
        } else {
            a.monitores.push_back({0x10001, {0, 0, 1920, 1080}, 96});
        }
        if (a.monitores.empty()) Leitor::erro_em(l.de("monitores"), "pelo menos um monitor");
        if (l.tem("processos")) {
            const Json& ps = l.lista("processos");
            for (std::size_t i = 0; i < ps.size(); ++i) {
                Leitor p(ps[i], indice(l.de("processos"), i));
                if (!p.tem("processo")) p.erro("falta o campo \"processo\"");
                const std::uint32_t id = p.natural32("processo", 0);
                auto& proc = a.processos[id];
                proc.caminho = p.texto("caminho", proc.caminho);
                proc.acessivel = p.logico("acessivel", true);
                p.fim();
            }
        }
        Montador montador(a);
        if (l.tem("janelas")) {
            const Json& js = l.lista("janelas");
            for (std::size_t i = 0; i < js.size(); ++i)
                montador.janela(js[i], indice(l.de("janelas"), i), 0, false);
        }
        // As que ficam sempre no topo vêm antes das outras, na ordem do arquivo.
        std::stable_partition(a.ordem_z.begin(), a.ordem_z.end(),
                              [&](Hwnd h) { return (a.janelas[h].estilo_ex & estilo_ex::topo) != 0; });
        for (auto& [h, j] : a.janelas) {
            if (j.dono && !a.existe(j.dono))
                throw ErroDeCena("janela " + std::to_string(h) + ": dono " + std::to_string(j.dono) +
                                 " não existe");
        }
        if (l.tem("frente")) {
            const Hwnd f = l.inteiro("frente");
            if (f && !a.existe(f)) Leitor::erro_em(l.de("frente"), "janela não existe");
            a.frente = f;
        } else {
            for (Hwnd h : a.ordem_z) {
                const JanelaSim& j = a.janelas[h];
                if (j.visivel && !j.minimizada) {
                    a.frente = h;
                    break;
                }
            }
        }
        if (l.tem("cursor")) {
            Leitor c(l.bruto("cursor"), l.de("cursor"));
            if (c.tem("pos")) a.cursor = c.ponto("pos");
            a.cursor_visivel = c.logico("visivel", true);
            c.fim();
        }
        if (l.tem("teclas")) {
            const Json& ts = l.lista("teclas");
            for (std::size_t i = 0; i < ts.size(); ++i)
                a.teclas.insert(codigo_de_tecla(ts[i], indice(l.de("teclas"), i)));
        }
        if (l.tem("falhas")) {
            const Json& fs = l.lista("falhas");
            for (std::size_t i = 0; i < fs.size(); ++i) {
                Leitor f(fs[i], indice(l.de("falhas"), i));
                a.falhas.push_back(Montador::falha(f));
                f.fim();
            }
        }
        if (l.tem("lentidoes")) {
            const Json& ds = l.lista("lentidoes");
            for (std::size_t i = 0; i < ds.size(); ++i) {
                Leitor d(ds[i], indice(l.de("lentidoes"), i));
                a.lentidoes.push_back(Montador::lentidao(d));
                d.fim();
            }
        }
        if (l.tem("foco_elemento")) {
            const std::string chave = l.texto("foco_elemento");
            const auto it = a.por_chave.find(chave);
            if (it == a.por_chave.end())
                Leitor::erro_em(l.de("foco_elemento"), "chave \"" + chave + "\" não existe na cena");
            a.foco_uia = it->second;
        }
        if (l.tem("linha_do_tempo")) {
            const Json& ls = l.lista("linha_do_tempo");
            for (std::size_t i = 0; i < ls.size(); ++i) {
                EventoDaCena e;
                e.onde = indice(l.de("linha_do_tempo"), i);
                e.dados = ls[i];
                Leitor ev(ls[i], e.onde);
                e.em_ms = ev.inteiro("em");
                if (e.em_ms < 0) Leitor::erro_em(ev.de("em"), "instante negativo");
                e.acao = ev.texto("acao");
                if (!acoes_validas().count(e.acao))
                    Leitor::erro_em(ev.de("acao"), "ação desconhecida \"" + e.acao + "\"");
                cena.linha_do_tempo.push_back(std::move(e));
            }
        }
        l.fim();
        // "travar" com "ms" solta sozinho depois desse tempo.
        for (std::size_t i = 0, n = cena.linha_do_tempo.size(); i < n; ++i) {
            const EventoDaCena& e = cena.linha_do_tempo[i];
            if (e.acao != "travar" || !e.dados.contains("ms") || !e.dados["ms"].is_number_integer()) continue;
            EventoDaCena solta;
            solta.em_ms = e.em_ms + std::max<std::int64_t>(0, e.dados["ms"].get<std::int64_t>());
            solta.acao = "destravar";
            solta.onde = e.onde;
            solta.dados = {
                {"em", solta.em_ms}, {"acao", "destravar"}, {"janela", e.dados.value("janela", Json())}};
            cena.linha_do_tempo.push_back(std::move(solta));
        }
        // A ordem de aplicação é a dos instantes; no mesmo instante, a do arquivo.
        std::stable_sort(cena.linha_do_tempo.begin(), cena.linha_do_tempo.end(),
                         [](const EventoDaCena& x, const EventoDaCena& y) { return x.em_ms < y.em_ms; });
        Rascunho r;
        for (auto& [h, j] : a.janelas) r.janelas.insert(h);
        for (auto& [c, e] : a.por_chave) r.chaves.insert(c);
        AreaDeTrabalho rascunho;
        for (auto& [h, j] : a.janelas) rascunho.janelas[h].hwnd = h;
        for (const EventoDaCena& e : cena.linha_do_tempo) validar_evento(e, r, rascunho);
        cena.tem_fim = std::any_of(cena.linha_do_tempo.begin(), cena.linha_do_tempo.end(),
                                   [](const EventoDaCena& e) { return e.acao == "fim"; });
    } catch (...) {
        a.limpar();
        throw;
    }
    return cena;
}

}  // namespace plataforma::simulada

namespace plataforma::simulada {

namespace {

// Trava ou solta a thread da janela; ao soltar, o que ficou guardado para ela
// acontece, na ordem, e quem esperava segue.
void travar_thread(Hwnd janela, bool travar) {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::uint32_t thread = 0;
    {
        std::lock_guard g(a.m);
        const JanelaSim* j = a.achar(janela);
        if (!j) return;
        thread = j->thread;
    }
    std::vector<std::function<void(AreaDeTrabalho&)>> adiados;
    {
        std::lock_guard g(a.travadas_trava);
        if (travar) {
            a.threads_travadas.insert(thread);
        } else {
            a.threads_travadas.erase(thread);
            adiados = std::move(a.adiados[thread]);
            a.adiados.erase(thread);
        }
        a.travadas_sinal.notificar_todos();
    }
    bool acordar = false;
    {
        std::lock_guard g(a.m);
        for (auto& f : adiados) f(a);
        acordar = std::exchange(a.acordar_pendente, false);
    }
    if (acordar) acordar_filas();
}

// O vetor que guarda o elemento: os filhos da mãe ou a árvore da janela.
std::vector<ElementoPtr>* lista_que_guarda(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (ElementoPtr mae = e->pai.lock()) return &mae->filhos;
    for (auto& [h, j] : a.janelas)
        if (std::find(j.arvore.begin(), j.arvore.end(), e) != j.arvore.end()) return &j.arvore;
    return nullptr;
}

}  // namespace

void aplicar_evento(const EventoDaCena& e, bool adiar_avisos) {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    Json rastro = {{"evento", e.acao}};
    for (auto it = e.dados.begin(); it != e.dados.end(); ++it)
        if (it.key() != "em" && it.key() != "acao") rastro[it.key()] = it.value();
    if (e.acao == "fim") {
        Rastro::global().registrar(std::move(rastro));
        plataforma::encerrar_processo(static_cast<int>(e.dados.value("codigo", 0)));
    }
    if (e.acao == "entrada") {
        Rastro::global().registrar(std::move(rastro));
        entrada_receber_linha(e.dados.at("linha").get<std::string>());
        return;
    }
    if (e.acao == "arquivo") {
        // Um arquivo de verdade (o arquivo-chave de --presa, por exemplo).
        const std::string caminho = e.dados.at("caminho").get<std::string>();
        std::error_code erro;
        if (e.dados.at("existe").get<bool>())
            std::ofstream(caminho_utf8(caminho)).put('\n');
        else
            std::filesystem::remove(caminho_utf8(caminho), erro);
        Rastro::global().registrar(std::move(rastro));
        return;
    }
    if (e.acao == "travar" || e.acao == "destravar") {
        travar_thread(e.dados.at("janela").get<Hwnd>(), e.acao == "travar");
        Rastro::global().registrar(std::move(rastro));
        return;
    }
    if (e.acao == "fim_da_entrada") {
        Rastro::global().registrar(std::move(rastro));
        entrada_fechar();
        return;
    }
    bool acordar = false;
    {
        std::lock_guard g(a.m);
        Leitor l(e.dados, e.onde);
        l.tem("em");
        l.tem("acao");
        const Hwnd h = l.tem("janela") && l.bruto("janela").is_number() ? l.inteiro("janela") : 0;
        JanelaSim* j = a.achar(h);
        const std::string& acao = e.acao;
        if (acao == "mover" && j) {
            a.mover(h, l.tem("ret") ? l.retangulo("ret")
                                    : deslocar(j->ret, l.ponto("deslocar").x, l.ponto("deslocar").y));
            rastro["ret_novo"] = Json::array({j->ret.esquerda, j->ret.topo, j->ret.direita, j->ret.base});
        } else if (acao == "titulo" && j) {
            j->titulo = l.texto("titulo");
            a.avisar(evento::objeto_renomeado, h, OBJETO_JANELA, FILHO_PROPRIO);
        } else if ((acao == "mostrar" || acao == "esconder") && j) {
            a.mudar_visibilidade(h, acao == "mostrar");
        } else if (acao == "minimizar" && j) {
            j->minimizada = true;
            if (a.frente == h) a.frente = 0;
            a.avisar(evento::objeto_moveu, h, OBJETO_JANELA, FILHO_PROPRIO);
        } else if (acao == "restaurar" && j) {
            j->minimizada = false;
            a.avisar(evento::objeto_moveu, h, OBJETO_JANELA, FILHO_PROPRIO);
        } else if (acao == "arrasto" && j) {
            a.avisar(l.texto("fase") == "inicio" ? evento::movimento_inicio : evento::movimento_fim, h,
                     OBJETO_JANELA, FILHO_PROPRIO);
        } else if (acao == "fechar" && j) {
            a.fechar(h);
        } else if (acao == "frente") {
            if (h == 0)
                a.frente = 0;
            else if (j)
                a.trazer_para_frente(h);
        } else if (acao == "abrir") {
            Montador(a).janela(l.bruto("janela"), l.de("janela"), 0, true);
        } else if (acao == "elemento") {
            const auto it = a.por_chave.find(l.texto("chave"));
            if (it != a.por_chave.end()) {
                const Retangulo antes = it->second->ret;
                Montador::campos(l, *it->second);
                if (l.tem("deslocar")) {
                    const Ponto d = l.ponto("deslocar");
                    std::vector<ElementoPtr> um{it->second};
                    a.deslocar_elementos(um, d.x, d.y);
                }
                if (it->second->ret != antes) a.avisar_elemento(evento::objeto_moveu, it->second);
            }
        } else if (acao == "adicionar") {
            std::vector<ElementoPtr>* destino = nullptr;
            std::weak_ptr<ElementoSim> mae;
            Hwnd dona = h;
            if (l.tem("dentro_de")) {
                const auto it = a.por_chave.find(l.texto("dentro_de"));
                if (it != a.por_chave.end()) {
                    destino = &it->second->filhos;
                    mae = it->second;
                    dona = it->second->janela_dona;
                }
            } else if (j) {
                destino = &j->arvore;
            }
            if (destino) {
                std::vector<ElementoPtr> novos;
                Montador(a).elementos(l.bruto("elemento"), l.de("elemento"), novos, mae);
                const std::int64_t pos = l.inteiro("posicao", -1);
                const auto onde = pos < 0 || pos > static_cast<std::int64_t>(destino->size())
                                      ? destino->end()
                                      : destino->begin() + pos;
                destino->insert(onde, novos.begin(), novos.end());
                for (const ElementoPtr& x : novos) {
                    a.definir_dona(x, dona);
                    a.registrar_chaves(x);
                    a.avisar_elemento(evento::objeto_mostrado, x);
                }
            }
        } else if (acao == "remover") {
            const auto it = a.por_chave.find(l.texto("chave"));
            if (it != a.por_chave.end()) {
                const ElementoPtr alvo = it->second;
                if (std::vector<ElementoPtr>* lista = lista_que_guarda(a, alvo))
                    lista->erase(std::remove(lista->begin(), lista->end(), alvo), lista->end());
                a.avisar_elemento(evento::objeto_escondido, alvo);
                a.esquecer_chaves(alvo);
            }
        } else if (acao == "cursor") {
            if (l.tem("pos")) a.cursor = l.ponto("pos");
            a.cursor_visivel = l.logico("visivel", a.cursor_visivel);
        } else if (acao == "tecla") {
            const int tecla = codigo_de_tecla(l.bruto("tecla"), l.de("tecla"));
            if (l.logico("apertada", true))
                a.teclas.insert(tecla);
            else
                a.teclas.erase(tecla);
        } else if (acao == "falhar") {
            a.falhas.push_back(Montador::falha(l));
        } else if (acao == "curar") {
            const std::string chamada = l.texto("chamada");
            a.falhas.erase(std::remove_if(a.falhas.begin(), a.falhas.end(),
                                          [&](const FalhaSim& f) { return f.chamada == chamada; }),
                           a.falhas.end());
        } else if (acao == "lentidao") {
            const LentidaoSim d = Montador::lentidao(l);
            a.lentidoes.erase(std::remove_if(a.lentidoes.begin(), a.lentidoes.end(),
                                             [&](const LentidaoSim& x) {
                                                 return x.chamada == d.chamada && x.janela == d.janela;
                                             }),
                              a.lentidoes.end());
            if (d.ms > 0) a.lentidoes.push_back(d);
        } else if (acao == "focar") {
            const auto it = a.por_chave.find(l.texto("chave"));
            if (it != a.por_chave.end()) a.foco_uia = it->second;
        } else if (acao == "dpi" && j) {
            const std::uint32_t dpi = l.natural32("dpi", 0);
            if (dpi)
                j->dpi = dpi;
            else
                j->dpi.reset();
        } else if (h && !j) {
            rastro["ignorado"] = "a janela não existe mais";
        }
        if (!adiar_avisos) acordar = std::exchange(a.acordar_pendente, false);
    }
    Rastro::global().registrar(std::move(rastro));
    if (acordar) acordar_filas();
}

bool iniciar_linha_do_tempo(std::vector<EventoDaCena> eventos) {
    return plataforma::iniciar_thread([eventos = std::move(eventos)] {
        for (std::size_t i = 0; i < eventos.size(); ++i) {
            const EventoDaCena& e = eventos[i];
            Relogio::global().dormir_ate_primeiro(Instante{std::chrono::milliseconds{e.em_ms}});
            const bool outro_no_mesmo_instante = i + 1 < eventos.size() && eventos[i + 1].em_ms == e.em_ms;
            aplicar_evento(e, outro_no_mesmo_instante);
        }
    });
}

}  // namespace plataforma::simulada
