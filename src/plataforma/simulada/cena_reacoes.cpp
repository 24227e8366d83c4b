#include "plataforma/simulada/cena_reacoes.hpp"

#include <map>

#include "plataforma/simulada/acoes_da_cena.hpp"
#include "plataforma/simulada/cena_leitor.hpp"
#include "plataforma/simulada/cena_limites.hpp"
#include "plataforma/simulada/cena_rascunho.hpp"

namespace plataforma::simulada {

namespace {

const std::map<std::string, Gatilho>& gatilhos() {
    static const std::map<std::string, Gatilho> g = {
        {"invocado", Gatilho::invocado},
        {"focado", Gatilho::focado},
        {"rolado", Gatilho::rolado},
        {"hover", Gatilho::hover},
        {"saida_do_hover", Gatilho::saida_do_hover},
        {"tecla", Gatilho::tecla},
    };
    return g;
}

// As ações de uma reação como eventos, para a conferência da tabela.
std::vector<EventoDaCena> acoes_como_eventos(const Json& acoes, const std::string& caminho) {
    std::vector<EventoDaCena> r;
    for (std::size_t i = 0; i < acoes.size(); ++i) {
        const std::string onde = indice(caminho, i);
        Leitor l(acoes[i], onde);
        if (l.tem("em"))
            Leitor::erro_em(onde + ".em", "uma ação de reação não tem \"em\" (use \"depois\" na reação)");
        EventoDaCena e;
        e.onde = onde;
        e.acao = l.texto("acao");
        const AcaoDaCena* acao = acao_da_cena(e.acao);
        if (!acao) Leitor::erro_em(onde + ".acao", "ação desconhecida " + citar(e.acao));
        if (acao->seguintes && acoes[i].contains("ms"))
            Leitor::erro_em(onde + ".ms",
                            "numa reação, \"travar\" não leva \"ms\" (use outra reação com \"destravar\")");
        e.dados = acoes[i];
        e.dados["em"] = 0;
        r.push_back(std::move(e));
    }
    return r;
}

void conferir(const EventoDaCena& e, Rascunho& r) {
    Leitor l(e.dados, e.onde);
    l.inteiro("em");
    l.texto("acao");
    Conferencia c{l, e, r};
    acao_da_cena(e.acao)->conferir(c);
    l.fim();
}

// Só para juntar o que a cena chega a criar: um evento que no rascunho amplo
// não confere (já foi conferido no seu lugar) não junta nada.
void juntar(const EventoDaCena& e, Rascunho& r) {
    try {
        conferir(e, r);
    } catch (const ErroDeCena&) {
    }
}

void juntar_chaves(const Json& j, std::set<std::string>& chaves) {
    if (j.is_object()) {
        if (j.contains("chave") && j["chave"].is_string()) chaves.insert(j["chave"].get<std::string>());
        for (const auto& [k, v] : j.items())
            if (k == "filhos" || k == "elemento" || k == "pagina" || k == "janela" || k == "filhas")
                juntar_chaves(v, chaves);
    } else if (j.is_array()) {
        for (const Json& x : j) juntar_chaves(x, chaves);
    }
}

}  // namespace

std::set<std::string> chaves_das_reacoes(const Json& lista) {
    std::set<std::string> chaves;
    if (!lista.is_array()) return chaves;
    for (const Json& r : lista) {
        if (!r.is_object() || !r.contains("acoes") || !r["acoes"].is_array()) continue;
        for (const Json& a : r["acoes"])
            if (a.is_object() && (a.value("acao", "") == "adicionar" || a.value("acao", "") == "abrir")) {
                if (a.contains("elemento")) juntar_chaves(a["elemento"], chaves);
                if (a.contains("janela")) juntar_chaves(a["janela"], chaves);
            }
    }
    return chaves;
}

std::vector<ReacaoSim> ler_reacoes(const Json& lista, const std::string& caminho, AreaDeTrabalho& a,
                                   Orcamento& orcamento, const std::vector<EventoDaCena>& linha_do_tempo) {
    if (!lista.is_array()) Leitor::erro_em(caminho, "esperava uma lista");
    std::vector<ReacaoSim> reacoes;
    std::vector<std::vector<EventoDaCena>> acoes;
    for (std::size_t i = 0; i < lista.size(); ++i) {
        const std::string onde = indice(caminho, i);
        Leitor l(lista[i], onde);
        ReacaoSim r;
        r.onde = onde.substr(onde.find('.') + 1);  // "reacoes[2]"
        const std::string quando = l.texto("quando");
        const auto g = gatilhos().find(quando);
        if (g == gatilhos().end())
            Leitor::erro_em(l.de("quando"),
                            "gatilho desconhecido " + citar(quando) +
                                " (invocado, focado, rolado, hover, saida_do_hover ou tecla)");
        r.quando = g->second;
        r.chave = l.texto("chave", "");
        if (r.quando == Gatilho::tecla) {
            r.tecla = codigo_de_tecla(l.bruto("tecla"), l.de("tecla"));
            r.janela = l.inteiro("janela", 0);
            if (r.chave.empty() == (r.janela == 0))
                l.erro(
                    "uma reação a tecla leva \"chave\" (o foco nele ou debaixo dele) ou \"janela\", um dos "
                    "dois");
        } else if (r.chave.empty()) {
            l.erro("falta o campo \"chave\"");
        }
        r.depois_ms = l.inteiro("depois", 0);
        if (r.depois_ms < 0 || r.depois_ms > limites::kInstanteMaximoMs)
            Leitor::erro_em(l.de("depois"),
                            "esperava de 0 a " + std::to_string(limites::kInstanteMaximoMs) + " ms");
        const std::string vezes = l.texto("vezes", "sempre");
        if (vezes != "uma" && vezes != "sempre")
            Leitor::erro_em(l.de("vezes"), "esperava \"uma\" ou \"sempre\"");
        r.uma_vez = vezes == "uma";
        r.acoes = l.lista("acoes");
        acoes.push_back(acoes_como_eventos(r.acoes, l.de("acoes")));
        l.fim();
        reacoes.push_back(std::move(r));
    }
    // Tudo o que a cena chega a ter: a inicial, a linha do tempo e as
    // reações (duas vezes, para uma reação poder citar o que outra cria).
    Rascunho amplo(a, orcamento);
    amplo.amplo = true;
    for (const EventoDaCena& e : linha_do_tempo) juntar(e, amplo);
    for (const auto& lista_de_acoes : acoes)
        for (const EventoDaCena& e : lista_de_acoes) juntar(e, amplo);
    for (std::size_t i = 0; i < reacoes.size(); ++i) {
        const ReacaoSim& r = reacoes[i];
        if (!r.chave.empty() && !amplo.tem_chave(r.chave))
            Leitor::erro_em(indice(caminho, i) + ".chave", "chave " + citar(r.chave) + " não existe na cena");
        if (r.janela && !amplo.tem_janela(r.janela))
            Leitor::erro_em(indice(caminho, i) + ".janela",
                            "janela " + std::to_string(r.janela) + " não existe na cena");
        for (const EventoDaCena& e : acoes[i]) conferir(e, amplo);
    }
    return reacoes;
}

}  // namespace plataforma::simulada
