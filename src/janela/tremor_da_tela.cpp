#include "janela/tremor_da_tela.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>

#include "estado/log.hpp"
#include "plataforma/entrada.hpp"
#include "plataforma/eventos.hpp"
#include "plataforma/sistema.hpp"

namespace pl = plataforma;
using namespace std::chrono_literals;

int truncar(float v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<float>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

MedidasDoTremor medidas_do_tremor(int largura, int altura) {
    const float W = static_cast<float>(largura);
    const float H = static_cast<float>(altura);
    MedidasDoTremor m;
    m.bx = truncar((W - W / 1.02f) / 2.0f);
    m.by = truncar((H - H / 1.02f) / 2.0f);
    m.limite = std::max(1, std::min(m.bx, m.by));
    return m;
}

namespace {

// Um passo da aproximação (ou do afastamento), centrado na tela.
void centrar(float fator, float W, float H) {
    pl::lupa_transformar(fator, truncar((W - W / fator) / 2.0f), truncar((H - H / fator) / 2.0f));
}

class Tremor {
public:
    Tremor(std::shared_ptr<CanalDeForcas> canal) : canal_(std::move(canal)) {
        const Ponto tela = pl::tamanho_da_tela();
        W_ = static_cast<float>(tela.x);
        H_ = static_cast<float>(tela.y);
        m_ = medidas_do_tremor(tela.x, tela.y);
        const auto relogio = static_cast<std::uint32_t>(pl::agora().time_since_epoch().count());
        x_ = relogio ^ 0x9E3779B9u;
        if (x_ == 0) x_ = 0x9E3779B9u;  // o xorshift parado no zero não sairia dele
    }

    void rodar() {
        for (bool seguir = true; seguir;) {
            std::int32_t n = 0;
            seguir = canal_->receber(n) == CanalDeForcas::Recebido::valor && n != FORCA_DE_PARAR;
            if (seguir) seguir = episodio(n);
            // A sessão da lupa já acabou aqui: a tela está como era.
            canal_->avisar_tela_normal(!seguir);
        }
    }

private:
    // Aproxima, sacode enquanto chegam pedidos e afasta. Falso quando a
    // thread deve acabar (canal fechado, pedido de parar, lupa recusada).
    bool episodio(std::int32_t n) {
        pl::SessaoDaLupa lupa;
        if (!lupa.iniciada()) {
            registrar("lupa: o Windows recusou (MagInitialize: " + lupa.erro() + ")");
            return false;
        }
        for (int k = 1; k <= 12; ++k) {
            centrar(1.0f + static_cast<float>(k) * 0.02f / 12.0f, W_, H_);
            pl::dormir(16ms);
        }
        std::int32_t s = forca(n);
        for (;;) {
            if (!sacudir(s)) {
                afastar();
                return false;
            }
            pl::lupa_transformar(1.02f, m_.bx, m_.by);
            std::int32_t m = 0;
            const auto r = canal_->receber_ate(pl::agora() + 3s, m);
            if (r == CanalDeForcas::Recebido::valor && m != FORCA_DE_PARAR) {
                // Outro pedido enquanto a tela ainda está perto: sacode de
                // novo, pela maior das duas forças.
                s = std::max(s, forca(m));
                continue;
            }
            afastar();
            return r == CanalDeForcas::Recebido::nada;  // senão: fechado ou parar
        }
    }

    std::int32_t forca(std::int32_t n) const { return std::min(n <= 0 ? 1 : n, m_.limite); }

    float sorteio() {
        x_ ^= x_ << 13;
        x_ ^= x_ >> 17;
        x_ ^= x_ << 5;
        return 2.0f * static_cast<float>(x_) * (1.0f / 4294967296.0f) - 1.0f;
    }

    // Dezesseis quadros que diminuem; um pedido novo no meio recomeça a conta.
    // Falso quando o canal fechou (ou veio o pedido de parar).
    bool sacudir(std::int32_t& s) {
        for (int i = 0; i < 16; ++i) {
            std::int32_t m = 0;
            const auto r = canal_->tentar(m);
            if (r == CanalDeForcas::Recebido::fechado) return false;
            if (r == CanalDeForcas::Recebido::valor) {
                if (m == FORCA_DE_PARAR) return false;
                s = std::max(s, forca(m));
                i = 0;
            }
            const float a = (1.0f - static_cast<float>(i) / 16.0f) * static_cast<float>(s);
            const int dx = truncar(sorteio() * a);
            const int dy = truncar(sorteio() * a);
            pl::lupa_transformar(1.02f, m_.bx + dx, m_.by + dy);
            pl::dormir(16ms);
        }
        return true;
    }

    void afastar() {
        for (int k = 1; k <= 12; ++k) {
            centrar(1.02f - static_cast<float>(k) * 0.02f / 12.0f, W_, H_);
            pl::dormir(16ms);
        }
        pl::lupa_transformar(1.0f, 0, 0);
    }

    std::shared_ptr<CanalDeForcas> canal_;
    float W_ = 0, H_ = 0;
    MedidasDoTremor m_;
    std::uint32_t x_ = 0;
};

}  // namespace

void tremor_da_tela(std::shared_ptr<CanalDeForcas> canal) { Tremor(std::move(canal)).rodar(); }
