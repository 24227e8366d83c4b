// O quadro do processo na simulação: o relógio do escalonador, as opções da
// simulação na linha de comando (--cena, --rastro, --tempo, --foto) e o console.

#include "plataforma/sistema.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>
#include <thread>

#include "comum/texto.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/cena_limites.hpp"
#include "plataforma/simulada/console.hpp"
#include "plataforma/simulada/foto.hpp"
#include "plataforma/simulada/rastro.hpp"
#include "plataforma/simulada/relogio.hpp"

namespace plataforma {

using simulada::Rastro;
using simulada::Relogio;

namespace {

std::vector<std::string>& args() {
    static std::vector<std::string> a;
    return a;
}

struct EntradaDaCena {
    bool ligada = false;
    bool fechada = false;
    std::deque<std::string> linhas;
    Trava trava;
    Sinal sinal;
};

EntradaDaCena& entrada() {
    static EntradaDaCena e;
    return e;
}

std::atomic<bool> so_no_rastro{false};

std::atomic<int> threads_iniciadas{0};
thread_local int esta_thread = 0;

[[noreturn]] void erro_de_uso_da_simulacao(const std::string& texto) {
    std::fputs((texto + "\n").c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(2);
}

template <typename F>
void para_cada_linha(std::string_view bytes, F f) {
    while (!bytes.empty()) {
        const std::size_t fim = bytes.find('\n');
        f(bytes.substr(0, fim));
        if (fim == std::string_view::npos) break;
        bytes.remove_prefix(fim + 1);
    }
}

void rastrear_texto(const char* campo, std::string_view bytes) {
    if (!Rastro::global().ativo()) return;
    para_cada_linha(bytes, [&](std::string_view linha) {
        Rastro::global().registrar({{campo, std::string(linha)}});
    });
}

// "--foto <ms>:<arquivo>": o evento "foto" da linha do tempo. O arquivo é
// criado já na partida, para que um caminho ruim pare aqui e não no meio.
simulada::EventoDaCena evento_de_foto(const std::string& valor) {
    const std::string uso = "--foto <ms>:<arquivo.svg>";
    const std::size_t dois_pontos = valor.find(':');
    if (dois_pontos == std::string::npos)
        erro_de_uso_da_simulacao(uso + ": falta o \":\" em \"" + valor + "\"");
    const auto ms = ler_numero(valor.substr(0, dois_pontos), 0, simulada::limites::kInstanteMaximoMs);
    if (!ms || valor.substr(0, dois_pontos).find_first_not_of("0123456789") != std::string::npos)
        erro_de_uso_da_simulacao(uso + ": o instante precisa ser de 0 a " +
                                 std::to_string(simulada::limites::kInstanteMaximoMs) + " ms");
    const std::string arquivo = valor.substr(dois_pontos + 1);
    if (arquivo.empty()) erro_de_uso_da_simulacao(uso + ": falta o arquivo");
    if (!gravar_arquivo(arquivo, ""))
        erro_de_uso_da_simulacao("--foto " + valor + ": não consegui criar o arquivo");
    simulada::EventoDaCena e;
    e.em_ms = *ms;
    e.acao = "foto";
    e.onde = "--foto";
    e.dados = {{"em", *ms}, {"acao", "foto"}, {"arquivo", arquivo}};
    return e;
}

// As fotos entram depois dos eventos da cena no mesmo instante (a foto mostra
// o instante já mudado), mas antes do fim.
void juntar_fotos(std::vector<simulada::EventoDaCena>& linha, std::vector<simulada::EventoDaCena> fotos,
                  const std::string& nome) {
    for (simulada::EventoDaCena& f : fotos) {
        auto it = std::find_if(linha.begin(), linha.end(), [&](const simulada::EventoDaCena& e) {
            return e.em_ms > f.em_ms || e.acao == "fim";
        });
        if (it != linha.end() && it->acao == "fim" && it->em_ms < f.em_ms)
            erro_de_uso_da_simulacao(simulada::linha_de_erro_da_cena(
                nome, "--foto em " + std::to_string(f.em_ms) + " ms: a cena termina antes, em " +
                          std::to_string(it->em_ms) + " ms"));
        linha.insert(it, std::move(f));
    }
}

}  // namespace

Instante agora() { return Relogio::global().agora(); }

void dormir(Duracao d) { Relogio::global().dormir_ate(agora() + d); }

void dormir_ate(Instante prazo) { Relogio::global().dormir_ate(prazo); }

bool iniciar_thread(std::function<void()> corpo) {
    Relogio::global().entrar();
    // Numerada aqui, na thread que a inicia: a ordem segue a do programa.
    const int numero = ++threads_iniciadas;
    try {
        std::thread([corpo = std::move(corpo), numero] {
            esta_thread = numero;
            corpo();
            Relogio::global().sair();
        }).detach();
        return true;
    } catch (...) {
        Relogio::global().sair();
        return false;
    }
}

void encerrar_processo(int codigo) {
    std::fflush(stdout);
    std::fflush(stderr);
    Rastro::global().registrar({{"encerrado", codigo}});
    Rastro::global().esvaziar();
    std::_Exit(codigo);
}

void parar(std::string_view motivo) {
    escrever_erro(std::string(motivo) + "\n");
    encerrar_processo(1);
}

void iniciar_plataforma(int argc, char** argv) {
    std::optional<std::string> arquivo;
    std::optional<std::string> rastro;
    std::optional<Relogio::Modo> tempo;
    bool rastro_uia = false;
    std::vector<std::string> fotos;
    std::vector<std::string> resto;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool tem_valor = i + 1 < argc;
        if (a == "--rastro-uia") {
            rastro_uia = true;
            continue;
        }
        if (a == "--cena" || a == "--rastro" || a == "--tempo" || a == "--foto") {
            if (!tem_valor) erro_de_uso_da_simulacao(a + " <valor>: falta o valor");
            const std::string v = argv[++i];
            if (a == "--foto") {
                fotos.push_back(v);
            } else if (a == "--cena") {
                arquivo = v;
            } else if (a == "--rastro") {
                rastro = v;
            } else if (v == "virtual") {
                tempo = Relogio::Modo::Virtual;
            } else if (v == "real") {
                tempo = Relogio::Modo::Real;
            } else {
                erro_de_uso_da_simulacao("--tempo <virtual|real>");
            }
            continue;
        }
        resto.push_back(a);
    }
    args() = resto;

    const std::string nome = arquivo.value_or("(cena padrão)");
    simulada::Cena cena;
    try {
        const std::string texto = arquivo ? simulada::ler_arquivo_de_cena(*arquivo)
                                          : std::string(simulada::texto_da_cena_padrao());
        cena = simulada::carregar_cena(texto, simulada::AreaDeTrabalho::global());
    } catch (const simulada::ErroDeCena& e) {
        erro_de_uso_da_simulacao(simulada::linha_de_erro_da_cena(nome, e.what()));
    }
    std::vector<simulada::EventoDaCena> eventos_de_foto;
    for (const std::string& f : fotos) eventos_de_foto.push_back(evento_de_foto(f));
    juntar_fotos(cena.linha_do_tempo, std::move(eventos_de_foto), nome);
    // O rastro só é criado para uma cena que carregou.
    if (rastro && !Rastro::global().abrir(*rastro))
        erro_de_uso_da_simulacao("--rastro " + *rastro + ": não consegui criar o arquivo");
    const Relogio::Modo modo = tempo.value_or(cena.tempo.value_or(Relogio::Modo::Virtual));
    if (modo == Relogio::Modo::Virtual && !cena.tem_fim)
        erro_de_uso_da_simulacao(
            simulada::linha_de_erro_da_cena(nome,
                                            "no tempo virtual a linha do tempo precisa de um evento \"fim\" "
                                            "(sem ele o relógio correria sem parar)"));
    {
        simulada::AreaDeTrabalho& area = simulada::AreaDeTrabalho::global();
        std::lock_guard g(area.m);
        area.rastrear_uia = rastro_uia;
    }
    Relogio::global().reiniciar(modo);
    simulada::usar_entrada_da_cena(cena.entrada_da_cena);
    Rastro::global().registrar(
        {{"cena", nome}, {"tempo", modo == Relogio::Modo::Virtual ? "virtual" : "real"}});
    if (!simulada::iniciar_linha_do_tempo(std::move(cena.linha_do_tempo)))
        erro_de_uso_da_simulacao(
            simulada::linha_de_erro_da_cena(nome, "não consegui iniciar a linha do tempo"));
}

std::vector<std::string> argumentos() { return args(); }

bool escrever_saida(std::string_view bytes) {
    para_cada_linha(bytes, simulada::ver_linha_da_saida);
    if (so_no_rastro) {
        rastrear_texto("saida", bytes);
        return true;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                    std::fflush(stdout) == 0;
    rastrear_texto("saida", bytes);
    return ok;
}

void escrever_erro(std::string_view bytes) {
    if (so_no_rastro) {
        rastrear_texto("erro", bytes);
        return;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
    rastrear_texto("erro", bytes);
}

bool ler_linha_da_entrada(std::string& linha) {
    EntradaDaCena& e = entrada();
    {
        std::unique_lock lk(e.trava);
        if (e.ligada) {
            while (e.linhas.empty() && !e.fechada) e.sinal.esperar(lk);
            if (e.linhas.empty()) return false;
            linha = std::move(e.linhas.front());
            e.linhas.pop_front();
            return true;
        }
    }
    // A leitura real para fora do relógio: o tempo virtual segue enquanto isso.
    Relogio::global().sair_para_fora();
    linha.clear();
    bool leu = false;
    for (int c; (c = std::fgetc(stdin)) != EOF;) {
        leu = true;
        if (c == '\n') break;
        linha += static_cast<char>(c);
    }
    const bool ok = leu && !std::ferror(stdin);
    Relogio::global().voltar_de_fora();
    return ok;
}

std::optional<std::string> variavel_de_ambiente(const char* nome) {
    const char* v = std::getenv(nome);
    if (!v || !utf8_valido(v)) return std::nullopt;
    return std::string(v);
}

}  // namespace plataforma

namespace plataforma::simulada {

int numero_da_thread() { return esta_thread; }

void console_so_no_rastro(bool sim) { so_no_rastro = sim; }

void usar_entrada_da_cena(bool sim) {
    EntradaDaCena& e = entrada();
    std::lock_guard g(e.trava);
    e.ligada = sim;
    e.fechada = false;
    e.linhas.clear();
}

void entrada_receber_linha(std::string linha) {
    EntradaDaCena& e = entrada();
    std::lock_guard g(e.trava);
    e.linhas.push_back(std::move(linha));
    e.sinal.notificar_todos();
}

void entrada_fechar() {
    EntradaDaCena& e = entrada();
    std::lock_guard g(e.trava);
    e.fechada = true;
    e.sinal.notificar_todos();
}

}  // namespace plataforma::simulada
