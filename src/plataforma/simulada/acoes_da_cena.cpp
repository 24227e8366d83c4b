#include "plataforma/simulada/acoes_da_cena.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <utility>

#include "comum/texto.hpp"
#include "plataforma/simulada/cena_limites.hpp"
#include "plataforma/simulada/cena_montador.hpp"
#include "plataforma/simulada/chromium.hpp"
#include "plataforma/simulada/console.hpp"
#include "plataforma/simulada/foto.hpp"
#include "plataforma/sistema.hpp"

namespace plataforma::simulada {

Hwnd Conferencia::janela_existente(const char* campo) {
    const Hwnd h = l.inteiro(campo);
    if (!r.tem_janela(h)) Leitor::erro_em(l.de(campo), "janela " + std::to_string(h) + " não existe na cena");
    return h;
}

std::string Conferencia::chave_existente(const char* campo) {
    const std::string c = l.texto(campo);
    if (!r.tem_chave(c)) Leitor::erro_em(l.de(campo), "chave " + citar(c) + " não existe na cena");
    return c;
}

namespace {

void so_a_janela(Conferencia& c) { c.janela_existente("janela"); }

// --- Janelas ---

void conferir_mover(Conferencia& c) {
    c.janela_existente("janela");
    const bool tem_ret = c.l.tem("ret");
    const bool tem_desl = c.l.tem("deslocar");
    if (tem_ret == tem_desl) c.l.erro("\"mover\" leva \"ret\" ou \"deslocar\", um dos dois");
    if (tem_ret) c.l.retangulo("ret");
    if (tem_desl) c.l.ponto("deslocar");
}

void aplicar_mover(AplicacaoNaArea& p) {
    Retangulo novo;
    if (p.l.tem("ret")) {
        novo = p.l.retangulo("ret");
    } else {
        const Ponto d = p.l.ponto("deslocar");
        novo = deslocar(p.j->ret, d.x, d.y);
    }
    p.a.mover(p.h, novo);
    p.rastro["ret_novo"] = Json::array({p.j->ret.esquerda, p.j->ret.topo, p.j->ret.direita, p.j->ret.base});
}

void conferir_titulo(Conferencia& c) {
    c.janela_existente("janela");
    c.l.texto("titulo");
}

void aplicar_titulo(AplicacaoNaArea& p) {
    p.j->titulo = p.l.texto("titulo");
    p.a.avisar(evento::objeto_renomeado, p.h, OBJETO_JANELA, FILHO_PROPRIO);
}

void aplicar_mostrar(AplicacaoNaArea& p) { p.a.mudar_visibilidade(p.h, true); }
void aplicar_esconder(AplicacaoNaArea& p) { p.a.mudar_visibilidade(p.h, false); }

void aplicar_minimizar(AplicacaoNaArea& p) {
    p.j->minimizada = true;
    if (p.a.frente == p.h) p.a.frente = 0;
    p.a.avisar(evento::objeto_moveu, p.h, OBJETO_JANELA, FILHO_PROPRIO);
}

void aplicar_restaurar(AplicacaoNaArea& p) {
    p.j->minimizada = false;
    p.a.avisar(evento::objeto_moveu, p.h, OBJETO_JANELA, FILHO_PROPRIO);
}

void conferir_fechar(Conferencia& c) { c.r.fechar(c.janela_existente("janela")); }
void aplicar_fechar(AplicacaoNaArea& p) { p.a.fechar(p.h); }

// O processo da janela morre: todas as janelas dele fecham, e os elementos
// que o programa guardou delas respondem como um servidor COM que sumiu. Na
// validação só a janela citada fecha; um evento posterior sobre outra janela
// do mesmo processo fica "ignorado" na hora, como sobre uma janela fechada.
void aplicar_morrer(AplicacaoNaArea& p) {
    const std::uint32_t processo = p.j->processo;
    std::vector<Hwnd> delas;
    for (const auto& [h, j] : p.a.janelas)
        if (j.processo == processo) delas.push_back(h);
    for (Hwnd h : delas) p.a.janelas_de_processo_morto.insert(h);
    for (Hwnd h : delas)
        if (p.a.achar(h) && !p.a.achar(h)->pai) p.a.fechar(h);
}

void conferir_frente(Conferencia& c) {
    if (c.l.inteiro("janela") != 0) c.janela_existente("janela");
}

void aplicar_frente(AplicacaoNaArea& p) {
    if (p.h == 0)
        p.a.frente = 0;
    else if (p.j)
        p.a.trazer_para_frente(p.h);
}

// A janela nova é montada de verdade numa área à parte, com o mesmo leitor da
// cena inicial; dela saem para o rascunho os handles, os donos e as chaves.
void conferir_abrir(Conferencia& c) {
    AreaDeTrabalho area;
    Montador m(area, &c.r.orcamento);
    m.tambem_em_uso([&](Hwnd h) { return c.r.tem_janela(h); });
    m.chaves_repetidas_em(c.e.onde + ": ");
    m.janela(c.l.bruto("janela"), c.l.de("janela"), 0, true);
    for (const JanelaMontada& w : m.montadas()) {
        const JanelaSim& j = area.janelas.at(w.hwnd);
        c.r.acrescentar_janela(w.hwnd, j.pai, j.dono);
    }
    for (const JanelaMontada& w : m.montadas()) {
        const Hwnd dono = area.janelas.at(w.hwnd).dono;
        if (dono && !c.r.tem_janela(dono))
            Leitor::erro_em(w.caminho + ".dono", "janela " + std::to_string(dono) + " não existe na cena");
    }
    for (const JanelaMontada& w : m.montadas()) c.r.recusar_ciclo_de_donos(w.hwnd, w.caminho + ".dono");
    for (const JanelaMontada& w : m.montadas())
        c.r.acrescentar_elementos(area.janelas.at(w.hwnd).arvore, w.hwnd, "", 1, c.e.onde);
}

void aplicar_abrir(AplicacaoNaArea& p) {
    Montador(p.a).janela(p.l.bruto("janela"), p.l.de("janela"), 0, true);
}

void conferir_arrasto(Conferencia& c) {
    c.janela_existente("janela");
    const std::string fase = c.l.texto("fase");
    if (fase != "inicio" && fase != "fim") Leitor::erro_em(c.l.de("fase"), "esperava \"inicio\" ou \"fim\"");
}

void aplicar_arrasto(AplicacaoNaArea& p) {
    p.a.avisar(p.l.texto("fase") == "inicio" ? evento::movimento_inicio : evento::movimento_fim, p.h,
               OBJETO_JANELA, FILHO_PROPRIO);
}

void conferir_dpi(Conferencia& c) {
    c.janela_existente("janela");
    c.l.natural32("dpi", 0);
}

void aplicar_dpi(AplicacaoNaArea& p) {
    const std::uint32_t dpi = p.l.natural32("dpi", 0);
    if (dpi)
        p.j->dpi = dpi;
    else
        p.j->dpi.reset();
}

// --- Elementos ---

void conferir_elemento(Conferencia& c) {
    c.chave_existente("chave");
    ElementoSim descartavel;
    Montador::campos(c.l, descartavel);
    if (c.l.tem("deslocar")) c.l.ponto("deslocar");
}

// Um papel novo muda também o que os textos de baixo são (controle ou não).
void derivar_a_subarvore(ElementoSim& e) {
    derivar_da_web(e);
    for (const ElementoPtr& f : e.filhos) derivar_a_subarvore(*f);
}

void aplicar_elemento(AplicacaoNaArea& p) {
    const auto it = p.a.por_chave.find(p.l.texto("chave"));
    if (it == p.a.por_chave.end()) return;
    const Retangulo antes = it->second->ret;
    Montador::campos(p.l, *it->second);
    derivar_a_subarvore(*it->second);
    if (p.l.tem("deslocar")) {
        const Ponto d = p.l.ponto("deslocar");
        std::vector<ElementoPtr> um{it->second};
        p.a.deslocar_elementos(um, d.x, d.y);
    }
    if (it->second->ret != antes) p.a.avisar_elemento(evento::objeto_moveu, it->second);
}

void conferir_adicionar(Conferencia& c) {
    if (c.l.tem("dentro_de") == c.l.tem("janela"))
        c.l.erro("\"adicionar\" leva \"dentro_de\" (chave) ou \"janela\", um dos dois");
    std::string acima;
    Hwnd janela = 0;
    int nivel = 1;
    if (c.l.tem("dentro_de")) {
        acima = c.chave_existente("dentro_de");
        janela = c.r.janela_da_chave(acima);
        nivel = c.r.nivel(acima) + 1;
    } else {
        janela = c.janela_existente("janela");
    }
    c.l.inteiro("posicao", -1);
    AreaDeTrabalho area;
    Montador m(area, &c.r.orcamento);
    std::vector<ElementoPtr> novos;
    m.elementos(c.l.bruto("elemento"), c.l.de("elemento"), novos, {});
    // Cada "adicionar" pode pôr um elemento dentro do anterior: sem conta, a
    // árvore cresceria sem fim e as recursões que andam nela estourariam.
    if (nivel - 1 + Rascunho::niveis(novos) > limites::kNiveisDeElementos)
        Leitor::erro_em(c.l.de("elemento"), "o elemento ficaria a mais de " +
                                                std::to_string(limites::kNiveisDeElementos) +
                                                " níveis de elementos uns dentro dos outros");
    c.r.acrescentar_elementos(novos, janela, acima, nivel, c.e.onde);
}

void aplicar_adicionar(AplicacaoNaArea& p) {
    std::vector<ElementoPtr>* destino = nullptr;
    std::weak_ptr<ElementoSim> mae;
    Hwnd dona = p.h;
    if (p.l.tem("dentro_de")) {
        const auto it = p.a.por_chave.find(p.l.texto("dentro_de"));
        if (it != p.a.por_chave.end()) {
            destino = &it->second->filhos;
            mae = it->second;
            dona = it->second->janela_dona;
        }
    } else if (p.j) {
        destino = &p.j->arvore;
    }
    if (!destino) return;
    std::vector<ElementoPtr> novos;
    Montador(p.a).elementos(p.l.bruto("elemento"), p.l.de("elemento"), novos, mae);
    const std::int64_t pos = p.l.inteiro("posicao", -1);
    const auto onde = pos < 0 || pos > static_cast<std::int64_t>(destino->size()) ? destino->end()
                                                                                  : destino->begin() + pos;
    destino->insert(onde, novos.begin(), novos.end());
    for (const ElementoPtr& x : novos) {
        p.a.definir_dona(x, dona);
        p.a.registrar_chaves(x);
        p.a.avisar_elemento(evento::objeto_mostrado, x);
    }
}

void conferir_remover(Conferencia& c) { c.r.remover(c.chave_existente("chave")); }

// O vetor que guarda o elemento: os filhos da mãe ou a árvore da janela.
std::vector<ElementoPtr>* lista_que_guarda(AreaDeTrabalho& a, const ElementoPtr& e) {
    if (ElementoPtr mae = e->pai.lock()) return &mae->filhos;
    for (auto& [h, j] : a.janelas)
        if (std::find(j.arvore.begin(), j.arvore.end(), e) != j.arvore.end()) return &j.arvore;
    return nullptr;
}

void aplicar_remover(AplicacaoNaArea& p) {
    const auto it = p.a.por_chave.find(p.l.texto("chave"));
    if (it == p.a.por_chave.end()) return;
    const ElementoPtr alvo = it->second;
    if (std::vector<ElementoPtr>* lista = lista_que_guarda(p.a, alvo))
        lista->erase(std::remove(lista->begin(), lista->end(), alvo), lista->end());
    p.a.avisar_elemento(evento::objeto_escondido, alvo);
    p.a.esquecer_chaves(alvo);
}

void conferir_focar(Conferencia& c) { c.chave_existente("chave"); }

void aplicar_focar(AplicacaoNaArea& p) {
    const auto it = p.a.por_chave.find(p.l.texto("chave"));
    if (it != p.a.por_chave.end()) p.a.foco_uia = it->second;
}

// --- Cursor e teclado ---

void conferir_cursor(Conferencia& c) {
    if (c.l.tem("pos")) c.l.ponto("pos");
    c.l.logico("visivel", true);
}

void aplicar_cursor(AplicacaoNaArea& p) {
    if (p.l.tem("pos")) p.a.cursor = p.l.ponto("pos");
    p.a.cursor_visivel = p.l.logico("visivel", p.a.cursor_visivel);
}

void conferir_tecla(Conferencia& c) {
    codigo_de_tecla(c.l.bruto("tecla"), c.l.de("tecla"));
    c.l.logico("apertada", true);
    if (!c.l.tem("apertada")) c.l.erro("falta o campo \"apertada\"");
}

void aplicar_tecla(AplicacaoNaArea& p) {
    const int tecla = codigo_de_tecla(p.l.bruto("tecla"), p.l.de("tecla"));
    if (p.l.logico("apertada", true))
        p.a.teclas.insert(tecla);
    else
        p.a.teclas.erase(tecla);
}

// --- Falhas e lentidões ---

void conferir_falhar(Conferencia& c) { Montador::falha(c.l); }
void aplicar_falhar(AplicacaoNaArea& p) { p.a.falhas.push_back(Montador::falha(p.l)); }

void conferir_curar(Conferencia& c) { c.l.texto("chamada"); }

void aplicar_curar(AplicacaoNaArea& p) {
    const std::string chamada = p.l.texto("chamada");
    std::erase_if(p.a.falhas, [&](const FalhaSim& f) { return f.chamada == chamada; });
}

void conferir_lentidao(Conferencia& c) { Montador::lentidao(c.l); }

void aplicar_lentidao(AplicacaoNaArea& p) {
    const LentidaoSim d = Montador::lentidao(p.l);
    std::erase_if(p.a.lentidoes,
                  [&](const LentidaoSim& x) { return x.chamada == d.chamada && x.janela == d.janela; });
    if (d.ms > 0) p.a.lentidoes.push_back(d);
}

// --- Fora da área ---

void conferir_entrada(Conferencia& c) { c.l.texto("linha"); }
void aplicar_entrada(const EventoDaCena& e) { entrada_receber_linha(e.dados.at("linha").get<std::string>()); }

void nada_a_conferir(Conferencia&) {}
void aplicar_fim_da_entrada(const EventoDaCena&) { entrada_fechar(); }

void conferir_arquivo(Conferencia& c) {
    c.l.texto("caminho");
    c.l.logico("existe", true);
    if (!c.l.tem("existe")) c.l.erro("falta o campo \"existe\"");
}

// Um arquivo de verdade (o arquivo-chave de --presa, por exemplo).
void aplicar_arquivo(const EventoDaCena& e) {
    const std::string caminho = e.dados.at("caminho").get<std::string>();
    std::error_code erro;
    if (e.dados.at("existe").get<bool>())
        std::ofstream(caminho_utf8(caminho)).put('\n');
    else
        std::filesystem::remove(caminho_utf8(caminho), erro);
}

void conferir_foto(Conferencia& c) {
    if (c.l.texto("arquivo").empty()) Leitor::erro_em(c.l.de("arquivo"), "o arquivo da foto está vazio");
}

// A área naquele instante, em SVG; uma foto que não gravou fica no rastro.
void aplicar_foto(const EventoDaCena& e) {
    const std::string arquivo = e.dados.at("arquivo").get<std::string>();
    if (!tirar_foto(arquivo)) Rastro::global().registrar({{"foto", arquivo}, {"ok", false}});
}

void conferir_travar(Conferencia& c) {
    c.janela_existente("janela");
    if (c.l.tem("ms")) c.l.inteiro("ms");  // a faixa já foi vista em soltura_do_travar
}

// "travar" com "ms" solta sozinho depois desse tempo.
void soltura_do_travar(const EventoDaCena& e, std::vector<EventoDaCena>& novos) {
    if (!e.dados.contains("ms")) return;
    const std::string onde = e.onde + ".ms";
    const std::int64_t ms = Leitor::como_inteiro(e.dados.at("ms"), onde);
    if (ms < 0) Leitor::erro_em(onde, "não pode ser negativo");
    if (ms > limites::kInstanteMaximoMs - e.em_ms)
        Leitor::erro_em(onde, "a trava acabaria depois do limite de " +
                                  std::to_string(limites::kInstanteMaximoMs) + " ms (10 dias)");
    EventoDaCena solta;
    solta.em_ms = e.em_ms + ms;
    solta.acao = "destravar";
    solta.onde = e.onde;
    solta.dados = {{"em", solta.em_ms}, {"acao", "destravar"}, {"janela", e.dados.value("janela", Json())}};
    novos.push_back(std::move(solta));
}

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
    std::vector<AreaDeTrabalho::EfeitoGuardado> adiados;
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
    std::vector<Json> entregas;
    {
        std::lock_guard g(a.m);
        for (auto& f : adiados)
            if (auto linha = f(a)) entregas.push_back(std::move(*linha));
        acordar = std::exchange(a.acordar_pendente, false);
    }
    for (Json& l : entregas) Rastro::global().registrar(std::move(l));
    if (acordar) acordar_filas();
}

void aplicar_travar(const EventoDaCena& e) { travar_thread(e.dados.at("janela").get<Hwnd>(), true); }
void aplicar_destravar(const EventoDaCena& e) { travar_thread(e.dados.at("janela").get<Hwnd>(), false); }

void conferir_fim(Conferencia& c) {
    const std::int64_t codigo = c.l.inteiro("codigo", 0);
    if (codigo < 0 || codigo > 255) Leitor::erro_em(c.l.de("codigo"), "esperava 0 a 255");
}

void aplicar_fim(const EventoDaCena& e) {
    plataforma::encerrar_processo(static_cast<int>(e.dados.value("codigo", 0)));
}

// Sem trava nem janela, os campos ficam no padrão: a ação aplicada fora da
// área vai ao rastro depois do efeito e não tem eventos seguintes.
const AcaoDaCena kAcoes[] = {
    {.nome = "mover", .conferir = conferir_mover, .na_area = aplicar_mover, .so_com_a_janela = true},
    {.nome = "titulo", .conferir = conferir_titulo, .na_area = aplicar_titulo, .so_com_a_janela = true},
    {.nome = "mostrar", .conferir = so_a_janela, .na_area = aplicar_mostrar, .so_com_a_janela = true},
    {.nome = "esconder", .conferir = so_a_janela, .na_area = aplicar_esconder, .so_com_a_janela = true},
    {.nome = "minimizar", .conferir = so_a_janela, .na_area = aplicar_minimizar, .so_com_a_janela = true},
    {.nome = "restaurar", .conferir = so_a_janela, .na_area = aplicar_restaurar, .so_com_a_janela = true},
    {.nome = "fechar", .conferir = conferir_fechar, .na_area = aplicar_fechar, .so_com_a_janela = true},
    {.nome = "morrer", .conferir = conferir_fechar, .na_area = aplicar_morrer, .so_com_a_janela = true},
    {.nome = "frente", .conferir = conferir_frente, .na_area = aplicar_frente},
    {.nome = "abrir", .conferir = conferir_abrir, .na_area = aplicar_abrir},
    {.nome = "arrasto", .conferir = conferir_arrasto, .na_area = aplicar_arrasto, .so_com_a_janela = true},
    {.nome = "dpi", .conferir = conferir_dpi, .na_area = aplicar_dpi, .so_com_a_janela = true},
    {.nome = "elemento", .conferir = conferir_elemento, .na_area = aplicar_elemento},
    {.nome = "adicionar", .conferir = conferir_adicionar, .na_area = aplicar_adicionar},
    {.nome = "remover", .conferir = conferir_remover, .na_area = aplicar_remover},
    {.nome = "focar", .conferir = conferir_focar, .na_area = aplicar_focar},
    {.nome = "cursor", .conferir = conferir_cursor, .na_area = aplicar_cursor},
    {.nome = "tecla", .conferir = conferir_tecla, .na_area = aplicar_tecla},
    {.nome = "falhar", .conferir = conferir_falhar, .na_area = aplicar_falhar},
    {.nome = "curar", .conferir = conferir_curar, .na_area = aplicar_curar},
    {.nome = "lentidao", .conferir = conferir_lentidao, .na_area = aplicar_lentidao},
    {.nome = "entrada", .conferir = conferir_entrada, .fora = aplicar_entrada, .rastro_antes = true},
    {.nome = "fim_da_entrada",
     .conferir = nada_a_conferir,
     .fora = aplicar_fim_da_entrada,
     .rastro_antes = true},
    {.nome = "arquivo", .conferir = conferir_arquivo, .fora = aplicar_arquivo},
    {.nome = "foto", .conferir = conferir_foto, .fora = aplicar_foto},
    {.nome = "travar", .conferir = conferir_travar, .fora = aplicar_travar, .seguintes = soltura_do_travar},
    {.nome = "destravar", .conferir = so_a_janela, .fora = aplicar_destravar},
    {.nome = "fim", .conferir = conferir_fim, .fora = aplicar_fim, .rastro_antes = true},
};

}  // namespace

const AcaoDaCena* acao_da_cena(std::string_view nome) {
    const auto it = std::find_if(std::begin(kAcoes), std::end(kAcoes),
                                 [&](const AcaoDaCena& a) { return a.nome == nome; });
    return it == std::end(kAcoes) ? nullptr : &*it;
}

}  // namespace plataforma::simulada
