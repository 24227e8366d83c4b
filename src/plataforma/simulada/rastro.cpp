#include "plataforma/simulada/rastro.hpp"

#include "plataforma/simulada/relogio.hpp"

namespace plataforma::simulada {

Rastro& Rastro::global() {
    static Rastro r;
    return r;
}

bool Rastro::abrir(const std::string& caminho) {
    std::lock_guard g(m_);
    if (arquivo_) std::fclose(arquivo_);
    arquivo_ = std::fopen(caminho.c_str(), "wb");
    return arquivo_ != nullptr;
}

void Rastro::fechar() {
    std::lock_guard g(m_);
    if (arquivo_) std::fclose(arquivo_);
    arquivo_ = nullptr;
}

bool Rastro::ativo() {
    std::lock_guard g(m_);
    return arquivo_ != nullptr || na_memoria_ || observador_;
}

void Rastro::observar(std::function<void(const Json&)> observador) {
    std::lock_guard g(m_);
    observador_ = std::move(observador);
}

void Rastro::guardar_na_memoria(bool sim) {
    std::lock_guard g(m_);
    na_memoria_ = sim;
}

std::vector<Json> Rastro::linhas() {
    std::lock_guard g(m_);
    return memoria_;
}

void Rastro::esquecer() {
    std::lock_guard g(m_);
    memoria_.clear();
}

void Rastro::registrar(Json linha) {
    const std::int64_t t = Relogio::global().agora_ms();
    std::lock_guard g(m_);
    if (!arquivo_ && !na_memoria_ && !observador_) return;
    Json com_tempo = {{"t", t}};
    com_tempo.update(linha);
    if (observador_) observador_(com_tempo);
    if (na_memoria_) memoria_.push_back(com_tempo);
    if (!arquivo_) return;
    // Textos de página podem trazer UTF-8 inválido; o rastro nunca derruba a
    // simulação por isso.
    const std::string texto = com_tempo.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    std::fwrite(texto.data(), 1, texto.size(), arquivo_);
}

void Rastro::esvaziar() {
    std::lock_guard g(m_);
    if (arquivo_) std::fflush(arquivo_);
}

}  // namespace plataforma::simulada
