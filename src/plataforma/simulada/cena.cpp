// A carga de uma cena: o texto com limites, os campos do topo, a montagem da
// área e a validação da linha do tempo inteira contra o rascunho, antes de o
// programa começar.

#include "plataforma/simulada/cena.hpp"

#include <algorithm>
#include <fstream>

#include "plataforma/simulada/acoes_da_cena.hpp"
#include "plataforma/simulada/cena_json.hpp"
#include "plataforma/simulada/cena_leitor.hpp"
#include "plataforma/simulada/cena_limites.hpp"
#include "plataforma/simulada/cena_montador.hpp"
#include "plataforma/simulada/cena_rascunho.hpp"
#include "plataforma/simulada/cena_reacoes.hpp"

namespace plataforma::simulada {

namespace {

std::string grande_demais() {
    return "arquivo com mais de " + std::to_string(limites::kBytesDoArquivo / (1024 * 1024)) + " MiB";
}

// Os donos da cena inicial: cada um precisa existir, e nenhuma janela pode
// ser dona de si mesma nem estar num ciclo de donos.
void conferir_donos(AreaDeTrabalho& a, const Montador& montador, const Rascunho& r) {
    for (auto& [h, j] : a.janelas) {
        if (j.dono && !a.existe(j.dono))
            throw ErroDeCena("janela " + std::to_string(h) + ": dono " + std::to_string(j.dono) +
                             " não existe");
    }
    for (const JanelaMontada& w : montador.montadas()) r.recusar_ciclo_de_donos(w.hwnd, w.caminho + ".dono");
}

// Valida um evento no seu ponto da linha do tempo e atualiza o rascunho.
void conferir_evento(const EventoDaCena& e, Rascunho& r) {
    Leitor l(e.dados, e.onde);
    l.inteiro("em");
    l.texto("acao");
    Conferencia c{l, e, r};
    acao_da_cena(e.acao)->conferir(c);
    l.fim();
}

Cena carregar(const std::string& texto, AreaDeTrabalho& a) {
    if (texto.size() > limites::kBytesDoArquivo) throw ErroDeCena(grande_demais());
    const Json raiz = ler_json_da_cena(texto);
    a.limpar();
    Cena cena;
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
    Orcamento orcamento;
    Montador montador(a, &orcamento);
    if (l.tem("janelas")) {
        const Json& js = l.lista("janelas");
        for (std::size_t i = 0; i < js.size(); ++i)
            montador.janela(js[i], indice(l.de("janelas"), i), 0, false);
    }
    // As que ficam sempre no topo vêm antes das outras, na ordem do arquivo.
    std::stable_partition(a.ordem_z.begin(), a.ordem_z.end(),
                          [&](Hwnd h) { return (a.janelas[h].estilo_ex & estilo_ex::topo) != 0; });
    Rascunho rascunho(a, orcamento);
    conferir_donos(a, montador, rascunho);
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
    if (l.tem("custo")) a.custo.definir(Montador::custo(l.bruto("custo"), l.de("custo")));
    if (l.tem("chromium")) a.chromium = Montador::chromium(l.bruto("chromium"), l.de("chromium"));
    if (l.tem("foco_elemento")) {
        const std::string chave = l.texto("foco_elemento");
        const auto it = a.por_chave.find(chave);
        if (it == a.por_chave.end())
            Leitor::erro_em(l.de("foco_elemento"), "chave " + citar(chave) + " não existe na cena");
        a.foco_uia = it->second;
    }
    if (l.tem("linha_do_tempo")) {
        const Json& ls = l.lista("linha_do_tempo");
        std::vector<EventoDaCena> seguintes;
        for (std::size_t i = 0; i < ls.size(); ++i) {
            EventoDaCena e;
            e.onde = indice(l.de("linha_do_tempo"), i);
            e.dados = ls[i];
            Leitor ev(ls[i], e.onde);
            e.em_ms = ev.inteiro("em");
            if (e.em_ms < 0) Leitor::erro_em(ev.de("em"), "instante negativo");
            if (e.em_ms > limites::kInstanteMaximoMs)
                Leitor::erro_em(ev.de("em"), "instante depois do limite de " +
                                                 std::to_string(limites::kInstanteMaximoMs) +
                                                 " ms (10 dias)");
            e.acao = ev.texto("acao");
            const AcaoDaCena* acao = acao_da_cena(e.acao);
            if (!acao) Leitor::erro_em(ev.de("acao"), "ação desconhecida " + citar(e.acao));
            if (acao->seguintes) acao->seguintes(e, seguintes);
            cena.linha_do_tempo.push_back(std::move(e));
        }
        std::move(seguintes.begin(), seguintes.end(), std::back_inserter(cena.linha_do_tempo));
    }
    const Json* reacoes = l.tem("reacoes") ? &l.bruto("reacoes") : nullptr;
    l.fim();
    // A ordem de aplicação é a dos instantes; no mesmo instante, a do arquivo.
    std::stable_sort(cena.linha_do_tempo.begin(), cena.linha_do_tempo.end(),
                     [](const EventoDaCena& x, const EventoDaCena& y) { return x.em_ms < y.em_ms; });
    if (reacoes) rascunho.talvez = chaves_das_reacoes(*reacoes);
    for (const EventoDaCena& e : cena.linha_do_tempo) conferir_evento(e, rascunho);
    if (reacoes) a.reacoes = ler_reacoes(*reacoes, l.de("reacoes"), a, orcamento, cena.linha_do_tempo);
    cena.tem_fim = std::any_of(cena.linha_do_tempo.begin(), cena.linha_do_tempo.end(),
                               [](const EventoDaCena& e) { return e.acao == "fim"; });
    return cena;
}

}  // namespace

std::string ler_arquivo_de_cena(const std::string& caminho) {
    std::ifstream f(caminho, std::ios::binary);
    if (!f) throw ErroDeCena("não consegui abrir o arquivo");
    // Aos pedaços, parando logo depois do limite: "--cena /dev/zero" não
    // pode encher a memória.
    std::string texto;
    char bloco[1 << 16];
    while (f.read(bloco, sizeof bloco) || f.gcount() > 0) {
        texto.append(bloco, static_cast<std::size_t>(f.gcount()));
        if (texto.size() > limites::kBytesDoArquivo) throw ErroDeCena(grande_demais());
    }
    if (f.bad()) throw ErroDeCena("não consegui ler o arquivo");
    return texto;
}

Cena carregar_cena(const std::string& texto, AreaDeTrabalho& a) {
    try {
        return carregar(texto, a);
    } catch (const ErroDeCena&) {
        a.limpar();
        throw;
    } catch (const Json::exception& e) {
        // Toda leitura passa pelo Leitor, que confere o tipo antes; se mesmo
        // assim a biblioteca de JSON reclamar, é uma cena ruim, não uma queda.
        a.limpar();
        throw ErroDeCena(std::string("cena: erro ao ler a cena (") + e.what() + ")");
    } catch (...) {
        a.limpar();
        throw;
    }
}

std::string linha_de_erro_da_cena(const std::string& arquivo, const std::string& problema) {
    return "cena " + numa_linha(arquivo) + ": " + numa_linha(problema);
}

}  // namespace plataforma::simulada
