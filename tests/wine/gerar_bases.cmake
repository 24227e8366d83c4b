# Gera, a partir do uiautomationclient.h que o widl faz na compilação, uma
# classe base para cada interface de INTERFACES: todos os métodos dela e das
# interfaces de que ela herda (menos IUnknown) respondem E_NOTIMPL e anotam o
# nome. O servidor de UI Automation do banco de provas só escreve os métodos
# que o localizador chama; os outros ficam aqui, na ordem do leiaute da
# tabela virtual, e nenhum fica de fora quando o IDL muda.
#
# cmake -DCABECALHO=<uiautomationclient.h> -DSAIDA=<bases_uia.hpp> -DINTERFACES=<a,b,...> -P gerar_bases.cmake

file(READ ${CABECALHO} texto)
# Os ";" viram "@" para o texto caber nas listas do CMake.
string(REPLACE ";" "@" texto "${texto}")
string(REPLACE "," ";" interfaces "${INTERFACES}")

set(saida "// Gerado na compilação por tests/wine/gerar_bases.cmake a partir de uiautomationclient.h;\n")
string(APPEND saida "// não editar.\n#pragma once\n\n")
string(APPEND saida "#include \"plataforma/win32/uia_com.hpp\"\n\n")
string(APPEND saida "#pragma GCC diagnostic push\n#pragma GCC diagnostic ignored \"-Wunused-parameter\"\n\n")
string(APPEND saida "namespace servidor_uia {\n\n")
string(APPEND saida "// Anota o método que ninguém escreveu e devolve E_NOTIMPL.\nHRESULT nao_implementado(const char* metodo)@\n\n")

set(padrao "virtual HRESULT STDMETHODCALLTYPE ([A-Za-z0-9_]+)\\(([^@]*)\\) = 0")

foreach(interface ${interfaces})
  set(cadeia "")
  set(atual ${interface})
  while(NOT atual STREQUAL "IUnknown")
    string(REGEX MATCH "\n${atual} : public ([A-Za-z0-9_]+)\n{" achado "${texto}")
    if(NOT achado)
      message(FATAL_ERROR "interface ${atual} não está em ${CABECALHO}")
    endif()
    set(pai ${CMAKE_MATCH_1})
    list(PREPEND cadeia ${atual})
    set(atual ${pai})
  endwhile()

  string(APPEND saida "class Base${interface} : public ${interface} {\npublic:\n")
  set(contagem 0)
  foreach(i ${cadeia})
    string(FIND "${texto}" "\n${i} : public " inicio)
    string(SUBSTRING "${texto}" ${inicio} -1 resto)
    string(FIND "${resto}" "\n}@" fim)
    string(SUBSTRING "${resto}" 0 ${fim} bloco)
    string(REGEX MATCHALL "${padrao}" metodos "${bloco}")
    foreach(m ${metodos})
      string(REGEX REPLACE "${padrao}" "\\1" nome "${m}")
      string(REGEX REPLACE "${padrao}" "\\2" parametros "${m}")
      string(REGEX REPLACE "[\n ]+" " " parametros "${parametros}")
      string(STRIP "${parametros}" parametros)
      string(APPEND saida "    HRESULT STDMETHODCALLTYPE ${nome}(${parametros}) override {\n")
      string(APPEND saida "        return nao_implementado(\"${i}::${nome}\")@\n    }\n")
      math(EXPR contagem "${contagem} + 1")
    endforeach()
  endforeach()
  # IUIAutomationCondition não tem métodos próprios; uma cadeia mais longa sem
  # nenhum quer dizer que o formato do cabeçalho mudou.
  list(LENGTH cadeia tamanho)
  if(contagem EQUAL 0 AND tamanho GREATER 1)
    message(FATAL_ERROR "nenhum método achado em ${interface}")
  endif()
  string(APPEND saida "}@\n\n")
endforeach()

string(APPEND saida "}  // namespace servidor_uia\n\n#pragma GCC diagnostic pop\n")
string(REPLACE "@" ";" saida "${saida}")
file(WRITE ${SAIDA}.novo "${saida}")
# Só troca o arquivo quando mudou, para não recompilar o servidor à toa.
file(COPY_FILE ${SAIDA}.novo ${SAIDA} ONLY_IF_DIFFERENT)
file(REMOVE ${SAIDA}.novo)
