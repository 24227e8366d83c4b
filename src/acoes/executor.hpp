#pragma once
// O executor de comandos: pega a fila inteira que o leitor juntou e faz só o
// comando real mais novo, com o seu próprio cliente de UI Automation. Quando
// a entrada acabou e a fila está vazia, solta a Vidrel e encerra o processo.

void executor_de_comandos();
