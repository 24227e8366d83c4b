#include "acoes/perfil.hpp"

#include <algorithm>
#include <chrono>
#include <vector>

#include "acoes/responder.hpp"
#include "acoes/sintese.hpp"
#include "comum/minusculas.hpp"
#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "janela/monitor.hpp"
#include "janela/posicionamento.hpp"
#include "localizador/cartao.hpp"
#include "localizador/chat.hpp"
#include "localizador/montagem.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;
using uia::Propriedade;

namespace {

// O cartão leva um instante para aparecer depois do aperto.
constexpr int kMedidasDoCartao = 40;
constexpr int kBuscasDoBotao = 80;
constexpr auto kPassoDoCartao = 25ms;
constexpr int kAncestraisDoCartao = 10;

bool comeca_com(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

// Na Kick o nome do autor é um elemento "inline font-bold": o último da
// busca com um dos nomes da mensagem.
void perfil_na_kick(MemoriaDoExecutor& m, const Comeco& c, const ComandoDeMensagem& cmd) {
    const std::string rotulo = "perfil " + cmd.nick;
    std::optional<uia::Elemento> nick;
    auto pedido = pedido_da_pagina(m.a, {Propriedade::nome});
    auto condicao = m.a.contem(Propriedade::classe, "inline font-bold");
    if (pedido && condicao) {
        if (auto achados = buscar_fora_da_vidrel(m.a, c.raiz, *condicao, *pedido)) {
            std::vector<std::string> nomes = nomes_do_autor(cmd);
            nomes.push_back(normalizar(cmd.nick));
            for (const uia::Elemento& e : *achados) {
                const std::string nome = normalizar(e.nome_em_cache().valor_ou({}));
                if (std::find(nomes.begin(), nomes.end(), nome) != nomes.end()) nick = e;
            }
        }
    }
    if (!nick) {
        registrar(rotulo + ": nick não achado na Kick");
        return;
    }
    const Aperto ap = apertar(*nick, *nick, c.alvo.chat.topo, c.alvo.chat.base);
    registrar(rotulo + ": nick da Kick, " + (ap.ok ? ap.texto : "falhou: " + ap.texto));
}

// O buraco do cartão já na Vidrel, sem esperar a próxima volta do
// localizador: o alvo publicado de agora com o buraco extra novo. Só se a aba
// ainda é a do alvo e se o localizador não retirou nem trocou o alvo desde a
// cópia: senão o buraco traria de volta um alvo que não está mais na tela.
void aplicar_buraco(const Retangulo& cartao) {
    buraco_do_cartao.guardar(cartao);
    const auto alvo = ALVO_PUBLICADO.copiar();
    if (!alvo) return;
    const std::string titulo = TITULO_DO_ALVO.copiar();
    if (titulo.empty() || como_esta(alvo->janela, titulo) != JanelaLida::igual) return;
    Alvo com_buraco = *alvo;
    com_buraco.buraco_extra = buraco_extra(cartao, alvo->chat);
    publicar_estado_se(alvo, com_buraco);
}

// Espera o cartão aparecer (até 40 medidas, 25 ms entre elas) e o põe na Vidrel.
void esperar_o_cartao(MemoriaDoExecutor& m, const Comeco& c, const ComandoDeMensagem& cmd,
                      const std::string& nome) {
    const auto sala = achar_chat_room(m.a, c.raiz);
    for (int i = 0; i < kMedidasDoCartao; ++i) {
        if (sala) {
            if (const auto medida = medir_cartao(m.a, *sala, nome, c.alvo.chat, true)) {
                registrar("perfil " + cmd.nick + ": buraco " + forma_de_depuracao(medida->ret) +
                          ", topo por " + medida->peca);
                aplicar_buraco(medida->ret);
                registrar("perfil " + cmd.nick + ": cartão à vista em " + std::to_string(ms_desde(c.inicio)) +
                          " ms");
                return;
            }
        }
        pl::dormir(kPassoDoCartao);
    }
}

void perfil_na_twitch(MemoriaDoExecutor& m, const Comeco& c, const ComandoDeMensagem& cmd) {
    const std::string rotulo = "perfil " + cmd.nick;
    const auto preparada = tirar_preparada(m, cmd);
    const std::string achada_por = preparada ? "preparada no hover" : "procurada no clique";
    std::optional<uia::Elemento> usuario;
    std::optional<uia::Elemento> medido;
    if (preparada && preparada->usuario) {
        usuario = preparada->usuario;
        medido = preparada->usuario_medido_por;
    } else if (!preparada) {
        const auto linha =
            c.alvo.com7tv ? achar_linha_do_7tv(m.a, c.raiz, m.pagina, cmd)
                          : achar_linha_do_site(m.a, c.raiz, m.pagina, cmd, DentroDaLinha::usuario).achada;
        if (linha && linha->usuario) {
            usuario = linha->usuario;
            medido = linha->linha;
        }
    }
    if (!usuario) {
        registrar(rotulo + ": mensagem ou botão não achado (" + std::to_string(ms_desde(c.inicio)) + " ms)");
        return;
    }
    const std::int64_t ms_ate_achar = ms_desde(c.inicio);
    const pl::Instante antes = pl::agora();
    const Aperto ap = apertar(medido.value_or(*usuario), *usuario, c.alvo.chat.topo, c.alvo.chat.base);
    contar_ao_localizador();
    registrar(rotulo + ": mensagem " + achada_por + " (" + std::to_string(ms_ate_achar) + " ms), " +
              (ap.ok ? ap.texto : "falhou: " + ap.texto) + " em " + std::to_string(ms_desde(antes)) + " ms");
    // Sem o nome de exibição, o cartão mostra o nick.
    const std::string nome = normalizar(cmd.nome).empty() ? cmd.nick : cmd.nome;
    APERTO_DO_PERFIL.guardar(ApertoDoPerfil{nome, pl::agora()});
    esperar_o_cartao(m, c, cmd, nome);
}

// O cartão: acima da sala do chat, a camada arrastável dele ou o cartão da sala.
std::optional<uia::Elemento> achar_o_cartao(const uia::Automacao& a, const uia::Elemento& raiz) {
    const auto sala = achar_chat_room(a, raiz);
    auto cru = a.caminhante_cru();
    if (!sala || !cru) return std::nullopt;
    auto pai = cru->pai(*sala);
    if (!pai || !*pai) return std::nullopt;
    std::optional<uia::Elemento> atual = **pai;
    for (int i = 0; i < kAncestraisDoCartao && atual; ++i) {
        const std::string classe = atual->classe_atual().valor_ou({});
        if (contem(classe, "viewer-card-layer__draggable") || contem(classe, "chat-room__viewer-card"))
            return atual;
        auto acima = cru->pai(*atual);
        if (!acima || !*acima) return std::nullopt;
        atual = **acima;
    }
    return std::nullopt;
}

std::string lista(const std::vector<std::string>& nomes) {
    std::string r;
    for (const std::string& n : nomes) r += (r.empty() ? "" : ", ") + entre_aspas(n);
    return r.empty() ? "nenhum" : r;
}

}  // namespace

bool botao_do_cartao_casa(const std::string& palavra, const std::string& n) {
    if (palavra == "sub")
        return comeca_com(n, "gift a sub") ||
               (comeca_com(n, "presentear") && (contem(n, "sub") || contem(n, "inscri")));
    if (palavra == "turbo")
        return contem(n, "turbo") && (comeca_com(n, "gift") || comeca_com(n, "presentear"));
    if (palavra == "seguir") return n == "follow" || n == "seguir";
    if (palavra == "sussurrar") return comeca_com(n, "whisper") || comeca_com(n, "sussurr");
    return false;
}

void perfil(MemoriaDoExecutor& m, const ComandoDeMensagem& cmd) {
    const auto c = comecar(m.a, "perfil " + cmd.nick);
    if (!c) return;
    if (c->alvo.site == Site::Kick)
        perfil_na_kick(m, *c, cmd);
    else
        perfil_na_twitch(m, *c, cmd);
}

void perfil_botao(MemoriaDoExecutor& m, const std::string& botao, const ComandoDeMensagem& cmd) {
    perfil(m, cmd);
    const std::string rotulo = "perfil-botao " + botao + " " + cmd.nick;
    const auto alvo = ALVO_PUBLICADO.copiar();
    if (alvo && alvo->com7tv) {
        registrar(rotulo + ": com o 7TV o cartão é o dele; só o da Twitch tem os botões");
        return;
    }
    const pl::Instante inicio = pl::agora();
    const auto raiz = alvo ? m.a.elemento_da_janela(janela_da_pagina(alvo->janela))
                           : uia::Resultado<uia::Elemento>(uia::Erro{uia::ERRO_PONTEIRO_NULO, {}});
    auto pedido = m.a.pedido({Propriedade::nome});
    auto botoes = m.a.igual(Propriedade::tipo, uia::tipo::botao);
    std::vector<std::string> vistos;
    for (int tentativa = 0; tentativa < kBuscasDoBotao; ++tentativa) {
        if (tentativa > 0) pl::dormir(kPassoDoCartao);
        if (!raiz || !pedido || !botoes) continue;
        const auto cartao = achar_o_cartao(m.a, *raiz);
        if (!cartao) continue;
        // A subárvore: o contêiner do cartão (um div sem nome) fica fora da
        // visão de controle, e os descendentes perderiam o primeiro botão.
        auto achados = cartao->achar_todos(uia::Escopo::subarvore, *botoes, *pedido);
        if (!achados) continue;
        for (const uia::Elemento& b : *achados) {
            const std::string nome = b.nome_em_cache().valor_ou({});
            if (!botao_do_cartao_casa(botao, normalizar(nome))) {
                if (std::find(vistos.begin(), vistos.end(), nome) == vistos.end()) vistos.push_back(nome);
                continue;
            }
            const auto invocou = b.invocar();
            std::string resultado = "apertado";
            if (!invocou && invocou.erro().na_chamada_do_padrao)
                resultado = "recusou o aperto (" + invocou.erro().texto() + ")";
            else if (!invocou)
                resultado = "falhou: " + invocou.erro().texto();
            else if (*invocou == uia::Padrao::ausente)
                resultado = std::string("falhou: ") + kSemInvokePattern;
            std::string linha = rotulo;
            linha += ": \"";
            linha += nome;
            linha += "\" ";
            linha += resultado;
            linha += " em " + std::to_string(ms_desde(inicio)) + " ms";
            registrar(linha);
            return;
        }
    }
    const bool ja_segue = botao == "seguir" &&
                          std::any_of(vistos.begin(), vistos.end(), [](const std::string& n) {
                              const std::string m = minusculas(n);
                              return contem(m, "unfollow") || contem(m, "deixar de seguir");
                          });
    if (ja_segue) {
        registrar("perfil-botao seguir " + cmd.nick + ": já segue");
        escrever_linha("{\"aviso\":" + texto_json("Você já segue " + cmd.nick) + "}");
        return;
    }
    registrar(rotulo + ": botão não achado no cartão; havia " + lista(vistos));
}
