#include "plataforma/simulada/area_de_trabalho.hpp"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace plataforma::simulada {

namespace {

const std::map<std::string, std::int32_t>& tipos() {
    static const std::map<std::string, std::int32_t> t = {
        {"Button", 50000},      {"Calendar", 50001},    {"CheckBox", 50002},  {"ComboBox", 50003},
        {"Edit", 50004},        {"Hyperlink", 50005},   {"Image", 50006},     {"ListItem", 50007},
        {"List", 50008},        {"Menu", 50009},        {"MenuBar", 50010},   {"MenuItem", 50011},
        {"ProgressBar", 50012}, {"RadioButton", 50013}, {"ScrollBar", 50014}, {"Slider", 50015},
        {"Spinner", 50016},     {"StatusBar", 50017},   {"Tab", 50018},       {"TabItem", 50019},
        {"Text", 50020},        {"ToolBar", 50021},     {"ToolTip", 50022},   {"Tree", 50023},
        {"TreeItem", 50024},    {"Custom", 50025},      {"Group", 50026},     {"Thumb", 50027},
        {"DataGrid", 50028},    {"DataItem", 50029},    {"Document", 50030},  {"SplitButton", 50031},
        {"Window", 50032},      {"Pane", 50033},        {"Header", 50034},    {"HeaderItem", 50035},
        {"Table", 50036},       {"TitleBar", 50037},    {"Separator", 50038}, {"SemanticZoom", 50039},
        {"AppBar", 50040},
    };
    return t;
}

}  // namespace

std::optional<std::int32_t> tipo_de_controle(const std::string& nome) {
    const auto it = tipos().find(nome);
    if (it == tipos().end()) return std::nullopt;
    return it->second;
}

std::string nome_do_tipo(std::int32_t tipo) {
    for (const auto& [nome, valor] : tipos())
        if (valor == tipo) return nome;
    return std::to_string(tipo);
}

AreaDeTrabalho& AreaDeTrabalho::global() {
    static AreaDeTrabalho a;
    return a;
}

void AreaDeTrabalho::limpar() {
    monitores.clear();
    janelas.clear();
    ordem_z.clear();
    processos.clear();
    processo_do_programa = 4242;
    frente = 0;
    cursor = {};
    cursor_visivel = true;
    teclas.clear();
    classes.clear();
    por_chave.clear();
    falhas.clear();
    lentidoes.clear();
    chamadas_uia.clear();
    custo.definir(PerfilDeCusto{});
    regioes.clear();
    proxima_regiao = 0x2A000;
    reacoes.clear();
    sob_o_ponteiro.clear();
    disparadas.clear();
    adiados_da_pagina.clear();
    chromium = ChromiumSim{};
    janelas_de_processo_morto.clear();
    depois_da_reacao = nullptr;
    rastrear_uia = false;
    foco_uia.reset();
    raiz_uia.reset();
    ganchos.clear();
    avisos.clear();
    lupa_iniciada = false;
    proximo_elemento = 1;
    proxima_janela = 0x30000;
    filas.clear();
    acordar_pendente = false;
    {
        std::lock_guard g(travadas_trava);
        threads_travadas.clear();
        adiados.clear();
    }
}

std::optional<std::int32_t> AreaDeTrabalho::deve_falhar(const std::string& chamada, Hwnd janela,
                                                        const std::string& chave) {
    for (auto it = falhas.begin(); it != falhas.end(); ++it) {
        FalhaSim& f = *it;
        if (f.chamada != chamada) continue;
        if (f.janela && f.janela != janela && f.janela != raiz_de(janela)) continue;
        if (!f.chave.empty() && f.chave != chave) continue;
        if (f.pular > 0) {
            --f.pular;
            return std::nullopt;
        }
        const std::int32_t hr = f.hresult;
        if (f.vezes > 0 && --f.vezes == 0) falhas.erase(it);
        return hr;
    }
    return std::nullopt;
}

JanelaSim* AreaDeTrabalho::achar(Hwnd h) {
    if (h == 0) return nullptr;
    const auto it = janelas.find(h);
    return it == janelas.end() ? nullptr : &it->second;
}

bool AreaDeTrabalho::visivel_de_fato(Hwnd h) {
    for (JanelaSim* j = achar(h); j; j = achar(j->pai))
        if (!j->visivel) return false;
    return achar(h) != nullptr;
}

const MonitorSim* AreaDeTrabalho::monitor_mais_proximo(const Retangulo& r) {
    const MonitorSim* melhor = nullptr;
    std::int64_t melhor_area = 0;
    for (const MonitorSim& m : monitores) {
        const Retangulo i = intersecao(m.ret, r);
        const std::int64_t area = i.vazio() ? 0 : i.area();
        if (area > melhor_area) {
            melhor = &m;
            melhor_area = area;
        }
    }
    if (melhor) return melhor;
    // Fora de todos: o de centro mais próximo do centro da janela.
    std::int64_t melhor_distancia = 0;
    const std::int64_t cx = (std::int64_t{r.esquerda} + r.direita) / 2;
    const std::int64_t cy = (std::int64_t{r.topo} + r.base) / 2;
    for (const MonitorSim& m : monitores) {
        const std::int64_t mx = (std::int64_t{m.ret.esquerda} + m.ret.direita) / 2;
        const std::int64_t my = (std::int64_t{m.ret.topo} + m.ret.base) / 2;
        const std::int64_t d = std::llabs(mx - cx) + std::llabs(my - cy);
        if (!melhor || d < melhor_distancia) {
            melhor = &m;
            melhor_distancia = d;
        }
    }
    return melhor;
}

Hwnd AreaDeTrabalho::raiz_de(Hwnd h) {
    JanelaSim* j = achar(h);
    while (j && j->pai) {
        JanelaSim* p = achar(j->pai);
        if (!p) break;
        j = p;
    }
    return j ? j->hwnd : 0;
}

Hwnd AreaDeTrabalho::dono_raiz_de(Hwnd h) {
    JanelaSim* j = achar(raiz_de(h));
    // A cadeia de donos é curta; o limite só protege de um ciclo numa cena.
    for (int i = 0; j && j->dono && i < 64; ++i) {
        JanelaSim* d = achar(j->dono);
        if (!d) break;
        j = d;
    }
    return j ? j->hwnd : 0;
}

std::uint32_t AreaDeTrabalho::dpi_de(Hwnd h) {
    JanelaSim* j = achar(raiz_de(h));
    if (!j) return 0;
    if (j->dpi) return *j->dpi;
    const MonitorSim* m = monitor_mais_proximo(j->ret);
    return m ? m->dpi : 96;
}

Retangulo AreaDeTrabalho::cliente_em_tela(const JanelaSim& j) {
    return {somar_saturado(j.ret.esquerda, j.bordas.esquerda), somar_saturado(j.ret.topo, j.bordas.topo),
            somar_saturado(j.ret.direita, -std::int64_t{j.bordas.direita}),
            somar_saturado(j.ret.base, -std::int64_t{j.bordas.base})};
}

bool AreaDeTrabalho::acerta(const JanelaSim& j, Ponto p) {
    if (!j.ret.contem(p)) return false;
    if (!j.regiao) return true;
    const auto it = regioes.find(j.regiao);
    if (it == regioes.end()) return true;
    const Ponto relativo{somar_saturado(p.x, -std::int64_t{j.ret.esquerda}),
                         somar_saturado(p.y, -std::int64_t{j.ret.topo})};
    for (const Retangulo& r : it->second)
        if (r.contem(relativo)) return true;
    return false;
}

Hwnd AreaDeTrabalho::janela_no_ponto(Ponto p) {
    // WindowFromPoint passa por janelas escondidas, minimizadas, pelas
    // transparentes ao clique (WS_EX_TRANSPARENT) e pelos buracos da região.
    auto acerta = [&](const JanelaSim& j) {
        return j.visivel && !j.minimizada && !(j.estilo_ex & estilo_ex::transparente) && this->acerta(j, p);
    };
    for (Hwnd h : ordem_z) {
        JanelaSim* j = achar(h);
        if (!j || !acerta(*j)) continue;
        Hwnd achada = h;
        for (bool desceu = true; desceu;) {
            desceu = false;
            for (Hwnd f : achar(achada)->filhas) {
                JanelaSim* filha = achar(f);
                if (filha && acerta(*filha)) {
                    achada = f;
                    desceu = true;
                    break;
                }
            }
        }
        return achada;
    }
    return 0;
}

std::vector<Hwnd>* AreaDeTrabalho::irmas_de(Hwnd h) {
    JanelaSim* j = achar(h);
    if (!j) return nullptr;
    if (j->pai) {
        JanelaSim* p = achar(j->pai);
        return p ? &p->filhas : nullptr;
    }
    return &ordem_z;
}

void AreaDeTrabalho::inserir_no_topo(Hwnd h) {
    std::vector<Hwnd>* irmas = irmas_de(h);
    if (!irmas) return;
    irmas->erase(std::remove(irmas->begin(), irmas->end(), h), irmas->end());
    auto pos = irmas->begin();
    // Uma janela comum não passa à frente das que ficam sempre no topo.
    if (irmas == &ordem_z && !(achar(h)->estilo_ex & estilo_ex::topo)) {
        while (pos != irmas->end() && achar(*pos) && (achar(*pos)->estilo_ex & estilo_ex::topo)) ++pos;
    }
    irmas->insert(pos, h);
}

void AreaDeTrabalho::colocar_depois_de(Hwnd h, Hwnd depois_de) {
    std::vector<Hwnd>* irmas = irmas_de(h);
    if (!irmas || depois_de == h) return;
    const auto alvo = std::find(irmas->begin(), irmas->end(), depois_de);
    if (depois_de == 0 || alvo == irmas->end()) {
        inserir_no_topo(h);
        return;
    }
    irmas->erase(std::remove(irmas->begin(), irmas->end(), h), irmas->end());
    irmas->insert(std::find(irmas->begin(), irmas->end(), depois_de) + 1, h);
}

void AreaDeTrabalho::deslocar_elementos(std::vector<ElementoPtr>& arvore, std::int64_t dx, std::int64_t dy) {
    for (ElementoPtr& e : arvore) {
        e->ret = deslocar(e->ret, dx, dy);
        deslocar_elementos(e->filhos, dx, dy);
    }
}

void AreaDeTrabalho::mover(Hwnd h, const Retangulo& novo) {
    JanelaSim* j = achar(h);
    if (!j) return;
    const std::int64_t dx = std::int64_t{novo.esquerda} - j->ret.esquerda;
    const std::int64_t dy = std::int64_t{novo.topo} - j->ret.topo;
    const bool mudou_tamanho = novo.largura() != j->ret.largura() || novo.altura() != j->ret.altura();
    j->ret = novo;
    if (dx || dy || mudou_tamanho) avisar(evento::objeto_moveu, h, OBJETO_JANELA, FILHO_PROPRIO);
    if (dx || dy) {
        deslocar_elementos(j->arvore, dx, dy);
        // As filhas vivem em coordenadas da mãe: andam com ela.
        std::function<void(JanelaSim&)> levar = [&](JanelaSim& mae) {
            for (Hwnd f : mae.filhas) {
                JanelaSim* filha = achar(f);
                if (!filha) continue;
                filha->ret = deslocar(filha->ret, dx, dy);
                deslocar_elementos(filha->arvore, dx, dy);
                avisar(evento::objeto_moveu, f, OBJETO_JANELA, FILHO_PROPRIO);
                levar(*filha);
            }
        };
        levar(*j);
    }
    if (mudou_tamanho && j->propria) pedir_pintura(*j);
}

void AreaDeTrabalho::mudar_visibilidade(Hwnd h, bool visivel) {
    JanelaSim* j = achar(h);
    if (!j) return;
    const bool antes = j->visivel;
    j->visivel = visivel;
    if (visivel)
        j->estilo |= estilo::visivel;
    else
        j->estilo &= ~estilo::visivel;
    if (visivel && !antes && j->propria) pedir_pintura(*j);
    if (visivel != antes)
        avisar(visivel ? evento::objeto_mostrado : evento::objeto_escondido, h, OBJETO_JANELA, FILHO_PROPRIO);
}

void AreaDeTrabalho::mudar_pai(Hwnd h, Hwnd pai) {
    JanelaSim* j = achar(h);
    if (!j) return;
    // As coordenadas da janela ficam as mesmas, agora lidas na área cliente da
    // mãe nova (ou na tela, sem mãe), como no SetParent do Windows.
    Ponto relativo{j->ret.esquerda, j->ret.topo};
    if (JanelaSim* antiga = achar(j->pai)) {
        const Retangulo c = cliente_em_tela(*antiga);
        relativo = {somar_saturado(j->ret.esquerda, -std::int64_t{c.esquerda}),
                    somar_saturado(j->ret.topo, -std::int64_t{c.topo})};
    }
    if (std::vector<Hwnd>* irmas = irmas_de(h))
        irmas->erase(std::remove(irmas->begin(), irmas->end(), h), irmas->end());
    j->pai = pai;
    Ponto origem{0, 0};
    if (JanelaSim* nova = achar(pai)) {
        const Retangulo c = cliente_em_tela(*nova);
        origem = {c.esquerda, c.topo};
        nova->filhas.insert(nova->filhas.begin(), h);
    } else {
        j->pai = 0;
        inserir_no_topo(h);
    }
    const Retangulo novo = deslocar(
        {0, 0, static_cast<std::int32_t>(j->ret.largura()), static_cast<std::int32_t>(j->ret.altura())},
        std::int64_t{origem.x} + relativo.x, std::int64_t{origem.y} + relativo.y);
    mover(h, novo);
}

void AreaDeTrabalho::fechar(Hwnd h) {
    JanelaSim* j = achar(h);
    if (!j) return;
    for (Hwnd f : std::vector<Hwnd>(j->filhas)) fechar(f);
    j = achar(h);
    if (j->visivel) avisar(evento::objeto_escondido, h, OBJETO_JANELA, FILHO_PROPRIO);
    for (ElementoPtr& e : j->arvore) esquecer_chaves(e);
    if (j->elemento) j->elemento->removido = true;
    if (std::vector<Hwnd>* irmas = irmas_de(h))
        irmas->erase(std::remove(irmas->begin(), irmas->end(), h), irmas->end());
    if (frente == h) frente = 0;
    janelas.erase(h);
}

void AreaDeTrabalho::trazer_para_frente(Hwnd h) {
    const Hwnd raiz = raiz_de(h);
    if (!raiz) return;
    frente = raiz;
    avisar(evento::objeto_reordenado, raiz, -4, 0);  // OBJID_CLIENT
    inserir_no_topo(raiz);
    // As janelas que ela possui ficam acima dela, na ordem em que estavam.
    std::vector<Hwnd> possuidas;
    for (Hwnd o : ordem_z)
        if (o != raiz && dono_raiz_de(o) == raiz) possuidas.push_back(o);
    for (auto it = possuidas.rbegin(); it != possuidas.rend(); ++it) inserir_no_topo(*it);
}

ElementoPtr AreaDeTrabalho::novo_elemento() {
    auto e = std::make_shared<ElementoSim>();
    e->numero = proximo_elemento++;
    return e;
}

void AreaDeTrabalho::definir_dona(const ElementoPtr& e, Hwnd janela) {
    e->janela_dona = janela;
    for (const ElementoPtr& f : e->filhos) definir_dona(f, janela);
}

void AreaDeTrabalho::registrar_chaves(const ElementoPtr& e) {
    if (!e->chave.empty()) por_chave[e->chave] = e;
    for (const ElementoPtr& f : e->filhos) registrar_chaves(f);
}

void AreaDeTrabalho::esquecer_chaves(const ElementoPtr& e) {
    e->removido = true;
    if (!e->chave.empty()) {
        const auto it = por_chave.find(e->chave);
        if (it != por_chave.end() && it->second == e) por_chave.erase(it);
    }
    for (const ElementoPtr& f : e->filhos) esquecer_chaves(f);
}

Hwnd AreaDeTrabalho::nova_janela_propria(std::uint32_t estilo_ex_, const std::string& classe,
                                         const std::string& titulo, std::uint32_t estilo_,
                                         const Retangulo& ret, Hwnd pai) {
    const auto cls = classes.find(classe);
    if (cls == classes.end()) return 0;
    while (janelas.count(proxima_janela)) proxima_janela += 2;
    const Hwnd h = proxima_janela;
    proxima_janela += 2;
    JanelaSim j;
    j.hwnd = h;
    j.classe = classe;
    j.titulo = titulo;
    j.processo = processo_do_programa;
    j.thread = processo_do_programa + 1;
    j.ret = ret;
    j.visivel = (estilo_ & estilo::visivel) != 0;
    j.estilo = estilo_;
    j.estilo_ex = estilo_ex_;
    j.propria = true;
    j.procedimento = cls->second;
    j.thread_dona = std::this_thread::get_id();
    const bool filha = (estilo_ & estilo::filha) && achar(pai);
    if (filha) {
        j.pai = pai;
        const Retangulo c = cliente_em_tela(*achar(pai));
        j.ret = deslocar(ret, c.esquerda, c.topo);
    } else {
        j.dono = achar(pai) ? pai : 0;
    }
    janelas[h] = j;
    if (filha)
        achar(pai)->filhas.insert(achar(pai)->filhas.begin(), h);
    else
        inserir_no_topo(h);
    if (janelas[h].visivel) pedir_pintura(janelas[h]);
    return h;
}

void AreaDeTrabalho::avisar(std::uint32_t ev, Hwnd h, std::int32_t objeto, std::int32_t filho) {
    JanelaSim* j = achar(h);
    if (!j || j->processo == processo_do_programa) return;
    for (const GanchoSim& g : ganchos) {
        if (ev < g.de || ev > g.ate || (g.processo && g.processo != j->processo)) continue;
        const std::uintptr_t id = proximo_aviso++;
        avisos[id] = AvisoPendente{g.chamada, ev, h, objeto, filho};
        filas[g.thread].push_back({0, kMensagemDeAviso, id, 0});
        acordar_pendente = true;
    }
}

void AreaDeTrabalho::avisar_elemento(std::uint32_t ev, const ElementoPtr& e) {
    // Os objetos da página levam ids negativos, como no Chromium.
    avisar(ev, e->janela_dona, -e->numero, 0);
}

void AreaDeTrabalho::pedir_pintura(JanelaSim& j) {
    if (!j.propria) return;
    j.precisa_pintar = true;
    acordar_pendente = true;
}

void acordar_filas() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::unique_lock lk(a.filas_trava);
    a.filas_sinal.notificar_todos();
}

}  // namespace plataforma::simulada
