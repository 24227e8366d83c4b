#include "modos/reinicio.hpp"

#include "comum/globais.hpp"
#include "janela/posicionamento.hpp"
#include "localizador/alvo.hpp"
#include "localizador/chat.hpp"
#include "localizador/pagina.hpp"

void reiniciar_estado_do_processo() {
    JANELA = 0;
    JANELA_EXTERNA = false;
    NAVEGADOR_ATUAL = 0;
    DONO = 0;
    CHAVE_PRESA.guardar({});
    ALVO_PUBLICADO.guardar(std::nullopt);
    reiniciar_posicionamento();
    esquecer_cache_do_opera();
    esquecer_pagina_kick();
}
