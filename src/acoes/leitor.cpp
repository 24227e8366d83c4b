#include "acoes/leitor.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>

#include "acoes/comandos.hpp"
#include "comum/texto.hpp"
#include "estado/espera.hpp"
#include "estado/processo.hpp"
#include "janela/animacoes.hpp"
#include "janela/tremor_da_tela.hpp"
#include "plataforma/sistema.hpp"
#include "vigias/pecas.hpp"
#include "vigias/video.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;

namespace {

constexpr std::int64_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();

// Afastar a tela leva uns 200 ms; o prazo só protege de uma lupa travada.
constexpr auto kPrazoDaTelaNormal = 2s;

void sacudir(std::int32_t forca) {
    std::shared_ptr<CanalDeForcas>& canal = processo().TREMOR;
    if (!canal) {
        canal = std::make_shared<CanalDeForcas>();
        if (!pl::iniciar_thread([c = canal] { tremor_da_tela(c); }))
            pl::parar("não consegui iniciar a thread do tremor da tela");
    }
    canal->enviar(forca);
}

// A tela não pode ficar aproximada depois do fim: o tremor para, afasta e
// solta a lupa antes de o processo acabar.
void parar_o_tremor() {
    const std::shared_ptr<CanalDeForcas> canal = processo().TREMOR;
    if (!canal) return;
    canal->enviar(FORCA_DE_PARAR);
    canal->fechar();
    canal->esperar_tela_normal(pl::agora() + kPrazoDaTelaNormal);
}

}  // namespace

bool fazer_no_leitor(const std::string& linha) {
    if (linha == "pecas") {
        pedir_pecas();
        return true;
    }
    if (linha == "video") {
        pedir_video();
        return true;
    }
    if (linha == "tremer") {
        if (!ANIMACAO_OCUPADA.exchange(true)) tremer_navegador();
        return true;
    }
    if (comeca_com(linha, "fixar ")) {
        const auto n = ler_numero(std::string_view(linha).substr(6), std::numeric_limits<std::int64_t>::min(),
                                  std::numeric_limits<std::int64_t>::max());
        if (!n) return false;
        DONO = *n;
        acordar_localizador();
        return true;
    }
    if (comeca_com(linha, "pulsar ")) {
        const auto n = ler_numero(std::string_view(linha).substr(7), kMin32, kMax32);
        if (!n) return false;
        pulsar_navegador(static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, 1, 12)));
        return true;
    }
    if (comeca_com(linha, "sacudir ")) {
        const auto n = ler_numero(std::string_view(linha).substr(8), kMin32, kMax32);
        if (!n) return false;
        sacudir(static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, 1, 30)));
        return true;
    }
    return false;
}

void leitor_de_comandos() {
    FilaDeComandos& fila = processo().FILA;
    std::string linha;
    while (pl::ler_linha_da_entrada(linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (!utf8_valido(linha)) break;  // entrada que não é UTF-8 vale como fim
        if (fazer_no_leitor(linha)) continue;
        std::lock_guard g(fila.trava);
        fila.linhas.push_back(linha);
        fila.sinal.notificar_todos();
    }
    parar_o_tremor();
    std::lock_guard g(fila.trava);
    fila.entrada_encerrada = true;
    fila.sinal.notificar_todos();
}
