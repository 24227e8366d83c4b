#pragma once
// Os limites do leitor de cenas. Nenhuma cena escrita à mão ou gerada por um
// teste chega perto deles; eles existem para que um arquivo ruim termine numa
// mensagem clara, e não numa pilha estourada, na memória esgotada ou num
// relógio que dá a volta. Estão todos em docs/cena.md.

#include <cstddef>
#include <cstdint>

namespace plataforma::simulada::limites {

// O arquivo vai inteiro para a memória e cada byte de JSON vira dezenas de
// bytes de árvore.
inline constexpr std::size_t kBytesDoArquivo = 8u * 1024 * 1024;

// Listas e objetos uns dentro dos outros. Copiar, comparar, numerar e gravar
// JSON é recursivo, e a árvore de elementos também é andada por recursão:
// com 200 níveis a pilha sobra, até com os sanitizadores.
inline constexpr std::size_t kNiveisDeJson = 200;

// Nenhum objeto da cena tem 30 campos que o leitor conheça; o objeto guarda os
// campos em ordem e procura um campo andando por eles, então um objeto com
// milhões de campos levaria um tempo quadrático só para ser lido.
inline constexpr std::size_t kCamposPorObjeto = 64;

// Repetições umas dentro das outras multiplicam: 10000 × 10000 cabem em 188
// bytes de arquivo.
inline constexpr std::int64_t kCopiasAninhadas = 100000;

// O que as cópias das repetições custam de JSON copiado e numerado (o modelo
// inteiro, textos incluídos, vezes o número de cópias), somado na cena toda.
inline constexpr std::int64_t kBytesDeCopias = 64ll * 1024 * 1024;

// Elementos e janelas criados na cena toda: os da cena inicial mais os que a
// linha do tempo acrescenta (contados mesmo que depois saiam).
inline constexpr std::int64_t kElementos = 100000;
inline constexpr std::int64_t kJanelas = 10000;

// Retângulos da região de uma janela: cada recorte da região (um buraco de
// passagem) anda por todos eles.
inline constexpr std::size_t kRetangulosDaRegiao = 1000;

// Níveis de elementos uns dentro dos outros numa página. A cena inicial nunca
// chega lá (o limite do JSON vem antes); a linha do tempo chegaria
// acrescentando cada elemento dentro do anterior.
inline constexpr int kNiveisDeElementos = 100;

// Instante mais tardio da linha do tempo: 10 dias em milissegundos. O relógio
// conta nanossegundos em 64 bits e dá a volta perto de 292 anos; 10 dias
// deixam folga de sobra para o programa somar os seus prazos por cima.
inline constexpr std::int64_t kInstanteMaximoMs = 10ll * 24 * 60 * 60 * 1000;

}  // namespace plataforma::simulada::limites
