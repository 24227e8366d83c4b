#pragma once
// As sondas do diagnóstico, cada uma sobre a página da frente. Imprimem as
// suas linhas na saída padrão e usam as mesmas operações do localizador e
// das ações: o que elas mostram é o que o programa veria.

#include <cstdint>
#include <optional>
#include <string>

#include "localizador/cartao.hpp"
#include "localizador/chat.hpp"
#include "localizador/descoberta.hpp"
#include "localizador/pagina.hpp"

struct PaginaDaSonda {
    uia::Automacao a;
    JanelaDeLive j;
    MemoriaDoChat memoria;
};

// A leitura do chat e a releitura viva dele, quando a página tem chat.
struct ChatMedido {
    std::optional<LeituraChat> leitura;
    std::optional<Releitura> releitura;
    bool ok() const { return releitura && releitura->estado == Releitura::Estado::ok; }
};
ChatMedido medir_chat(PaginaDaSonda& p, const JanelaDeLive& j);
// O cartão do espectador "nome" aberto por cima do chat, com o esqueleto aceito.
std::optional<MedidaDoCartao> medir_cartao_aberto(PaginaDaSonda& p, const std::string& nome,
                                                  const Retangulo& chat);

// A linha de estado da faixa sempre que ela muda, a cada 250 ms, por tantos segundos.
void sonda_faixa(PaginaDaSonda& p, std::uint64_t segundos);
// O que cobre o chat, cinco vezes, e a caixa de digitar medida.
void sonda_por_cima(PaginaDaSonda& p);
void sonda_cartao(PaginaDaSonda& p, const std::string& nome);
void sonda_video(PaginaDaSonda& p);
void sonda_kick(PaginaDaSonda& p, const std::string& valor);
void sonda_coluna(PaginaDaSonda& p);
void sonda_eventos(PaginaDaSonda& p);
void sonda_mostra(PaginaDaSonda& p, const std::string& valor);
void sonda_nick7(PaginaDaSonda& p, const std::string& nick);
void sonda_classe(PaginaDaSonda& p, const std::string& classe);
void sonda_bandeja(PaginaDaSonda& p);
void sonda_sete(PaginaDaSonda& p);
void sonda_visivel(PaginaDaSonda& p);
void sonda_arroba(PaginaDaSonda& p);
// A área de trabalho gravada como cena no arquivo; o código de saída do processo.
int sonda_cena(PaginaDaSonda& p, const std::string& caminho);
// A página como o localizador a vê, desenhada em SVG no arquivo; o código de
// saída do processo.
int sonda_foto(PaginaDaSonda& p, const std::string& caminho);
// As duas leituras da página, com os elementos do chat (ou todos, com "tudo").
void sonda_listagem(PaginaDaSonda& p, bool tudo);
