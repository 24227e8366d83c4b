#include "plataforma/simulada/relogio.hpp"

#include <algorithm>

namespace plataforma::simulada {

namespace {
template <class T>
void tirar(std::vector<T*>& v, T* x) {
    v.erase(std::remove(v.begin(), v.end(), x), v.end());
}
}  // namespace

Relogio& Relogio::global() {
    static Relogio r;
    return r;
}

void Relogio::reiniciar(Modo modo) {
    Lock lk(m_);
    // A contagem de quem roda fica: uma thread que ainda está saindo (ou
    // esperando) continua participante.
    modo_ = modo;
    agora_ns_ = 0;
    inicio_parede_ = std::chrono::steady_clock::now();
}

Relogio::Modo Relogio::modo() {
    Lock lk(m_);
    return modo_;
}

Instante Relogio::instante(std::int64_t ns) const { return Instante{std::chrono::nanoseconds{ns}}; }

Instante Relogio::agora() {
    Lock lk(m_);
    if (modo_ == Modo::Real) {
        const auto d = std::chrono::steady_clock::now() - inicio_parede_;
        agora_ns_ = std::max<std::int64_t>(agora_ns_,
                                           std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
    }
    return instante(agora_ns_);
}

std::int64_t Relogio::agora_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(agora().time_since_epoch()).count();
}

void Relogio::acordar(Espera& e, bool pelo_prazo) {
    // Quem venceu o prazo fica na fila do sinal até a thread dele rodar; um
    // aviso nesse meio não pode acordá-lo de novo (contaria duas vezes como
    // rodando, e o relógio nunca mais veria todas paradas).
    if (e.acordada) return;
    e.acordada = true;
    e.venceu = pelo_prazo;
    tirar(com_prazo_, &e);
    ++rodando_;
}

// Salta para o prazo mais próximo e acorda quem vence nele. Só no tempo
// virtual e com todas as participantes paradas.
bool Relogio::avancar(Lock&) {
    Espera* proxima = nullptr;
    for (Espera* e : com_prazo_)
        if (!proxima || *e->prazo < *proxima->prazo) proxima = e;
    if (!proxima) return false;
    const std::int64_t alvo =
        std::chrono::duration_cast<std::chrono::nanoseconds>(proxima->prazo->time_since_epoch()).count();
    agora_ns_ = std::max(agora_ns_, alvo);
    const std::vector<Espera*> copia = com_prazo_;
    // Quem pediu para ir primeiro acorda sozinho; os outros do mesmo instante
    // acordam no avanço seguinte, quando ele parar de novo.
    const bool ha_primeiro = std::any_of(copia.begin(), copia.end(), [&](Espera* e) {
        return e->primeiro && *e->prazo <= instante(agora_ns_);
    });
    for (Espera* e : copia)
        if (*e->prazo <= instante(agora_ns_) && (!ha_primeiro || e->primeiro)) acordar(*e, true);
    cv_.notify_all();
    return true;
}

void Relogio::bloquear(Lock& lk, Espera& e) {
    if (e.prazo) com_prazo_.push_back(&e);
    --rodando_;
    if (rodando_ == 0) cv_.notify_all();
    while (!e.acordada) {
        if (modo_ == Modo::Real) {
            if (e.prazo) {
                const auto parede = inicio_parede_ + e.prazo->time_since_epoch();
                if (cv_.wait_until(lk, parede) == std::cv_status::timeout && !e.acordada) {
                    agora_ns_ = std::max<std::int64_t>(
                        agora_ns_,
                        std::chrono::duration_cast<std::chrono::nanoseconds>(e.prazo->time_since_epoch())
                            .count());
                    acordar(e, true);
                }
            } else {
                cv_.wait(lk);
            }
            continue;
        }
        if (rodando_ == 0 && avancar(lk)) continue;
        cv_.wait(lk);
    }
}

void Relogio::dormir_ate(Instante prazo) { dormir(prazo, false); }

void Relogio::dormir_ate_primeiro(Instante prazo) { dormir(prazo, true); }

void Relogio::dormir(Instante prazo, bool primeiro) {
    Lock lk(m_);
    Espera e;
    e.prazo = prazo;
    e.primeiro = primeiro;
    if (modo_ == Modo::Virtual && prazo <= instante(agora_ns_)) {
        // Mesmo uma espera vencida cede a vez, como um Sleep(0).
        e.prazo = instante(agora_ns_);
    }
    bloquear(lk, e);
}

void Relogio::entrar() {
    Lock lk(m_);
    ++rodando_;
}

void Relogio::sair() {
    Lock lk(m_);
    --rodando_;
    if (rodando_ == 0) cv_.notify_all();
}

void Relogio::sair_para_fora() { sair(); }
void Relogio::voltar_de_fora() { entrar(); }

void Relogio::tomar_trava(Lock& lk, Trava& t) {
    if (!t.ocupada_) {
        t.ocupada_ = true;
        return;
    }
    Espera e;
    t.fila_.push_back(&e);
    bloquear(lk, e);  // quem solta a trava a passa para nós, já ocupada
}

void Relogio::liberar_trava(Trava& t) {
    if (t.fila_.empty()) {
        t.ocupada_ = false;
        return;
    }
    Espera* e = t.fila_.front();
    t.fila_.erase(t.fila_.begin());
    acordar(*e, false);
    cv_.notify_all();
}

void Relogio::travar(Trava& t) {
    Lock lk(m_);
    tomar_trava(lk, t);
}

void Relogio::destravar(Trava& t) {
    Lock lk(m_);
    liberar_trava(t);
}

bool Relogio::tentar(Trava& t) {
    Lock lk(m_);
    if (t.ocupada_) return false;
    t.ocupada_ = true;
    return true;
}

bool Relogio::esperar(Sinal& s, Trava& t, std::optional<Instante> prazo) {
    Lock lk(m_);
    Espera e;
    e.prazo = prazo;
    s.fila_.push_back(&e);
    liberar_trava(t);
    bloquear(lk, e);
    tirar(s.fila_, &e);
    const bool avisada = !e.venceu;
    tomar_trava(lk, t);
    return avisada;
}

void Relogio::notificar(Sinal& s, bool todas) {
    Lock lk(m_);
    while (!s.fila_.empty()) {
        Espera* e = s.fila_.front();
        s.fila_.erase(s.fila_.begin());
        // Já acordada pelo prazo: o aviso vai para a próxima que espera.
        if (e->acordada) continue;
        acordar(*e, false);
        if (!todas) break;
    }
    cv_.notify_all();
}

}  // namespace plataforma::simulada

namespace plataforma {

using simulada::Relogio;

void Trava::lock() { Relogio::global().travar(*this); }
void Trava::unlock() { Relogio::global().destravar(*this); }
bool Trava::try_lock() { return Relogio::global().tentar(*this); }

void Sinal::notificar_um() { Relogio::global().notificar(*this, false); }
void Sinal::notificar_todos() { Relogio::global().notificar(*this, true); }
void Sinal::esperar(std::unique_lock<Trava>& lk) {
    Relogio::global().esperar(*this, *lk.mutex(), std::nullopt);
}
bool Sinal::esperar_ate(std::unique_lock<Trava>& lk, Instante prazo) {
    return Relogio::global().esperar(*this, *lk.mutex(), prazo);
}

}  // namespace plataforma
