#include "acoes/mensagens.hpp"

#include <algorithm>

#include "comum/minusculas.hpp"
#include "comum/texto.hpp"
#include "estado/log.hpp"

using uia::Propriedade;

namespace {

// As linhas olhadas de uma lista, da mais nova para trás; mais que isso é
// histórico velho, que a pessoa não está vendo.
constexpr std::size_t kLinhasOlhadas = 400;
constexpr std::size_t kNicksGuardados = 400;
constexpr std::size_t kNicksNoLog = 8;

std::string cortar_no_parentese(const std::string& nome) {
    const std::size_t p = nome.find(" (");
    return p == std::string::npos || p == 0 ? nome : nome.substr(0, p);
}

// A primeira achada pela condição de classe, na página fora da Vidrel.
std::optional<uia::Elemento> primeira_com_classe(const uia::Automacao& a, const uia::Elemento& raiz,
                                                 const char* classe) {
    auto pedido = pedido_da_pagina(a, {Propriedade::classe});
    auto condicao = a.contem(Propriedade::classe, classe);
    if (!pedido || !condicao) return std::nullopt;
    auto achados = buscar_fora_da_vidrel(a, raiz, *condicao, *pedido);
    if (!achados || achados->empty()) return std::nullopt;
    return achados->front();
}

// A lista lembrada, se ainda responde; senão a de agora, que fica lembrada.
std::optional<uia::Elemento> lista_que_responde(const uia::Automacao& a, const uia::Elemento& raiz,
                                                std::optional<uia::Elemento>& lembrada, const char* classe) {
    if (lembrada && lembrada->retangulo_atual()) return lembrada;
    lembrada = primeira_com_classe(a, raiz, classe);
    return lembrada;
}

// O primeiro descendente que é um botão e atende a outra condição. As buscas
// dentro de uma linha pedem a subárvore, e não só os descendentes: a linha
// pode estar fora da visão de controle (um div sem nome), e aí o núcleo do
// UI Automation deixaria de fora o primeiro achado. A condição nunca casa
// com a própria linha, então a resposta é a mesma.
std::optional<uia::Elemento> botao_com(const uia::Automacao& a, const uia::Elemento& linha,
                                       uia::Resultado<uia::Condicao> outra) {
    auto botao = a.igual(Propriedade::tipo, uia::tipo::botao);
    if (!botao || !outra) return std::nullopt;
    auto e = a.e(*botao, *outra);
    if (!e) return std::nullopt;
    auto achado = linha.achar_primeiro(uia::Escopo::subarvore, *e);
    if (!achado || !*achado) return std::nullopt;
    return **achado;
}

// Os nomes dos textos (Text) debaixo do elemento, na ordem.
std::vector<std::string> textos_de(const uia::Automacao& a, const uia::Elemento& e) {
    std::vector<std::string> r;
    auto pedido = a.pedido({Propriedade::nome});
    auto texto = a.igual(Propriedade::tipo, uia::tipo::texto);
    if (!pedido || !texto) return r;
    auto achados = e.achar_todos(uia::Escopo::subarvore, *texto, *pedido);
    if (!achados) return r;
    for (const uia::Elemento& t : *achados) r.push_back(t.nome_em_cache().valor_ou({}));
    return r;
}

// Anda pelos filhos de uma lista do último para trás (com a classe e o nome
// no cache), até "olhar" devolver verdadeiro ou acabarem as linhas olhadas.
template <class F>
std::size_t andar_de_tras_para_frente(const uia::Automacao& a, const uia::Elemento& lista, F olhar) {
    auto pedido = a.pedido({Propriedade::classe, Propriedade::nome});
    auto cru = a.caminhante_cru();
    if (!pedido || !cru) return 0;
    std::size_t olhadas = 0;
    auto filho = cru->ultimo_filho(lista, *pedido);
    while (filho && *filho && olhadas < kLinhasOlhadas) {
        ++olhadas;
        if (olhar(**filho)) break;
        filho = cru->irmao_anterior(**filho, *pedido);
    }
    return olhadas;
}

struct BuscaNa7tv {
    std::optional<LinhaAchada> achada;
    std::size_t olhadas = 0;
};

BuscaNa7tv buscar_na_lista_do_7tv(const uia::Automacao& a, const uia::Elemento& lista,
                                  const ComandoDeMensagem& c, std::vector<std::string>& nicks) {
    const std::string n1 = normalizar(c.nome);
    const std::string n2 = normalizar(c.nick);
    std::string n3 = normalizar(cortar_no_parentese(c.nome));
    const std::string t = normalizar(c.texto);
    BuscaNa7tv b;
    std::optional<LinhaAchada> reserva;
    const auto do_usuario = a.contem(Propriedade::classe, "seventv-chat-user-username");
    b.olhadas = andar_de_tras_para_frente(a, lista, [&](const uia::Elemento& linha) {
        if (!contem(minusculas(linha.classe_em_cache().valor_ou({})), "seventv-message")) return false;
        const auto usuario = do_usuario ? primeiro_na_subarvore(a, linha, *do_usuario)
                                        : std::optional<uia::Elemento>{};
        if (!usuario) return false;
        std::string juntos;
        for (const std::string& nome : textos_de(a, *usuario)) juntos += nome;
        const std::string autor = normalizar(juntos);
        if (autor.empty()) return false;
        if (nicks.size() < kNicksGuardados) nicks.push_back(autor);
        const bool do_autor = (!n1.empty() && autor == n1) || autor == n2 || (!n3.empty() && autor == n3);
        if (!do_autor) return false;
        if (!t.empty() && texto_depois_do_autor(textos_de(a, linha), autor) == t) {
            b.achada = LinhaAchada{linha, usuario, std::nullopt, true};
            return true;
        }
        if (!reserva) reserva = LinhaAchada{linha, usuario, std::nullopt, false};
        return false;
    });
    if (!b.achada) b.achada = reserva;
    return b;
}

}  // namespace

void rechavear(MemoriaDaPagina& m, const Alvo& alvo) {
    if (m.janela == alvo.janela && m.canal == alvo.canal) return;
    m = MemoriaDaPagina{};
    m.janela = alvo.janela;
    m.canal = alvo.canal;
}

std::string chave_da_mensagem(const ComandoDeMensagem& c) {
    return c.nick + "\t" + normalizar(c.nome) + "\t" + normalizar(c.texto);
}

std::vector<std::string> nomes_do_autor(const ComandoDeMensagem& c) {
    if (normalizar(c.nome).empty()) return {normalizar(c.nick)};
    std::vector<std::string> r{normalizar(c.nome)};
    const std::string cortado = normalizar(cortar_no_parentese(c.nome));
    if (!cortado.empty() && cortado != r.front()) r.push_back(cortado);
    return r;
}

ProcuraNoSite::ProcuraNoSite(const ComandoDeMensagem& c) {
    for (const std::string& nome : nomes_do_autor(c)) nomes_.push_back(normalizar(nome + ": "));
    if (!normalizar(c.texto).empty()) fim_ = normalizar(": " + c.texto);
}

bool ProcuraNoSite::casa(std::string_view nome_da_linha) const {
    const std::string linha = normalizar(nome_da_linha);
    if (!fim_.empty() &&
        (linha.size() < fim_.size() || linha.compare(linha.size() - fim_.size(), fim_.size(), fim_) != 0))
        return false;
    return std::any_of(nomes_.begin(), nomes_.end(),
                       [&](const std::string& nome) { return contem(linha, nome); });
}

std::string texto_depois_do_autor(const std::vector<std::string>& textos, const std::string& autor) {
    const auto primeiro = std::find_if(textos.begin(), textos.end(),
                                       [&](const std::string& t) { return normalizar(t) == autor; });
    std::string juntos;
    for (auto it = primeiro == textos.end() ? textos.begin() : primeiro + 1; it != textos.end(); ++it) {
        if (!juntos.empty()) juntos += ' ';
        juntos += *it;
    }
    return normalizar(juntos);
}

BuscaDeLinha achar_linha_do_site(const uia::Automacao& a, const uia::Elemento& raiz, MemoriaDaPagina& m,
                                 const ComandoDeMensagem& c, DentroDaLinha dentro) {
    BuscaDeLinha b;
    const auto lista = lista_que_responde(a, raiz, m.lista_do_site,
                                          "chat-scrollable-area__message-container");
    if (!lista) return b;
    std::optional<uia::Elemento> linha;
    const ProcuraNoSite procura(c);
    b.olhadas = andar_de_tras_para_frente(a, *lista, [&](const uia::Elemento& filho) {
        if (!contem(minusculas(filho.classe_em_cache().valor_ou({})), "chat-line__message")) return false;
        if (!procura.casa(filho.nome_em_cache().valor_ou({}))) return false;
        linha = filho;
        return true;
    });
    if (!linha) return b;
    LinhaAchada achada{*linha, std::nullopt, std::nullopt, true};
    if (dentro != DentroDaLinha::usuario)
        achada.botao = botao_com(a, *linha, a.contem(Propriedade::nome, "@" + c.nick));
    if (dentro != DentroDaLinha::botao)
        achada.usuario = botao_com(a, *linha, a.contem(Propriedade::classe, "chat-line__username"));
    b.achada = std::move(achada);
    return b;
}

BuscaDeLinha buscar_linha_do_7tv(const uia::Automacao& a, const uia::Elemento& raiz, MemoriaDaPagina& m,
                                 const ComandoDeMensagem& c, bool registrar_o_que_houve) {
    BuscaDeLinha r;
    const bool havia_guardada = m.lista_do_7tv.has_value();
    if (m.lista_do_7tv) {
        BuscaNa7tv b = buscar_na_lista_do_7tv(a, *m.lista_do_7tv, c, r.nicks);
        r.olhadas = b.olhadas;
        if (b.achada) {
            r.achada = b.achada;
            return r;
        }
        m.lista_do_7tv.reset();
        r.nicks.clear();
    }
    BuscaNa7tv b;
    if (const auto lista = primeira_com_classe(a, raiz, "seventv-chat-list")) {
        m.lista_do_7tv = lista;
        b = buscar_na_lista_do_7tv(a, *lista, c, r.nicks);
    }
    r.olhadas = b.olhadas;
    r.achada = b.achada;
    if (b.achada) {
        if (havia_guardada && registrar_o_que_houve)
            registrar("7tv " + c.nick + ": achada só na lista de agora (a guardada estava velha)");
        return r;
    }
    if (!registrar_o_que_houve) return r;
    std::string mais_novos;
    for (std::size_t i = 0; i < r.nicks.size() && i < kNicksNoLog; ++i)
        mais_novos += (i ? ", " : "") + r.nicks[i];
    registrar("7tv " + c.nick + ": não achada entre " + std::to_string(b.olhadas) +
              " mensagens; os nicks mais novos: " + mais_novos);
    return r;
}

std::optional<LinhaAchada> achar_linha_do_7tv(const uia::Automacao& a, const uia::Elemento& raiz,
                                              MemoriaDaPagina& m, const ComandoDeMensagem& c,
                                              bool registrar_o_que_houve) {
    return buscar_linha_do_7tv(a, raiz, m, c, registrar_o_que_houve).achada;
}

int contar_faixas_de_resposta(const uia::Automacao& a, const uia::Elemento& raiz, const std::string& nick) {
    auto pedido = a.pedido({Propriedade::nome});
    auto condicao = a.contem(Propriedade::nome, "Replying to");
    if (!pedido || !condicao) return 0;
    auto achados = buscar_fora_da_vidrel(a, raiz, *condicao, *pedido);
    if (!achados) return 0;
    const std::string procurado = normalizar(nick);
    return static_cast<int>(std::count_if(achados->begin(), achados->end(), [&](const uia::Elemento& e) {
        return contem(normalizar(e.nome_em_cache().valor_ou({})), procurado);
    }));
}

std::optional<std::string> resposta_proibida(const uia::Automacao& a, const uia::Elemento& linha) {
    auto condicao = a.contem(Propriedade::classe, "reply-icon--restricted");
    if (!condicao) return std::nullopt;
    const auto achado = primeiro_na_subarvore(a, linha, *condicao);
    if (!achado) return std::nullopt;
    const std::string nome = aparar(achado->nome_atual().valor_ou({}));
    return nome.empty() ? "You can't reply now" : nome;
}
