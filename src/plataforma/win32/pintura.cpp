// Pintura GDI real.

#include "plataforma/janelas.hpp"
#include "plataforma/win32/comum_win32.hpp"

namespace plataforma {

namespace {

class TelaGdi final : public TelaDePintura {
public:
    TelaGdi(HWND janela, HDC dc) : janela_(janela), dc_(dc) {}
    ~TelaGdi() override {
        if (fonte_) {
            SelectObject(dc_, anterior_);
            DeleteObject(fonte_);
        }
    }

    Retangulo cliente() override {
        RECT r{};
        if (!GetClientRect(janela_, &r)) r = RECT{};
        return win32::retangulo(r);
    }

    void preencher(const Retangulo& r, Cor cor) override {
        HBRUSH pincel = CreateSolidBrush(RGB(cor.r, cor.g, cor.b));
        const RECT rc = win32::rect(r);
        FillRect(dc_, &rc, pincel);
        DeleteObject(pincel);
    }

    void usar_fonte(const Fonte& f) override {
        HFONT nova = CreateFontW(f.altura, 0, 0, 0, f.peso, f.italico, f.sublinhado, f.riscado,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, win32::largo(f.nome).c_str());
        HGDIOBJ antes = SelectObject(dc_, nova);
        if (fonte_) {
            DeleteObject(fonte_);
        } else {
            anterior_ = antes;
        }
        fonte_ = nova;
    }

    void fundo_transparente() override { SetBkMode(dc_, TRANSPARENT); }

    void cor_do_texto(Cor cor) override { SetTextColor(dc_, RGB(cor.r, cor.g, cor.b)); }

    int desenhar_texto(std::string_view utf8, const Retangulo& caixa, std::uint32_t formato) override {
        const std::wstring texto = win32::largo(utf8);
        RECT rc = win32::rect(caixa);
        return DrawTextW(dc_, texto.c_str(), static_cast<int>(texto.size()), &rc, formato);
    }

private:
    HWND janela_;
    HDC dc_;
    HFONT fonte_ = nullptr;
    HGDIOBJ anterior_ = nullptr;
};

}  // namespace

namespace {

// BeginPaint e EndPaint como um par: o EndPaint vem também quando o corpo da
// pintura sai no meio (uma exceção).
class Pintura {
public:
    explicit Pintura(HWND janela) : janela_(janela), dc_(BeginPaint(janela, &ps_)) {}
    ~Pintura() { EndPaint(janela_, &ps_); }
    Pintura(const Pintura&) = delete;
    Pintura& operator=(const Pintura&) = delete;
    HDC dc() const { return dc_; }

private:
    HWND janela_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

}  // namespace

void pintar(Hwnd janela, const std::function<void(TelaDePintura&)>& corpo) {
    const Pintura pintura(win32::hwnd(janela));
    if (!pintura.dc()) return;
    TelaGdi tela(win32::hwnd(janela), pintura.dc());
    corpo(tela);
}

}  // namespace plataforma
