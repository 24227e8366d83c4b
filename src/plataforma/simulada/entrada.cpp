// Cursor e teclas da área simulada; a cena os muda na linha do tempo.

#include "plataforma/entrada.hpp"

#include <mutex>

#include "comum/texto.hpp"

#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/rastro.hpp"

namespace plataforma {

using simulada::AreaDeTrabalho;
using simulada::Json;

std::optional<Ponto> posicao_do_cursor() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    if (a.deve_falhar("GetCursorPos")) return std::nullopt;
    return a.cursor;
}

std::optional<InfoDoCursor> info_do_cursor() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    if (a.deve_falhar("GetCursorInfo")) return std::nullopt;
    return InfoDoCursor{a.cursor, a.cursor_visivel};
}

bool mover_cursor(Ponto p) {
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        a.cursor = p;
        a.atualizar_hover();
    }
    simulada::Rastro::global().registrar({{"efeito", "SetCursorPos"}, {"x", p.x}, {"y", p.y}});
    simulada::despachar_reacoes();
    return true;
}

namespace {

bool eh_caixa_de_texto(const simulada::ElementoSim& e) {
    return e.valor || e.papel == "textbox" || e.papel == "searchbox" || e.papel == "combobox" ||
           e.tipo == 50004;
}

}  // namespace

namespace simulada {

AreaDeTrabalho::Entrega AreaDeTrabalho::receber_teclado(const std::string& texto,
                                                        const std::vector<int>& teclas) {
    // O teclado vai para a janela da frente: a página só recebe quando o
    // elemento com o foco é de uma janela do processo que está na frente.
    const ElementoPtr f = foco_uia.lock();
    const JanelaSim* na_frente = achar(frente);
    const JanelaSim* dona = f ? achar(f->janela_dona) : nullptr;
    if (!f || !vivo(f) || !na_frente || !dona || na_frente->processo != dona->processo) return {};
    if (!texto.empty() && eh_caixa_de_texto(*f)) f->valor = f->valor.value_or("") + texto;
    for (int t : teclas) disparar(Gatilho::tecla, f, t);
    return {true, f->chave};
}

}  // namespace simulada

std::uint32_t enviar_teclas(const std::vector<RegistroDeTecla>& registros) {
    // O texto Unicode que os registros levam e as teclas virtuais apertadas.
    std::u16string unidades;
    std::vector<int> teclas;
    for (const RegistroDeTecla& r : registros) {
        if (r.opcoes & opcao_de_tecla::soltar) continue;
        if (r.opcoes & opcao_de_tecla::unicode)
            unidades += static_cast<char16_t>(r.scan);
        else
            teclas.push_back(r.vk);
    }
    const std::string texto = utf16_para_utf8(unidades);
    AreaDeTrabalho::Entrega entrega;
    bool falhou = false;
    {
        AreaDeTrabalho& a = AreaDeTrabalho::global();
        std::lock_guard g(a.m);
        falhou = a.deve_falhar("SendInput").has_value();
        if (!falhou) entrega = a.receber_teclado(texto, teclas);
    }
    Json linha = {{"efeito", "SendInput"},
                  {"registros", registros.size()},
                  {"texto", texto},
                  {"entregue", entrega.entregue},
                  {"destino", entrega.destino}};
    if (!teclas.empty()) linha["teclas"] = teclas;
    if (falhou) linha["ok"] = false;
    simulada::Rastro::global().registrar(std::move(linha));
    simulada::despachar_reacoes();
    return falhou ? 0u : static_cast<std::uint32_t>(registros.size());
}

bool tecla_apertada(int codigo_virtual) {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    return a.teclas.count(codigo_virtual) > 0;
}

Ponto tamanho_da_tela() {
    AreaDeTrabalho& a = AreaDeTrabalho::global();
    std::lock_guard g(a.m);
    if (a.monitores.empty()) return {0, 0};
    const Retangulo& r = a.monitores.front().ret;
    return {static_cast<std::int32_t>(r.largura()), static_cast<std::int32_t>(r.altura())};
}

}  // namespace plataforma
