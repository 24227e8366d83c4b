// As regiões de janela do Windows (GDI): CreateRectRgn, CombineRgn,
// GetWindowRgn, SetWindowRgn e DeleteObject, com o dono de cada HRGN claro.

#include "plataforma/janelas.hpp"
#include "plataforma/win32/comum_win32.hpp"

namespace plataforma {

namespace {

HRGN hrgn(std::intptr_t h) { return reinterpret_cast<HRGN>(h); }
std::intptr_t handle_de(HRGN h) { return reinterpret_cast<std::intptr_t>(h); }

}  // namespace

Regiao::~Regiao() {
    if (h_) DeleteObject(hrgn(h_));
}

Regiao& Regiao::operator=(Regiao&& o) noexcept {
    if (this != &o) {
        if (h_) DeleteObject(hrgn(h_));
        h_ = o.h_;
        o.h_ = 0;
    }
    return *this;
}

Regiao Regiao::retangulo(const Retangulo& r) {
    return Regiao(handle_de(CreateRectRgn(r.esquerda, r.topo, r.direita, r.base)));
}

Regiao Regiao::menos(const Regiao& outra) const {
    if (!h_ || !outra.h_) return Regiao();
    // CombineRgn escreve numa região que já existe: uma vazia, nova.
    Regiao destino(handle_de(CreateRectRgn(0, 0, 0, 0)));
    if (!destino || CombineRgn(hrgn(destino.h_), hrgn(h_), hrgn(outra.h_), RGN_DIFF) == ERROR)
        return Regiao();
    return destino;
}

std::optional<Regiao> regiao_da_janela(Hwnd janela) {
    Regiao r = Regiao::entregue_a_nos(handle_de(CreateRectRgn(0, 0, 0, 0)));
    if (!r) return std::nullopt;
    // ERROR: a janela não tem região (a chamada não mexeu na nossa).
    // NULLREGION é uma região vazia de verdade (a janela não aparece em lugar
    // nenhum) e volta como foi salva, não como a janela inteira.
    const int tipo = GetWindowRgn(win32::hwnd(janela), hrgn(r.handle()));
    if (tipo != SIMPLEREGION && tipo != COMPLEXREGION && tipo != NULLREGION) return std::nullopt;
    return r;
}

bool definir_regiao(Hwnd janela, std::optional<Regiao>& regiao) {
    const HRGN h = regiao && *regiao ? hrgn(regiao->handle()) : nullptr;
    if (!SetWindowRgn(win32::hwnd(janela), h, TRUE)) return false;
    // Deu certo: o sistema é o dono agora e apaga a região quando quiser.
    if (regiao) {
        regiao->entregar();
        regiao.reset();
    }
    return true;
}

}  // namespace plataforma
