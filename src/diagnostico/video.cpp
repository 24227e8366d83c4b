// A sonda do vídeo: o player da página sem limite de chat, como o pedido
// "video" o acharia.

#include "vigias/video.hpp"
#include "diagnostico/formas.hpp"
#include "diagnostico/sondas.hpp"

namespace {

// Sem chat que limite o player pela direita.
constexpr std::int32_t kSemLimiteDeChat = 1073741823;

}  // namespace

void sonda_video(PaginaDaSonda& p) {
    dizer("vídeo: " + forma_opcional(achar_video(p.a, p.j.janela, kSemLimiteDeChat, p.j.site)));
}
