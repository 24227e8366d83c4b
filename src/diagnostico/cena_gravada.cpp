#include "diagnostico/cena_gravada.hpp"

#include "estado/saida.hpp"

namespace {

std::string numero(std::int64_t n) { return std::to_string(n); }

const char* booleano(bool b) { return b ? "true" : "false"; }

// Um campo ", \"nome\": valor" (o primeiro de cada objeto vem sem a vírgula).
void campo(std::string& s, const char* nome, const std::string& valor) {
    if (s.back() != '{') s += ", ";
    s += '"';
    s += nome;
    s += "\": ";
    s += valor;
}

void texto_se_houver(std::string& s, const char* nome, const std::string& valor) {
    if (!valor.empty()) campo(s, nome, texto_json_exato(valor));
}

std::string recuo(int nivel) { return std::string(static_cast<std::size_t>(nivel) * 2, ' '); }

template <class T, class F>
void lista(std::string& s, const char* nome, const std::vector<T>& itens, int nivel, F escrever) {
    if (itens.empty()) return;
    // Depois de uma quebra de linha já feita, a vírgula já veio.
    if (s.back() != '{' && s.back() != ' ') s += ", ";
    s += '"';
    s += nome;
    s += "\": [\n";
    for (std::size_t i = 0; i < itens.size(); ++i) {
        s += recuo(nivel + 1);
        escrever(s, itens[i], nivel + 1);
        s += i + 1 < itens.size() ? ",\n" : "\n";
    }
    s += recuo(nivel) + "]";
}

void escrever_elemento(std::string& s, const ElementoGravado& e, int nivel) {
    s += "{";
    campo(s, "tipo", numero(e.tipo));
    texto_se_houver(s, "papel", e.papel);
    texto_se_houver(s, "id", e.id);
    texto_se_houver(s, "classe", e.classe);
    texto_se_houver(s, "nome", e.nome);
    if (e.valor) campo(s, "valor", texto_json_exato(*e.valor));
    campo(s, "ret", retangulo_json(e.ret));
    if (e.fora) campo(s, "fora", "true");
    if (e.hwnd != 0) campo(s, "hwnd", numero(e.hwnd));
    if (e.invocavel || e.rolavel) {
        std::string padroes = "[";
        if (e.invocavel) padroes += "\"invocar\"";
        if (e.rolavel) padroes += std::string(e.invocavel ? ", " : "") + "\"rolar\"";
        campo(s, "padroes", padroes + "]");
    }
    if (!e.focavel) campo(s, "focavel", "false");
    if (!e.controle) campo(s, "controle", "false");
    lista(s, "filhos", e.filhos, nivel, escrever_elemento);
    s += "}";
}

void escrever_janela(std::string& s, const JanelaGravada& j, int nivel) {
    s += "{";
    campo(s, "hwnd", numero(j.hwnd));
    campo(s, "classe", texto_json_exato(j.classe));
    campo(s, "titulo", texto_json_exato(j.titulo));
    if (j.executavel) campo(s, "executavel", texto_json_exato(*j.executavel));
    campo(s, "processo", numero(j.processo));
    campo(s, "thread", numero(j.thread));
    campo(s, "ret", retangulo_json(j.ret));
    campo(s, "bordas", retangulo_json(j.bordas));
    campo(s, "visivel", booleano(j.visivel));
    campo(s, "minimizada", booleano(j.minimizada));
    if (j.dpi != 0) campo(s, "dpi", numero(j.dpi));
    if (j.dono != 0) campo(s, "dono", numero(j.dono));
    if (j.foco != 0) campo(s, "foco", numero(j.foco));
    campo(s, "estilo", numero(j.estilo));
    campo(s, "estilo_ex", numero(j.estilo_ex));
    lista(s, "filhas", j.filhas, nivel, escrever_janela);
    lista(s, "pagina", j.pagina, nivel, escrever_elemento);
    s += "}";
}

std::size_t contar(const std::vector<ElementoGravado>& es) {
    std::size_t n = es.size();
    for (const ElementoGravado& e : es) n += contar(e.filhos);
    return n;
}

std::size_t contar_na_janela(const JanelaGravada& j) {
    std::size_t n = contar(j.pagina);
    for (const JanelaGravada& f : j.filhas) n += contar_na_janela(f);
    return n;
}

}  // namespace

std::string texto_da_cena(const CenaGravada& c) {
    std::string s = "{";
    campo(s, "descricao", texto_json_exato(c.descricao));
    s += ",\n  \"tempo\": \"virtual\", \"entrada\": \"cena\"";
    std::string programa = "{";
    campo(programa, "processo", numero(c.processo));
    if (c.caminho) campo(programa, "caminho", texto_json_exato(*c.caminho));
    s += ",\n  \"programa\": " + programa + "}";
    s += ",\n  ";
    std::vector<MonitorGravado> monitores = c.monitores;
    // A cena precisa de ao menos um monitor; sem leitura, o de 1920x1080.
    if (monitores.empty()) monitores.push_back(MonitorGravado{Retangulo{0, 0, 1920, 1080}, 96});
    lista(s, "monitores", monitores, 1, [](std::string& t, const MonitorGravado& m, int) {
        t += "{";
        campo(t, "ret", retangulo_json(m.ret));
        if (m.dpi != 0) campo(t, "dpi", numero(m.dpi));
        t += "}";
    });
    if (!c.janelas.empty()) {
        s += ",\n  ";
        lista(s, "janelas", c.janelas, 1, escrever_janela);
    }
    s += ",\n  \"frente\": " + numero(c.frente);
    if (c.cursor)
        s += ",\n  \"cursor\": {\"pos\": [" + numero(c.cursor->x) + ", " + numero(c.cursor->y) + "]}";
    s += ",\n  \"linha_do_tempo\": [{\"em\": " + numero(c.fim_ms) + ", \"acao\": \"fim\"}]\n}\n";
    return s;
}

std::size_t contar_elementos(const CenaGravada& c) {
    std::size_t n = 0;
    for (const JanelaGravada& j : c.janelas) n += contar_na_janela(j);
    return n;
}
