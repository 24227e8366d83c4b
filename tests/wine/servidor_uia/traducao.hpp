#pragma once
// As traduções na fronteira COM: dos objetos que o localizador nos devolve
// para os nossos, dos números de propriedade, dos VARIANTs e dos retângulos.

#include <optional>
#include <string>

#include "servidor_uia/objetos.hpp"

namespace servidor_uia {

// Nossos objetos a partir das interfaces que o cliente passa; nulo quando o
// ponteiro é nulo ou de outro servidor.
Elemento* elemento_de(IUIAutomationElement* p);
const Condicao* condicao_de(IUIAutomationCondition* p);
const PedidoDeCache* pedido_de(IUIAutomationCacheRequest* p);

// Um argumento que o servidor não entende: vai para o registro como problema
// (a prova falha) e o cliente recebe E_INVALIDARG.
HRESULT argumento_ruim(const char* metodo, const std::string& motivo);

std::optional<plataforma::uia::Propriedade> propriedade_de(PROPERTYID id);

RECT rect(const Retangulo& r);

// GetCachedPropertyValue: o VARIANT com o tipo que o Windows usa para a
// propriedade (texto em BSTR, retângulo num SAFEARRAY de VT_R8 com esquerda,
// topo, largura e altura, números em VT_I4, booleano em VT_BOOL). Um valor que
// não é texto vem vazio (VT_EMPTY).
HRESULT variante_da_foto(const FotoUia& f, plataforma::uia::Propriedade p, VARIANT& v);

// O valor de uma condição de propriedade, no formato da área simulada. Um
// NativeWindowHandle vem da janela real e vira o handle da cena.
std::optional<plataforma::uia::Valor> valor_de(plataforma::uia::Propriedade p, const VARIANT& v);

// Invoke, ScrollIntoView e SetFocus no registro, como a simulação os põe no
// rastro.
void anotar_efeito(const char* chamada, const plataforma::simulada::ElementoSim& e, bool ok);

}  // namespace servidor_uia
