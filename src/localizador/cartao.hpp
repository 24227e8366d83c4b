#pragma once
// O cartão do espectador da Twitch: quando o nome de alguém é apertado no
// chat, o site abre o cartão por cima da parte de baixo do chat, e a Vidrel
// deixa um buraco para ele. A medida do cartão e o acompanhamento dele pelo
// localizador enquanto o aperto está pendente, inclusive quando é arrastado.

#include <optional>
#include <string>

#include "comum/tipos.hpp"
#include "estado/processo.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/sincronia.hpp"

struct MedidaDoCartao {
    Retangulo ret;
    std::string peca;  // qual peça deu o topo (para os logs)
};

// O buraco do cartão (buraco_do_cartao) e o aperto pendente
// (APERTO_DO_PERFIL) são valores do processo: estado/processo.hpp.

// A camada arrastável do cartão acima do elemento (até 10 ancestrais).
std::optional<Retangulo> conteiner_do_cartao(const uia::Automacao& a, const uia::Elemento& e);

std::optional<MedidaDoCartao> medir_cartao(const uia::Automacao& a, const uia::Elemento& chat_room,
                                           const std::string& nome, const Retangulo& chat,
                                           bool aceitar_esqueleto);

// Um passo do acompanhamento: mede o cartão e guarda ou limpa o buraco.
void acompanhar_cartao(const uia::Automacao& a, const Retangulo& chat, Hwnd janela);

// O arrasto do cartão: move o buraco com o cursor sem medir a cada volta.
class ArrastoDoCartao {
public:
    // Chamado nas voltas com o aperto pendente e o botão esquerdo apertado.
    void passo(const uia::Automacao& a, Hwnd janela);
    // Chamado quando o botão foi solto; verdadeiro se havia um arrasto.
    bool soltou();
    bool arrastando() const { return arrastando_; }
    // Um aperto novo esquece a camada achada no anterior.
    void esquecer();

private:
    bool decidido_ = false;
    bool arrastando_ = false;
    std::optional<uia::Elemento> camada_;
    Ponto pega_;
    std::int64_t largura_ = 0;
    std::int64_t altura_ = 0;
    std::optional<Retangulo> limites_;
    plataforma::Instante inicio_{};
    int voltas_ = 0;
};
