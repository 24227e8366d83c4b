#include "plataforma/simulada/cena_montador.hpp"

#include <limits>

#include "plataforma/simulada/cena_limites.hpp"
#include "plataforma/simulada/chromium.hpp"

namespace plataforma::simulada {

namespace {

// Troca "{n}" pelo número da repetição em todos os textos do elemento; uma
// repetição de dentro guarda o seu "{n}" para si. Uma passada só por texto:
// um modelo com milhares de "{n}" não pode custar um tempo quadrático.
void numerar(Json& j, const std::string& n) {
    if (j.is_object() && j.contains("repetir")) return;
    if (j.is_string()) {
        const std::string& s = j.get_ref<const std::string&>();
        std::size_t q = s.find("{n}");
        if (q == std::string::npos) return;
        std::string r;
        r.reserve(s.size() + n.size());
        std::size_t p = 0;
        for (; q != std::string::npos; q = s.find("{n}", p)) {
            r.append(s, p, q - p);
            r += n;
            p = q + 3;
        }
        r.append(s, p, std::string::npos);
        j = std::move(r);
    } else if (j.is_object() || j.is_array()) {
        for (auto& filho : j) numerar(filho, n);
    }
}

// Quanto custa copiar e numerar o JSON uma vez, em bytes, mais ou menos.
std::int64_t peso(const Json& j) {
    std::int64_t p = sizeof(Json);
    if (j.is_string()) {
        p += static_cast<std::int64_t>(j.get_ref<const std::string&>().size());
    } else if (j.is_object()) {
        for (auto it = j.begin(); it != j.end(); ++it)
            p += static_cast<std::int64_t>(it.key().size()) + peso(it.value());
    } else if (j.is_array()) {
        for (const Json& f : j) p += peso(f);
    }
    return p;
}

std::int32_t ler_hresult(const Json& v, const std::string& caminho) {
    if (v.is_string()) {
        const std::string& s = v.get_ref<const std::string&>();
        if (s.size() > 2 && s.size() <= 10 && (s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0) &&
            s.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos)
            return static_cast<std::int32_t>(std::stoul(s.substr(2), nullptr, 16));
        Leitor::erro_em(caminho, "esperava um HRESULT como \"0x80040201\"");
    }
    const std::int64_t x = Leitor::como_inteiro(v, caminho);
    if (x < std::numeric_limits<std::int32_t>::min() || x > 0xFFFFFFFFll)
        Leitor::erro_em(caminho, "HRESULT fora de 32 bits");
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(x));
}

}  // namespace

int codigo_de_tecla(const Json& v, const std::string& caminho) {
    if (v.is_string()) {
        const std::string& s = v.get_ref<const std::string&>();
        if (s == "botao_esquerdo") return 0x01;
        if (s == "botao_direito") return 0x02;
        if (s == "enter") return 0x0D;
        if (s == "esc") return 0x1B;
        Leitor::erro_em(caminho, "tecla desconhecida " + citar(s) +
                                     " (botao_esquerdo, botao_direito, enter, esc ou um código)");
    }
    const std::int64_t c = Leitor::como_inteiro(v, caminho);
    if (c < 1 || c > 254) Leitor::erro_em(caminho, "código de tecla fora de 1..254");
    return static_cast<int>(c);
}

void Montador::elementos(const Json& j, const std::string& caminho, std::vector<ElementoPtr>& destino,
                         const std::weak_ptr<ElementoSim>& pai) {
    if (j.is_object() && j.contains("repetir")) {
        Leitor l(j, caminho);
        const std::int64_t n = l.inteiro("repetir");
        if (n < 0 || n > 10000) Leitor::erro_em(l.de("repetir"), "esperava 0 a 10000");
        const Ponto passo = l.tem("passo") ? l.ponto("passo") : Ponto{0, 0};
        const Json& modelo = l.bruto("elemento");
        l.fim();
        // Conferido antes de montar a primeira cópia: o estrago de uma
        // repetição grande demais é o tempo e a memória das cópias.
        const std::int64_t copias = multiplicador_ * n;
        if (copias > limites::kCopiasAninhadas)
            Leitor::erro_em(l.de("repetir"), "repetições umas dentro das outras dariam " +
                                                 std::to_string(copias) + " cópias (o limite é " +
                                                 std::to_string(limites::kCopiasAninhadas) + ")");
        if (orcamento_) {
            orcamento_->bytes_de_copias += n * peso(modelo);
            if (orcamento_->bytes_de_copias > limites::kBytesDeCopias)
                Leitor::erro_em(l.de("repetir"), "as cópias das repetições passariam de " +
                                                     std::to_string(limites::kBytesDeCopias / (1024 * 1024)) +
                                                     " MiB");
        }
        const std::int64_t multiplicador_de_fora = multiplicador_;
        multiplicador_ = copias;
        for (int i = 1; i <= n; ++i) {
            Json copia = modelo;
            numerar(copia, std::to_string(i));
            const std::size_t antes = destino.size();
            elementos(copia, l.de("elemento"), destino, pai);
            for (std::size_t k = antes; k < destino.size(); ++k) {
                std::vector<ElementoPtr> um{destino[k]};
                a_.deslocar_elementos(um, std::int64_t{passo.x} * (i - 1), std::int64_t{passo.y} * (i - 1));
            }
        }
        multiplicador_ = multiplicador_de_fora;
        return;
    }
    Leitor l(j, caminho);
    if (orcamento_ && ++orcamento_->elementos > limites::kElementos)
        l.erro("a cena passaria de " + std::to_string(limites::kElementos) + " elementos");
    ElementoPtr e = a_.novo_elemento();
    e->pai = pai;
    e->chave = l.texto("chave", "");
    if (l.tem("tipo")) e->tipo = tipo_lido(l);
    campos(l, *e);
    if (e->web) {
        e->web->tipo_dado = l.tem("tipo");
        derivar_da_web(*e);
    }
    if (l.tem("filhos")) {
        const Json& filhos = l.lista("filhos");
        for (std::size_t i = 0; i < filhos.size(); ++i)
            elementos(filhos[i], indice(l.de("filhos"), i), e->filhos, e);
    }
    l.fim();
    destino.push_back(e);
}

void Montador::campos(Leitor& l, ElementoSim& e) {
    fatos_da_web(l, e);
    if (e.web) {
        // O que a cena dá em UI Automation vale por cima das regras; um
        // evento "elemento" só acrescenta ao que a cena já deu.
        e.web->papel_dado = e.web->papel_dado || l.tem("papel");
        e.web->controle_dado = e.web->controle_dado || l.tem("controle");
        e.web->padroes_dado = e.web->padroes_dado || l.tem("padroes");
        e.web->focavel_dado = e.web->focavel_dado || l.tem("focavel");
    }
    e.papel = l.texto("papel", e.papel);
    e.id = l.texto("id", e.id);
    e.classe = l.texto("classe", e.classe);
    e.nome = l.texto("nome", e.nome);
    if (l.tem("valor")) {
        const Json& v = l.bruto("valor");
        if (v.is_string()) {
            e.valor = v.get<std::string>();
            e.valor_nao_texto = false;
        } else if (v.is_null()) {
            e.valor.reset();
            e.valor_nao_texto = false;
        } else if (v.is_number() || v.is_boolean()) {
            e.valor.reset();
            e.valor_nao_texto = true;
        } else {
            Leitor::erro_em(l.de("valor"), "esperava texto, número, booleano ou null");
        }
    }
    if (l.tem("ret")) e.ret = l.retangulo("ret");
    e.fora = l.logico("fora", e.fora);
    e.janela_nativa = l.inteiro("hwnd", e.janela_nativa);
    e.focavel = l.logico("focavel", e.focavel);
    e.controle = l.logico("controle", e.controle);
    if (l.tem("padroes")) {
        e.invocavel = false;
        e.rolavel = false;
        const Json& p = l.lista("padroes");
        for (std::size_t i = 0; i < p.size(); ++i) {
            const std::string nome = p[i].is_string() ? p[i].get<std::string>() : "";
            if (nome == "invocar")
                e.invocavel = true;
            else if (nome == "rolar")
                e.rolavel = true;
            else
                Leitor::erro_em(indice(l.de("padroes"), i), "padrão desconhecido (invocar ou rolar)");
        }
    }
}

// O campo "tipo": o nome de um tipo de controle ou o número dele.
std::int32_t Montador::tipo_lido(Leitor& l) {
    const Json& t = l.bruto("tipo");
    if (!t.is_string()) return l.inteiro32("tipo", 50026);
    const std::string& nome = t.get_ref<const std::string&>();
    const auto tipo = tipo_de_controle(nome);
    if (!tipo) Leitor::erro_em(l.de("tipo"), "tipo de controle desconhecido " + citar(nome));
    return *tipo;
}

// O papel web e os fatos de um elemento descrito como a web o descreve.
void Montador::fatos_da_web(Leitor& l, ElementoSim& e) {
    if (l.tem("web")) {
        const std::string papel = l.texto("web");
        if (!papel_do_chromium(papel)) Leitor::erro_em(l.de("web"), "papel web desconhecido " + citar(papel));
        if (!e.web) e.web.emplace();
        e.web->papel = papel;
    }
    const bool algum = l.tem("aria") || l.tem("clicavel") || l.tem("expansivel") || l.tem("alterna") ||
                       l.tem("editavel") || l.tem("rola") || l.tem("oculto") || l.tem("descricao");
    if (!algum) return;
    // Na validação de um evento "elemento" o elemento é um rascunho sem
    // papel: os fatos são lidos para conferir, e valem só num elemento da web.
    FatosDaWeb lidos = e.web.value_or(FatosDaWeb{});
    lidos.aria = l.logico("aria", lidos.aria);
    lidos.clicavel = l.logico("clicavel", lidos.clicavel);
    lidos.expansivel = l.logico("expansivel", lidos.expansivel);
    lidos.alterna = l.logico("alterna", lidos.alterna);
    lidos.editavel = l.logico("editavel", lidos.editavel);
    lidos.rola = l.logico("rola", lidos.rola);
    lidos.descricao = l.texto("descricao", lidos.descricao);
    if (l.tem("oculto")) {
        const Json& o = l.bruto("oculto");
        if (o.is_boolean())
            lidos.oculto = o.get<bool>();
        else if (o.is_string() &&
                 (o.get<std::string>() == "aria-hidden" || o.get<std::string>() == "display:none"))
            lidos.oculto = true;
        else
            Leitor::erro_em(l.de("oculto"), "esperava true, false, \"aria-hidden\" ou \"display:none\"");
    }
    if (e.web) e.web = lidos;
}

// Sem número, uma janela fica no processo do mesmo executável (como os
// navegadores), a filha no da mãe, e uma sem executável num processo seu.
std::uint32_t Montador::processo_de(Leitor& l, Hwnd pai) {
    if (l.tem("processo")) return l.natural32("processo", 0);
    if (l.tem("executavel")) {
        const std::string caminho = caminho_do_executavel(l.texto("executavel"));
        for (const auto& [id, proc] : a_.processos)
            if (proc.caminho == caminho && id != a_.processo_do_programa) return id;
    } else if (JanelaSim* mae = a_.achar(pai)) {
        return mae->processo;
    }
    return processo_novo();
}

// O primeiro número livre a partir de 5000, de 4 em 4. Os números abaixo do
// último dado já estão todos reservados ou em uso.
std::uint32_t Montador::processo_novo() {
    if (!processos_usados_) {
        processos_usados_.emplace();
        for (const auto& [h, j] : a_.janelas) processos_usados_->insert(j.processo);
    }
    std::uint32_t& p = proximo_processo_;
    while (a_.processos.count(p) || processos_usados_->count(p)) p += 4;
    a_.processos[p];  // reserva o número
    return p;
}

std::string Montador::caminho_do_executavel(std::string exe) {
    return exe.find('\\') == std::string::npos ? "C:\\Programas\\" + exe : exe;
}

void Montador::janela(const Json& j, const std::string& caminho, Hwnd pai, bool no_topo) {
    Leitor l(j, caminho);
    JanelaSim w;
    w.hwnd = l.inteiro("hwnd");
    if (w.hwnd == 0) Leitor::erro_em(l.de("hwnd"), "0 não é um handle de janela");
    if (a_.janelas.count(w.hwnd) || (em_uso_ && em_uso_(w.hwnd)))
        Leitor::erro_em(l.de("hwnd"), "handle repetido " + std::to_string(w.hwnd));
    if (orcamento_ && ++orcamento_->janelas > limites::kJanelas)
        l.erro("a cena passaria de " + std::to_string(limites::kJanelas) + " janelas");
    w.classe = l.texto("classe", "");
    w.titulo = l.texto("titulo", "");
    w.processo = processo_de(l, pai);
    if (l.tem("executavel")) {
        auto& proc = a_.processos[w.processo];
        if (proc.caminho.empty()) proc.caminho = caminho_do_executavel(l.texto("executavel"));
    }
    w.thread = l.natural32("thread", w.processo + 1);
    w.ret = l.retangulo("ret");
    if (l.tem("bordas")) w.bordas = l.retangulo("bordas");
    w.visivel = l.logico("visivel", true);
    w.minimizada = l.logico("minimizada", false);
    if (l.tem("dpi")) {
        const std::uint32_t dpi = l.natural32("dpi", 96);
        if (dpi) w.dpi = dpi;
    }
    w.dono = l.inteiro("dono", 0);
    w.pai = pai;
    w.estilo = l.natural32("estilo", pai ? 0x40000000u : 0x14CF0000u);
    if (pai) w.estilo |= estilo::filha;
    w.estilo_ex = l.natural32("estilo_ex", 0);
    if (l.logico("topo", false)) w.estilo_ex |= estilo_ex::topo;
    w.foco = l.inteiro("foco", 0);
    if (l.tem("regiao")) {
        // A região que o dono da janela já lhe deu (SetWindowRgn), relativa a
        // ela; vazia, a janela não aparece em lugar nenhum.
        const Json& rs = l.lista("regiao");
        if (rs.size() > limites::kRetangulosDaRegiao)
            Leitor::erro_em(l.de("regiao"), "a região passa de " +
                                                std::to_string(limites::kRetangulosDaRegiao) + " retângulos");
        std::vector<Retangulo> v;
        for (std::size_t i = 0; i < rs.size(); ++i)
            v.push_back(Leitor::como_retangulo(rs[i], indice(l.de("regiao"), i)));
        w.regiao = a_.proxima_regiao++;
        a_.regioes[w.regiao] = std::move(v);
    }
    if (l.tem("provedor")) {
        Leitor pv(l.bruto("provedor"), l.de("provedor"));
        if (pv.tem("tipo")) w.provedor.tipo = tipo_lido(pv);
        if (pv.tem("nome")) w.provedor.nome = pv.texto("nome");
        if (pv.tem("classe")) w.provedor.classe = pv.texto("classe");
        pv.fim();
    }
    if (w.visivel) w.estilo |= estilo::visivel;
    const Hwnd h = w.hwnd;
    if (processos_usados_) processos_usados_->insert(w.processo);
    a_.janelas[h] = w;
    montadas_.push_back({h, caminho});
    if (pai)
        a_.janelas[pai].filhas.push_back(h);
    else if (no_topo)
        a_.inserir_no_topo(h);
    else
        a_.ordem_z.push_back(h);
    if (l.tem("pagina")) {
        const Json& p = l.lista("pagina");
        std::vector<ElementoPtr> arvore;
        for (std::size_t i = 0; i < p.size(); ++i) elementos(p[i], indice(l.de("pagina"), i), arvore, {});
        for (const ElementoPtr& e : arvore) a_.definir_dona(e, h);
        a_.janelas[h].arvore = std::move(arvore);
    }
    if (l.tem("filhas")) {
        const Json& f = l.lista("filhas");
        for (std::size_t i = 0; i < f.size(); ++i) janela(f[i], indice(l.de("filhas"), i), h, false);
    }
    l.fim();
    for (const ElementoPtr& e : a_.janelas[h].arvore) registrar(e);
}

// Chaves únicas entre os elementos vivos da área.
void Montador::registrar(const ElementoPtr& e) {
    if (!e->chave.empty()) {
        const auto it = a_.por_chave.find(e->chave);
        if (it != a_.por_chave.end() && !it->second->removido)
            throw ErroDeCena(onde_das_chaves_ + "chave de elemento repetida " + citar(e->chave));
        a_.por_chave[e->chave] = e;
    }
    for (const ElementoPtr& f : e->filhos) registrar(f);
}

LentidaoSim Montador::lentidao(Leitor& l) {
    LentidaoSim d;
    d.chamada = l.texto("chamada");
    d.janela = l.inteiro("janela", 0);
    d.ms = static_cast<int>(l.inteiro32("ms", 0));
    if (d.ms < 0) Leitor::erro_em(l.de("ms"), "não pode ser negativo");
    return d;
}

namespace {

PerfilDeCusto perfil_nomeado(const Json& nome, const std::string& caminho) {
    if (!nome.is_string()) Leitor::erro_em(caminho, "esperava o nome de um perfil ou um objeto");
    const auto p = perfil_pelo_nome(nome.get<std::string>());
    if (!p)
        Leitor::erro_em(caminho, "perfil desconhecido " + citar(nome.get<std::string>()) +
                                     " (há \"chromium\" e \"nenhum\")");
    return *p;
}

std::int64_t nao_negativo(Leitor& l, const std::string& campo, std::int64_t padrao) {
    const std::int64_t v = l.inteiro(campo, padrao);
    if (v < 0) Leitor::erro_em(l.de(campo), "não pode ser negativo");
    // Uma hora por chamada já não é latência; e as contas em ns não transbordam.
    if (v > 3600LL * 1000 * 1000) Leitor::erro_em(l.de(campo), "grande demais");
    return v;
}

void faixa(Leitor& l, const std::string& campo, std::int64_t& minimo, std::int64_t& maximo) {
    if (!l.tem(campo)) return;
    const Json& v = l.bruto(campo);
    if (!v.is_array() || v.size() != 2) Leitor::erro_em(l.de(campo), "esperava [mínimo, máximo]");
    minimo = Leitor::como_inteiro(v[0], l.de(campo) + "[0]");
    maximo = Leitor::como_inteiro(v[1], l.de(campo) + "[1]");
    if (minimo < 0 || maximo < minimo || maximo > 3600LL * 1000 * 1000)
        Leitor::erro_em(l.de(campo), "esperava 0 <= mínimo <= máximo");
}

int por_10mil(Leitor& l, const std::string& campo, int padrao) {
    const std::int64_t v = l.inteiro(campo, padrao);
    if (v < 0 || v > 10000) Leitor::erro_em(l.de(campo), "esperava de 0 a 10000");
    return static_cast<int>(v);
}

}  // namespace

// O campo "chromium": os tempos do foco, da rolagem e da partida em duas fases.
ChromiumSim Montador::chromium(const Json& j, const std::string& caminho) {
    Leitor l(j, caminho);
    ChromiumSim c;
    for (auto [campo, destino] :
         {std::pair{"foco_ms", &c.foco_ms}, std::pair{"rolagem_ms", &c.rolagem_ms},
          std::pair{"arvore_ms", &c.arvore_ms}, std::pair{"leitor_ms", &c.leitor_ms}}) {
        *destino = nao_negativo(l, campo, 0);
        if (*destino > limites::kInstanteMaximoMs)
            Leitor::erro_em(l.de(campo),
                            "depois do limite de " + std::to_string(limites::kInstanteMaximoMs) + " ms");
    }
    l.fim();
    return c;
}

PerfilDeCusto Montador::custo(const Json& j, const std::string& caminho) {
    if (!j.is_object()) return perfil_nomeado(j, caminho);
    Leitor l(j, caminho);
    PerfilDeCusto p = l.tem("perfil") ? perfil_nomeado(l.bruto("perfil"), l.de("perfil")) : PerfilDeCusto{};
    // Só o nome de base: é aquele perfil; com qualquer número mudado, é outro.
    if (j.size() > (j.contains("perfil") ? 1u : 0u)) p.nome = "próprio";
    p.base_us = nao_negativo(l, "base_us", p.base_us);
    p.variacao_us = nao_negativo(l, "variacao_us", p.variacao_us);
    p.picos_em_10mil = por_10mil(l, "picos_em_10mil", p.picos_em_10mil);
    faixa(l, "pico_us", p.pico_min_us, p.pico_max_us);
    p.paradas_em_10mil = por_10mil(l, "paradas_em_10mil", p.paradas_em_10mil);
    faixa(l, "parada_ms", p.parada_min_ms, p.parada_max_ms);
    p.por_examinado_ns = nao_negativo(l, "por_examinado_ns", p.por_examinado_ns);
    p.por_devolvido_us = nao_negativo(l, "por_devolvido_us", p.por_devolvido_us);
    p.partida_ms = nao_negativo(l, "partida_ms", p.partida_ms);
    p.atraso_do_layout_ms = nao_negativo(l, "atraso_do_layout_ms", p.atraso_do_layout_ms);
    if (l.tem("semente")) {
        const std::int64_t s = l.inteiro("semente");
        if (s < 0) Leitor::erro_em(l.de("semente"), "não pode ser negativa");
        p.semente = static_cast<std::uint64_t>(s);
    }
    if (l.tem("paradas")) {
        const Json& ps = l.lista("paradas");
        for (std::size_t i = 0; i < ps.size(); ++i) {
            Leitor m(ps[i], indice(l.de("paradas"), i));
            ParadaMarcada pm;
            pm.em_ms = nao_negativo(m, "em", 0);
            pm.ms = nao_negativo(m, "ms", 0);
            if (pm.ms == 0) Leitor::erro_em(m.de("ms"), "uma parada de 0 ms não para nada");
            m.fim();
            p.paradas.push_back(pm);
        }
    }
    l.fim();
    return p;
}

FalhaSim Montador::falha(Leitor& l) {
    FalhaSim f;
    f.chamada = l.texto("chamada");
    f.janela = l.inteiro("janela", 0);
    f.chave = l.texto("chave", "");
    if (l.tem("hresult")) f.hresult = ler_hresult(l.bruto("hresult"), l.de("hresult"));
    f.pular = static_cast<int>(l.inteiro32("pular", 0));
    f.vezes = static_cast<int>(l.inteiro32("vezes", -1));
    if (f.pular < 0) Leitor::erro_em(l.de("pular"), "não pode ser negativo");
    if (f.vezes == 0) Leitor::erro_em(l.de("vezes"), "0 vezes não falharia nunca");
    return f;
}

}  // namespace plataforma::simulada
