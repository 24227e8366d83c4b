#pragma once
// Declarações COM de UI Automation para o backend real.
//
// Com o MSVC vêm do <UIAutomation.h> do Windows SDK. Com o MinGW vêm dos
// cabeçalhos que o widl gera na compilação (build/*/gerado/uia), que só
// declaram à frente os padrões Invoke e ScrollItem: esses dois são declarados
// aqui, pelo leiaute documentado. O IDL do Wine escreve TreeScope_SubTree e
// não tem PropertyConditionFlags_MatchSubstring: usamos os valores 7 e 3.

#include <ole2.h>
#include <windows.h>

#if defined(_MSC_VER)
#include <UIAutomation.h>
#else
#include "uiautomationclient.h"

MIDL_INTERFACE("fb377fbe-8ea6-46d5-9c73-6499642d3059")
IUIAutomationInvokePattern : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
__CRT_UUID_DECL(IUIAutomationInvokePattern, 0xfb377fbe, 0x8ea6, 0x46d5, 0x9c, 0x73, 0x64, 0x99, 0x64, 0x2d,
                0x30, 0x59)

MIDL_INTERFACE("b488300f-d015-4f19-9c29-bb595e3645ef")
IUIAutomationScrollItemPattern : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE ScrollIntoView() = 0;
};
__CRT_UUID_DECL(IUIAutomationScrollItemPattern, 0xb488300f, 0xd015, 0x4f19, 0x9c, 0x29, 0xbb, 0x59, 0x5e,
                0x36, 0x45, 0xef)
#endif

namespace plataforma::win32 {
constexpr TreeScope kTreeScopeSubtree = static_cast<TreeScope>(7);
constexpr PropertyConditionFlags kIgnorarCasoEContem = static_cast<PropertyConditionFlags>(3);
}  // namespace plataforma::win32
