#include "plataforma/simulada/cena_rascunho.hpp"

#include <algorithm>

#include "plataforma/simulada/cena_leitor.hpp"

namespace plataforma::simulada {

Rascunho::Rascunho(AreaDeTrabalho& a, Orcamento& o) : orcamento(o) {
    for (const auto& [h, j] : a.janelas) {
        Janela& w = janelas_[h];
        w.pai = j.pai;
        w.dono = j.dono;
        w.filhas = j.filhas;
    }
    for (const auto& [h, j] : a.janelas)
        for (const ElementoPtr& e : j.arvore) guardar(e, h, "", 1, "cena");
}

void Rascunho::acrescentar_janela(Hwnd h, Hwnd pai, Hwnd dono) {
    Janela& w = janelas_[h];
    w.pai = pai;
    w.dono = dono;
    if (pai) {
        const auto mae = janelas_.find(pai);
        if (mae != janelas_.end()) mae->second.filhas.push_back(h);
    }
}

void Rascunho::acrescentar_elementos(const std::vector<ElementoPtr>& arvore, Hwnd janela,
                                     const std::string& acima, int nivel, const std::string& onde) {
    for (const ElementoPtr& e : arvore) guardar(e, janela, acima, nivel, onde);
}

void Rascunho::guardar(const ElementoPtr& e, Hwnd janela, const std::string& acima, int nivel,
                       const std::string& onde) {
    const std::string* de_cima = &acima;
    if (!e->chave.empty()) {
        const auto [it, nova] = chaves_.try_emplace(e->chave);
        if (!nova && !amplo) throw ErroDeCena(onde + ": chave de elemento repetida " + citar(e->chave));
        it->second.janela = janela;
        it->second.acima = acima;
        it->second.nivel = nivel;
        if (const auto cima = chaves_.find(acima); cima != chaves_.end())
            cima->second.abaixo.insert(e->chave);
        janelas_[janela].chaves.insert(e->chave);
        de_cima = &it->first;
    }
    for (const ElementoPtr& f : e->filhos) guardar(f, janela, *de_cima, nivel + 1, onde);
}

void Rascunho::fechar(Hwnd h) {
    if (amplo) return;
    const auto it = janelas_.find(h);
    if (it == janelas_.end()) return;
    for (Hwnd f : std::vector<Hwnd>(it->second.filhas)) fechar(f);
    // As chaves de cima também são desta página: a árvore sai inteira.
    for (const std::string& c : it->second.chaves) chaves_.erase(c);
    if (const auto mae = janelas_.find(it->second.pai); mae != janelas_.end()) {
        std::vector<Hwnd>& irmas = mae->second.filhas;
        irmas.erase(std::remove(irmas.begin(), irmas.end(), h), irmas.end());
    }
    janelas_.erase(it);
}

void Rascunho::remover(const std::string& chave) {
    if (amplo) return;
    const auto it = chaves_.find(chave);
    if (it == chaves_.end()) return;
    for (const std::string& c : std::vector<std::string>(it->second.abaixo.begin(), it->second.abaixo.end()))
        remover(c);
    if (const auto cima = chaves_.find(it->second.acima); cima != chaves_.end())
        cima->second.abaixo.erase(chave);
    if (const auto w = janelas_.find(it->second.janela); w != janelas_.end()) w->second.chaves.erase(chave);
    chaves_.erase(it);
}

std::vector<Hwnd> Rascunho::ciclo_de_donos(Hwnd h) const {
    const auto inicio = janelas_.find(h);
    if (inicio == janelas_.end()) return {};
    std::vector<Hwnd> cadeia{h};
    std::set<Hwnd> vistas{h};
    for (Hwnd x = inicio->second.dono; x != 0;) {
        const auto it = janelas_.find(x);
        if (it == janelas_.end()) return {};
        cadeia.push_back(x);
        if (x == h) return cadeia;
        // Um ciclo mais adiante que não passa por "h": é dele que se fala
        // quando a vez for de uma das janelas dele.
        if (!vistas.insert(x).second) return {};
        x = it->second.dono;
    }
    return {};
}

void Rascunho::recusar_ciclo_de_donos(Hwnd h, const std::string& caminho) const {
    const std::vector<Hwnd> ciclo = ciclo_de_donos(h);
    if (ciclo.empty()) return;
    if (ciclo.size() == 2) Leitor::erro_em(caminho, "a janela " + std::to_string(h) + " é dona de si mesma");
    std::string texto;
    for (Hwnd x : ciclo) texto += (texto.empty() ? "" : " → ") + std::to_string(x);
    Leitor::erro_em(caminho, "donos em ciclo: " + texto);
}

int Rascunho::niveis(const std::vector<ElementoPtr>& arvore) {
    int n = 0;
    for (const ElementoPtr& e : arvore) n = std::max(n, 1 + niveis(e->filhos));
    return n;
}

}  // namespace plataforma::simulada
