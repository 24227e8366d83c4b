// O dublê do navegador. Copiado com o nome de cada executável que a cena usa
// (chrome.exe, msedge.exe, brave.exe, opera.exe...), ele põe de pé as janelas
// desse processo, espera o instante zero que o dublê do app escolhe e segue a
// linha do tempo em tempo real, até o app (o pai) acabar.
//
//   chrome.exe --cena <cena.json> --pasta <pasta da prova> --pai <pid do app>

#include <windows.h>

#include <thread>

#include "duble/argumentos.hpp"
#include "duble/palco.hpp"

int main() {
    using namespace banco;
    const Argumentos args = ler_argumentos();
    const std::string exe = minusculas_ascii(nome_do_arquivo(este_executavel()));
    const std::string pasta = args.valor("pasta");

    Diario diario;
    if (!diario.abrir(arquivo_da_pasta(pasta, nome_do_diario(exe)), exe)) return 2;
    Palco palco(exe, diario);
    if (!palco.carregar(args.valor("cena"))) return 2;

    const auto pid = ler_inteiro(args.valor("pai"));
    HANDLE pai = pid ? OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(*pid)) : nullptr;
    if (!pai) {
        diario.problema("sem o processo do app (--pai)");
        return 2;
    }

    palco.criar_iniciais();
    // As mensagens da criação despachadas antes de dizer que está pronto: o
    // app arruma a ordem z depois, e nada daqui a desarruma.
    esperar_despachando({}, agora_ms() + 50);
    diario.escrever({{"pronto", true}});
    marcar_pronto(pasta, exe);

    // O instante zero: o app escreve o arquivo quando todas as janelas da
    // cena estão de pé, logo antes de iniciar o localizador.
    const std::string caminho_do_inicio = arquivo_da_pasta(pasta, "inicio");
    std::optional<std::int64_t> inicio;
    while (!inicio) {
        if (esperar_despachando({pai}, agora_ms() + 5) == 0) return 0;
        if (const auto texto = ler_arquivo(caminho_do_inicio)) inicio = ler_inteiro(aparar(*texto));
    }
    diario.comecar(*inicio);

    const auto& eventos = palco.eventos();
    std::size_t i = 0;
    for (;;) {
        const std::int64_t ate = i < eventos.size() ? *inicio + eventos[i].em_ms : INT64_MAX;
        if (esperar_despachando({pai}, ate) == 0) break;
        while (i < eventos.size() && *inicio + eventos[i].em_ms <= agora_ms()) palco.aplicar(eventos[i++]);
    }
    CloseHandle(pai);
    return 0;
}
