#pragma once
// A área de trabalho simulada: monitores, janelas com sua ordem z, processos,
// a janela da frente, o cursor e o teclado, e para cada janela de navegador a
// árvore de elementos de UI Automation da página. Tudo o que o programa faz
// nela (mover, esconder, prender, pintar, postar) é aplicado e registrado no
// rastro; a linha do tempo da cena a muda nos instantes marcados.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "comum/tipos.hpp"
#include "plataforma/eventos.hpp"
#include "plataforma/janelas.hpp"
#include "plataforma/simulada/custo.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/sincronia.hpp"

namespace plataforma::simulada {

// Tipos de controle de UI Automation que as cenas citam pelo nome.
std::optional<std::int32_t> tipo_de_controle(const std::string& nome);
std::string nome_do_tipo(std::int32_t tipo);

// O que a página diz de um elemento descrito como a web o descreve (o campo
// "web" da cena); o resto sai das regras do Chromium (chromium.hpp).
struct FatosDaWeb {
    std::string papel;        // "generic", "button", "dialog", "text"...
    bool aria = false;        // tem algum atributo aria-*
    bool clicavel = false;    // alguém escuta o clique nele
    bool expansivel = false;  // aria-expanded ou aria-haspopup
    bool alterna = false;     // um botão de alternar (aria-pressed)
    bool editavel = false;    // a raiz de um contenteditable
    bool rola = false;        // rola o que tem dentro (overflow)
    bool oculto = false;      // aria-hidden ou display:none: ele e os de baixo fora da árvore
    std::string descricao;
    // Os campos de UI Automation dados na própria cena, que valem por cima.
    bool tipo_dado = false, papel_dado = false, controle_dado = false, padroes_dado = false,
         focavel_dado = false;
};

struct ElementoSim {
    int numero = 0;     // identidade em tempo de execução
    std::string chave;  // nome do elemento na cena (opcional)
    std::string papel;  // papel ARIA
    std::string id;     // id de automação
    std::string classe;
    std::string nome;
    std::optional<std::string> valor;  // valor de texto
    bool valor_nao_texto = false;      // há valor, mas não é texto (número)
    std::int32_t tipo = 50026;         // tipo de controle (Group)
    Retangulo ret;
    bool fora = false;  // IsOffscreen
    Hwnd janela_nativa = 0;
    bool invocavel = false;  // padrão Invoke
    bool rolavel = false;    // padrão ScrollItem
    bool focavel = true;
    bool controle = true;  // aparece na visão de controle (não só na crua)
    bool removido = false;
    std::optional<FatosDaWeb> web;  // descrito como a web o descreve
    // O elemento de uma janela (ElementFromHandle), feito pela simulação: o
    // nome, a classe e o retângulo vêm da própria janela.
    bool eh_janela = false;
    Hwnd janela_dona = 0;  // a janela em cuja árvore ele está
    std::weak_ptr<ElementoSim> pai;
    std::vector<std::shared_ptr<ElementoSim>> filhos;
};
using ElementoPtr = std::shared_ptr<ElementoSim>;

struct TextoPintado {
    std::string texto;
    Retangulo caixa;
    Cor cor;
    std::uint32_t formato = 0;
    std::vector<std::string> linhas;  // como o texto quebrou dentro da caixa
    int altura = 0;
    int largura_maior_linha = 0;
};

struct PinturaRegistrada {
    Retangulo cliente;
    std::vector<std::pair<Retangulo, Cor>> preenchimentos;
    std::optional<Fonte> fonte;
    bool fundo_transparente = false;
    std::vector<TextoPintado> textos;
};

struct JanelaSim {
    Hwnd hwnd = 0;
    std::string classe;
    std::string titulo;
    std::uint32_t processo = 0;
    std::uint32_t thread = 0;
    Retangulo ret;     // retângulo da janela, tela
    Retangulo bordas;  // margens da área cliente dentro de ret
    bool visivel = true;
    bool minimizada = false;
    std::optional<std::uint32_t> dpi;  // fixo pela cena; senão o do monitor
    Hwnd dono = 0;
    Hwnd pai = 0;
    std::uint32_t estilo = 0;
    std::uint32_t estilo_ex = 0;
    std::vector<Hwnd> filhas;  // a primeira é a de cima
    Hwnd foco = 0;             // hwndFocus da thread GUI
    std::intptr_t regiao = 0;  // a região da janela (SetWindowRgn); 0 = a janela inteira

    // Janelas criadas pelo programa.
    bool propria = false;
    // O programa a moveu ou lhe deu região: é a janela do app que ele segue
    // (no modo hospedado, uma janela da cena).
    bool posta_pelo_programa = false;
    ProcedimentoDeJanela procedimento = nullptr;
    std::thread::id thread_dona;
    std::optional<std::uint8_t> alfa;
    bool precisa_pintar = false;
    std::optional<PinturaRegistrada> ultima_pintura;
    int pinturas = 0;

    // O provedor de UI Automation do próprio programa da janela, que responde
    // antes do que o Windows sabe dela (o Chrome diz que a janela de topo é
    // um Pane); o que ele não diz vem da janela.
    struct Provedor {
        std::optional<std::int32_t> tipo;
        std::optional<std::string> nome, classe;
    } provedor;

    // Elementos de UI Automation abaixo do elemento da janela.
    std::vector<ElementoPtr> arvore;
    ElementoPtr elemento;  // o da própria janela, feito na primeira consulta
};

// O Chromium da cena: quanto o foco e a rolagem levam para chegar depois do
// pedido, e a partida em duas fases de cada janela (a árvore chega depois da
// primeira ida; a classe e o id, depois do modo de leitor de tela que a
// primeira leitura de propriedade liga).
struct ChromiumSim {
    std::int64_t foco_ms = 0;
    std::int64_t rolagem_ms = 0;
    std::int64_t arvore_ms = 0;
    std::int64_t leitor_ms = 0;
    std::map<Hwnd, plataforma::Instante> primeira_ida;      // por janela de topo
    std::map<Hwnd, plataforma::Instante> primeira_leitura;  // idem
};

// Uma chamada que a cena manda demorar (tempo do relógio do programa).
struct LentidaoSim {
    std::string chamada;
    Hwnd janela = 0;
    int ms = 0;
};

// Um gancho de WinEvents instalado pelo programa.
struct GanchoSim {
    std::intptr_t id = 0;
    std::uint32_t de = 0, ate = 0;
    std::uint32_t processo = 0;  // 0 = todos
    ChamadaDeEvento chamada = nullptr;
    std::thread::id thread;
};

// Um aviso esperando a thread do gancho despachar as mensagens.
struct AvisoPendente {
    ChamadaDeEvento chamada = nullptr;
    std::uint32_t evento = 0;
    Hwnd janela = 0;
    std::int32_t objeto = 0;
    std::int32_t filho = 0;
};

// A mensagem interna que leva um aviso pela fila da thread do gancho.
constexpr std::uint32_t kMensagemDeAviso = 0xC0DE;

struct MonitorSim {
    std::intptr_t id = 0;
    Retangulo ret;
    std::uint32_t dpi = 96;
};

// Uma chamada que a cena manda falhar. Sem janela ou chave, vale para todas;
// "pular" chamadas passam antes; "vezes" < 0 é para sempre.
struct FalhaSim {
    std::string chamada;
    Hwnd janela = 0;
    std::string chave;
    std::int32_t hresult = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
    int pular = 0;
    int vezes = -1;
};

// O que faz uma reação da página disparar.
enum class Gatilho { invocado, focado, rolado, hover, saida_do_hover, tecla };

// Uma reação da página: quando o programa age sobre um elemento (ou o ponteiro
// para em cima dele, ou sai de cima, ou uma tecla chega à página), depois de
// "depois_ms" a área aplica as ações (ações comuns da linha do tempo), uma
// vez ou toda vez.
struct ReacaoSim {
    Gatilho quando = Gatilho::invocado;
    std::string chave;  // o elemento; para "tecla", o elemento com o foco ou um de cima dele
    Hwnd janela = 0;    // "tecla" sem chave: qualquer foco na página dessa janela
    int tecla = 0;      // o código virtual, para "tecla"
    std::int64_t depois_ms = 0;
    bool uma_vez = false;
    bool gasta = false;
    Json acoes;        // a lista, já validada
    std::string onde;  // "reacoes[2]", para o rastro
};

struct ProcessoSim {
    std::string caminho;
    bool acessivel = true;  // OpenProcess funciona
};

class AreaDeTrabalho {
public:
    static AreaDeTrabalho& global();

    // Tudo abaixo é protegido por esta trava; nenhuma espera é feita com ela.
    std::mutex m;

    std::vector<MonitorSim> monitores;
    std::map<Hwnd, JanelaSim> janelas;
    std::vector<Hwnd> ordem_z;  // janelas de topo, a de cima primeiro
    std::map<std::uint32_t, ProcessoSim> processos;
    std::uint32_t processo_do_programa = 4242;
    Hwnd frente = 0;
    Ponto cursor;
    bool cursor_visivel = true;
    std::set<int> teclas;  // códigos virtuais apertados
    std::map<std::string, ProcedimentoDeJanela> classes;
    std::map<std::string, ElementoPtr> por_chave;
    std::vector<FalhaSim> falhas;
    std::vector<LentidaoSim> lentidoes;
    std::map<std::string, int> chamadas_uia;  // idas ao navegador, por chamada
    CustoDoNavegador custo;                   // o preço de cada ida (custo.hpp)
    // As regiões GDI vivas, em coordenadas da janela (as do programa e as que
    // são de uma janela), com os retângulos que as formam.
    std::map<std::intptr_t, std::vector<Retangulo>> regioes;
    std::intptr_t proxima_regiao = 0x2A000;
    bool rastrear_uia = false;            // cada ida vai também para o rastro
    std::weak_ptr<ElementoSim> foco_uia;  // GetFocusedElement
    std::vector<GanchoSim> ganchos;
    std::map<std::uintptr_t, AvisoPendente> avisos;
    std::uintptr_t proximo_aviso = 1;
    std::intptr_t proximo_gancho = 0x7000;
    bool lupa_iniciada = false;
    ElementoPtr raiz_uia;  // o elemento da área de trabalho
    int proximo_elemento = 1;
    Hwnd proxima_janela = 0x30000;

    // Filas de mensagens das threads do programa. A espera por mensagem usa a
    // trava e o sinal do programa, para que o relógio saiba quem está parado.
    plataforma::Trava filas_trava;
    plataforma::Sinal filas_sinal;
    std::map<std::thread::id, std::deque<Mensagem>> filas;

    // As threads de janelas da cena que estão travadas (ações "travar" e
    // "destravar"): quem chama uma função que espera por elas fica parado; o
    // que não espera fica guardado e acontece quando ela volta. Fora de "m":
    // a ordem é travadas_trava depois de m, nunca o contrário com espera.
    plataforma::Trava travadas_trava;
    plataforma::Sinal travadas_sinal;
    std::set<std::uint32_t> threads_travadas;
    // Cada efeito guardado devolve a linha do rastro da entrega, se tiver uma.
    using EfeitoGuardado = std::function<std::optional<Json>(AreaDeTrabalho&)>;
    std::map<std::uint32_t, std::vector<EfeitoGuardado>> adiados;

    // As reações da página, os elementos sob o ponteiro (para o hover) e as
    // reações que dispararam e esperam a trava ser solta para começar.
    std::vector<ReacaoSim> reacoes;
    std::vector<std::weak_ptr<ElementoSim>> sob_o_ponteiro;
    std::vector<ReacaoSim> disparadas;
    // O que a página faz sozinha um tempo depois (o foco e a rolagem do
    // Chromium, que chegam depois do pedido): começa como as reações, quando
    // a trava for solta, numa thread que espera o tempo e aplica com a trava.
    struct Adiado {
        std::int64_t depois_ms = 0;
        std::function<void(AreaDeTrabalho&)> fazer;
    };
    std::vector<Adiado> adiados_da_pagina;
    // Há reações ou adiados para começar quando a trava for solta.
    bool algo_a_despachar() const { return !disparadas.empty() || !adiados_da_pagina.empty(); }
    ChromiumSim chromium;
    // Os processos que morreram (ação "morrer"): os elementos das janelas
    // deles respondem como um servidor COM que sumiu.
    std::set<Hwnd> janelas_de_processo_morto;

    // Esvazia tudo (antes de carregar outra cena).
    void limpar();

    // A chamada deve falhar agora? Devolve o HRESULT e gasta uma vez.
    std::optional<std::int32_t> deve_falhar(const std::string& chamada, Hwnd janela = 0,
                                            const std::string& chave = {});

    // --- Consultas (com m tomada) ---
    JanelaSim* achar(Hwnd h);
    bool existe(Hwnd h) { return achar(h) != nullptr; }
    bool visivel_de_fato(Hwnd h);  // ela e todas as mães visíveis
    std::uint32_t dpi_de(Hwnd h);
    const MonitorSim* monitor_mais_proximo(const Retangulo& r);
    Hwnd raiz_de(Hwnd h);
    Hwnd dono_raiz_de(Hwnd h);
    Retangulo cliente_em_tela(const JanelaSim& j);
    Hwnd janela_no_ponto(Ponto p);
    // O ponto está na janela (no retângulo e, se ela tem região, na região)?
    bool acerta(const JanelaSim& j, Ponto p);

    // --- Mudanças (com m tomada); cada uma aplica e registra no rastro ---
    Hwnd nova_janela_propria(std::uint32_t estilo_ex, const std::string& classe, const std::string& titulo,
                             std::uint32_t estilo, const Retangulo& ret, Hwnd pai);
    void inserir_no_topo(Hwnd h);
    void colocar_depois_de(Hwnd h, Hwnd depois_de);
    // Move e redimensiona; filhas e elementos da página vão junto.
    void mover(Hwnd h, const Retangulo& novo);
    void mudar_visibilidade(Hwnd h, bool visivel);
    void mudar_pai(Hwnd h, Hwnd pai);
    void fechar(Hwnd h);
    void trazer_para_frente(Hwnd h);

    // --- Árvore de UI Automation ---
    // O elemento de uma janela: para uma filha citada como "hwnd" de algum
    // elemento da janela de topo, esse elemento; senão um feito para a janela.
    ElementoPtr elemento_de(Hwnd h);
    static std::int32_t tipo_da_janela(const JanelaSim& j);
    ElementoPtr raiz();
    // Filhos na visão crua: a árvore da janela, as janelas filhas que nenhum
    // elemento cita e as janelas possuídas por ela (a Vidrel, por exemplo).
    std::vector<ElementoPtr> filhos(const ElementoPtr& e);
    ElementoPtr pai(const ElementoPtr& e);
    // Ainda existe (nem removido nem de janela fechada)?
    bool vivo(const ElementoPtr& e);
    Hwnd janela_do_elemento(const ElementoPtr& e);
    // O elemento mais fundo sob o ponto, na janela de cima ali.
    ElementoPtr elemento_no_ponto(Ponto p);
    // Quanto a chamada deve demorar, em ms.
    int lentidao(const std::string& chamada, Hwnd janela);

    // --- Elementos ---
    ElementoPtr novo_elemento();
    // Marca a janela dona no elemento e em todos os de baixo.
    void definir_dona(const ElementoPtr& e, Hwnd janela);
    void registrar_chaves(const ElementoPtr& e);
    void esquecer_chaves(const ElementoPtr& e);
    void deslocar_elementos(std::vector<ElementoPtr>& arvore, std::int64_t dx, std::int64_t dy);

    // Um WinEvent vindo de uma janela: vai para a fila de cada thread com um
    // gancho que o pega (nunca os do próprio processo do programa).
    void avisar(std::uint32_t evento, Hwnd janela, std::int32_t objeto, std::int32_t filho = 0);
    void avisar_elemento(std::uint32_t evento, const ElementoPtr& e);

    // Reações: o gatilho aconteceu no elemento (com "m" tomada). As que casam
    // ficam em "disparadas" até despachar_reacoes(), chamada sem a trava.
    void disparar(Gatilho g, const ElementoPtr& e, int tecla = 0);
    // Recalcula os elementos sob o ponteiro (a janela de cima no ponto, com
    // regiões e WS_EX_TRANSPARENT) e dispara hover e saída (com "m" tomada).
    void atualizar_hover();

    // O teclado chegou à janela da frente (com "m" tomada): a página só o
    // recebe quando o elemento com o foco de UI Automation é de uma janela do
    // mesmo processo. O texto vai para o valor do campo com o foco; cada tecla
    // virtual dispara as reações "tecla".
    struct Entrega {
        bool entregue = false;
        std::string destino;  // a chave do elemento com o foco
    };
    Entrega receber_teclado(const std::string& texto, const std::vector<int>& teclas);

    // Quem mais precisa saber de cada reação, chamado na thread dela logo
    // depois de as ações serem aplicadas, sem a trava. Vazio na simulação; o
    // banco no Wine o usa para o dublê do navegador levantar os avisos.
    std::function<void(const ReacaoSim&)> depois_da_reacao;

    // Pede WM_PAINT para a janela própria; a thread dela é acordada quando a
    // trava da área for solta (acordar_pendente).
    void pedir_pintura(JanelaSim& j);
    bool acordar_pendente = false;

private:
    std::vector<Hwnd>* irmas_de(Hwnd h);
};

// Acorda quem espera mensagens. Chamada sem a trava da área: a ordem é
// filas_trava antes de m.
void acordar_filas();

// Começa as reações que dispararam, cada uma numa thread que espera o seu
// "depois" e aplica as ações. Chamada sem a trava da área.
void despachar_reacoes();

}  // namespace plataforma::simulada
