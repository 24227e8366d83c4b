#include "janela/posicionamento.hpp"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <mutex>

#include "comum/texto.hpp"
#include "estado/log.hpp"
#include "estado/processo.hpp"
#include "estado/saida.hpp"
#include "janela/vidrel_propria.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/sistema.hpp"

namespace {

namespace pl = plataforma;
using namespace std::chrono_literals;

// Soltar espera a vez se outra thread está prendendo; o prazo só protege de
// um app que não responde.
constexpr auto kPrazoDaVez = 3s;

Presa& presa() { return processo().PRESA; }

int tamanho(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
}

std::uint32_t dpi_presa() {
    std::lock_guard g(presa().trava);
    return presa().dpi;
}

// Por que a Vidrel presa não pode continuar presa a "nav"; vazio se pode.
std::string motivo_para_soltar(Hwnd nav) {
    if (!chave_ligada()) return "chave desligada";
    if (!pl::existe_janela(nav)) return "o navegador fechou";
    if (!pl::janela_visivel(nav)) return "o navegador escondeu a janela";
    const std::uint32_t dpi = pl::dpi_da_janela(nav);
    if (dpi == 0 || dpi != dpi_presa()) return "a escala do monitor mudou";
    return {};
}

void soltar_pelo_motivo(Hwnd vidrel, const std::string& motivo) {
    // Mudar de escala presa deixa a Vidrel por cima até o fim.
    if (motivo == "a escala do monitor mudou") PRESA_RECUSADA = true;
    soltar(vidrel, motivo);
}

void posicionar_flutuando(Hwnd vidrel, const Alvo& e, ModoDePosicao modo) {
    const Hwnd nav = e.janela;
    // Dar como dono uma janela que já fechou deixaria a Vidrel presa a um
    // handle que o Windows pode reusar para outra janela.
    if (!pl::existe_janela(nav)) return;
    if (processo().DONO_ATUAL.exchange(nav) != nav) pl::definir_dono(vidrel, nav);
    const Hwnd acima = pl::vizinha(nav, pl::Vizinha::anterior);
    std::uint32_t opcoes = modo == ModoDePosicao::de_outra_thread ? pl::swp::assincrono | pl::swp::sem_ativar
                                                                  : pl::swp::mostrar | pl::swp::sem_ativar;
    Hwnd depois_de = acima;  // logo acima do navegador; sem ninguém acima, no topo
    if (acima == vidrel) {
        opcoes |= pl::swp::sem_ordem;
        depois_de = 0;
    }
    pl::posicionar_janela(vidrel, depois_de, e.chat.esquerda, e.chat.topo, tamanho(e.chat.largura()),
                          tamanho(e.chat.altura()), opcoes);
}

void posicionar_presa(Hwnd vidrel, const Alvo& e, ModoDePosicao modo) {
    std::uint32_t opcoes = pl::swp::sem_ativar;
    if (modo == ModoDePosicao::de_outra_thread)
        opcoes |= pl::swp::assincrono;
    else
        opcoes |= pl::swp::mostrar;
    int x = 0, y = 0, largura = 0, altura = 0;
    if (e.origem_cliente) {
        x = somar_saturado(e.chat.esquerda, -std::int64_t{e.origem_cliente->x});
        y = somar_saturado(e.chat.topo, -std::int64_t{e.origem_cliente->y});
        largura = tamanho(e.chat.largura());
        altura = tamanho(e.chat.altura());
    } else {
        opcoes |= pl::swp::sem_mover | pl::swp::sem_tamanho;
    }
    if (pl::vizinha(e.janela, pl::Vizinha::primeira_filha) == vidrel) opcoes |= pl::swp::sem_ordem;
    pl::posicionar_janela(vidrel, 0, x, y, largura, altura, opcoes);
}

// Tenta prender; verdadeiro quando a Vidrel ficou (ou já estava) presa. Com
// outra thread no meio de prender ou soltar, desiste desta vez (flutua).
bool prender(Hwnd vidrel, Hwnd nav) {
    Presa& p = presa();
    {
        std::lock_guard g(p.trava);
        if (PRESA_EM.load() != 0) return true;
        if (p.mexendo) return false;
        p.mexendo = true;
    }
    const std::uint32_t antigo = pl::estilo_da_janela(vidrel).value_or(0);
    pl::FeitoNoWindows feito = pl::definir_estilo(
        vidrel, (antigo & ~(pl::estilo::popup | pl::estilo::filha)) | pl::estilo::filha);
    // Uma recusa do SetParent aparece na conferência logo abaixo.
    if (const pl::FeitoNoWindows pai = pl::definir_pai(vidrel, nav); feito) feito = pai;
    const bool presa_de_fato = pl::ancestral(vidrel, pl::Ancestral::pai) == nav;
    const std::uint32_t dpi = presa_de_fato ? pl::dpi_da_janela(nav) : 0;
    if (!presa_de_fato) pl::definir_estilo(vidrel, antigo);
    {
        std::lock_guard g(p.trava);
        if (presa_de_fato) {
            p.estilo_salvo = antigo;
            p.dpi = dpi;
            processo().DONO_ATUAL = 0;
            PRESA_EM = nav;
        } else {
            PRESA_RECUSADA = true;
        }
        p.mexendo = false;
    }
    p.livre.notificar_todos();
    if (presa_de_fato) {
        registrar("Vidrel presa ao navegador (filha da janela dele, protótipo)");
        return true;
    }
    registrar("Vidrel presa: o Windows recusou prender ao navegador (" +
              (feito ? std::string("o pai não mudou") : feito.texto()) + "); segue por cima");
    return false;
}

// As condições de prender; posicionar também exige a origem da área cliente,
// que manter_posicao não olha.
bool pode_prender(Hwnd vidrel, const Alvo& e, bool exigir_origem = true) {
    if (exigir_origem && !e.origem_cliente) return false;
    if (!chave_ligada() || PRESA_RECUSADA) return false;
    const Hwnd nav = e.janela;
    if (!pl::janela_visivel(nav) || pl::janela_minimizada(nav)) return false;
    const std::uint32_t dpi = pl::dpi_da_janela(nav);
    return dpi != 0 && dpi == pl::dpi_da_janela(vidrel);
}

// Há janela de outro dono entre o navegador e a Vidrel, ou a Vidrel não está
// acima dele? Menus e diálogos do próprio navegador podem ficar no meio.
bool fora_de_ordem(Hwnd vidrel, Hwnd nav) {
    Hwnd w = pl::vizinha(nav, pl::Vizinha::anterior);
    if (w == 0) return true;
    for (int andadas = 0; andadas < 256; ++andadas) {
        if (w == 0) return true;  // chegou ao topo sem achar a Vidrel
        if (w == vidrel) return false;
        const bool a_mostra = pl::janela_visivel(w) && !pl::janela_minimizada(w);
        if (a_mostra && pl::ancestral(w, pl::Ancestral::dono_raiz) != nav) return true;
        w = pl::vizinha(w, pl::Vizinha::anterior);
    }
    return false;
}

}  // namespace

bool chave_ligada() {
    return CHAVE_PRESA.com([](ChavePresa& c) {
        if (!c.caminho) return false;
        const pl::Instante agora = pl::agora();
        if (c.ultima_olhada && agora - *c.ultima_olhada < std::chrono::seconds(1)) return c.resposta;
        std::error_code erro;
        c.resposta = std::filesystem::exists(caminho_utf8(*c.caminho), erro) && !erro;
        c.ultima_olhada = agora;
        return c.resposta;
    });
}

namespace {

// O que vem depois de guardar: a linha do app (ou a nossa janela) e a posição.
void depois_de_guardar(const std::optional<Alvo>& novo, bool igual, std::uint64_t versao) {
    const Hwnd vidrel = JANELA.load();
    if (igual) {
        // O app pode ter mexido na janela dele: volta para cima do chat.
        if (novo && JANELA_EXTERNA && vidrel != 0) {
            const auto r = pl::retangulo_da_janela(vidrel);
            if (!r || *r != novo->chat) posicionar(vidrel, *novo, ModoDePosicao::de_outra_thread);
        }
        return;
    }
    if (novo) NAVEGADOR_ATUAL = novo->janela;
    if (!JANELA_EXTERNA) {
        if (vidrel != 0) pl::postar_mensagem(vidrel, WM_ESTADO, 0, 0);
        return;
    }
    const std::string linha = linha_de_estado(novo);
    // Outra thread guardou um alvo mais novo e já escreveu a linha dele: esta
    // ficou velha antes de sair.
    const bool mais_novo = processo().ULTIMA_LINHA_DE_ESTADO.com([&](LinhaDeEstado& ultima) {
        if (versao < ultima.versao) return false;
        ultima.versao = versao;
        if (linha == ultima.linha) return true;
        escrever_linha(linha);
        ultima.linha = linha;
        return true;
    });
    if (mais_novo && novo && vidrel != 0) posicionar(vidrel, *novo, ModoDePosicao::de_outra_thread);
}

// Guarda "novo" sob a trava do alvo quando "pode" aceita o guardado, com o
// número da versão dado na mesma trava. Verdadeiro quando guardou.
template <class Pode>
bool guardar_e_publicar(const std::optional<Alvo>& novo, Pode pode) {
    std::uint64_t versao = 0;
    bool igual = false;
    const bool guardou = ALVO_PUBLICADO.com([&](std::optional<Alvo>& guardado) {
        if (!pode(guardado)) return false;
        igual = guardado == novo;
        if (!igual) {
            guardado = novo;
            versao = ++processo().VERSAO_DO_ALVO;
        }
        return true;
    });
    if (guardou) depois_de_guardar(novo, igual, versao);
    return guardou;
}

}  // namespace

void publicar_estado(const std::optional<Alvo>& novo) {
    guardar_e_publicar(novo, [](const std::optional<Alvo>&) { return true; });
}

bool publicar_estado_se(const std::optional<Alvo>& esperado, const std::optional<Alvo>& novo) {
    return guardar_e_publicar(novo,
                              [&](const std::optional<Alvo>& guardado) { return guardado == esperado; });
}

void posicionar(Hwnd vidrel, const Alvo& e, ModoDePosicao modo) {
    if (!JANELA_EXTERNA) {
        posicionar_flutuando(vidrel, e, modo);
        return;
    }
    const Hwnd nav = e.janela;
    const Hwnd presa = PRESA_EM.load();
    if (presa != 0 && presa != nav) soltar(vidrel, "a live foi para outro navegador");
    if (PRESA_EM.load() != 0) {
        const std::string motivo = motivo_para_soltar(nav);
        if (motivo.empty()) {
            posicionar_presa(vidrel, e, modo);
            return;
        }
        soltar_pelo_motivo(vidrel, motivo);
        posicionar_flutuando(vidrel, e, modo);
        return;
    }
    if (pode_prender(vidrel, e) && prender(vidrel, nav)) {
        posicionar_presa(vidrel, e, modo);
        return;
    }
    posicionar_flutuando(vidrel, e, modo);
}

void soltar(Hwnd vidrel, std::string_view motivo) {
    if (vidrel == 0) return;
    Presa& p = presa();
    std::uint32_t salvo = 0;
    {
        std::unique_lock lk(p.trava);
        const pl::Instante prazo = pl::agora() + kPrazoDaVez;
        while (p.mexendo)
            if (!p.livre.esperar_ate(lk, prazo)) break;
        if (p.mexendo || PRESA_EM.exchange(0) == 0) return;
        p.mexendo = true;
        salvo = p.estilo_salvo;
    }
    pl::definir_pai(vidrel, 0);
    const std::uint32_t atual = pl::estilo_da_janela(vidrel).value_or(0);
    pl::definir_estilo(vidrel, (salvo & ~pl::estilo::visivel) | (atual & pl::estilo::visivel));
    {
        std::lock_guard g(p.trava);
        processo().DONO_ATUAL = 0;
        p.mexendo = false;
    }
    p.livre.notificar_todos();
    registrar("Vidrel solta do navegador (" + std::string(motivo) + "); de volta por cima dele");
}

void manter_posicao(Hwnd vidrel) {
    if (vidrel == 0) return;
    const std::optional<Alvo> estado = ALVO_PUBLICADO.copiar();
    const Hwnd presa = PRESA_EM.load();
    if (presa != 0) {
        const std::string motivo = motivo_para_soltar(presa);
        if (motivo.empty()) {
            if (pl::janela_visivel(vidrel) && pl::vizinha(presa, pl::Vizinha::primeira_filha) != vidrel)
                pl::posicionar_janela(
                    vidrel, 0, 0, 0, 0, 0,
                    pl::swp::assincrono | pl::swp::sem_ativar | pl::swp::sem_mover | pl::swp::sem_tamanho);
            return;
        }
        soltar_pelo_motivo(vidrel, motivo);
        if (estado) posicionar(vidrel, *estado, ModoDePosicao::de_outra_thread);
    } else if (estado && pl::janela_visivel(vidrel) && pode_prender(vidrel, *estado, false)) {
        posicionar(vidrel, *estado, ModoDePosicao::de_outra_thread);
        if (PRESA_EM.load() != 0) return;
    }
    if (estado && pl::janela_visivel(vidrel) && fora_de_ordem(vidrel, estado->janela))
        posicionar(vidrel, *estado, ModoDePosicao::de_outra_thread);
}
