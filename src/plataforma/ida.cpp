#include <utility>

#include "plataforma/uia.hpp"

// Fora do cabeçalho: um thread_local inline com construtor dá definições
// repetidas na ligação do MinGW.
namespace plataforma::uia {

// Só tipos triviais: o destrutor de um thread_local do MinGW (emutls) roda
// no fim da thread depois de a memória dele ter sido solta.
namespace {
thread_local void (*ANTES_DA_IDA)(void*) = nullptr;
thread_local void* CONTEXTO_DA_IDA = nullptr;
thread_local bool DENTRO_DO_AVISO = false;
}  // namespace

void antes_de_cada_ida(void (*f)(void*), void* contexto) {
    ANTES_DA_IDA = f;
    CONTEXTO_DA_IDA = contexto;
}

void avisar_ida() {
    if (!ANTES_DA_IDA || DENTRO_DO_AVISO) return;
    DENTRO_DO_AVISO = true;
    ANTES_DA_IDA(CONTEXTO_DA_IDA);
    DENTRO_DO_AVISO = false;
}

}  // namespace plataforma::uia
