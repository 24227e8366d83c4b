#include "estado/alvo.hpp"

#include <algorithm>
#include <vector>

#include "estado/saida.hpp"

const char* nome_do_site(Site s) { return s == Site::Kick ? "Kick" : "Twitch"; }

namespace {

const char* logico(bool b) { return b ? "true" : "false"; }

std::string ret_ou_nulo(const std::optional<Retangulo>& r) { return r ? retangulo_json(*r) : "null"; }

}  // namespace

std::string linha_de_estado(const std::optional<Alvo>& alvo) {
    if (!alvo) return "{\"site\":null}";
    const Alvo& a = *alvo;
    // A busca da página e a subida pela coluna do chat acham a mesma
    // cobertura, e o cartão pode ser também uma delas: cada retângulo igual
    // sai uma vez só, no lugar do primeiro.
    std::string buracos;
    std::vector<Retangulo> escritos;
    const auto juntar = [&](const Retangulo& b) {
        if (std::find(escritos.begin(), escritos.end(), b) != escritos.end()) return;
        escritos.push_back(b);
        if (!buracos.empty()) buracos += ',';
        buracos += retangulo_json(b);
    };
    for (const Retangulo& b : a.buracos) juntar(b);
    if (a.buraco_extra) juntar(*a.buraco_extra);
    std::optional<Retangulo> pagina;
    if (a.pagina) pagina = relativo_ao_chat(*a.pagina, a.chat);
    // O canal só tem letras, dígitos, "_" e "-"; o escape não muda um canal
    // válido e impede que um inválido quebre a linha.
    std::string s = "{\"site\":\"";
    s += a.site == Site::Kick ? "kick" : "twitch";
    s += "\",\"canal\":";
    s += a.canal ? texto_json(*a.canal) : "null";
    s += ",\"largura\":" + std::to_string(a.chat.largura());
    s += ",\"altura\":" + std::to_string(a.chat.altura());
    s += ",\"folga\":" + std::to_string(a.folga);
    s += ",\"com7tv\":";
    s += logico(a.com7tv);
    s += ",\"pausado\":";
    s += logico(a.pausado);
    s += ",\"buracos\":[" + buracos + "]";
    s += ",\"pagina\":" + ret_ou_nulo(pagina);
    s += ",\"botao\":" + ret_ou_nulo(a.botao);
    s += ",\"janela\":" + std::to_string(a.janela);
    s += ",\"frente\":";
    s += logico(a.frente);
    s += ",\"avista\":";
    s += logico(a.avista);
    s += "}";
    return s;
}

std::string linha_de_tela_cheia(bool cheia) { return std::string("{\"telaCheia\":") + logico(cheia) + "}"; }
