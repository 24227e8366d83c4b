#include "ajuda.hpp"

#include "apoio/cena_no_processo.hpp"
#include "conferencia_do_protocolo.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "estado/alvo.hpp"
#include "estado/processo.hpp"
#include "janela/posicionamento.hpp"
#include "localizador/chat.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/simulada/area_de_trabalho.hpp"
#include "plataforma/simulada/cena.hpp"
#include "plataforma/simulada/console.hpp"
#include "plataforma/simulada/relogio.hpp"

extern char** environ;

namespace fs = std::filesystem;
using namespace plataforma::simulada;

namespace {

fs::path pasta_temporaria() {
    static int contador = 0;
    const fs::path p = fs::temp_directory_path() /
                       ("localizador-teste-" + std::to_string(::getpid()) + "-" + std::to_string(++contador));
    fs::create_directories(p);
    return p;
}

Execucao executar(std::vector<std::string> args, const fs::path& pasta,
                  std::chrono::seconds limite_de_parede = std::chrono::seconds(60)) {
    const fs::path saida = pasta / "saida.txt";
    const fs::path erro = pasta / "erro.txt";
    const fs::path rastro = pasta / "rastro.jsonl";
    // LOCALIZADOR_BINARIO no ambiente roda os testes contra outro programa
    // (um de antes de uma mudança, para ver o teste falhar).
    const char* binario = std::getenv("LOCALIZADOR_BINARIO");
    args.insert(args.begin(), {binario ? binario : LOCALIZADOR_BINARIO, "--rastro", rastro.string()});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&acoes, 1, saida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&acoes, 2, erro.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int r = posix_spawn(&pid, argv[0], &acoes, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acoes);
    Execucao e;
    if (r != 0) {
        ADD_FAILURE() << "não consegui rodar " << argv[0];
        return e;
    }
    const auto limite = std::chrono::steady_clock::now() + limite_de_parede;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > limite) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "o programa não terminou em " << limite_de_parede.count() << " s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    e.codigo = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    e.saida = ler_arquivo(saida);
    // Toda saída que um teste lê passa pelo protocolo: uma mensagem que se
    // afaste de docs/protocolo.md faz o teste falhar, leia ele a linha ou não.
    for (const std::string& p : problemas_da_saida(args, e.saida))
        ADD_FAILURE() << "saída fora do protocolo (docs/protocolo.md), " << p;
    e.erro = ler_arquivo(erro);
    for (const std::string& l : dividir_linhas(ler_arquivo(rastro))) e.rastro.push_back(Json::parse(l));
    fs::remove_all(pasta);
    return e;
}

}  // namespace

std::vector<std::string> dividir_linhas(const std::string& texto) {
    std::vector<std::string> r;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        const std::size_t fim = texto.find('\n', inicio);
        if (fim == std::string::npos) {
            r.push_back(texto.substr(inicio));
            break;
        }
        r.push_back(texto.substr(inicio, fim - inicio));
        inicio = fim + 1;
    }
    return r;
}

std::vector<std::string> Execucao::linhas_da_saida() const { return dividir_linhas(saida); }
std::vector<std::string> Execucao::linhas_do_erro() const { return dividir_linhas(erro); }

std::vector<Json> Execucao::no_rastro(const std::string& campo, const std::string& valor) const {
    std::vector<Json> r;
    for (const Json& j : rastro)
        if (j.contains(campo) && j[campo].is_string() && j[campo] == valor) r.push_back(j);
    return r;
}

Execucao rodar_programa(const std::string& cena, const std::vector<std::string>& argumentos,
                        std::chrono::seconds limite_de_parede) {
    const fs::path pasta = pasta_temporaria();
    const fs::path arquivo = pasta / "cena.json";
    std::ofstream(arquivo, std::ios::binary) << cena;
    std::vector<std::string> args{"--cena", arquivo.string(), "--tempo", "virtual"};
    args.insert(args.end(), argumentos.begin(), argumentos.end());
    return executar(args, pasta, limite_de_parede);
}

Execucao rodar_programa_com_arquivo(const std::string& arquivo, const std::vector<std::string>& argumentos) {
    std::vector<std::string> args{"--cena", std::string(CENAS_DIR) + "/" + arquivo, "--tempo", "virtual"};
    args.insert(args.end(), argumentos.begin(), argumentos.end());
    return executar(args, pasta_temporaria());
}

Execucao rodar_programa_sem_cena(const std::vector<std::string>& argumentos) {
    std::vector<std::string> args{"--tempo", "virtual"};
    args.insert(args.end(), argumentos.begin(), argumentos.end());
    return executar(args, pasta_temporaria());
}

std::vector<std::pair<std::int64_t, std::string>> Execucao::saidas() const {
    std::vector<std::pair<std::int64_t, std::string>> r;
    for (const Json& j : rastro)
        if (j.contains("saida")) r.emplace_back(j["t"].get<std::int64_t>(), j["saida"].get<std::string>());
    return r;
}

std::vector<std::pair<std::int64_t, std::string>> Execucao::erros() const {
    std::vector<std::pair<std::int64_t, std::string>> r;
    for (const Json& j : rastro)
        if (j.contains("erro")) r.emplace_back(j["t"].get<std::int64_t>(), j["erro"].get<std::string>());
    return r;
}

int Execucao::buscas_entre(std::int64_t de, std::int64_t ate) const {
    int n = 0;
    for (const Json& j : rastro)
        if (j.value("uia", "") == "FindAllBuildCache" && j["t"] >= de && j["t"] <= ate) ++n;
    return n;
}

int Execucao::buscas_do_localizador_entre(std::int64_t de, std::int64_t ate) const {
    int n = 0;
    for (const Json& j : rastro)
        if (j.value("uia", "") == "FindAllBuildCache" && j.value("thread", -1) == 0 && j["t"] >= de &&
            j["t"] <= ate)
            ++n;
    return n;
}

std::string Execucao::log_com(const std::string& trecho) const {
    for (const std::string& l : linhas_do_erro())
        if (l.find(trecho) != std::string::npos) return l;
    return {};
}

std::string cena_derivada(const std::string& arquivo, const std::string& campos) {
    Json base = Json::parse(ler_arquivo(fs::path(CENAS_DIR) / arquivo));
    const Json novos = Json::parse(campos);
    for (auto it = novos.begin(); it != novos.end(); ++it) base[it.key()] = it.value();
    return base.dump(2);
}

Execucao rodar_linha_do_tempo(const std::string& arquivo, const std::string& linha_do_tempo,
                              const std::vector<std::string>& argumentos, const std::string& extras) {
    return rodar_programa(cena_derivada(arquivo, R"({"entrada": "cena", "linha_do_tempo": [)" +
                                                     linha_do_tempo + "]" + extras + "}"),
                          argumentos);
}

std::vector<std::pair<std::int64_t, std::string>> linhas_que_comecam(const Execucao& e,
                                                                     const std::string& comeco) {
    std::vector<std::pair<std::int64_t, std::string>> r;
    for (const auto& [t, l] : e.saidas())
        if (l.rfind(comeco, 0) == 0) r.emplace_back(t, l);
    return r;
}

std::string cena_minima(int fim_ms, const std::string& extra) {
    return R"({
      "entrada": "cena",
      "janelas": [{"hwnd": 100, "classe": "VornelChat", "titulo": "Vornel", "executavel": "vornel.exe",
                   "ret": [0, 0, 300, 600], "visivel": false}],
      "linha_do_tempo": [)" +
           extra + (extra.empty() ? "" : ",") + R"({"em": )" + std::to_string(fim_ms) +
           R"(, "acao": "fim"}]
    })";
}

void ComAreaSimulada::carregar(const std::string& cena) {
    carregar_cena_no_processo(cena);
    Rastro::global().guardar_na_memoria(true);
    Rastro::global().esquecer();
}

std::vector<Json> ComAreaSimulada::rastro(const std::string& efeito) const {
    std::vector<Json> r;
    for (const Json& j : Rastro::global().linhas())
        if (j.value("efeito", "") == efeito) r.push_back(j);
    return r;
}

void ComAreaSimulada::TearDown() {
    // O que o programa escreveu na saída dentro do processo também é do
    // protocolo, de qualquer modo.
    for (const Json& j : Rastro::global().linhas())
        if (j.contains("saida"))
            if (const auto p = conferir_linha_do_protocolo(j["saida"].get<std::string>()))
                ADD_FAILURE() << "saída fora do protocolo (docs/protocolo.md): " << *p << "\n    "
                              << j["saida"].get<std::string>();
    console_so_no_rastro(false);
    Rastro::global().guardar_na_memoria(false);
    Rastro::global().esquecer();
}

std::string ler_arquivo(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}
