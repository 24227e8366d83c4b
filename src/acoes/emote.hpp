#pragma once
// O emote: o código digitado, entre brancos, na caixa de digitar do site. E
// a própria caixa, que a resposta e o preparar também usam.

#include <optional>
#include <string>

#include "acoes/memoria.hpp"

// Um textbox serve de caixa do chat? Sem id de automação (uma busca, um
// campo de outra coisa tem), dentro da coluna do chat com 30 pixels de folga
// e com o topo de 10 pixels acima a 200 abaixo da base do chat.
bool serve_de_caixa(const Retangulo& r, const std::string& id, const Retangulo& chat);

// A caixa de digitar do chat: das que servem, a de topo mais alto.
std::optional<uia::Elemento> achar_caixa(const uia::Automacao& a, const uia::Elemento& raiz,
                                         const Alvo& alvo);

// A caixa com o foco do teclado já nela: a lembrada, se é desta janela e
// deste canal e o foco chega a ela; senão a achada agora (que fica
// lembrada). Sem caixa, nenhum; com a caixa e sem o foco (o SetFocus falhou,
// ou o foco não chegou a ela no prazo), o porquê em "recusa": nada pode ser
// digitado, as teclas iriam para outro elemento da página.
std::optional<uia::Elemento> caixa_com_foco(MemoriaDoExecutor& m, const uia::Elemento& raiz, const Alvo& alvo,
                                            std::optional<std::string>& recusa);

void emote(MemoriaDoExecutor& m, const std::string& codigo);
