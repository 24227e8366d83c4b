#pragma once
// Todos os valores do processo num lugar só: o que a partida define e todas
// as threads leem, o alvo publicado, as travas e marcas que os subsistemas
// trocam entre si. Cada valor tem a sua trava ou é atômico.
//
// Os nomes de sempre (JANELA, ALVO_PUBLICADO...) são referências para os
// campos do Processo. Os testes e as bancadas rodam o programa várias vezes no
// mesmo processo: reiniciar_estado_do_processo() refaz o Processo inteiro, e um
// campo novo volta ao começo sem que ninguém precise lembrar dele.

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "comum/tipos.hpp"
#include "estado/alvo.hpp"
#include "estado/canal_de_forcas.hpp"
#include "estado/log.hpp"
#include "estado/protegido.hpp"
#include "plataforma/sincronia.hpp"
#include "plataforma/uia.hpp"

// O arquivo-chave de --presa: enquanto existe, a Vidrel pode se prender.
struct ChavePresa {
    std::optional<std::string> caminho;
    std::optional<plataforma::Instante> ultima_olhada;
    bool resposta = false;
};

// Prender e soltar a Vidrel, um de cada vez. A trava só guarda o estado; as
// chamadas à janela do app (que podem esperar por ele) ficam fora dela, com
// "mexendo" marcado para a outra thread esperar a vez.
struct Presa {
    plataforma::Trava trava;         // PRESA
    plataforma::Sinal livre;         // "mexendo" voltou a falso
    std::uint32_t estilo_salvo = 0;  // ESTILO_SALVO
    std::uint32_t dpi = 0;           // DPI_PRESA
    bool mexendo = false;
};

// O nome apertado no chat e quando, enquanto o cartão do espectador é esperado.
struct ApertoDoPerfil {
    std::string nome;
    plataforma::Instante quando;
};

// As linhas que o leitor de comandos passa para o executor.
struct FilaDeComandos {
    plataforma::Trava trava;
    plataforma::Sinal sinal;
    std::deque<std::string> linhas;
    bool entrada_encerrada = false;
};

// A espera do localizador entre voltas: a trava dela guarda também a hora do
// último clique ou Enter e a marca de acordar já.
struct EsperaDoLocalizador {
    plataforma::Trava trava;
    plataforma::Sinal sinal;
    std::optional<plataforma::Instante> hora_do_ponteiro;  // HORA_DO_PONTEIRO
    bool acordar_ja = false;
};

// O elemento do nome do canal que o último pedido de "video" escolheu, com a
// janela e o canal em que ele vale. Criado na thread daquele pedido: as
// outras só o comparam (CompareElements), o que o UI Automation permite.
struct NickLembrado {
    std::string canal;
    plataforma::uia::Elemento elemento;
    Hwnd janela = 0;
};

// A última linha de estado escrita e o número do alvo de que ela veio.
struct LinhaDeEstado {
    std::string linha;
    std::uint64_t versao = 0;
};

struct Processo {
    // A partida.
    std::atomic<Hwnd> JANELA{0};              // a Vidrel: a janela do app (hospedado) ou a nossa
    std::atomic<bool> JANELA_EXTERNA{false};  // modo hospedado
    std::atomic<Hwnd> NAVEGADOR_ATUAL{0};     // o navegador do último alvo publicado
    std::atomic<Hwnd> DONO{0};                // navegador fixado (--dono, "fixar"); 0 = nenhum
    Protegido<ChavePresa> CHAVE_PRESA;
    // SO_NAVEGADOR e SO_TITULO, lidos uma vez na partida, antes das threads.
    std::optional<std::string> SO_NAVEGADOR;
    std::optional<std::string> SO_TITULO;
    // PECAS_DEBUG ligado (com qualquer texto válido), lido também na partida.
    bool PECAS_DEBUG = false;

    // A publicação e a posição da Vidrel.
    Protegido<std::optional<Alvo>> ALVO_PUBLICADO;
    // Cada alvo guardado ganha um número, dado sob a trava do alvo; a linha
    // de estado de um número mais velho que o da última escrita não sai (duas
    // threads publicando: a saída termina no alvo que ficou guardado).
    std::atomic<std::uint64_t> VERSAO_DO_ALVO{0};
    Protegido<LinhaDeEstado> ULTIMA_LINHA_DE_ESTADO;
    Presa PRESA;
    std::atomic<Hwnd> PRESA_EM{0};  // o navegador a que a Vidrel está presa; 0 = flutuando
    std::atomic<bool> PRESA_RECUSADA{false};
    std::atomic<Hwnd> DONO_ATUAL{0};  // o navegador dado como dono da Vidrel flutuante
    std::atomic<bool> ANIMACAO_OCUPADA{false};

    // O observador das janelas e o localizador.
    Protegido<std::string> TITULO_DO_ALVO;  // vazio = nenhum
    std::atomic<bool> JANELAS_MUDARAM{false};
    // O observador escondeu a Vidrel (a aba trocou): o localizador retira e
    // publica de novo, senão ela ficaria escondida com o alvo ainda publicado.
    std::atomic<bool> VIDREL_ESCONDIDA{false};
    EsperaDoLocalizador ESPERA;
    std::atomic<bool> BOTAO_APERTADO{false};

    // A leitura da página.
    Protegido<std::map<Hwnd, bool>> CACHE_DO_OPERA;
    // O teste do cabeçalho do chat: as linhas de log de uma vez por execução e
    // as de uma vez por mudança.
    std::atomic<bool> LOGOU_FORA_DA_PAGINA{false};
    std::atomic<bool> LOGOU_MEIO_DA_LISTA{false};
    std::atomic<bool> LOGOU_JANELA_DO_NAVEGADOR{false};
    Protegido<UmaVezPorMudanca> ULTIMO_ESCONDIDO;
    Protegido<UmaVezPorMudanca> ULTIMO_MEIO_ESCONDIDO;

    // A saída padrão: a trava mais interna de todas.
    plataforma::Trava SAIDA;

    // O cartão do espectador.
    Protegido<std::optional<Retangulo>> buraco_do_cartao;
    Protegido<std::optional<ApertoDoPerfil>> APERTO_DO_PERFIL;

    // Os comandos da entrada padrão.
    FilaDeComandos FILA;
    // Canais em que, com o 7TV, o botão de responder do site não aparece: a
    // resposta vai direto pelos botões do 7TV.
    Protegido<std::set<std::string>> canais_sem_botao;
    // A posição (de 1) do botão de responder entre os botões do 7TV de uma
    // linha, aprendida quando um deles abriu a resposta; 0 = não aprendida.
    std::atomic<int> botao_aprendido{0};
    // O diagnóstico dos avisos do navegador: quantos de cada número de aviso
    // chegaram ao gancho.
    Protegido<std::map<std::uint32_t, std::uint32_t>> EVENTOS_CONTADOS;
    // O canal do tremor da tela, criado no primeiro "sacudir"; só o leitor mexe.
    std::shared_ptr<CanalDeForcas> TREMOR;

    // Os vigias da página. Cada pedido ocupa a sua marca (teste e troca) e a
    // solta no fim; um pedido que chega com ela ocupada é ignorado.
    std::atomic<bool> pecas_em_curso{false};
    std::atomic<bool> video_em_curso{false};  // só a primeira fase, até a linha "video"
    // Pedidos de "video" aceitos; o acompanhamento do nick de um pedido para
    // quando um mais novo o incrementa.
    std::atomic<std::uint64_t> geracao_video{0};
    std::atomic<bool> previa_em_curso{false};
    Protegido<std::optional<NickLembrado>> nick_lembrado;
};

Processo& processo();

// Refaz o Processo inteiro, como no começo. Só para testes e bancadas, com
// nenhuma thread do programa rodando.
void reiniciar_estado_do_processo();

// Os nomes do programa para os campos do Processo.
inline std::atomic<Hwnd>& JANELA = processo().JANELA;
inline std::atomic<bool>& JANELA_EXTERNA = processo().JANELA_EXTERNA;
inline std::atomic<Hwnd>& NAVEGADOR_ATUAL = processo().NAVEGADOR_ATUAL;
inline std::atomic<Hwnd>& DONO = processo().DONO;
inline Protegido<ChavePresa>& CHAVE_PRESA = processo().CHAVE_PRESA;
inline Protegido<std::optional<Alvo>>& ALVO_PUBLICADO = processo().ALVO_PUBLICADO;
inline std::atomic<Hwnd>& PRESA_EM = processo().PRESA_EM;
inline std::atomic<bool>& PRESA_RECUSADA = processo().PRESA_RECUSADA;
inline std::atomic<bool>& ANIMACAO_OCUPADA = processo().ANIMACAO_OCUPADA;
inline Protegido<std::string>& TITULO_DO_ALVO = processo().TITULO_DO_ALVO;
inline std::atomic<bool>& JANELAS_MUDARAM = processo().JANELAS_MUDARAM;
inline std::atomic<bool>& BOTAO_APERTADO = processo().BOTAO_APERTADO;
inline Protegido<std::optional<Retangulo>>& buraco_do_cartao = processo().buraco_do_cartao;
inline Protegido<std::optional<ApertoDoPerfil>>& APERTO_DO_PERFIL = processo().APERTO_DO_PERFIL;

// Define o caminho e esquece a última olhada, para a próxima consulta olhar o disco.
void definir_chave_presa(std::string caminho);
// Lê SO_NAVEGADOR, SO_TITULO e PECAS_DEBUG do ambiente (na partida).
void ler_filtros_do_ambiente();
