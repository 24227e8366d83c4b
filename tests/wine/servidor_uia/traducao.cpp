#include "servidor_uia/traducao.hpp"

#include <nlohmann/json.hpp>

#include "comum_wine.hpp"
#include "servidor_uia/ida.hpp"
#include "servidor_uia/registro.hpp"

namespace servidor_uia {

using plataforma::uia::Propriedade;

BSTR bstr(const std::string& utf8) {
    const std::wstring largo = banco::largo(utf8);
    return SysAllocStringLen(largo.data(), static_cast<UINT>(largo.size()));
}

Elemento* elemento_de(IUIAutomationElement* p) { return dynamic_cast<Elemento*>(p); }
const Condicao* condicao_de(IUIAutomationCondition* p) { return dynamic_cast<const Condicao*>(p); }
const PedidoDeCache* pedido_de(IUIAutomationCacheRequest* p) { return dynamic_cast<const PedidoDeCache*>(p); }

HRESULT argumento_ruim(const char* metodo, const std::string& motivo) {
    anotar(std::string("problema ") + metodo + ": " + motivo);
    return E_INVALIDARG;
}

std::optional<Propriedade> propriedade_de(PROPERTYID id) {
    for (Propriedade p : {Propriedade::retangulo, Propriedade::processo, Propriedade::tipo, Propriedade::nome,
                          Propriedade::id, Propriedade::classe, Propriedade::janela_nativa, Propriedade::fora,
                          Propriedade::invocavel, Propriedade::valor, Propriedade::papel,
                          Propriedade::focavel, Propriedade::controle, Propriedade::rolavel})
        if (static_cast<PROPERTYID>(p) == id) return p;
    return std::nullopt;
}

RECT rect(const Retangulo& r) { return {r.esquerda, r.topo, r.direita, r.base}; }

HRESULT variante_da_foto(const FotoUia& f, Propriedade p, VARIANT& v) {
    auto texto = [&](const std::string& s) {
        v.vt = VT_BSTR;
        v.bstrVal = bstr(s);
        return v.bstrVal ? S_OK : E_OUTOFMEMORY;
    };
    switch (p) {
        case Propriedade::papel:
            return texto(f.papel);
        case Propriedade::id:
            return texto(f.id);
        case Propriedade::classe:
            return texto(f.classe);
        case Propriedade::nome:
            return texto(f.nome);
        case Propriedade::valor:
            if (!f.valor) return S_OK;
            return texto(*f.valor);
        case Propriedade::tipo:
            v.vt = VT_I4;
            v.lVal = f.tipo;
            return S_OK;
        case Propriedade::janela_nativa:
            v.vt = VT_I4;
            v.lVal = static_cast<LONG>(reinterpret_cast<INT_PTR>(Mundo::global().real_de(f.janela_nativa)));
            return S_OK;
        case Propriedade::fora:
            v.vt = VT_BOOL;
            v.boolVal = f.fora ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        case Propriedade::invocavel:
        case Propriedade::rolavel:
        case Propriedade::focavel:
        case Propriedade::controle: {
            const bool b = p == Propriedade::invocavel ? f.invocavel
                           : p == Propriedade::rolavel ? f.rolavel
                           : p == Propriedade::focavel ? f.focavel
                                                       : f.controle;
            v.vt = VT_BOOL;
            v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        case Propriedade::retangulo: {
            SAFEARRAY* sa = SafeArrayCreateVector(VT_R8, 0, 4);
            if (!sa) return E_OUTOFMEMORY;
            const double valores[4] = {double(f.ret.esquerda), double(f.ret.topo), double(f.ret.largura()),
                                       double(f.ret.altura())};
            for (LONG i = 0; i < 4; ++i) {
                double d = valores[i];
                SafeArrayPutElement(sa, &i, &d);
            }
            v.vt = VT_ARRAY | VT_R8;
            v.parray = sa;
            return S_OK;
        }
        default:
            return argumento_ruim("IUIAutomationElement::GetCachedPropertyValue",
                                  "propriedade sem foto " + std::to_string(static_cast<int>(p)));
    }
}

std::optional<plataforma::uia::Valor> valor_de(Propriedade p, const VARIANT& v) {
    switch (v.vt) {
        case VT_BSTR:
            return plataforma::uia::Valor{banco::estreito(
                std::wstring_view(v.bstrVal ? v.bstrVal : L"", v.bstrVal ? SysStringLen(v.bstrVal) : 0))};
        case VT_I4:
        case VT_INT:
            if (p == Propriedade::janela_nativa)
                return plataforma::uia::Valor{static_cast<std::int32_t>(
                    banco::cena_de(reinterpret_cast<HWND>(static_cast<INT_PTR>(v.lVal))))};
            return plataforma::uia::Valor{static_cast<std::int32_t>(v.lVal)};
        case VT_BOOL:
            return plataforma::uia::Valor{v.boolVal != VARIANT_FALSE};
        default:
            return std::nullopt;
    }
}

void anotar_efeito(const char* chamada, const plataforma::simulada::ElementoSim& e, bool ok) {
    const nlohmann::ordered_json j = {
        {"efeito", chamada}, {"chave", e.chave}, {"classe", e.classe}, {"nome", e.nome}, {"ok", ok}};
    anotar("efeito " + j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
}

}  // namespace servidor_uia
