#pragma once
// A prévia do 7TV: quando uma resposta é preparada com o 7TV ligado, a
// bandeja acima da caixa do chat mostra a mensagem respondida. O vigia da
// prévia diz ao app onde ela está e quando some.

#include <optional>
#include <string>

#include "comum/tipos.hpp"
#include "localizador/pagina.hpp"
#include "plataforma/sincronia.hpp"

// O primeiro "seventv-tray-user-message" de pelo menos 20 × 10 pixels (sem
// escala), estendido 12 pixels para cima; nenhum numa chamada falhada.
std::optional<Retangulo> achar_previa(const uia::Automacao& a, const uia::Elemento& raiz);

// {"previa":[l,t,r,b]} ou {"previa":null}.
std::string linha_da_previa(const std::optional<Retangulo>& r);

// O vigia de uma janela, volta a volta (uma a cada 300 ms).
class VigiaDaPrevia {
public:
    VigiaDaPrevia(uia::Automacao automacao, Hwnd navegador);
    // Uma volta; falso quando o vigia acabou (duas faltas seguidas ou 15 min).
    bool volta();

private:
    uia::Automacao a_;
    Hwnd navegador_;
    plataforma::Instante inicio_;
    int faltas_ = 0;
    std::optional<Retangulo> relatado_;
};

// Chamado pela resposta do 7TV: um vigia por vez, numa thread própria; um
// pedido com um vigia rodando é ignorado.
void iniciar_vigia_da_previa(Hwnd navegador);
