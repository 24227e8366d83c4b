#pragma once
// A montagem dos objetos da cena (janelas com filhas e página, elementos,
// repetições, falhas, lentidões) sobre uma área de trabalho, com a trava dela
// tomada. A mesma montagem serve à cena inicial, à validação da linha do
// tempo (sobre uma área de rascunho) e às ações "abrir" e "adicionar".

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena_leitor.hpp"

namespace plataforma::simulada {

// O que a cena já gastou dos limites (cena_limites.hpp). A validação passa o
// mesmo orçamento da cena inicial à linha do tempo inteira; a aplicação de
// um evento já validado monta sem orçamento.
struct Orcamento {
    std::int64_t elementos = 0;
    std::int64_t janelas = 0;
    std::int64_t bytes_de_copias = 0;
};

struct JanelaMontada {
    Hwnd hwnd = 0;
    std::string caminho;  // para as mensagens sobre ela (o dono, por exemplo)
};

int codigo_de_tecla(const Json& v, const std::string& caminho);

class Montador {
public:
    explicit Montador(AreaDeTrabalho& a, Orcamento* orcamento = nullptr) : a_(a), orcamento_(orcamento) {}

    // Handles ocupados fora da área (na validação, as janelas que existem
    // naquele ponto da linha do tempo).
    void tambem_em_uso(std::function<bool(Hwnd)> em_uso) { em_uso_ = std::move(em_uso); }
    // Onde dizer que uma chave se repetiu; vazio na cena inicial.
    void chaves_repetidas_em(std::string onde) { onde_das_chaves_ = std::move(onde); }

    // Lê um item da lista de elementos: um elemento ou uma repetição dele.
    void elementos(const Json& j, const std::string& caminho, std::vector<ElementoPtr>& destino,
                   const std::weak_ptr<ElementoSim>& pai);
    // Os campos que um evento "elemento" também pode mudar.
    static void campos(Leitor& l, ElementoSim& e);
    static void fatos_da_web(Leitor& l, ElementoSim& e);
    static std::int32_t tipo_lido(Leitor& l);

    void janela(const Json& j, const std::string& caminho, Hwnd pai, bool no_topo);
    // As janelas montadas até aqui, mães antes das filhas.
    const std::vector<JanelaMontada>& montadas() const { return montadas_; }

    static LentidaoSim lentidao(Leitor& l);
    // O campo "custo" da cena: o nome de um perfil, ou um objeto com um
    // perfil de base e os números que mudam nele.
    static PerfilDeCusto custo(const Json& j, const std::string& caminho);
    static FalhaSim falha(Leitor& l);
    static ChromiumSim chromium(const Json& j, const std::string& caminho);

private:
    std::uint32_t processo_de(Leitor& l, Hwnd pai);
    std::uint32_t processo_novo();
    static std::string caminho_do_executavel(std::string exe);
    void registrar(const ElementoPtr& e);

    AreaDeTrabalho& a_;
    Orcamento* orcamento_;
    std::function<bool(Hwnd)> em_uso_;
    std::string onde_das_chaves_;
    std::vector<JanelaMontada> montadas_;
    // O produto das repetições em que a montagem está agora.
    std::int64_t multiplicador_ = 1;
    // Processos já usados pelas janelas, montado na primeira vez que precisa:
    // procurar um número livre andando por todas as janelas a cada passo
    // ficaria cúbico numa cena com milhares delas.
    std::optional<std::set<std::uint32_t>> processos_usados_;
    std::uint32_t proximo_processo_ = 5000;
};

}  // namespace plataforma::simulada
