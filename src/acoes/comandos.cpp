#include "acoes/comandos.hpp"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>

#include "comum/globais.hpp"
#include "comum/log.hpp"
#include "comum/texto.hpp"
#include "janela/animacoes.hpp"
#include "janela/posicionamento.hpp"
#include "janela/tremor_da_tela.hpp"
#include "linha_de_comando.hpp"
#include "localizador/espera.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;

namespace {

FilaDeComandos FILA;
// O canal do tremor da tela, criado no primeiro "sacudir"; só o leitor mexe.
std::shared_ptr<CanalDeForcas> TREMOR;

bool comeca_com(std::string_view s, std::string_view prefixo) {
    return s.substr(0, prefixo.size()) == prefixo;
}

// Os comandos que o leitor faz ele mesmo; falso quando a linha vai para a fila.
bool fazer_no_leitor(const std::string& linha) {
    if (linha == "pecas" || linha == "video") {
        // As leituras das peças e do vídeo ainda não existem: nada a fazer.
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
        const auto n = ler_numero(std::string_view(linha).substr(7), std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
        if (!n) return false;
        pulsar_navegador(static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, 1, 12)));
        return true;
    }
    if (comeca_com(linha, "sacudir ")) {
        const auto n = ler_numero(std::string_view(linha).substr(8), std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
        if (!n) return false;
        if (!TREMOR) {
            TREMOR = std::make_shared<CanalDeForcas>();
            if (!pl::iniciar_thread([canal = TREMOR] { tremor_da_tela(canal); }))
                pl::parar("não consegui iniciar a thread do tremor da tela");
        }
        TREMOR->enviar(static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, 1, 30)));
        return true;
    }
    return false;
}

void leitor_de_comandos() {
    std::string linha;
    while (pl::ler_linha_da_entrada(linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (!utf8_valido(linha)) break;  // entrada que não é UTF-8 vale como fim
        if (fazer_no_leitor(linha)) continue;
        std::lock_guard g(FILA.trava);
        FILA.linhas.push_back(linha);
        FILA.sinal.notificar_todos();
    }
    // A tela não pode ficar aproximada: o tremor para e afasta antes do fim.
    if (TREMOR) {
        TREMOR->enviar(FORCA_DE_PARAR);
        pl::dormir(std::chrono::milliseconds(250));
        TREMOR->fechar();
    }
    std::lock_guard g(FILA.trava);
    FILA.entrada_encerrada = true;
    FILA.sinal.notificar_todos();
}

// Faz a linha escolhida do lote. As ações na página ainda não existem; o que
// já se pode é validar e recusar como o app espera.
void fazer(const std::string& linha) {
    if (comeca_com(linha, "emote ")) {
        if (!ler_codigo_de_emote(std::string_view(linha).substr(6))) registrar("emote: código recusado");
        return;
    }
}

}  // namespace

std::optional<std::int64_t> ler_numero(std::string_view texto, std::int64_t minimo, std::int64_t maximo) {
    const auto n = ler_handle(aparar(texto));
    if (!n || *n < minimo || *n > maximo) return std::nullopt;
    return n;
}

std::size_t escolher_do_lote(const std::vector<std::string>& lote) {
    for (std::size_t i = lote.size(); i-- > 0;)
        if (!comeca_com(lote[i], "preparar ")) return i;
    return lote.empty() ? 0 : lote.size() - 1;
}

std::optional<ComandoDeMensagem> ler_comando_de_mensagem(std::string_view verbo, std::string_view resto) {
    ComandoDeMensagem c;
    c.verbo = std::string(verbo);
    const std::size_t t1 = resto.find('\t');
    const std::size_t t2 = t1 == std::string_view::npos ? t1 : resto.find('\t', t1 + 1);
    c.nick = aparar(resto.substr(0, t1));
    if (t1 != std::string_view::npos)
        c.nome = aparar(resto.substr(t1 + 1, t2 == std::string_view::npos ? t2 : t2 - t1 - 1));
    if (t2 != std::string_view::npos) c.texto = aparar(resto.substr(t2 + 1));
    const bool nick_ok = !c.nick.empty() && c.nick.size() <= 25 &&
                         std::all_of(c.nick.begin(), c.nick.end(), [](char ch) {
                             return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                                    (ch >= '0' && ch <= '9') || ch == '_';
                         });
    if (!nick_ok) return std::nullopt;
    return c;
}

std::optional<std::string> ler_codigo_de_emote(std::string_view resto) {
    const std::string codigo = aparar(resto);
    if (codigo.empty() || contar_escalares(codigo) > 100) return std::nullopt;
    for (std::size_t pos = 0; pos < codigo.size();) {
        const char32_t c = proximo_escalar(codigo, pos);
        if (eh_branco(c) || c <= 0x1F || (c >= 0x7F && c <= 0x9F)) return std::nullopt;
    }
    return codigo;
}

void executor_de_comandos() {
    if (!pl::iniciar_thread(leitor_de_comandos))
        pl::parar("não consegui iniciar a thread do leitor de comandos");
    const uia::Automacao automacao = criar_automacao();
    (void)automacao;
    for (;;) {
        std::vector<std::string> lote;
        {
            std::unique_lock lk(FILA.trava);
            while (FILA.linhas.empty()) {
                if (FILA.entrada_encerrada) {
                    lk.unlock();
                    soltar(JANELA.load(), "o app fechou o localizador");
                    pl::encerrar_processo(0);
                }
                FILA.sinal.esperar(lk);
            }
            lote.assign(FILA.linhas.begin(), FILA.linhas.end());
            FILA.linhas.clear();
        }
        fazer(lote[escolher_do_lote(lote)]);
    }
}
