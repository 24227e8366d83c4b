#pragma once
// As ações da linha do tempo, numa tabela: cada ação tem uma entrada só, que
// sabe conferir um evento contra o rascunho (na validação, antes de o
// programa começar, acompanhando o que existe naquele ponto) e aplicá-lo à
// área de trabalho global (no instante dele). Uma ação nova é uma entrada
// nova; não há outro lugar que liste os nomes.

#include <string>
#include <string_view>
#include <vector>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/cena_leitor.hpp"
#include "plataforma/simulada/cena_rascunho.hpp"

namespace plataforma::simulada {

// A conferência de um evento: o leitor dele (com "em" e "acao" já lidos; os
// campos que ninguém ler são recusados depois) e o rascunho daquele ponto,
// que a conferência atualiza com o que o evento cria ou desfaz.
struct Conferencia {
    Leitor& l;
    const EventoDaCena& e;
    Rascunho& r;

    // O handle do campo, que precisa existir naquele ponto.
    Hwnd janela_existente(const char* campo);
    // A chave do campo, de um elemento vivo naquele ponto.
    std::string chave_existente(const char* campo);
};

// A aplicação de um evento com a trava da área tomada. "h" é o handle do campo
// "janela" (0 sem ele) e "j" a janela, se ainda existe.
struct AplicacaoNaArea {
    AreaDeTrabalho& a;
    Leitor& l;
    Json& rastro;
    Hwnd h;
    JanelaSim* j;
};

struct AcaoDaCena {
    std::string_view nome;
    void (*conferir)(Conferencia&) = nullptr;
    // As mudanças na área, aplicadas com a trava dela tomada...
    void (*na_area)(AplicacaoNaArea&) = nullptr;
    // ... ou o que fica fora dela (a entrada padrão, um arquivo, as threads
    // travadas, o fim do processo), aplicado sem trava nenhuma.
    void (*fora)(const EventoDaCena&) = nullptr;
    // Fora da área: a linha do evento vai ao rastro antes do efeito, porque
    // o efeito pode fazer o programa escrever (e o fim não volta).
    bool rastro_antes = false;
    // Sem a janela (fechada pelo caminho), o evento só vai ao rastro, com
    // "ignorado".
    bool so_com_a_janela = false;
    // Os eventos que este traz consigo (a soltura de um "travar" com "ms"),
    // feitos na leitura, antes de a linha do tempo ser posta em ordem.
    void (*seguintes)(const EventoDaCena&, std::vector<EventoDaCena>&) = nullptr;
};

// A entrada da ação; nulo para um nome que não é de ação.
const AcaoDaCena* acao_da_cena(std::string_view nome);

}  // namespace plataforma::simulada
