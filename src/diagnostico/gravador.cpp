// A sonda CENA: a área de trabalho de agora gravada numa cena, para que um
// problema visto no Windows se reproduza no Linux com --cena.

#include <set>

#include "comum/texto.hpp"
#include "diagnostico/cena_gravada.hpp"
#include "diagnostico/formas.hpp"
#include "diagnostico/sondas.hpp"
#include "plataforma/entrada.hpp"
#include "plataforma/janelas.hpp"

namespace pl = plataforma;
using uia::Propriedade;

namespace {

// A reprodução roda uns segundos parada, o bastante para o localizador achar o
// chat e publicar o estado.
constexpr std::int64_t kFimDaCenaMs = 3000;

Retangulo bordas_de(Hwnd h, const Retangulo& ret) {
    const auto cliente = pl::retangulo_do_cliente(h);
    const auto canto = pl::cliente_para_tela(h, Ponto{0, 0});
    if (!cliente || !canto) return {};
    const Retangulo tela = deslocar(*cliente, canto->x, canto->y);
    return Retangulo{tela.esquerda - ret.esquerda, tela.topo - ret.topo, ret.direita - tela.direita,
                     ret.base - tela.base};
}

JanelaGravada ler_janela(Hwnd h, std::uint32_t dpi_do_monitor) {
    JanelaGravada j;
    j.hwnd = h;
    j.classe = pl::classe_da_janela(h).value_or("");
    j.titulo = pl::titulo_da_janela(h);
    if (const auto dono = pl::processo_da_janela(h)) {
        j.processo = dono->processo;
        j.thread = dono->thread;
        j.executavel = pl::caminho_do_processo(dono->processo);
    }
    j.ret = pl::retangulo_da_janela(h).value_or(Retangulo{});
    j.bordas = bordas_de(h, j.ret);
    j.visivel = pl::janela_visivel(h);
    j.minimizada = pl::janela_minimizada(h);
    const std::uint32_t dpi = pl::dpi_da_janela(h);
    // O DPI só fica fixo na cena quando não é o do monitor (uma janela que o
    // sistema escala): assim a janela que muda de monitor muda de DPI.
    if (dpi != 0 && dpi != dpi_do_monitor) j.dpi = dpi;
    j.dono = pl::vizinha(h, pl::Vizinha::dona);
    j.estilo = pl::estilo_da_janela(h).value_or(0);
    j.estilo_ex = pl::estilo_ex_da_janela(h).value_or(0);
    return j;
}

std::uint32_t dpi_do_monitor_de(Hwnd h, const std::vector<MonitorGravado>& monitores) {
    const auto m = pl::monitor_da_janela(h);
    if (!m) return 0;
    for (const MonitorGravado& g : monitores)
        if (g.ret == m->ret) return g.dpi;
    return 0;
}

// Os elementos, do cache da subárvore; falso quando uma leitura falhou.
bool ler_elementos(const std::vector<uia::Elemento>& es, std::vector<ElementoGravado>& saida,
                   uia::Erro& erro) {
    for (const uia::Elemento& e : es) {
        ElementoGravado g;
        auto tipo = e.tipo_em_cache();
        auto ret = e.retangulo_em_cache();
        auto valor = e.valor_em_cache();
        auto filhos = e.filhos_em_cache();
        if (!tipo || !ret || !valor || !filhos) {
            erro = !tipo ? tipo.erro() : !ret ? ret.erro() : !valor ? valor.erro() : filhos.erro();
            return false;
        }
        g.tipo = *tipo;
        g.ret = *ret;
        g.valor = *valor;
        g.papel = e.papel_em_cache().valor_ou({});
        g.id = e.id_em_cache().valor_ou({});
        g.classe = e.classe_em_cache().valor_ou({});
        g.nome = e.nome_em_cache().valor_ou({});
        g.fora = e.fora_em_cache().valor_ou(false);
        g.hwnd = e.janela_nativa_em_cache().valor_ou(0);
        g.invocavel = e.invocavel_em_cache().valor_ou(false);
        g.rolavel = e.rolavel_em_cache().valor_ou(false);
        g.focavel = e.focavel_em_cache().valor_ou(true);
        g.controle = e.controle_em_cache().valor_ou(true);
        if (!ler_elementos(*filhos, g.filhos, erro)) return false;
        saida.push_back(std::move(g));
    }
    return true;
}

// O elemento que o UI Automation faz para uma janela filha sem provedor
// próprio: um painel com o título, a classe e o retângulo dela.
bool eh_elemento_da_filha(const ElementoGravado& e, const JanelaGravada& filha) {
    return e.hwnd == filha.hwnd && e.tipo == 50033 && e.nome == filha.titulo && e.classe == filha.classe &&
           e.ret == filha.ret && e.papel.empty() && e.id.empty();
}

// A página do navegador: a árvore crua abaixo do elemento da janela numa
// busca só (BuildUpdatedCache com a subárvore). O que está abaixo do
// elemento de uma filha vai para a página da filha; as janelas possuídas
// ficam de fora (são gravadas como janelas, com a dona).
std::optional<uia::Erro> ler_pagina_inteira(const uia::Automacao& a, JanelaGravada& nav,
                                            const std::set<Hwnd>& de_topo) {
    auto raiz = a.elemento_da_janela(nav.hwnd);
    if (!raiz) return raiz.erro();
    auto pedido = a.pedido_da_subarvore(
        {Propriedade::tipo, Propriedade::papel, Propriedade::id, Propriedade::classe, Propriedade::nome,
         Propriedade::valor, Propriedade::retangulo, Propriedade::fora, Propriedade::janela_nativa,
         Propriedade::invocavel, Propriedade::rolavel, Propriedade::focavel, Propriedade::controle});
    if (!pedido) return pedido.erro();
    auto arvore = raiz->atualizar_cache(*pedido);
    if (!arvore) return arvore.erro();
    auto filhos = arvore->filhos_em_cache();
    if (!filhos) return filhos.erro();
    std::vector<ElementoGravado> lidos;
    uia::Erro erro;
    if (!ler_elementos(*filhos, lidos, erro)) return erro;
    for (ElementoGravado& e : lidos) {
        if (e.hwnd != nav.hwnd && de_topo.count(e.hwnd)) continue;
        JanelaGravada* da_filha = nullptr;
        for (JanelaGravada& f : nav.filhas)
            if (eh_elemento_da_filha(e, f)) da_filha = &f;
        if (da_filha)
            da_filha->pagina = std::move(e.filhos);
        else
            nav.pagina.push_back(std::move(e));
    }
    return std::nullopt;
}

bool eh_do_navegador(Hwnd h) { return pl::classe_da_janela(h).value_or("") == "Chrome_WidgetWin_1"; }

}  // namespace

int sonda_cena(PaginaDaSonda& p, const std::string& caminho) {
    CenaGravada c;
    c.descricao = "Gravada pelo diagnóstico (CENA) sobre \"" + p.j.titulo + "\" em " + p.j.executavel + ".";
    c.processo = pl::processo_atual();
    c.caminho = pl::caminho_do_processo(c.processo);
    for (const pl::MonitorComDpi& m : pl::monitores()) c.monitores.push_back(MonitorGravado{m.ret, m.dpi});
    c.frente = pl::janela_da_frente();
    c.cursor = pl::posicao_do_cursor();
    c.fim_ms = kFimDaCenaMs;

    const std::vector<Hwnd> topo = pl::janelas_de_topo();
    const std::set<Hwnd> de_topo(topo.begin(), topo.end());
    const Retangulo area_do_navegador = pl::retangulo_da_janela(p.j.janela).value_or(Retangulo{});
    bool acima_do_navegador = true;
    std::set<Hwnd> gravadas;
    for (Hwnd h : topo) {
        if (h == p.j.janela) acima_do_navegador = false;
        const Retangulo r = pl::retangulo_da_janela(h).value_or(Retangulo{});
        // Acima do navegador contam também as escondidas que cruzam a página:
        // a janela do app fica escondida enquanto não há chat, e é ela que a
        // reprodução no modo hospedado usa.
        const bool cobre = acima_do_navegador && !intersecao(r, area_do_navegador).vazio();
        const Hwnd dona = pl::vizinha(h, pl::Vizinha::dona);
        if (!(eh_do_navegador(h) || h == c.frente || cobre || gravadas.count(dona))) continue;
        JanelaGravada j = ler_janela(h, dpi_do_monitor_de(h, c.monitores));
        if (j.dono != 0 && !gravadas.count(j.dono)) j.dono = 0;
        if (eh_do_navegador(h))
            for (Hwnd f : pl::janelas_filhas(h)) {
                j.filhas.push_back(ler_janela(f, 0));
                j.filhas.back().dpi = 0;  // o DPI de uma filha é sempre o da janela de topo
            }
        // O foco do teclado só vale na cena quando é uma janela gravada.
        if (j.processo != 0 || j.thread != 0) {
            const Hwnd foco = pl::foco_da_thread(j.thread);
            if (foco == h) j.foco = foco;
            for (const JanelaGravada& f : j.filhas)
                if (f.hwnd == foco) j.foco = foco;
        }
        gravadas.insert(h);
        c.janelas.push_back(std::move(j));
    }
    for (JanelaGravada& j : c.janelas) {
        if (j.hwnd != p.j.janela) continue;
        if (const auto erro = ler_pagina_inteira(p.a, j, de_topo)) {
            dizer("não consegui ler a página para a cena: " + erro->texto());
            return 1;
        }
    }
    if (!gravadas.count(c.frente)) c.frente = 0;

    if (!gravar_arquivo(caminho, texto_da_cena(c))) {
        dizer("não consegui gravar a cena em " + caminho + ": o arquivo não abriu ou a escrita falhou");
        return 1;
    }
    dizer("cena gravada em " + caminho + ": " + std::to_string(c.janelas.size()) + " janelas, " +
          std::to_string(contar_elementos(c)) + " elementos");
    return 0;
}
