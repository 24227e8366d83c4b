# Gera o .cpp com o texto de cenas/padrao.json, a cena que roda sem --cena.
file(READ ${ENTRADA} CONTEUDO)
file(WRITE ${SAIDA}
"// Gerado na compilação a partir de cenas/padrao.json; não editar.
#include \"plataforma/simulada/cena.hpp\"

const char* plataforma::simulada::texto_da_cena_padrao() {
    return R\"CENA(${CONTEUDO})CENA\";
}
")
