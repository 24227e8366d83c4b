#pragma once
// Relógio e escalonador da área de trabalho simulada.
//
// Cada thread do programa é uma participante: conta como "rodando" até parar
// numa espera (dormir, Sinal, Trava ocupada, entrada padrão real). No tempo
// virtual o relógio só anda quando nenhuma participante está rodando: salta
// para o prazo mais próximo e acorda quem vencia ali. Assim os ritmos do
// programa (voltas de 100 ms, 600 s de memória) rodam sem esperar de verdade e
// sempre no mesmo instante virtual. No tempo real cada espera vence no seu
// prazo de relógio de parede, como no Windows.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "plataforma/sincronia.hpp"

namespace plataforma::simulada {

struct Espera {
    std::optional<Instante> prazo;
    bool acordada = false;
    bool venceu = false;    // acordada pelo prazo, não por aviso
    bool primeiro = false;  // no mesmo instante, acorda antes das outras
};

// O número da thread que chama: 0 a principal (e as que a simulação não
// iniciou), depois 1, 2... na ordem em que plataforma::iniciar_thread as
// iniciou. Vai no rastro das chamadas de UI Automation, para um teste saber de
// que thread veio cada ida ao navegador.
int numero_da_thread();

class Relogio {
public:
    enum class Modo { Virtual, Real };

    static Relogio& global();

    // Volta ao instante zero no modo dado (entre testes e na partida).
    void reiniciar(Modo modo);
    Modo modo();

    Instante agora();
    // Milissegundos desde o início, para o rastro.
    std::int64_t agora_ms();

    void dormir_ate(Instante prazo);
    // Como dormir_ate, mas no mesmo instante esta thread roda antes das
    // outras: a linha do tempo da cena muda a área antes de o programa olhar.
    void dormir_ate_primeiro(Instante prazo);

    // Uma thread nova passa a contar antes de existir, para que o relógio não
    // ande entre a criação e o primeiro passo dela.
    void entrar();
    void sair();
    // Espera fora do controle do relógio (leitura real da entrada padrão).
    void sair_para_fora();
    void voltar_de_fora();

    void travar(Trava& t);
    void destravar(Trava& t);
    bool tentar(Trava& t);
    // Falso quando o prazo venceu antes de um aviso.
    bool esperar(Sinal& s, Trava& t, std::optional<Instante> prazo);
    void notificar(Sinal& s, bool todas);

private:
    using Lock = std::unique_lock<std::mutex>;
    void bloquear(Lock& lk, Espera& e);
    void dormir(Instante prazo, bool primeiro);
    void acordar(Espera& e, bool pelo_prazo);
    bool avancar(Lock& lk);
    void liberar_trava(Trava& t);
    void tomar_trava(Lock& lk, Trava& t);
    Instante instante(std::int64_t ns) const;

    std::mutex m_;
    std::condition_variable cv_;
    Modo modo_ = Modo::Virtual;
    std::int64_t agora_ns_ = 0;
    std::chrono::steady_clock::time_point inicio_parede_ = std::chrono::steady_clock::now();
    int rodando_ = 1;
    std::vector<Espera*> com_prazo_;
};

}  // namespace plataforma::simulada
