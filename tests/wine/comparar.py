#!/usr/bin/env python3
"""Compara uma prova no Wine com a mesma cena na área simulada.

Das duas pontas saem a saída padrão, o erro padrão e o código de saída do
localizador. Antes de comparar: as batidas ({"vivo":1}) saem, os handles das
janelas reais viram os da cena (pelos diários dos dublês), os milissegundos
das linhas de log viram "N ms" e linhas iguais seguidas contam uma vez. A
ordem fica. Também falham a prova: um método do servidor de UI Automation
que não foi escrito (nao_implementado) e qualquer problema anotado pelo
servidor ou pelos dublês.

Conferências extras, por opção:
  --movimentos H   os retângulos que a janela H da cena tomou por obra do
                   localizador (SetWindowPos no rastro, "movida" no diário)
  --lugares H      o mesmo, mas entre um lugar e outro a janela pode passar
                   por outros (o SetParent guarda as coordenadas na mãe nova,
                   a filha anda com a mãe); o último tem de ser o mesmo
  --maes H         as mães que a janela H teve por SetParent
  --teclado EXE    o teclado que o localizador mandou (SendInput no rastro)
                   contra o que chegou às janelas do dublê EXE (WM_CHAR,
                   WM_KEYDOWN no diário) e, pelo servidor, à página (o campo
                   com o foco); nenhum outro dublê recebe nada
  --regioes H      as regiões que a janela H teve por SetWindowRgn contra as
                   que o dublê viu nela com GetWindowRgn (o buraco de
                   passagem), comparadas como conjuntos de pixels
  --cursor         os lugares em que o localizador pôs o cursor (SetCursorPos)
                   contra os que o dublê do app viu com GetCursorPos
  --gravada SIM    a cena que o gravador (CENA=gravada.json) escreveu no Wine,
                   com os handles, processos e threads trocados pelos da
                   cena, reproduzida na área simulada (o binário SIM) no modo
                   hospedado: as mesmas linhas que a cena original sem o que
                   um gravador não vê (reações, falhas, lentidões, os tempos
                   do Chromium, a entrada)
  --foto ARQUIVO   a foto do diagnóstico (FOTO=ARQUIVO) do Wine igual à da
                   área simulada, com os handles trocados pelos da cena
  --lupa           as chamadas da lupa (MagInitialize, MagSetFullscreenTransform,
                   MagUninitialize) no rastro contra as que a lupa do banco
                   anotou: as mesmas aproximações e afastamentos, os tremores
                   (sorteados, e quantos quadros cabem depende do relógio)
                   dentro dos limites, e a tela nunca deixada ampliada
  --batimento MS   no Wine, nenhum intervalo maior que MS entre duas batidas
                   ({"vivo":1}) do localizador, do primeiro ao último
  --tela           a Vidrel do protótipo na tela do Xvfb: a borda e o fundo
                   do cartão nas cores da pintura simulada, no lugar do
                   último SetWindowPos dela; o quadro vai para tela.png
"""

import argparse
import glob
import json
import os
import re
import struct
import subprocess
import sys
import time
import zlib


# Quanto depois de uma mudança de janela da cena uma linha de passagem pode
# chegar: a volta em que a mudança caiu dura no máximo a espera de 100 ms e a
# leitura da página.
PASSAGEM_MS = 250


def linhas(caminho):
    with open(caminho, "rb") as f:
        dados = f.read()
    return dados, dados.decode("utf-8", errors="replace").split("\n")[:-1] if dados else []


def jsonl(caminho):
    r = []
    with open(caminho, encoding="utf-8") as f:
        for linha in f:
            if linha.strip():
                r.append(json.loads(linha))
    return r


class Prova:
    def __init__(self, sim, wine):
        self.sim = sim
        self.wine = wine
        self.falhas = []
        self.notas = []
        self.real_para_cena = {}
        self.diarios = {}
        self.rastro = jsonl(os.path.join(sim, "rastro.jsonl"))

    def ler_diarios(self):
        for d in sorted(glob.glob(os.path.join(self.wine, "*.diario.jsonl"))):
            nome = os.path.basename(d)[: -len(".diario.jsonl")]
            self.diarios[nome] = jsonl(d)
            for l in self.diarios[nome]:
                if "criada" in l:
                    self.real_para_cena[l["real"]] = l["criada"]

    def falhar(self, texto):
        self.falhas.append(texto)

    # ------------------------------------------------------------ normalizar

    def handle(self, h):
        if h in self.real_para_cena:
            return self.real_para_cena[h]
        return "real:%d" % h

    def normalizar_saida(self, l, do_wine):
        if l == '{"vivo":1}':
            return None
        try:
            j = json.loads(l)
        except ValueError:
            # Um texto do diagnóstico: os tempos (e quantas leituras couberam
            # neles) são do relógio de cada ponta.
            return re.sub(r"\b\d+ leituras\b", "N leituras", self.normalizar_erro(l))
        if do_wine and isinstance(j, dict):
            if isinstance(j.get("janela"), int):
                j["janela"] = self.handle(j["janela"])
            for chave in ("navegadores", "existem"):
                if isinstance(j.get(chave), list):
                    j[chave] = [self.handle(h) for h in j[chave]]
        return json.dumps(j, ensure_ascii=False, separators=(",", ":"))

    @staticmethod
    def normalizar_erro(l):
        return re.sub(r"\b\d+ ms\b", "N ms", l)

    def com_instantes(self, nome, normalizar):
        """As linhas do Wine com o instante em que chegaram ao dublê do app."""
        r = []
        for l in jsonl(os.path.join(self.wine, nome + ".t.jsonl")):
            n = normalizar(l["linha"])
            if n is not None and (not r or r[-1][1] != n):
                r.append((l["t"], n))
        return r

    def mudancas_de_janela(self):
        """Os instantes em que o dublê do app aplicou uma mudança de janela e
        em que uma reação da página aconteceu (o dublê do navegador a anota
        logo depois de o servidor a aplicar)."""
        acoes = {"mover", "frente", "abrir", "fechar", "minimizar", "restaurar", "mostrar", "esconder", "titulo"}
        janelas = [l["t"] for l in self.diarios.get("vornel.exe", []) if l.get("evento") in acoes]
        # Cada reação vai a todos os dublês: a de um só basta.
        reacoes = {}
        for nome, diario in self.diarios.items():
            if nome != "vornel.exe":
                for l in diario:
                    if "reacao" in l and isinstance(l.get("t"), int):
                        reacoes.setdefault(nome, []).append(l["t"])
        return sorted(janelas + (next(iter(reacoes.values())) if reacoes else []))

    def tirar_passagens(self, sim, wine):
        """Tira do Wine as linhas de passagem logo depois de uma mudança de
        janela ou de uma reação da página.

        Numa volta o localizador lê a janela (o retângulo, a da frente) e
        depois a página, e publica: quando a cena muda a janela entre essas
        leituras, sai uma linha com metade de antes e metade de depois (um
        alvo do navegador velho com "frente" trocado, um chat medido com a
        janela no meio do caminho, "página andou dentro da janela"). No
        Windows é igual; o relógio virtual da simulação nunca cai no meio de
        uma volta. Uma reação da página (a lista que abre, o cartão) também
        cai no meio de uma volta: as coberturas veem o elemento novo e a
        coluna do chat ainda não, ou o contrário. Só é tirada a linha que a
        simulação não tem ali, chegada até PASSAGEM_MS depois de uma mudança
        de janela da cena ou de uma reação, uma por mudança; o resto tem de
        ser igual.
        """
        mudancas = self.mudancas_de_janela()
        usadas = set()
        r, tiradas = [], []
        j = 0
        for t, l in wine:
            if j < len(sim) and l == sim[j]:
                r.append(l)
                j += 1
                continue
            if r and l == r[-1]:
                continue
            mudanca = next(
                (i for i, m in enumerate(mudancas) if i not in usadas and m <= t <= m + PASSAGEM_MS), None
            )
            if mudanca is not None:
                usadas.add(mudanca)
                tiradas.append("%s (%d ms depois da mudança das %d ms)" % (l, t - mudancas[mudanca], mudancas[mudanca]))
                continue
            r.append(l)
        return distintas(r), tiradas

    # -------------------------------------------------------------- comparar

    def comparar_com_passagens(self, nome, sim, com_instantes):
        wine, tiradas = self.tirar_passagens(sim, com_instantes)
        if wine != sim:
            # A diferença mostrada é a de tudo o que o Wine deu.
            self.comparar(nome, sim, [l for _, l in com_instantes])
            return
        for l in tiradas:
            self.notas.append("%s: linha de passagem tolerada: %s" % (nome, l))

    def comparar(self, nome, a, b):
        if a == b:
            return
        import difflib

        diff = "\n".join(difflib.unified_diff(a, b, "simulada", "wine", lineterm="", n=2))
        self.falhar("%s diferente:\n%s" % (nome, diff))

    def conferir_basico(self):
        _, sim_saida = linhas(os.path.join(self.sim, "saida.txt"))
        bruto_wine_saida, _ = linhas(os.path.join(self.wine, "saida.txt"))
        _, sim_erro = linhas(os.path.join(self.sim, "erro.txt"))
        if b"\r" in bruto_wine_saida:
            self.falhar("a saída do localizador no Wine tem \\r: as linhas terminam só com \\n")
        if bruto_wine_saida and not bruto_wine_saida.endswith(b"\n"):
            self.falhar("a saída do localizador no Wine não termina numa linha inteira")
        sim_saida = [n for n in (self.normalizar_saida(l, False) for l in sim_saida) if n is not None]
        wine_saida = self.com_instantes("saida", lambda l: self.normalizar_saida(l, True))
        # Cada tipo de mensagem na sua ordem: um status e um {"telaCheia":...}
        # da mesma volta ou de voltas seguidas saem numa ordem ou noutra
        # conforme a mudança caiu no tempo real.
        tipos = []
        for l in sim_saida + [l for _, l in wine_saida]:
            if tipo(l) not in tipos:
                tipos.append(tipo(l))
        for t in tipos:
            self.comparar_com_passagens(
                "saída (%s)" % t,
                distintas([l for l in sim_saida if tipo(l) == t]),
                distintas_com_instantes([(i, l) for i, l in wine_saida if tipo(l) == t]),
            )
        self.comparar_com_passagens(
            "erro",
            distintas([self.normalizar_erro(l) for l in sim_erro]),
            self.com_instantes("erro", self.normalizar_erro),
        )

        fim_sim = [l["encerrado"] for l in self.rastro if "encerrado" in l]
        app = self.diarios.get("vornel.exe", [])
        fim_wine = [l["encerrado"] for l in app if "encerrado" in l]
        if fim_sim[-1:] != fim_wine[-1:]:
            self.falhar("código de saída: simulada %s, Wine %s" % (fim_sim[-1:], fim_wine[-1:]))

        for nome, diario in self.diarios.items():
            for l in diario:
                if "problema" in l:
                    self.falhar("%s: %s" % (nome, l["problema"]))
        uia = os.path.join(self.wine, "uia.txt")
        if os.path.exists(uia):
            for l in open(uia, encoding="utf-8", errors="replace"):
                if l.startswith("nao_implementado ") or l.startswith("problema "):
                    self.falhar("servidor de UI Automation: " + l.strip())

    def conferir_movimentos(self, janela):
        # Um lugar igual ao de antes não é movimento: o dublê não o vê.
        inicio = [l["ret"] for d in self.diarios.values() for l in d if l.get("criada") == janela][:1]
        sim = distintas(inicio + self.lugares_sim(janela))[len(inicio) :]
        wine = distintas(inicio + [l["ret"] for d in self.diarios.values() for l in d if l.get("movida") == janela])
        wine = wine[len(inicio) :]
        if not sim:
            self.falhar("a simulação não moveu a janela %d: a conferência não prova nada" % janela)
        self.comparar("movimentos da janela %d" % janela, [str(r) for r in sim], [str(r) for r in wine])

    def lugares_sim(self, janela):
        return distintas(
            [
                l["ret"]
                for l in self.rastro
                if l.get("janela") == janela
                and "ret" in l
                and (
                    (l.get("efeito") == "SetWindowPos" and l.get("ok"))
                    or (l.get("efeito") == "entregue" and l.get("chamada") == "SetWindowPos")
                )
            ]
        )

    def conferir_lugares(self, janela):
        sim = self.lugares_sim(janela)
        wine = [l["ret"] for d in self.diarios.values() for l in d if l.get("criada") == janela]
        wine = distintas(wine + [l["ret"] for d in self.diarios.values() for l in d if l.get("movida") == janela])
        if not sim:
            self.falhar("a simulação não pôs a janela %d em lugar nenhum: a conferência não prova nada" % janela)
            return
        i = 0
        for r in wine:
            if i < len(sim) and r == sim[i]:
                i += 1
        if i < len(sim) or wine[-1:] != sim[-1:]:
            self.falhar(
                "lugares da janela %d: a simulação a pôs em %s; no Wine ela passou por %s" % (janela, sim, wine)
            )

    def conferir_maes(self, janela):
        sim = [l["pai"] for l in self.rastro if l.get("efeito") == "SetParent" and l.get("janela") == janela and l.get("ok")]
        wine = [l["pai"] for d in self.diarios.values() for l in d if l.get("mae") == janela]
        if not sim:
            self.falhar("a simulação não mudou a mãe da janela %d: a conferência não prova nada" % janela)
        self.comparar("mães da janela %d" % janela, [str(x) for x in sim], [str(x) for x in wine])

    # --------------------------------------------------- teclado, regiões, cursor

    def conferir_teclado(self, exe):
        """O que o localizador digitou chegou ao dublê e à página.

        A simulação entrega cada SendInput inteiro à página; no Wine cada
        unidade chega à janela da frente como WM_CHAR (o texto) e cada tecla
        virtual como WM_KEYDOWN, e o servidor lê o diário e entrega à página
        da mesma forma. Compara a sequência de pedaços de texto (os caracteres
        seguidos juntos) e de teclas, e para a página também o destino.
        """
        sim, sim_pagina = [], []
        for l in self.rastro:
            if l.get("efeito") != "SendInput" or l.get("ok") is False:
                continue
            pedacos = ([("texto", l["texto"])] if l.get("texto") else []) + [
                ("tecla", t) for t in l.get("teclas", [])
            ]
            sim += pedacos
            sim_pagina += [p + (l.get("entregue"), l.get("destino")) for p in pedacos]
        if not sim:
            self.falhar("a simulação não digitou nada: a conferência do teclado não prova nada")
            return
        chegou = {}
        for nome, diario in self.diarios.items():
            r = []
            for l in diario:
                if "caractere" in l and not controle(l["texto"]):
                    r.append(("texto", l["texto"]))
                elif l.get("msg") == "WM_KEYDOWN" and "tecla" in l and l.get("vk") != VK_PACKET:
                    r.append(("tecla", l["vk"]))
            if r:
                chegou[nome] = r
        for nome in chegou:
            if nome != exe:
                self.falhar("o teclado chegou ao dublê %s: %s" % (nome, juntar_texto(chegou[nome])))
        wine = juntar_texto(chegou.get(exe, []))
        self.comparar("teclado no %s" % exe, [str(x) for x in juntar_texto(sim)], [str(x) for x in wine])
        pagina = []
        uia = os.path.join(self.wine, "uia.txt")
        if os.path.exists(uia):
            for l in open(uia, encoding="utf-8", errors="replace"):
                if l.startswith("efeito "):
                    j = json.loads(l[len("efeito ") :])
                    if j.get("efeito") == "teclado":
                        pedacos = ([("texto", j["texto"])] if j["texto"] else []) + [("tecla", t) for t in j["teclas"]]
                        pagina += [p + (j["entregue"], j["destino"]) for p in pedacos]
        self.comparar(
            "teclado na página", [str(x) for x in juntar_texto(sim_pagina)], [str(x) for x in juntar_texto(pagina)]
        )

    def conferir_regioes(self, janela):
        # A região da cena (a que o dono já tinha dado) vem primeiro dos dois
        # lados; só as mudanças contam.
        with open(os.path.join(self.sim, "..", "cena.json"), encoding="utf-8") as f:
            inicial = [pixels(j.get("regiao")) for j in json.load(f)["janelas"] if j["hwnd"] == janela][:1]
        chamadas = [
            pixels(l["regiao"])
            for l in self.rastro
            if l.get("efeito") == "SetWindowRgn" and l.get("janela") == janela and l.get("ok")
        ]
        if not chamadas:
            self.falhar("a simulação não deu região à janela %d: a conferência não prova nada" % janela)
        sim = distintas(inicial + chamadas)[len(inicial) :]
        wine = distintas(inicial + [pixels(l["retangulos"]) for d in self.diarios.values() for l in d if l.get("regiao") == janela])
        wine = wine[len(inicial) :]
        self.comparar("regiões da janela %d" % janela, [str(r) for r in sim], [str(r) for r in wine])

    def conferir_cursor(self, cena):
        # O lugar inicial da cena vem primeiro dos dois lados: o dublê do app
        # anota o cursor antes de o localizador mexer nele.
        inicio = [tuple(cena.get("cursor", {}).get("pos", [0, 0]))]
        sim = distintas(inicio + [(l["x"], l["y"]) for l in self.rastro if l.get("efeito") == "SetCursorPos"])
        wine = distintas([tuple(l["cursor"]) for l in self.diarios.get("vornel.exe", []) if "cursor" in l])
        if len(sim) < 2:
            self.falhar("a simulação não moveu o cursor: a conferência não prova nada")
        self.comparar("cursor", [str(p) for p in sim], [str(p) for p in wine])

    # ------------------------------------------------------------------ tela

    def conferir_batimento(self, maximo_ms):
        batidas = [l["t"] for l in jsonl(os.path.join(self.wine, "saida.t.jsonl")) if l["linha"] == '{"vivo":1}']
        if len(batidas) < 2:
            self.falhar("menos de duas batidas no Wine: a conferência não prova nada")
            return
        pior = max(zip(batidas, batidas[1:]), key=lambda p: p[1] - p[0])
        if pior[1] - pior[0] > maximo_ms:
            self.falhar("batidas %d ms uma da outra (de %d a %d ms), mais que %d" % (pior[1] - pior[0], pior[0], pior[1], maximo_ms))
        else:
            self.notas.append("o maior intervalo entre batidas foi de %d ms" % (pior[1] - pior[0]))

    # ------------------------------------------------------------ lupa

    @staticmethod
    def passos_da_lupa(chamadas):
        """As chamadas em passos comparáveis: os quadros do tremor (fator
        1.02) seguidos viram um passo só."""
        r = []
        for c in chamadas:
            nome = c.get("efeito") or c.get("chamada")
            if nome != "MagSetFullscreenTransform":
                r.append(nome if c.get("ok", True) else nome + " recusado")
            elif abs(c["fator"] - 1.02) < 1e-6:
                if r[-1:] != ["tremor"]:
                    r.append("tremor")
            else:
                r.append("fator %.5f em (%d, %d)" % (c["fator"], c["x"], c["y"]))
        return r

    def conferir_lupa(self, largura=1920, altura=1080):
        sim = [l for l in self.rastro if l.get("efeito", "").startswith("Mag")]
        wine = [l for l in self.diarios.get("magnification.dll", []) if "chamada" in l]
        if not sim:
            self.falhar("a simulação não usou a lupa: a conferência não prova nada")
        self.comparar("lupa", self.passos_da_lupa(sim), self.passos_da_lupa(wine))
        bx = int((largura - largura / 1.02) / 2)
        by = int((altura - altura / 1.02) / 2)
        limite = max(1, min(bx, by))
        for c in wine:
            if c["chamada"] == "MagSetFullscreenTransform" and abs(c["fator"] - 1.02) < 1e-6:
                if abs(c["x"] - bx) > limite or abs(c["y"] - by) > limite:
                    self.falhar("tremor fora do limite: (%d, %d) com o centro em (%d, %d)" % (c["x"], c["y"], bx, by))
        if wine and wine[-1]["chamada"] != "MagUninitialize":
            self.falhar("o localizador acabou com a lupa iniciada: %s" % json.dumps(wine[-1]))

    # ------------------------------------------------------------ gravador

    def cena_gravada_no_wine(self):
        """A cena que o gravador escreveu no Wine, nos handles da cena: as
        janelas pelo diário dos dublês, os processos e as threads pelos das
        janelas da cena original."""
        with open(os.path.join(self.sim, "..", "cena.json"), encoding="utf-8") as f:
            original = json.load(f)
        caminho = os.path.join(self.wine, "gravada.json")
        if not os.path.exists(caminho):
            self.falhar("o gravador não escreveu %s" % caminho)
            return None, original
        with open(caminho, encoding="utf-8") as f:
            gravada = json.load(f)
        da_cena = {}

        def janelas(js):
            for j in js:
                yield j
                yield from janelas(j.get("filhas", []))

        for j in janelas(original["janelas"]):
            da_cena[j["hwnd"]] = j

        def trocar(e):
            if isinstance(e, dict):
                for k, v in e.items():
                    if k in ("hwnd", "dono", "foco") and isinstance(v, int) and v in self.real_para_cena:
                        e[k] = self.real_para_cena[v]
                    else:
                        trocar(v)
            elif isinstance(e, list):
                for v in e:
                    trocar(v)

        trocar(gravada["janelas"])
        if gravada.get("frente") in self.real_para_cena:
            gravada["frente"] = self.real_para_cena[gravada["frente"]]
        for j in janelas(gravada["janelas"]):
            o = da_cena.get(j["hwnd"])
            if o is None:
                self.falhar("o gravador gravou uma janela que não é da cena: %s %r" % (j["hwnd"], j.get("titulo")))
                continue
            for k in ("processo", "thread"):
                if k in o:
                    j[k] = o[k]
                else:
                    j.pop(k, None)
            # O caminho inteiro do dublê: na cena, só o nome.
            if "executavel" in j:
                j["executavel"] = j["executavel"].replace("\\", "/").split("/")[-1]
        gravada.pop("programa", None)
        if "programa" in original:
            gravada["programa"] = original["programa"]
        return gravada, original

    def conferir_gravada(self, sim_bin):
        gravada, original = self.cena_gravada_no_wine()
        if gravada is None:
            return
        cortada = dict(original)
        for k in ("reacoes", "falhas", "lentidoes", "chromium"):
            cortada.pop(k, None)
        cortada["entrada"] = "cena"
        fim = next(e["em"] for e in gravada["linha_do_tempo"] if e["acao"] == "fim")
        cortada["linha_do_tempo"] = [
            dict(e, em=0)
            for e in original.get("linha_do_tempo", [])
            if e.get("em", 0) == 0 and e["acao"] not in ("fim", "entrada", "fim_da_entrada")
        ] + [{"em": fim, "acao": "fim"}]
        pasta = os.path.join(self.wine, "reproducao")
        os.makedirs(pasta, exist_ok=True)
        saidas = {}
        for nome, cena in (("original", cortada), ("gravada", gravada)):
            arquivo = os.path.join(pasta, nome + ".json")
            with open(arquivo, "w", encoding="utf-8") as f:
                json.dump(cena, f, ensure_ascii=False, indent=1)
            r = subprocess.run(
                [sim_bin, "--cena", arquivo, "--tempo", "virtual", "--janela", "100"],
                stdin=subprocess.DEVNULL,
                capture_output=True,
                timeout=120,
            )
            saidas[nome] = r
        o, g = saidas["original"], saidas["gravada"]
        if not o.stdout.strip():
            self.falhar("a cena original não deu linha nenhuma na reprodução: a conferência não prova nada")
        if o.returncode != g.returncode:
            self.falhar("reprodução da cena gravada no Wine: código %d, a original %d" % (g.returncode, o.returncode))
        for nome, a, b in (("saída", o.stdout, g.stdout), ("erro", o.stderr, g.stderr)):
            self.comparar(
                "reprodução da cena gravada no Wine (%s)" % nome,
                a.decode("utf-8", "replace").split("\n"),
                b.decode("utf-8", "replace").split("\n"),
            )

    def conferir_foto(self, arquivo):
        textos = {}
        for lado in (self.sim, self.wine):
            caminho = os.path.join(lado, arquivo)
            if not os.path.exists(caminho):
                self.falhar("a foto não foi escrita em %s" % caminho)
                return
            with open(caminho, encoding="utf-8") as f:
                textos[lado] = f.read().split("\n")
        trocados = [
            re.sub(r"\b\d{4,}\b", lambda m: str(self.real_para_cena.get(int(m.group()), m.group())), l)
            for l in textos[self.wine]
        ]
        self.comparar(
            "foto " + arquivo,
            [self.normalizar_erro(l) for l in textos[self.sim]],
            [self.normalizar_erro(l) for l in trocados],
        )

    def conferir_tela(self, display, prazo_s):
        lugares = [
            l["ret"]
            for l in self.rastro
            if l.get("efeito") == "SetWindowPos" and l.get("ok") and "ret" in l and l.get("janela", 0) >= 0x30000
        ]
        pinturas = [l for l in self.rastro if l.get("efeito") == "pintura" and l.get("preenchimentos")]
        if not lugares or not pinturas:
            self.falhar("a simulação não pôs nem pintou a Vidrel: a conferência da tela não prova nada")
            return
        esq, topo, dir_, base = lugares[-1]
        borda = tuple(pinturas[-1]["preenchimentos"][0]["cor"])
        fundo = tuple(pinturas[-1]["preenchimentos"][1]["cor"])
        pontos = {
            "borda do cartão": ((esq + 1, topo + 1), borda),
            "fundo do cartão": ((esq + 8, base - 8), fundo),
            # Logo fora, à esquerda: a página do dublê do navegador.
            "página ao lado": ((esq - 3, (topo + base) // 2), (200, 200, 210)),
        }
        fim = time.monotonic() + prazo_s
        ultimo = None
        while True:
            quadro = capturar(display)
            if quadro:
                ultimo = quadro
                achados = {n: quadro.pixel(*p) for n, (p, _) in pontos.items()}
                if all(achados[n] == cor for n, (_, cor) in pontos.items()):
                    quadro.salvar_png(os.path.join(self.wine, "tela.png"))
                    return
            if time.monotonic() > fim:
                break
            time.sleep(0.2)
        if ultimo:
            ultimo.salvar_png(os.path.join(self.wine, "tela.png"))
            achados = {n: ultimo.pixel(*p) for n, (p, _) in pontos.items()}
        else:
            achados = "sem quadro (xwd falhou)"
        self.falhar(
            "a tela não mostrou o cartão em %s: esperado %s, visto %s"
            % (lugares[-1], {n: c for n, (_, c) in pontos.items()}, achados)
        )


def tipo(linha):
    """O tipo de uma linha da saída: a primeira chave do objeto JSON."""
    try:
        j = json.loads(linha)
    except ValueError:
        return "texto"
    if isinstance(j, dict) and j:
        return "status" if next(iter(j)) == "site" else next(iter(j))
    return "texto"


# O WM_KEYDOWN de uma unidade do SendInput com KEYEVENTF_UNICODE: o que ela
# leva vem no WM_CHAR.
VK_PACKET = 0xE7


def controle(texto):
    """Um WM_CHAR de controle (o Esc também vira WM_CHAR 0x1B): é tecla."""
    return not texto or ord(texto[0]) < 0x20 or ord(texto[0]) == 0x7F


def juntar_texto(pedacos):
    """Os pedaços de texto seguidos (do mesmo destino) viram um só."""
    r = []
    for p in pedacos:
        if r and p[0] == "texto" and r[-1][0] == "texto" and r[-1][2:] == p[2:]:
            r[-1] = ("texto", r[-1][1] + p[1]) + p[2:]
        else:
            r.append(tuple(p))
    return r


def pixels(retangulos):
    """Uma região como o GDI a guarda: faixas horizontais, cada uma com os
    trechos de x juntos, e as faixas iguais seguidas juntas. A simulação e o
    Windows cortam a mesma região em retângulos diferentes; assim elas se
    comparam pelos pixels. Nenhuma: a janela sem região."""
    if retangulos is None:
        return None
    rs = [r for r in retangulos if r[2] > r[0] and r[3] > r[1]]
    ys = sorted({y for r in rs for y in (r[1], r[3])})
    faixas = []
    for y0, y1 in zip(ys, ys[1:]):
        trechos = []
        for x0, x1 in sorted((r[0], r[2]) for r in rs if r[1] <= y0 and r[3] >= y1):
            if trechos and x0 <= trechos[-1][1]:
                trechos[-1][1] = max(trechos[-1][1], x1)
            else:
                trechos.append([x0, x1])
        if not trechos:
            continue
        if faixas and faixas[-1][1] == y0 and faixas[-1][2] == trechos:
            faixas[-1][1] = y1
        else:
            faixas.append([y0, y1, trechos])
    return faixas


def distintas_com_instantes(seq):
    r = []
    for t, l in seq:
        if not r or r[-1][1] != l:
            r.append((t, l))
    return r


def distintas(seq):
    r = []
    for x in seq:
        if not r or r[-1] != x:
            r.append(x)
    return r


class Quadro:
    """Um quadro do xwd (ZPixmap); os pixels são lidos direto dos bytes."""

    def __init__(self, dados, inicio, largura, altura, bpl, passo, ordem, mascaras):
        self.dados, self.inicio = dados, inicio
        self.largura, self.altura, self.bpl, self.passo = largura, altura, bpl, passo
        self.ordem, self.mascaras = ordem, mascaras
        self.desl = [deslocamento(m) for m in mascaras]

    def pixel(self, x, y):
        if not (0 <= x < self.largura and 0 <= y < self.altura):
            return None
        i = self.inicio + y * self.bpl + x * self.passo
        v = int.from_bytes(self.dados[i : i + self.passo], "little" if self.ordem == 0 else "big")
        return tuple((v & m) >> d for m, d in zip(self.mascaras, self.desl))

    def rgb(self):
        r = bytearray(self.largura * self.altura * 3)
        padrao = self.passo == 4 and self.ordem == 0 and self.mascaras == (0xFF0000, 0xFF00, 0xFF)
        for y in range(self.altura):
            linha = self.dados[self.inicio + y * self.bpl : self.inicio + y * self.bpl + self.largura * self.passo]
            destino = r[y * self.largura * 3 : (y + 1) * self.largura * 3]
            if padrao:
                destino[0::3], destino[1::3], destino[2::3] = linha[2::4], linha[1::4], linha[0::4]
            else:
                for x in range(self.largura):
                    destino[x * 3 : x * 3 + 3] = bytes(self.pixel(x, y))
            r[y * self.largura * 3 : (y + 1) * self.largura * 3] = destino
        return bytes(r)

    def salvar_png(self, caminho):
        rgb = self.rgb()
        passo = self.largura * 3
        linhas_png = b"".join(b"\x00" + rgb[y * passo : (y + 1) * passo] for y in range(self.altura))

        def pedaco(tipo, dados):
            c = struct.pack(">I", len(dados)) + tipo + dados
            return c + struct.pack(">I", zlib.crc32(tipo + dados) & 0xFFFFFFFF)

        with open(caminho, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(pedaco(b"IHDR", struct.pack(">IIBBBBB", self.largura, self.altura, 8, 2, 0, 0, 0)))
            f.write(pedaco(b"IDAT", zlib.compress(linhas_png, 6)))
            f.write(pedaco(b"IEND", b""))


def deslocamento(m):
    d = 0
    while m and not (m & 1):
        m >>= 1
        d += 1
    return d


def capturar(display):
    """A tela inteira do Xvfb pelo xwd (ZPixmap de 24 ou 32 bits por pixel)."""
    try:
        dados = subprocess.run(
            ["xwd", "-root", "-silent", "-display", display], capture_output=True, check=True, timeout=10
        ).stdout
    except (subprocess.SubprocessError, OSError):
        return None
    if len(dados) < 100:
        return None
    cab = struct.unpack(">13I", dados[:52])
    tam_cabecalho, formato, largura, altura, ordem, bpp, bpl = cab[0], cab[2], cab[4], cab[5], cab[7], cab[11], cab[12]
    _visual, mr, mg, mb, _bpr, _ent, ncores = struct.unpack(">7I", dados[52:80])
    if formato != 2 or bpp not in (24, 32):
        return None
    return Quadro(dados, tam_cabecalho + ncores * 12, largura, altura, bpl, bpp // 8, ordem, (mr, mg, mb))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--sim", required=True)
    p.add_argument("--wine", required=True)
    p.add_argument("--movimentos", type=int, action="append", default=[])
    p.add_argument("--lugares", type=int, action="append", default=[])
    p.add_argument("--maes", type=int, action="append", default=[])
    p.add_argument("--teclado", action="append", default=[])
    p.add_argument("--regioes", type=int, action="append", default=[])
    p.add_argument("--cursor", action="store_true")
    p.add_argument("--lupa", action="store_true")
    p.add_argument("--batimento", type=int)
    p.add_argument("--gravada")
    p.add_argument("--foto")
    p.add_argument("--tela", action="store_true")
    p.add_argument("--display")
    p.add_argument("--prazo", type=float, default=10)
    a = p.parse_args()
    prova = Prova(a.sim, a.wine)
    if a.tela:
        prova.conferir_tela(a.display, a.prazo)
        for f in prova.falhas:
            print(f)
        return 1 if prova.falhas else 0
    prova.ler_diarios()
    prova.conferir_basico()
    for j in a.movimentos:
        prova.conferir_movimentos(j)
    for j in a.lugares:
        prova.conferir_lugares(j)
    for j in a.maes:
        prova.conferir_maes(j)
    for exe in a.teclado:
        prova.conferir_teclado(exe)
    for j in a.regioes:
        prova.conferir_regioes(j)
    if a.lupa:
        prova.conferir_lupa()
    if a.batimento:
        prova.conferir_batimento(a.batimento)
    if a.gravada:
        prova.conferir_gravada(a.gravada)
    if a.foto:
        prova.conferir_foto(a.foto)
    if a.cursor:
        with open(os.path.join(a.sim, "..", "cena.json"), encoding="utf-8") as f:
            prova.conferir_cursor(json.load(f))
    for n in prova.notas:
        print("nota: " + n, file=sys.stderr)
    for f in prova.falhas:
        print(f)
    return 1 if prova.falhas else 0


if __name__ == "__main__":
    sys.exit(main())
