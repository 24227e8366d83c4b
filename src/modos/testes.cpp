// Os modos pequenos de teste e diagnóstico.

#include <algorithm>
#include <limits>
#include <string>

#include "comum/texto.hpp"
#include "janela/animacoes.hpp"
#include "localizador/pagina.hpp"
#include "modos/modos.hpp"
#include "plataforma/sistema.hpp"

int rodar_pulso() {
    const uia::Automacao automacao = criar_automacao();
    (void)automacao;  // as peças da página ainda não são listadas
    std::string linha;
    while (plataforma::ler_linha_da_entrada(linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        if (linha.rfind("pulsar ", 0) == 0) {
            const auto n = ler_numero(std::string_view(linha).substr(7),
                                      std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max());
            if (n) pulsar_navegador(static_cast<std::int32_t>(std::clamp<std::int64_t>(*n, 1, 12)));
        }
    }
    return 0;
}
