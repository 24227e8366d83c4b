#pragma once
// O player de vídeo da live e o nome do canal debaixo dele, pedidos pelo app
// com "video": uma linha {"video":...} por pedido aceito e, quando o nome foi
// achado, o acompanhamento do nick de agora na mesma thread.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "comum/tipos.hpp"
#include "estado/alvo.hpp"
#include "localizador/pagina.hpp"

// Kick: entre os "video-player" na tela, o menor que tem pelo menos 200 × 112
// pixels a 96 DPI e não passa mais de 4 pixels da borda esquerda do chat.
std::optional<Retangulo> video_da_kick(std::span<const Retangulo> players, std::int32_t chat_esquerda,
                                       double escala);
// O maior marco "main" que começa à esquerda do chat, cortado no chat e no
// alto dele num quadro 16:9; nenhum quando sobra menos de 200 pixels de
// largura a 96 DPI.
std::optional<Retangulo> video_do_principal(std::span<const Retangulo> principais, std::int32_t chat_esquerda,
                                            double escala);
// O índice do nome do canal escolhido pela geometria: o mais alto de até 48
// pixels, mais largo que alto, na faixa logo abaixo do vídeo e começando na
// metade da esquerda dele; nos empates o mais à esquerda, depois o último.
std::optional<std::size_t> escolher_nick(std::span<const Retangulo> nomes, const Retangulo& video,
                                         double escala);

// Procura o player na página da janela e registra "vídeo: ... entre n
// achados, em ms ms"; sem a raiz, o pedido de cache, uma condição ou com uma
// busca falhada, nenhum vídeo e nenhuma linha de log.
std::optional<Retangulo> achar_video(const uia::Automacao& a, Hwnd janela, std::int32_t chat_esquerda,
                                     Site site);

// O comando "video" do app: ignorado enquanto um pedido anterior ainda não
// escreveu a sua linha; senão uma geração nova e uma thread própria.
void pedir_video();
