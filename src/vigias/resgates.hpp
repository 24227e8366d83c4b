#pragma once
// O vigia dos resgates de pontos do canal na Twitch: a cada 2 s procura na
// página as linhas de aviso do chat com " redeemed " ou " resgatou " no nome
// e avisa o app, uma vez por linha, das que chegaram depois que ele começou a
// olhar aquele canal.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "localizador/pagina.hpp"

// Quantas linhas já tratadas o vigia lembra.
inline constexpr std::size_t kVistosNoMaximo = 200;
// O texto de um resgate no aviso, em valores escalares.
inline constexpr std::size_t kTextoDoResgate = 200;

// Os pedaços de texto da linha, já aparados, juntos com um branco; cada
// sequência de brancos vira um só e o resultado fica nos primeiros 200
// valores escalares.
std::string texto_do_resgate(const std::vector<std::string>& pedacos);

// {"resgate":"...","canal":"..."}
std::string linha_de_resgate(const std::string& texto, const std::string& canal);

class VigiaDeResgates {
public:
    explicit VigiaDeResgates(uia::Automacao automacao);

    // Uma volta, sem a espera de 2 s que vem antes de cada uma.
    void volta();

    std::size_t vistos() const { return vistos_.size(); }
    bool primeira_volta() const { return primeira_volta_; }

private:
    struct Achado {
        uia::Elemento linha;
        std::string texto;
    };

    // Nenhum quando a leitura da página falhou como um todo.
    std::optional<std::vector<Achado>> procurar(Hwnd janela, const Retangulo& chat) const;
    // A linha de aviso acima do achado: nenhuma quando ele está numa
    // mensagem de espectador, longe demais da lista ou numa leitura falhada.
    std::optional<uia::Elemento> linha_do_aviso(const uia::Caminhante& cru,
                                                const uia::Elemento& achado) const;
    std::string texto_da_linha(const uia::Elemento& linha) const;
    bool ja_visto(const uia::Elemento& linha) const;
    std::size_t desde_as_200_mais_novas(const std::vector<Achado>& achados) const;

    uia::Automacao a_;
    std::optional<std::string> canal_atual_;
    std::deque<uia::Elemento> vistos_;  // o mais velho primeiro
    bool primeira_volta_ = true;
};

// A thread do vigia (modo hospedado): para sempre, 2 s antes de cada volta.
[[noreturn]] void vigia_de_resgates();
