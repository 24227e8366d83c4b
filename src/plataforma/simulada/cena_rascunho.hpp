#pragma once
// O rascunho da validação: o que existe em cada ponto da linha do tempo. As
// janelas (com mãe, dona e filhas) e as chaves dos elementos vivos (com a
// janela onde estão, a chave de cima e o nível). Fechar uma janela leva as
// filhas e as chaves de todas; remover um elemento leva as chaves de baixo.
// Assim um handle fechado pode voltar, uma chave removida pode ser
// acrescentada de novo, e o que sumiu não pode mais ser citado.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena_montador.hpp"

namespace plataforma::simulada {

class Rascunho {
public:
    // Parte da cena inicial já montada em "a".
    Rascunho(AreaDeTrabalho& a, Orcamento& orcamento);

    Orcamento& orcamento;

    // Um rascunho de tudo o que a cena chega a ter em algum momento (para as
    // reações, que disparam a qualquer hora): nada sai e nada se repete.
    bool amplo = false;

    // As chaves que uma reação pode criar a qualquer hora: a linha do tempo
    // pode citá-las (se na hora não existirem, o evento não faz nada).
    std::set<std::string> talvez;

    bool tem_janela(Hwnd h) const { return janelas_.count(h) != 0; }
    bool tem_chave(const std::string& c) const { return chaves_.count(c) != 0 || talvez.count(c) != 0; }
    // A janela em cuja página o elemento está e o nível dele ali (1 = raiz);
    // de uma chave que só talvez exista, nenhuma janela e o primeiro nível.
    Hwnd janela_da_chave(const std::string& c) const {
        const auto it = chaves_.find(c);
        return it == chaves_.end() ? 0 : it->second.janela;
    }
    int nivel(const std::string& c) const {
        const auto it = chaves_.find(c);
        return it == chaves_.end() ? 1 : it->second.nivel;
    }

    void acrescentar_janela(Hwnd h, Hwnd pai, Hwnd dono);
    // Elementos novos na página de "janela", abaixo da chave "acima" (vazia
    // = na raiz da página), o primeiro nível sendo "nivel". Uma chave que já
    // existe é recusada, com a mensagem em "onde".
    void acrescentar_elementos(const std::vector<ElementoPtr>& arvore, Hwnd janela, const std::string& acima,
                               int nivel, const std::string& onde);
    void fechar(Hwnd h);
    void remover(const std::string& chave);

    // Seguindo os donos a partir de "h", a volta a "h" ([h, ..., h]); vazio
    // se a cadeia acaba (sem dono, ou um dono que não existe).
    std::vector<Hwnd> ciclo_de_donos(Hwnd h) const;
    // Recusa, em "caminho", a janela que é dona de si mesma ou está num
    // ciclo de donos: a árvore de UI Automation, que põe as possuídas debaixo
    // da dona, viraria um laço sem fim.
    void recusar_ciclo_de_donos(Hwnd h, const std::string& caminho) const;

    // Quantos níveis a árvore tem (uma folha só = 1).
    static int niveis(const std::vector<ElementoPtr>& arvore);

private:
    struct Janela {
        Hwnd pai = 0;
        Hwnd dono = 0;
        std::vector<Hwnd> filhas;
        std::set<std::string> chaves;  // as da página dela, de todos os níveis
    };
    struct Chave {
        Hwnd janela = 0;
        std::string acima;  // a chave mais próxima acima dela; vazia se nenhuma
        int nivel = 1;
        std::set<std::string> abaixo;  // as chaves que têm esta como "acima"
    };

    void guardar(const ElementoPtr& e, Hwnd janela, const std::string& acima, int nivel,
                 const std::string& onde);

    std::map<Hwnd, Janela> janelas_;
    std::map<std::string, Chave> chaves_;
};

}  // namespace plataforma::simulada
