#pragma once
// As forças do tremor da tela, do leitor de comandos para a thread do tremor,
// e o aviso de volta de que a tela voltou ao normal.

#include <cstdint>
#include <deque>

#include "plataforma/sincronia.hpp"

class CanalDeForcas {
public:
    enum class Recebido { valor, nada, fechado };

    void enviar(std::int32_t forca);
    void fechar();
    // Espera até chegar uma força (ou o canal fechar).
    Recebido receber(std::int32_t& forca);
    // Sem esperar.
    Recebido tentar(std::int32_t& forca);
    // Espera até o prazo.
    Recebido receber_ate(plataforma::Instante prazo, std::int32_t& forca);

    // A thread do tremor avisa que afastou a tela e soltou a lupa (ou que
    // nunca a aproximou); "acabou": ela não vai mais atender. Quem vai
    // encerrar o processo espera por isso.
    void avisar_tela_normal(bool acabou);
    // Falso quando o prazo venceu antes do aviso.
    bool esperar_tela_normal(plataforma::Instante prazo);

private:
    Recebido pegar(std::int32_t& forca);
    plataforma::Trava trava_;
    plataforma::Sinal sinal_;
    std::deque<std::int32_t> forcas_;
    bool fechado_ = false;
    bool tela_normal_ = true;  // nada aproximado até a primeira força
    bool acabou_ = false;
};
