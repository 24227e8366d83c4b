#include "acoes/responder.hpp"

#include <algorithm>
#include <chrono>
#include <set>
#include <utility>

#include "acoes/emote.hpp"
#include "acoes/sintese.hpp"
#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "plataforma/entrada.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/previa.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;
using uia::Propriedade;

namespace {

// Os botões do 7TV aparecem com o ponteiro em cima da linha: quanto esperar
// por eles, e pela faixa de resposta depois de cada aperto.
constexpr auto kPassoDoHover = 30ms;
constexpr auto kEsperaDoHover = 500ms;
constexpr auto kPassoDaFaixa = 40ms;
constexpr auto kEsperaDaFaixa = 400ms;
constexpr auto kPassoDaFaixaAprendida = 50ms;
constexpr auto kEsperaDaFaixaAprendida = 700ms;

// Espera até "condicao" valer, olhando a cada passo, até o prazo depois de "desde".
template <class F>
bool esperar_que(F condicao, pl::Duracao passo, pl::Duracao prazo, pl::Instante desde = pl::agora()) {
    for (;;) {
        if (condicao()) return true;
        if (pl::agora() + passo > desde + prazo) return false;
        pl::dormir(passo);
    }
}

std::string rotulo_de(const ComandoDeMensagem& c) { return c.verbo + " " + c.nick; }

void digitar_resposta(MemoriaDoExecutor& m, const Comeco& c, const ComandoDeMensagem& cmd) {
    const std::string rotulo = "responder " + cmd.nick;
    std::optional<std::string> recusa;
    const auto caixa = caixa_com_foco(m, c.raiz, c.alvo, recusa);
    if (!caixa) {
        registrar(rotulo + ": caixa de mensagem não achada");
        return;
    }
    if (recusa) {
        registrar(rotulo + ": foco na caixa recusado (" + *recusa + ")");
        return;
    }
    if (!conferir_frente(c.alvo.janela, rotulo)) return;
    registrar(rotulo + ": digitado @" + cmd.nick);
    digitar_texto("@" + cmd.nick + " ");
    avisar_movimento();
}

// Depois do aperto (das duas maneiras): com o botão aprendido do 7TV, a faixa
// de resposta ainda não foi vista; se não vier, o aprendido é esquecido.
void depois_do_aperto(MemoriaDoExecutor& m, const Comeco& c, const ComandoDeMensagem& cmd,
                      std::optional<int> faixas_antes) {
    if (faixas_antes) {
        const bool abriu = esperar_que(
            [&] { return contar_faixas_de_resposta(m.a, c.raiz, cmd.nick) > *faixas_antes; },
            kPassoDaFaixaAprendida, kEsperaDaFaixaAprendida);
        if (abriu) {
            afastar_ponteiro(m.a, c.raiz);
        } else {
            processo().botao_aprendido = 0;
            registrar("responder " + cmd.nick + ": a faixa não apareceu; o botão aprendido foi esquecido");
        }
    }
    if (c.alvo.com7tv) iniciar_vigia_da_previa(c.alvo.janela);
}

struct BotaoDoHover {
    uia::Elemento e;
    std::int32_t esquerda = 0;
};

// Os descendentes da linha, cada um como "classe|nome|invocável", com o
// elemento e a borda esquerda (uma busca só, na visão crua).
std::vector<std::pair<std::string, BotaoDoHover>> descendentes(const uia::Automacao& a,
                                                               const uia::Elemento& linha) {
    std::vector<std::pair<std::string, BotaoDoHover>> r;
    auto pedido = a.pedido(
        {Propriedade::classe, Propriedade::nome, Propriedade::invocavel, Propriedade::retangulo}, true);
    auto tudo = a.verdadeira();
    if (!pedido || !tudo) return r;
    auto achados = linha.achar_todos(uia::Escopo::descendentes, *tudo, *pedido);
    if (!achados) return r;
    for (const uia::Elemento& e : *achados) {
        const std::string chave = e.classe_em_cache().valor_ou({}) + "|" + e.nome_em_cache().valor_ou({}) +
                                  "|" + (e.invocavel_em_cache().valor_ou(false) ? "true" : "false");
        r.push_back({chave, {e, e.retangulo_em_cache().valor_ou({}).esquerda}});
    }
    return r;
}

bool eh_botao_do_7tv(const std::string& chave) {
    return chave.rfind("seventv-button|", 0) == 0 && chave.size() >= 5 &&
           chave.compare(chave.size() - 5, 5, "|true") == 0;
}

// Os botões do 7TV que o hover trouxe: invocáveis e que não estavam antes.
// Uma linha que ainda tem os botões de um hover anterior (a segunda resposta
// à mesma linha) já os mostra antes: são eles os da linha.
std::vector<BotaoDoHover> botoes_novos(const std::set<std::string>& antes,
                                       const std::vector<std::pair<std::string, BotaoDoHover>>& agora) {
    const bool ja_estavam = std::any_of(antes.begin(), antes.end(), eh_botao_do_7tv);
    std::vector<BotaoDoHover> r;
    for (const auto& [chave, botao] : agora)
        if (eh_botao_do_7tv(chave) && (ja_estavam || !antes.count(chave))) r.push_back(botao);
    return r;
}

// O que o caminho do 7TV deixa para o passo seguinte: sem a mensagem, nada
// (direto para a digitação); com ela, talvez a conferência da faixa.
struct Pelo7tv {
    bool achou = false;
    std::optional<int> faixas_antes;
};

Pelo7tv pelo_7tv(MemoriaDoExecutor& m, const Comeco& c, const ComandoDeMensagem& cmd) {
    const std::string rotulo = "responder " + cmd.nick;
    const pl::Instante inicio = pl::agora();
    const auto linha = achar_linha_do_7tv(m.a, c.raiz, m.pagina, cmd);
    if (!linha) {
        registrar(rotulo + ": mensagem do 7TV não achada");
        return {};
    }
    Pelo7tv r{true, std::nullopt};
    // Sem o retângulo da linha não há onde pôr o ponteiro (o ponto seria o
    // canto da tela, fora da Vidrel): sem hover, direto para a digitação.
    const auto lido = linha->linha.retangulo_atual();
    if (!lido || lido->vazio()) {
        registrar(rotulo + ": linha do 7TV sem retângulo (" +
                  (lido ? std::string("vazio") : lido.erro().texto()) + "); sem hover");
        registrar(rotulo + ": pelo 7TV sem botão em " + std::to_string(ms_desde(inicio)) + " ms");
        return r;
    }
    const Retangulo lr = *lido;
    const Ponto cursor = pl::posicao_do_cursor().value_or(Ponto{});
    // No meio da altura da linha, na coluna do ponteiro (sem sair 10 pixels
    // das pontas); numa linha estreita demais, no meio dela.
    const std::int64_t de = std::int64_t{lr.esquerda} + 10;
    const std::int64_t ate = std::int64_t{lr.direita} - 10;
    const std::int64_t x = de <= ate ? std::clamp<std::int64_t>(cursor.x, de, ate)
                                     : (std::int64_t{lr.esquerda} + lr.direita) / 2;
    const Ponto ponto{saturar(x), saturar((std::int64_t{lr.topo} + lr.base) / 2)};
    std::set<std::string> antes;
    for (const auto& [chave, b] : descendentes(m.a, linha->linha)) antes.insert(chave);

    std::string resultado = "sem botão";
    {
        BuracoDoHover buraco(JANELA.load(), ponto);
        const pl::Instante aberto = pl::agora();
        std::vector<BotaoDoHover> botoes;
        esperar_que(
            [&] {
                botoes = botoes_novos(antes, descendentes(m.a, linha->linha));
                return botoes.size() >= 2;
            },
            kPassoDoHover, kEsperaDoHover, aberto);
        std::stable_sort(botoes.begin(), botoes.end(), [](const BotaoDoHover& x, const BotaoDoHover& y) {
            return x.esquerda < y.esquerda;
        });
        registrar(rotulo + ": " + std::to_string(botoes.size()) + " botão(ões) do 7TV no hover (" +
                  std::to_string(ms_desde(aberto)) + " ms)");
        const int faixas = contar_faixas_de_resposta(m.a, c.raiz, cmd.nick);
        const int aprendido = processo().botao_aprendido.load();
        bool algum_apertado = false;
        std::string falha;
        for (const int pos : ordem_dos_botoes(static_cast<int>(botoes.size()), aprendido)) {
            const auto invocou = botoes[static_cast<std::size_t>(pos - 1)].e.invocar();
            if (!invocou || *invocou != uia::Padrao::feito) {
                falha = invocou ? kSemInvokePattern : invocou.erro().texto();
                continue;
            }
            algum_apertado = true;
            const std::string qual = rotulo + ": botão " + std::to_string(pos) + " do 7TV";
            if (pos == aprendido) {
                registrar(qual + " (aprendido), sem esperar a faixa");
                r.faixas_antes = faixas;
                break;
            }
            const bool abriu = esperar_que(
                [&] { return contar_faixas_de_resposta(m.a, c.raiz, cmd.nick) > faixas; }, kPassoDaFaixa,
                kEsperaDaFaixa);
            registrar(qual + (abriu ? " abriu a resposta" : " não era o responder"));
            if (abriu) {
                processo().botao_aprendido = pos;
                break;
            }
        }
        if (algum_apertado)
            resultado = "apertado";
        else if (!falha.empty())
            resultado = "falhou: " + falha;
        // Fecha o hover: o ponteiro sai da linha para cima do chat. A trava do
        // alvo fica tomada na pausa, para o localizador não mexer na Vidrel
        // enquanto o site apaga os botões.
        ALVO_PUBLICADO.com([&](const std::optional<Alvo>& alvo) {
            if (!alvo) return;
            pl::mover_cursor(acima_do_chat(alvo->chat));
            pl::dormir(60ms);
        });
        buraco.restaurar();
    }
    registrar(rotulo + ": pelo 7TV " + resultado + " em " + std::to_string(ms_desde(inicio)) + " ms");
    return r;
}

bool canal_sem_botao(const Alvo& alvo) {
    return alvo.canal && processo().canais_sem_botao.com(
                             [&](const std::set<std::string>& s) { return s.count(*alvo.canal) > 0; });
}

void pelo_botao(MemoriaDoExecutor& m, const Comeco& c, const ComandoDeMensagem& cmd) {
    const std::string rotulo = rotulo_de(cmd);
    const auto preparada = tirar_preparada(m, cmd);
    const std::string achada_por = preparada ? "preparada no hover" : "procurada no clique";
    std::optional<uia::Elemento> botao;
    std::optional<uia::Elemento> medido;
    std::optional<LinhaAchada> linha;
    if (preparada && preparada->botao) {
        botao = preparada->botao;
        medido = preparada->botao_medido_por;
    }
    // Um "preparar" que já não achou o botão, ou um canal onde ele não
    // aparece: não procura de novo.
    if (!botao && !preparada && !canal_sem_botao(c.alvo)) {
        linha = achar_linha_do_site(m.a, c.raiz, m.pagina, cmd, DentroDaLinha::botao).achada;
        if (linha && linha->botao) {
            botao = linha->botao;
            medido = linha->linha;
        }
    }
    if (botao) {
        const std::int64_t ms_ate_achar = ms_desde(c.inicio);
        const pl::Instante antes = pl::agora();
        const Aperto ap = apertar(medido.value_or(*botao), *botao, c.alvo.chat.topo, c.alvo.chat.base);
        contar_ao_localizador();
        registrar(rotulo + ": mensagem " + achada_por + " (" + std::to_string(ms_ate_achar) + " ms), " +
                  (ap.ok ? ap.texto : "falhou: " + ap.texto) + " em " + std::to_string(ms_desde(antes)) +
                  " ms");
        depois_do_aperto(m, c, cmd, std::nullopt);
        digitar_resposta(m, c, cmd);
        return;
    }
    if (c.alvo.com7tv && c.alvo.canal)
        processo().canais_sem_botao.com([&](std::set<std::string>& s) { s.insert(*c.alvo.canal); });
    if (!linha) linha = achar_linha_do_site(m.a, c.raiz, m.pagina, cmd, DentroDaLinha::botao).achada;
    if (linha) {
        if (const auto motivo = resposta_proibida(m.a, linha->linha)) {
            registrar("responder " + cmd.nick + ": o site não deixa (" + *motivo + ")");
            escrever_linha("{\"aviso\":" + texto_json(*motivo) + "}");
            return;
        }
    }
    registrar(rotulo + ": mensagem ou botão não achado (" + std::to_string(ms_desde(c.inicio)) + " ms)");
    if (c.alvo.com7tv) {
        const Pelo7tv r = pelo_7tv(m, c, cmd);
        if (r.achou) depois_do_aperto(m, c, cmd, r.faixas_antes);
    }
    digitar_resposta(m, c, cmd);
}

}  // namespace

std::vector<int> ordem_dos_botoes(int quantos, int aprendido) {
    std::vector<int> r;
    if (aprendido >= 1 && aprendido <= quantos) r.push_back(aprendido);
    for (int i = 1; i <= quantos; ++i)
        if (i != aprendido) r.push_back(i);
    return r;
}

std::optional<Preparada> tirar_preparada(MemoriaDoExecutor& m, const ComandoDeMensagem& c) {
    std::optional<Preparada> p = std::exchange(m.preparada, std::nullopt);
    if (!p || p->chave != chave_da_mensagem(c)) return std::nullopt;
    return p;
}

void responder(MemoriaDoExecutor& m, const ComandoDeMensagem& cmd) {
    const auto c = comecar(m.a, rotulo_de(cmd));
    if (!c) return;
    pl::trazer_para_frente(c->alvo.janela);
    if (c->alvo.site == Site::Kick) {
        digitar_resposta(m, *c, cmd);
        return;
    }
    pelo_botao(m, *c, cmd);
}

void preparar(MemoriaDoExecutor& m, const ComandoDeMensagem& cmd) {
    m.preparada.reset();
    const auto alvo = ALVO_PUBLICADO.copiar();
    if (!alvo || alvo->site == Site::Kick) return;
    const auto raiz = m.a.elemento_da_janela(janela_da_pagina(alvo->janela));
    if (!raiz) return;
    const auto linha = alvo->com7tv ? achar_linha_do_7tv(m.a, *raiz, m.pagina, cmd, false)
                                    : achar_linha_do_site(m.a, *raiz, m.pagina, cmd).achada;
    if (const auto caixa = achar_caixa(m.a, *raiz, *alvo))
        m.caixa = CaixaLembrada{alvo->janela, alvo->canal, *caixa};
    if (!linha || (!linha->usuario && !linha->botao)) return;
    Preparada p;
    p.chave = chave_da_mensagem(cmd);
    p.botao = linha->botao;
    if (p.botao) p.botao_medido_por = linha->linha;
    p.usuario = linha->usuario;
    if (p.usuario) p.usuario_medido_por = linha->linha;
    m.preparada = std::move(p);
}
