# As declarações de UI Automation para o MinGW. O uiautomationclient.h do
# mingw-w64 10 só traz os números, e o uiautomationcoreapi.h não compila em
# C++; então geramos os cabeçalhos na compilação, com o widl, a partir dos IDL
# que o libwine-dev instala. Nada disso é copiado para o repositório.
find_program(WIDL NAMES x86_64-w64-mingw32-widl widl REQUIRED)
set(UIA_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Onde estão os IDL de UI Automation")
if(NOT EXISTS ${UIA_IDL_DIR}/uiautomationclient.idl)
  message(FATAL_ERROR "Faltam os IDL de UI Automation em ${UIA_IDL_DIR} (pacote libwine-dev)")
endif()
set(UIA_DIR ${CMAKE_BINARY_DIR}/gerado/uia)
file(MAKE_DIRECTORY ${UIA_DIR})
set(UIA_CABECALHOS)
foreach(nome uiautomationcore uiautomationclient)
  add_custom_command(
    OUTPUT ${UIA_DIR}/${nome}.h
    COMMAND ${WIDL} -I${UIA_IDL_DIR} -I/usr/share/mingw-w64/include -h
            -o ${UIA_DIR}/${nome}.h ${UIA_IDL_DIR}/${nome}.idl
    DEPENDS ${UIA_IDL_DIR}/${nome}.idl
    COMMENT "widl ${nome}.idl")
  list(APPEND UIA_CABECALHOS ${UIA_DIR}/${nome}.h)
endforeach()
