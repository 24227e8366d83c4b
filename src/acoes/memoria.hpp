#pragma once
// O que o executor de comandos guarda de um comando para o outro: o cliente
// de UI Automation dele, as listas de mensagens da página, o que um
// "preparar" achou e a caixa de digitar achada por último. Só o executor
// mexe nisto, numa thread só.

#include <optional>
#include <string>

#include "acoes/comandos.hpp"
#include "acoes/mensagens.hpp"
#include "estado/alvo.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/sincronia.hpp"

// O que um "preparar" achou de uma mensagem, para o clique que vier depois.
struct Preparada {
    std::string chave;  // chave_da_mensagem
    // O botão de responder e o nome do autor, cada um com o elemento pelo
    // qual é medido antes do aperto (a linha da mensagem).
    std::optional<uia::Elemento> botao;
    std::optional<uia::Elemento> botao_medido_por;
    std::optional<uia::Elemento> usuario;
    std::optional<uia::Elemento> usuario_medido_por;
};

// A caixa de digitar do chat, da janela e do canal em que foi achada.
struct CaixaLembrada {
    Hwnd janela = 0;
    std::optional<std::string> canal;
    uia::Elemento caixa;
};

struct MemoriaDoExecutor {
    uia::Automacao a;
    MemoriaDaPagina pagina;
    std::optional<Preparada> preparada;
    std::optional<CaixaLembrada> caixa;
};

// O começo comum das ações: o alvo publicado copiado e a raiz da página.
struct Comeco {
    Alvo alvo;
    uia::Elemento raiz;
    plataforma::Instante inicio;
};
// Sem alvo, registra "{rótulo}: sem chat na tela"; sem a raiz, "{rótulo}:
// sem acesso à janela do navegador" com o erro.
std::optional<Comeco> comecar(const uia::Automacao& a, const std::string& rotulo);

std::int64_t ms_desde(plataforma::Instante t);

// Depois de um aperto na página: o localizador olha de novo já, e procura de
// novo o que cobre o chat (a página vai reagir).
void contar_ao_localizador();

// "dentro" fica a no máximo 2 pixels de cada lado de "caixa".
bool mesma_caixa(const Retangulo& dentro, const Retangulo& caixa);
