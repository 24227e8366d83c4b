#include "localizador/localizador.hpp"

#include <algorithm>

#include "comum/texto.hpp"
#include "estado/alvo.hpp"
#include "estado/espera.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "estado/titulos.hpp"
#include "janela/monitor.hpp"
#include "janela/posicionamento.hpp"
#include "localizador/montagem.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;

namespace {

// Depois destes acontecimentos o localizador olha a página mais vezes.
constexpr auto kDepoisDoPonteiro = 1s;
constexpr auto kDepoisDaTelaCheia = 1500ms;
constexpr auto kDepoisDaPaginaAndar = 2500ms;
constexpr auto kDepoisDeBuscaSemChat = 3s;

// "quando" foi há menos de "d".
bool ha_menos_de(const std::optional<pl::Instante>& quando, pl::Duracao d) {
    return quando && pl::agora() - *quando < d;
}

std::string ms_desde(pl::Instante t) {
    return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(pl::agora() - t).count());
}

bool so_transladou(const Retangulo& antes, const Retangulo& agora) {
    return antes != agora && antes.largura() == agora.largura() && antes.altura() == agora.altura();
}

bool eh_modal(const std::vector<Retangulo>& buracos, const Retangulo& chat) {
    const std::int64_t area = chat.area();
    return std::any_of(buracos.begin(), buracos.end(),
                       [&](const Retangulo& b) { return fracao_de(b.area(), area, 8, 10, false); });
}

}  // namespace

Localizador::Localizador(uia::Automacao automacao)
    : a_(std::move(automacao)), ultima_busca_(pl::agora() - 1h), ultimo_batimento_(pl::agora() - 1s) {
    uia::antes_de_cada_ida([](void* eu) { static_cast<Localizador*>(eu)->seguir_a_janela(); }, this);
}

Localizador::~Localizador() { uia::antes_de_cada_ida(nullptr, nullptr); }

std::chrono::milliseconds Localizador::espera() const {
    const bool botao = BOTAO_APERTADO.load();
    if (botao && APERTO_DO_PERFIL.copiar()) return 16ms;
    if (botao || ha_menos_de(hora_do_ponteiro(), kDepoisDoPonteiro)) return 30ms;
    if (ha_menos_de(tela_cheia_mudou_, kDepoisDaTelaCheia)) return 30ms;
    if (ha_menos_de(busca_sem_chat_, kDepoisDeBuscaSemChat)) return 30ms;
    if (ha_menos_de(pagina_andou_, kDepoisDaPaginaAndar)) return 30ms;
    return 100ms;
}

std::string Localizador::chave(const char* desfecho, const JanelaDeLive& j, const std::string& detalhe) {
    return std::string(desfecho) + "|" + detalhe + "|" + std::to_string(j.janela) + "|" + j.titulo;
}

void Localizador::relatar(const std::string& estado, const std::string& linha) {
    relato_.registrar(estado, linha);
}

bool Localizador::sem_leitura_relatada() const { return relato_.ultimo().rfind("sem leitura|", 0) == 0; }

void Localizador::bater_e_conferir() {
    if (!JANELA_EXTERNA) return;
    if (!pl::existe_janela(JANELA.load())) {
        registrar("a janela da Vidrel não existe mais; localizador encerrado");
        pl::encerrar_processo(0);
    }
    const Instante agora = pl::agora();
    if (agora - ultimo_batimento_ >= 250ms) {
        ultimo_batimento_ = agora;
        escrever_linha(LINHA_DO_BATIMENTO);
    }
}

void Localizador::volta() {
    bater_e_conferir();
    if (JANELA_EXTERNA) manter_posicao(JANELA.load());
    const bool escondida = processo().VIDREL_ESCONDIDA.exchange(false);
    const auto j = achar_janela_de_live();
    if (!j) {
        sem_navegador();
        return;
    }
    janela_andou(*j);
    if (escondida) vidrel_escondida_pelo_observador(*j);
    conferir_tela_cheia(j->janela);
    if (busca_devida(*j))
        buscar(*j);
    else
        reler(*j);
}

// O observador das janelas escondeu a Vidrel (a aba trocou). Se a aba já
// voltou, nada mais a retiraria nem publicaria de novo, e ela ficaria
// escondida com o alvo ainda publicado: retira já, e a busca desta volta
// publica de novo (do alvo lembrado, quando ainda vale). Com outra aba ou
// outra janela, a volta retira sozinha.
void Localizador::vidrel_escondida_pelo_observador(const JanelaDeLive& j) {
    if (!mostrado_ || !atual_ || atual_->janela != j.janela || !mesmo_titulo(atual_->titulo, j.titulo))
        return;
    lembrar_mostrado();
    retirar();
    atual_.reset();
    forcar_busca_ = true;
}

// O alvo mostrado vai para a lista de lembrados, chaveado por janela e título.
void Localizador::lembrar_mostrado() {
    if (!atual_ || !atual_->leitura.chat) return;
    lembrados_[{atual_->janela, atual_->titulo}] = Lembrado{*atual_, pl::agora()};
}

void Localizador::retirar() {
    mostrado_ = false;
    TITULO_DO_ALVO.guardar({});
    publicar_estado(std::nullopt);
}

void Localizador::sem_navegador() {
    if (mostrado_ && atual_) {
        const Hwnd velha = atual_->janela;
        std::string motivo = "outro motivo";
        const std::string titulo = pl::titulo_da_janela(velha);
        if (!pl::existe_janela(velha))
            motivo = "janela fechada";
        else if (pl::janela_minimizada(velha))
            motivo = "minimizado";
        else if (!pl::janela_visivel(velha))
            motivo = "janela invisível";
        else if (titulo.empty())
            motivo = "título vazio";
        else if (rotulo_da_aba(titulo) == "outra aba")
            motivo = "outra aba";
        const Hwnd frente = pl::janela_da_frente();
        std::string na_frente = "ninguém";
        if (frente == velha)
            na_frente = "o navegador";
        else if (frente != 0)
            na_frente = descrever_janela_da_frente(frente, velha);
        relato_.esquecer();
        relatar("sem navegador",
                "Sem Twitch nem Kick à vista. Escondido (" + motivo + "; na frente: " + na_frente + ").");
        lembrar_mostrado();
    }
    if (mostrado_) retirar();
    atual_.reset();
    janela_ = 0;
    titulo_.clear();
    ret_janela_.reset();
}

// A janela só andou (mesmo tamanho, mesma aba): o alvo anda junto já, sem busca.
void Localizador::janela_andou(const JanelaDeLive& j) {
    const auto ret = pl::retangulo_da_janela(j.janela);
    const bool mesma = j.janela == janela_ && mesmo_titulo(j.titulo, titulo_);
    janela_parada_ = !(mesma && ret && ret_janela_ && *ret != *ret_janela_);
    if (mesma && ret && ret_janela_ && so_transladou(*ret_janela_, *ret) && mostrado_)
        transladar(std::int64_t{ret->esquerda} - ret_janela_->esquerda,
                   std::int64_t{ret->topo} - ret_janela_->topo);
    // Outra janela ou outra aba: a página de antes não serve de comparação.
    if (!mesma) pagina_anterior_.reset();
    janela_ = j.janela;
    titulo_ = j.titulo;
    ret_janela_ = ret;
}

// O alvo publicado, a caixa e o botão da última busca, a boa leitura e a
// página de antes andam juntos com a janela.
bool Localizador::transladar(std::int64_t dx, std::int64_t dy) {
    // Só a mesma aba, à vista: com outra aba ou a janela minimizada, a volta
    // seguinte retira o alvo, e andar com ele publicaria um chat que não está lá.
    if (como_esta(janela_, titulo_) != JanelaLida::igual) return false;
    // O buraco do cartão é relativo ao chat: anda sozinho. Se o executor
    // publicou o buraco dele entre a cópia e a troca, anda o alvo novo: a
    // janela já fica como lida, e nenhuma volta seguinte andaria com ele.
    for (auto publicado = ALVO_PUBLICADO.copiar(); publicado; publicado = ALVO_PUBLICADO.copiar()) {
        Alvo a = *publicado;
        a.chat = deslocar(a.chat, dx, dy);
        if (a.pagina) a.pagina = deslocar(*a.pagina, dx, dy);
        if (a.botao) a.botao = deslocar(*a.botao, dx, dy);
        if (a.origem_cliente)
            a.origem_cliente = Ponto{somar_saturado(a.origem_cliente->x, dx),
                                     somar_saturado(a.origem_cliente->y, dy)};
        if (publicar_estado_se(publicado, a)) break;
    }
    // A caixa e o botão da última busca andam junto; senão a próxima
    // releitura publicaria o botão no lugar velho.
    if (atual_) {
        Coberturas& c = atual_->coberturas;
        if (c.caixa) c.caixa = deslocar(*c.caixa, dx, dy);
        if (c.botao) c.botao = deslocar(*c.botao, dx, dy);
    }
    if (boa_) {
        boa_->r.chat = deslocar(boa_->r.chat, dx, dy);
        boa_->r.pagina = deslocar(boa_->r.pagina, dx, dy);
    }
    if (pagina_anterior_) pagina_anterior_ = deslocar(*pagina_anterior_, dx, dy);
    return true;
}

// Chamada antes de cada ida ao navegador durante uma leitura da página:
// GetWindowRect não espera o navegador, e um movimento que chegou no meio da
// leitura é seguido já.
void Localizador::seguir_a_janela() {
    if (!lendo_) return;
    // O batimento também não espera a leitura: só falta durante uma ida parada.
    bater_e_conferir();
    if (!mostrado_ || !janela_ || !ret_janela_) return;
    // O retângulo primeiro: quase sempre a janela não andou, e a conferência
    // da aba (título, visível, minimizada) fica só para quando andou.
    const auto ret = pl::retangulo_da_janela(janela_);
    if (!ret || !so_transladou(*ret_janela_, *ret)) return;
    if (!transladar(std::int64_t{ret->esquerda} - ret_janela_->esquerda,
                    std::int64_t{ret->topo} - ret_janela_->topo))
        return;
    ret_janela_ = ret;
    andou_lendo_ = true;
}

void Localizador::conferir_tela_cheia(Hwnd janela) {
    const bool cheia = tela_cheia(janela);
    if (cheia == tela_cheia_) return;
    tela_cheia_ = cheia;
    tela_cheia_mudou_ = pl::agora();
    forcar_busca_ = true;
    escrever_linha(linha_de_tela_cheia(cheia));
}

bool Localizador::busca_devida(const JanelaDeLive& j) {
    const Instante agora = pl::agora();
    const auto passou = agora - ultima_busca_;
    bool devida = std::exchange(forcar_busca_, false);
    const bool outra_aba = atual_ && (atual_->janela != j.janela || !mesmo_titulo(atual_->titulo, j.titulo));
    devida = devida || outra_aba;
    std::chrono::milliseconds periodo = 300ms;
    if (!atual_ || !atual_->leitura.chat) {
        if (ha_menos_de(busca_sem_chat_, kDepoisDeBuscaSemChat)) periodo = 50ms;
    } else if (atual_->site == Site::Kick) {
        if (ha_menos_de(hora_do_ponteiro(), kDepoisDoPonteiro)) periodo = 150ms;
    } else if (!atual_->leitura.sem_classes) {
        periodo = 5000ms;
    }
    devida = devida || passou > periodo;
    if (ha_menos_de(tela_cheia_mudou_, kDepoisDaTelaCheia) ||
        ha_menos_de(pagina_andou_, kDepoisDaPaginaAndar))
        devida = devida || passou > 100ms;
    if (reuso_ && passou > 400ms) {
        devida = true;
        reuso_.reset();
    }
    // A comunidade da Twitch ocupou o lugar do chat: busca já.
    if (!devida && atual_ && atual_->site == Site::Twitch && atual_->leitura.chat_room &&
        e_palavra_de_comunidade(atual_->leitura.chat_room->nome_atual().valor_ou({})))
        devida = true;
    if (devida && mostrado_ && outra_aba) {
        lembrar_mostrado();
        retirar();
    }
    return devida;
}

void Localizador::acompanhar_o_cartao(Hwnd janela, const Retangulo& chat) {
    const auto aperto = APERTO_DO_PERFIL.copiar();
    if (aperto && aperto_visto_ != aperto->quando) {
        arrasto_.esquecer();
        aperto_visto_ = aperto->quando;
    }
    if (aperto && BOTAO_APERTADO.load()) {
        arrasto_.passo(a_, janela);
        if (arrasto_.arrastando()) return;
    } else {
        arrasto_.soltou();
    }
    acompanhar_cartao(a_, chat, janela);
}

void Localizador::publicar_leitura(const JanelaDeLive& j, const Releitura& r) {
    // Nenhuma linha de estado de uma leitura velha: a janela tem de estar
    // como estava quando a leitura começou (a releitura também demora).
    if (como_esta(j.janela, j.titulo) != JanelaLida::igual) {
        forcar_busca_ = true;
        return;
    }
    const Instante agora = pl::agora();
    // A página lida sem o seu lugar na tela: a Vidrel fica onde estava.
    if (pagina_sem_lugar(j.janela, r.pagina)) {
        if (!sem_lugar_desde_) sem_lugar_desde_ = agora;
        if (!sem_lugar_logado_ && agora - *sem_lugar_desde_ >= 500ms) {
            sem_lugar_logado_ = true;
            registrar("página lida sem o lugar na tela " + forma_de_depuracao(r.pagina) + " há " +
                      ms_desde(*sem_lugar_desde_) +
                      " ms (faixa do navegador?): Vidrel parada no último lugar");
        }
        return;
    }
    if (sem_lugar_desde_) {
        if (sem_lugar_logado_)
            registrar("página com o lugar de novo depois de " + ms_desde(*sem_lugar_desde_) +
                      " ms: " + forma_de_depuracao(r.pagina));
        sem_lugar_desde_.reset();
        sem_lugar_logado_ = false;
    }
    // A página andou dentro da janela parada (uma barra do navegador abriu).
    if (pagina_anterior_ && janela_parada_ && *pagina_anterior_ != r.pagina) {
        while (!eventos_da_pagina_.empty() && agora - eventos_da_pagina_.front() > 60s)
            eventos_da_pagina_.pop_front();
        if (eventos_da_pagina_.size() < 20) {
            if (!ha_menos_de(pagina_andou_, kDepoisDaPaginaAndar))
                registrar("página andou dentro da janela, para " + forma_de_depuracao(r.pagina) +
                          " (faixa do navegador?): busca a cada 100 ms");
            eventos_da_pagina_.push_back(agora);
            pagina_andou_ = agora;
            forcar_busca_ = true;
        }
    }
    pagina_anterior_ = r.pagina;
    const Atual& atual = *atual_;
    if (eh_modal(atual.buracos, r.chat)) {
        if (!modal_logado_) {
            modal_logado_ = true;
            registrar("modal da página por cima, Vidrel fora");
        }
        if (mostrado_) retirar();
        return;
    }
    if (modal_logado_) {
        modal_logado_ = false;
        registrar("modal da página fechou");
    }
    // O cartão também vai ao navegador, e a janela pode andar, trocar de aba
    // ou fechar enquanto ele é medido: a janela é conferida de novo depois,
    // logo antes de publicar.
    {
        Lendo lendo(*this);
        acompanhar_o_cartao(j.janela, r.chat);
    }
    if (andou_lendo_) return;  // a Vidrel já andou; a volta seguinte relê
    if (como_esta(j.janela, j.titulo) != JanelaLida::igual) {
        forcar_busca_ = true;
        return;
    }
    PecasDoAlvo p;
    p.site = atual.site;
    p.canal = atual.leitura.canal;
    p.janela = j.janela;
    p.chat = r.chat;
    p.pagina = r.pagina;
    p.folga = r.folga;
    p.com7tv = atual.leitura.com7tv;
    p.pausado = r.pausado;
    p.buracos = atual.buracos;
    p.caixa = atual.coberturas.caixa;
    p.botao = atual.coberturas.botao;
    TITULO_DO_ALVO.guardar(j.titulo);
    mostrado_ = true;
    publicar_estado(montar_alvo(p));
}

void Localizador::buscar_coberturas_de(Atual& atual, const Retangulo& chat) {
    Coberturas c = buscar_tudo_que_cobre(a_, atual.janela, atual.titulo, atual.leitura, chat, memoria_);
    atual.buracos.clear();
    for (const Retangulo& b : c.buracos) atual.buracos.push_back(relativo_ao_chat(b, chat));
    atual.coberturas = std::move(c);
}

void Localizador::reler(const JanelaDeLive& j) {
    if (!atual_ || !atual_->leitura.chat) return;
    Releitura r;
    {
        Lendo lendo(*this);
        r = reler_chat(a_, atual_->leitura);
    }
    // A Vidrel já andou com a janela; a leitura é do lugar de antes, e a
    // próxima volta relê.
    if (andou_lendo_) return;
    const std::string rotulo = std::string(nome_do_site(atual_->site)) + " em " + rotulo_da_aba(j.titulo);
    if (r.estado == Releitura::Estado::ok) {
        falhas_seguidas_ = 0;
        if (sem_leitura_relatada())
            relatar(chave("chat", j), rotulo + ": leitura do chat voltou. " + entre_aspas(j.titulo));
        if (JANELAS_MUDARAM.exchange(false)) buscar_coberturas_de(*atual_, r.chat);
        boa_ = BoaLeitura{j.janela, j.titulo, r, pl::agora()};
        publicar_leitura(j, r);
        return;
    }
    if (segurar(j)) return;
    relatar_sem_leitura(j, rotulo, r, atual_->leitura.ret_chat);
    if (mostrado_) retirar();
    // Três releituras perdidas seguidas: a próxima volta busca de novo.
    if (++falhas_seguidas_ >= 3) {
        falhas_seguidas_ = 0;
        atual_.reset();
    }
}

// Uma leitura que falhou pouco depois de uma boa, com o cabeçalho do chat
// ainda livre, mantém a Vidrel onde a boa a deixou.
bool Localizador::segurar(const JanelaDeLive& j) {
    const bool recente = boa_ && boa_->janela == j.janela && boa_->titulo == j.titulo &&
                         pl::agora() - boa_->quando < 60s;
    if (!recente || !atual_) return false;
    if (!cabecalho_livre(a_, j.janela, boa_->r.chat, boa_->r.pagina, atual_->leitura.conteiner_de_mensagens))
        return false;
    publicar_leitura(j, boa_->r);
    return true;
}

// O alvo lembrado desta janela e título serve ainda? Vazio: serve.
bool Localizador::reusar_lembrado(const JanelaDeLive& j) {
    const auto it = lembrados_.find({j.janela, j.titulo});
    if (it == lembrados_.end()) return false;
    const Instante agora = pl::agora();
    if (agora - it->second.quando >= 600s) {
        lembrados_.erase(it);
        return false;
    }
    const Lembrado& l = it->second;
    std::string recusa;
    Releitura r;
    // Um título que diz o canal tem de dizer o mesmo canal do alvo lembrado.
    const auto canal_no_titulo = canal_do_titulo(j.titulo);
    if (canal_no_titulo && canal_no_titulo != l.atual.leitura.canal) {
        recusa = "canal de outra aba";
    } else if (!l.atual.leitura.pagina || !l.atual.leitura.pagina->retangulo_atual()) {
        recusa = "sem a página";
    } else if ((r = reler_chat(a_, l.atual.leitura)).estado != Releitura::Estado::ok) {
        recusa = "releitura falhou";
    } else if (!cabecalho_livre(a_, j.janela, r.chat, r.pagina, l.atual.leitura.conteiner_de_mensagens)) {
        recusa = "chat escondido";
    }
    if (!recusa.empty()) {
        registrar("chat lembrado recusado (" + recusa + "): busca inteira");
        lembrados_.erase(it);
        return false;
    }
    const std::string de_volta = " De volta em " + ms_desde(l.quando) + " ms.";
    atual_ = l.atual;
    atual_->janela = j.janela;
    atual_->titulo = j.titulo;
    lembrados_.erase(it);
    const LeituraChat& lc = atual_->leitura;
    relatar(chave("chat", j),
            std::string(nome_do_site(lc.site)) + " em " + rotulo_da_aba(j.titulo) + ": chat lembrado em " +
                ms_desde(agora) + " ms (" + std::to_string(lc.lidos) + " elementos lidos), canal " +
                lc.canal.value_or("nenhum") + ", folga medida " +
                (lc.lista_7tv ? "a cada volta" : "só na busca") + ". " + entre_aspas(j.titulo) + de_volta);
    reuso_ = agora;
    boa_ = BoaLeitura{j.janela, j.titulo, r, agora};
    falhas_seguidas_ = 0;
    publicar_leitura(j, r);
    return true;
}

void Localizador::buscar(const JanelaDeLive& j) {
    ultima_busca_ = pl::agora();
    JANELAS_MUDARAM = false;
    if (!(atual_ && atual_->janela == j.janela && atual_->titulo == j.titulo) && reusar_lembrado(j)) return;

    const std::string rotulo = std::string(nome_do_site(j.site)) + " em " + rotulo_da_aba(j.titulo);
    Atual novo;
    novo.janela = j.janela;
    novo.titulo = j.titulo;
    novo.site = j.site;
    std::optional<Releitura> r;
    auto lida = [&] {
        Lendo lendo(*this);
        BuscaDeUmaVez uma_vez;
        auto l = localizar_chat(a_, j, memoria_);
        if (l) novo.leitura = *l;
        if (l && l->chat) {
            r = reler_chat(a_, novo.leitura);
            if (r->estado == Releitura::Estado::ok) buscar_coberturas_de(novo, r->chat);
        }
        return l;
    }();
    // A janela andou durante a busca e a Vidrel foi junto: o que foi lido
    // (o chat, a caixa, o botão) é do lugar de antes; a próxima volta busca
    // de novo.
    if (andou_lendo_) {
        forcar_busca_ = true;
        return;
    }
    // A janela fechou, minimizou ou sumiu durante a leitura: o que foi lido
    // não vale para nada que esteja na tela; a próxima volta vê o que houve.
    const JanelaLida agora_esta = como_esta(j.janela, j.titulo);
    if (agora_esta == JanelaLida::sumiu) {
        forcar_busca_ = true;
        return;
    }
    // O título mudou durante a leitura: o resultado é de outra aba.
    if (agora_esta == JanelaLida::titulo_mudou && descartes_seguidos_ < 3) {
        ++descartes_seguidos_;
        registrar("alvo da aba velha descartado: o título mudou durante a leitura");
        forcar_busca_ = true;
        return;
    }
    descartes_seguidos_ = 0;

    if (lida && lida->chat) {
        buscas_sem_chat_ = 0;
        if (r->estado != Releitura::Estado::ok) {
            if (atual_ && atual_->janela == j.janela && atual_->titulo == j.titulo && segurar(j)) return;
            relatar_sem_leitura(j, rotulo, *r, lida->ret_chat);
            atual_ = novo;
            if (mostrado_) retirar();
            return;
        }
        relatar(chave("chat", j), rotulo + ": chat achado em " + std::to_string(lida->ms) + " ms (" +
                                      std::to_string(lida->lidos) + " elementos lidos), canal " +
                                      lida->canal.value_or("nenhum") + ", folga medida " +
                                      (lida->lista_7tv ? "a cada volta" : "só na busca") + ". " +
                                      entre_aspas(j.titulo));
        atual_ = novo;
        falhas_seguidas_ = 0;
        boa_ = BoaLeitura{j.janela, j.titulo, *r, pl::agora()};
        publicar_leitura(j, *r);
        return;
    }

    // Nenhum chat nesta busca.
    busca_sem_chat_ = pl::agora();
    const bool mesmo_alvo = mostrado_ && atual_ && atual_->janela == j.janela && atual_->titulo == j.titulo &&
                            atual_->leitura.chat;
    if (mesmo_alvo) {
        ++buscas_sem_chat_;
        if (buscas_sem_chat_ == 1) {
            registrar(std::string(nome_do_site(j.site)) + ": uma busca sem o chat (escondido: " +
                      (lida && lida->painel_do_site ? "true" : "false") + ", " +
                      std::to_string(lida ? lida->lidos : 0) + " elementos lidos); mantida até a próxima");
            return;
        }
        const Releitura de_novo = reler_chat(a_, atual_->leitura);
        if (de_novo.estado == Releitura::Estado::ok &&
            cabecalho_livre(a_, j.janela, de_novo.chat, de_novo.pagina,
                            atual_->leitura.conteiner_de_mensagens))
            return;
    }
    buscas_sem_chat_ = 0;
    if (lida && lida->painel_do_site) {
        relatar(chave("painel", j),
                rotulo + ": painel do site por cima do chat, Vidrel fora. " + entre_aspas(j.titulo));
    } else {
        // Uma busca que falhou (um tempo esgotado, a página sumindo) não é uma
        // página sem chat: o erro vai junto.
        const std::string erro = lida ? "" : lida.erro().texto();
        relatar(chave("sem chat", j, erro), rotulo + ": não achei o chat nesta página. " +
                                                entre_aspas(j.titulo) +
                                                (erro.empty() ? "" : " (a busca falhou: " + erro + ")"));
    }
    atual_ = novo;
    if (mostrado_) retirar();
}

void Localizador::relatar_sem_leitura(const JanelaDeLive& j, const std::string& rotulo, const Releitura& r,
                                      const Retangulo& chat) {
    relatar(chave("sem leitura", j, r.motivo), rotulo + ": chat achado sem leitura (" + r.motivo +
                                                   "), Vidrel fora; página " + forma_de_depuracao(r.pagina) +
                                                   ", chat " + forma_de_depuracao(chat) + ". " +
                                                   entre_aspas(j.titulo));
}

void rodar_localizador() {
    Localizador localizador(criar_automacao());
    for (;;) {
        esperar_proxima_volta(localizador.espera());
        localizador.volta();
    }
}
