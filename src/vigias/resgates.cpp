#include "vigias/resgates.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using uia::Propriedade;
using namespace std::chrono_literals;

namespace {

constexpr auto kEntreVoltas = 2s;
// Quantos níveis o vigia sobe de um achado até a lista do chat.
constexpr int kNiveisAteALista = 10;

bool em_mensagem_de_espectador(const std::string& classe) {
    return contem(classe, "chat-line__message") || contem(classe, "seventv-user-message");
}

bool eh_a_lista_do_chat(const std::string& classe) {
    return contem(classe, "chat-scrollable-area__message-container") || contem(classe, "seventv-chat-list");
}

// A classe viva; uma leitura falhada vale como classe vazia.
std::string classe_de(const uia::Elemento& e) { return e.classe_atual().valor_ou({}); }

}  // namespace

std::string texto_do_resgate(const std::vector<std::string>& pedacos) {
    std::string juntos;
    for (const std::string& p : pedacos) {
        if (!juntos.empty()) juntos += ' ';
        juntos += p;
    }
    // Os brancos de dentro dos pedaços também viram um só.
    std::string r;
    bool branco = false;
    for (std::size_t pos = 0; pos < juntos.size();) {
        const std::size_t antes = pos;
        if (eh_branco(proximo_escalar(juntos, pos))) {
            branco = true;
            continue;
        }
        if (branco && !r.empty()) r += ' ';
        branco = false;
        r.append(juntos, antes, pos - antes);
    }
    return primeiros_escalares(r, kTextoDoResgate);
}

std::string linha_de_resgate(const std::string& texto, const std::string& canal) {
    return "{\"resgate\":" + texto_json(texto) + ",\"canal\":" + texto_json(canal) + "}";
}

VigiaDeResgates::VigiaDeResgates(uia::Automacao automacao) : a_(std::move(automacao)) {}

std::optional<uia::Elemento> VigiaDeResgates::linha_do_aviso(const uia::Caminhante& cru,
                                                             const uia::Elemento& achado) const {
    uia::Elemento no = achado;
    std::string classe = classe_de(no);
    for (int nivel = 0; nivel < kNiveisAteALista; ++nivel) {
        if (em_mensagem_de_espectador(classe)) return std::nullopt;
        auto pai = cru.pai(no);
        if (!pai || !*pai) return std::nullopt;
        // A classe do pai é a do nó do nível seguinte: lida uma vez só.
        std::string classe_do_pai = classe_de(**pai);
        if (eh_a_lista_do_chat(classe_do_pai)) return no;
        no = std::move(**pai);
        classe = std::move(classe_do_pai);
    }
    return std::nullopt;
}

std::string VigiaDeResgates::texto_da_linha(const uia::Elemento& linha) const {
    auto pedido = a_.pedido({Propriedade::nome, Propriedade::tipo}, true);
    if (!pedido) return {};
    auto tudo = a_.verdadeira();
    if (!tudo) return {};
    auto de_baixo = linha.achar_todos(uia::Escopo::descendentes, *tudo, *pedido);
    if (!de_baixo) return {};
    std::vector<std::string> pedacos;
    for (const uia::Elemento& e : *de_baixo) {
        const auto tipo = e.tipo_em_cache();
        if (!tipo || *tipo != uia::tipo::texto) continue;
        const auto nome = e.nome_em_cache();
        if (!nome) continue;
        std::string p = aparar(*nome);
        if (!p.empty()) pedacos.push_back(std::move(p));
    }
    return texto_do_resgate(pedacos);
}

std::optional<std::vector<VigiaDeResgates::Achado>> VigiaDeResgates::procurar(Hwnd janela,
                                                                              const Retangulo& chat) const {
    auto raiz = a_.elemento_da_janela(janela_da_pagina(janela));
    if (!raiz) return std::nullopt;
    auto pedido = pedido_da_pagina(a_, {Propriedade::retangulo});
    if (!pedido) return std::nullopt;
    // O navegador avalia o nome: só voltam os achados, já com o retângulo.
    auto ingles = a_.contem(Propriedade::nome, " redeemed ");
    auto portugues = a_.contem(Propriedade::nome, " resgatou ");
    if (!ingles || !portugues) return std::nullopt;
    auto condicao = a_.ou(*ingles, *portugues);
    if (!condicao) return std::nullopt;
    auto achados = buscar_fora_da_vidrel(a_, *raiz, *condicao, *pedido);
    if (!achados) return std::nullopt;
    auto cru = a_.caminhante_cru();
    if (!cru) return std::nullopt;

    std::vector<Achado> r;
    for (const uia::Elemento& e : *achados) {
        const auto ret = e.retangulo_em_cache();
        if (!ret || ret->largura() < 2) continue;
        if (ret->esquerda < chat.esquerda || ret->topo < chat.topo || ret->direita > chat.direita ||
            ret->base > chat.base)
            continue;
        auto linha = linha_do_aviso(*cru, e);
        if (!linha) continue;
        std::string texto = texto_da_linha(*linha);
        if (texto.empty()) continue;
        r.push_back({std::move(*linha), std::move(texto)});
    }
    return r;
}

// Só as 200 linhas mais novas contam: um aviso com 200 outros abaixo dele já
// estava na página quando aqueles chegaram (e só 200 cabem nos vistos). Os
// achados de uma mesma linha vêm juntos e contam uma vez.
std::size_t VigiaDeResgates::desde_as_200_mais_novas(const std::vector<Achado>& achados) const {
    if (achados.size() <= kVistosNoMaximo) return 0;
    std::size_t desde = achados.size();
    std::size_t linhas = 0;
    while (desde > 0 && linhas < kVistosNoMaximo) {
        --desde;
        if (desde + 1 == achados.size() ||
            !a_.mesmo_elemento(achados[desde].linha, achados[desde + 1].linha).valor_ou(false))
            ++linhas;
    }
    return desde;
}

bool VigiaDeResgates::ja_visto(const uia::Elemento& linha) const {
    // Do mais novo para o mais velho: a linha vista mais abaixo na página é a
    // que a volta procura, e ela costuma ser a última guardada.
    return std::any_of(vistos_.rbegin(), vistos_.rend(), [&](const uia::Elemento& v) {
        // Uma comparação que falha vale como vista: avisar duas vezes o mesmo
        // resgate é pior que perder um numa volta em que o navegador não responde.
        return a_.mesmo_elemento(v, linha).valor_ou(true);
    });
}

void VigiaDeResgates::volta() {
    const std::optional<Alvo> alvo = ALVO_PUBLICADO.copiar();
    if (!alvo || alvo->site != Site::Twitch) return;
    if (alvo->canal != canal_atual_) {
        canal_atual_ = alvo->canal;
        vistos_.clear();
        primeira_volta_ = true;
    }
    auto achados = procurar(alvo->janela, alvo->chat);
    // Uma leitura que falhou não viu a página: se a primeira volta terminasse
    // nela, a próxima avisaria como novos os resgates que já estavam lá.
    if (!achados) return;
    const bool mesmo_canal = ALVO_PUBLICADO.com(
        [&](const std::optional<Alvo>& agora) { return agora && agora->canal == canal_atual_; });
    if (!mesmo_canal) return;
    // Cada achado contra a lista dos vistos: uma linha deixada de fora numa
    // volta (sem o texto ainda, uma subida ou comparação que falhou) ainda é
    // avisada na seguinte, mesmo depois de uma linha mais nova já avisada.
    for (std::size_t i = desde_as_200_mais_novas(*achados); i < achados->size(); ++i) {
        Achado& a = (*achados)[i];
        // Dois achados de uma mesma linha: o segundo já está nos vistos.
        if (ja_visto(a.linha)) continue;
        if (canal_atual_ && !primeira_volta_) {
            registrar("resgate em " + *canal_atual_ + ": " + a.texto);
            escrever_linha(linha_de_resgate(a.texto, *canal_atual_));
        }
        vistos_.push_back(std::move(a.linha));
        // Só os 200 mais novos, também no meio de uma volta com muitos achados.
        if (vistos_.size() > kVistosNoMaximo) vistos_.pop_front();
    }
    primeira_volta_ = false;
}

void vigia_de_resgates() {
    VigiaDeResgates v(criar_automacao());
    for (;;) {
        pl::dormir(kEntreVoltas);
        v.volta();
    }
}
