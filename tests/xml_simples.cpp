#include "xml_simples.hpp"

#include <cctype>
#include <cstdint>

#include "comum/texto.hpp"

namespace {

class Leitor {
public:
    explicit Leitor(std::string_view s) : s_(s) {}

    NoXml documento() {
        if (!utf8_valido(s_)) falhar("não é UTF-8 válido");
        for (std::size_t i = 0; i < s_.size();) {
            const char32_t c = proximo_escalar(s_, i);
            if ((c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r') || c == 0xFFFE || c == 0xFFFF)
                falhar("caractere proibido no XML");
        }
        if (s_.substr(0, 5) == "<?xml") {
            const std::size_t fim = s_.find("?>");
            if (fim == std::string_view::npos) falhar("declaração sem fim");
            p_ = fim + 2;
        }
        brancos_e_comentarios();
        if (p_ >= s_.size() || s_[p_] != '<') falhar("esperava a raiz");
        NoXml raiz = elemento();
        brancos_e_comentarios();
        if (p_ != s_.size()) falhar("algo depois da raiz");
        return raiz;
    }

    struct Erro {
        std::string texto;
    };

private:
    [[noreturn]] void falhar(const std::string& o_que) {
        throw Erro{o_que + " (byte " + std::to_string(p_) + ")"};
    }

    static bool letra_de_nome(char c, bool primeira) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':')
            return true;
        return !primeira && ((c >= '0' && c <= '9') || c == '-' || c == '.');
    }

    std::string nome() {
        const std::size_t inicio = p_;
        if (p_ >= s_.size() || !letra_de_nome(s_[p_], true)) falhar("nome inválido");
        while (p_ < s_.size() && letra_de_nome(s_[p_], false)) ++p_;
        return std::string(s_.substr(inicio, p_ - inicio));
    }

    void brancos() {
        while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\n' || s_[p_] == '\r')) ++p_;
    }

    void brancos_e_comentarios() {
        for (;;) {
            brancos();
            if (s_.substr(p_, 4) != "<!--") return;
            const std::size_t fim = s_.find("-->", p_ + 4);
            if (fim == std::string_view::npos) falhar("comentário sem fim");
            p_ = fim + 3;
        }
    }

    // O texto até o delimitador, trocando as entidades.
    std::string texto_ate(char fim) {
        std::string r;
        while (p_ < s_.size() && s_[p_] != fim) {
            const char c = s_[p_];
            if (c == '<') {
                if (fim == '<') break;
                falhar("\"<\" dentro de um atributo");
            }
            if (c != '&') {
                r += c;
                ++p_;
                continue;
            }
            const std::size_t ponto = s_.find(';', p_);
            if (ponto == std::string_view::npos || ponto - p_ > 10) falhar("entidade sem \";\"");
            const std::string_view e = s_.substr(p_ + 1, ponto - p_ - 1);
            if (e == "amp")
                r += '&';
            else if (e == "lt")
                r += '<';
            else if (e == "gt")
                r += '>';
            else if (e == "quot")
                r += '"';
            else if (e == "apos")
                r += '\'';
            else if (e.size() > 1 && e[0] == '#') {
                const bool hex = e[1] == 'x';
                const std::string_view digitos = e.substr(hex ? 2 : 1);
                if (digitos.empty() || digitos.size() > 8) falhar("entidade inválida");
                std::uint32_t v = 0;
                for (char h : digitos) {
                    const auto u = static_cast<unsigned char>(h);
                    if (hex ? !std::isxdigit(u) : !std::isdigit(u)) falhar("entidade inválida");
                    v = v * (hex ? 16 : 10) +
                        static_cast<std::uint32_t>(std::isdigit(u) ? h - '0' : (h | 0x20) - 'a' + 10);
                }
                if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) falhar("entidade inválida");
                if (v < 0x20 && v != 9 && v != 10 && v != 13) falhar("entidade de caractere proibido");
                acrescentar_utf8(r, v);
            } else {
                falhar("entidade desconhecida");
            }
            p_ = ponto + 1;
        }
        return r;
    }

    NoXml elemento() {
        ++p_;  // '<'
        NoXml no;
        no.nome = nome();
        for (;;) {
            const std::size_t antes = p_;
            brancos();
            if (p_ >= s_.size()) falhar("tag sem fim");
            if (s_.substr(p_, 2) == "/>") {
                p_ += 2;
                return no;
            }
            if (s_[p_] == '>') {
                ++p_;
                break;
            }
            if (p_ == antes) falhar("faltou branco entre atributos");
            const std::string a = nome();
            brancos();
            if (p_ >= s_.size() || s_[p_] != '=') falhar("atributo sem \"=\"");
            ++p_;
            brancos();
            if (p_ >= s_.size() || (s_[p_] != '"' && s_[p_] != '\'')) falhar("atributo sem aspas");
            const char aspas = s_[p_++];
            std::string v = texto_ate(aspas);
            if (p_ >= s_.size()) falhar("atributo sem fim");
            ++p_;
            if (!no.atributos.emplace(a, std::move(v)).second) falhar("atributo repetido");
        }
        for (;;) {
            no.texto += texto_ate('<');
            if (p_ >= s_.size()) falhar("elemento <" + no.nome + "> sem fim");
            if (s_.substr(p_, 4) == "<!--") {
                brancos_e_comentarios();
                continue;
            }
            if (s_.substr(p_, 2) == "</") {
                p_ += 2;
                if (nome() != no.nome) falhar("fecha outra tag que não <" + no.nome + ">");
                brancos();
                if (p_ >= s_.size() || s_[p_] != '>') falhar("fecho sem \">\"");
                ++p_;
                return no;
            }
            if (++profundidade_ > 200) falhar("fundo demais");
            no.filhos.push_back(elemento());
            --profundidade_;
        }
    }

    std::string_view s_;
    std::size_t p_ = 0;
    int profundidade_ = 0;
};

void juntar(const NoXml& n, const std::string& nome, const std::string& atributo, const std::string& valor,
            std::vector<const NoXml*>& r) {
    if (n.nome == nome) {
        const auto it = n.atributos.find(atributo);
        if (atributo.empty() || (it != n.atributos.end() && it->second == valor)) r.push_back(&n);
    }
    for (const NoXml& f : n.filhos) juntar(f, nome, atributo, valor, r);
}

}  // namespace

std::variant<NoXml, std::string> ler_xml(std::string_view documento) {
    try {
        return Leitor(documento).documento();
    } catch (const Leitor::Erro& e) {
        return e.texto;
    }
}

std::vector<const NoXml*> nos_com(const NoXml& raiz, const std::string& nome, const std::string& atributo,
                                  const std::string& valor) {
    std::vector<const NoXml*> r;
    juntar(raiz, nome, atributo, valor, r);
    return r;
}
