#include <utility>

#include "plataforma/uia.hpp"

// Fora do cabeçalho: um thread_local inline com construtor dá definições
// repetidas na ligação do MinGW.
namespace plataforma::uia {

namespace {
thread_local std::function<void()> ANTES_DA_IDA;
thread_local bool DENTRO_DO_AVISO = false;
}  // namespace

void antes_de_cada_ida(std::function<void()> f) { ANTES_DA_IDA = std::move(f); }

void avisar_ida() {
    if (!ANTES_DA_IDA || DENTRO_DO_AVISO) return;
    DENTRO_DO_AVISO = true;
    ANTES_DA_IDA();
    DENTRO_DO_AVISO = false;
}

}  // namespace plataforma::uia
