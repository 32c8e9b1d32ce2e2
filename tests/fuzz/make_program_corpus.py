#!/usr/bin/env python3
"""Writes the seeds of the whole-program fuzz corpus and its dictionary.

Seeds are programs taken from the example programs, the reference programs and the program texts
of the test suites, at least one for every keyword of the keyword table, plus hand-written ones
for the commands that read the fixture files. Files named "seed-*" in the corpus folder are
rewritten; the others (regression inputs) are left alone. Run from anywhere:
    python3 tests/fuzz/make_program_corpus.py
"""

import pathlib
import re

RACINE = pathlib.Path(__file__).resolve().parents[2]
CORPUS = RACINE / "tests/fuzz/corpus/program"
DICO = RACINE / "tests/fuzz/program.dict"
PAR_FORME = 3  # seeds per keyword form, at most

# Keywords that need a scale line drawn before them.
SUR_ECHELLE = {"GRAD", "GRAD1", "VAL", "VALR", "VALD", "VAL1", "VAL1R", "VAL1D", "SECT", "SECTP"}
ECHELLE = "Arc = -30, 210, 60"

# The fixture folder's files (tests/fuzz/FuzzProgram.cpp) and seeds that use them.
FIXES = [
    "Plot = d, 1, 2, 0",
    "Plot = d, 1, 2§3, 0, 0§200§20§0§59, 0, 0§120§40§-2§12, 0",
    "PlotP = d, 1, 3, 0, 1, 0, 1, 0",
    "Plot = p§59, 1, 2, 0, 1, 0, 1, 0",
    "%CmdSymb =< Plus = #X, #Y, 1\r\nPlotS = d, 1, 2, 0, 1, 0, 1, 0",
    "%CmdSymb =< Fichier = cmd, #X, #Y\r\nPlotS = p§59, 1, 2, 0",
    "Poly = p, 0, 0, Rouge",
    "PolyP = p, 10, 10, Bleu§Vert",
    "Image = ok.png, 10, 20, 2, c",
    "Image = ok.png, 0, 0, A§50§50",
    "Image = bad.png, 10, 20",
    "Image = absent.png, 10, 20",
    "Fichier = cmd.dat, 10, 10, 2, 7",
    "Fichier = cmd, 10, 10§45",
    "Fichier = Ext, 5, 5, 9",
    "Ext = 20, 30, 5, 6",
    "Fichier = prog.dat, 1, 1",
    "Open = d.txt\r\nLVar = %A, %B\r\nLVar = %C, 2\r\nOpen =",
    "Open = d.txt, 39\r\nBOUCLE:\r\nLVar = %L\r\nIF %EOF = 0 THEN\r\nGOTO BOUCLE\r\nENDIF",
    "OpenA = sortie.txt\r\nPrintA = x = %PI, #2*3#\r\nOpenA =\r\nOpen = sortie.txt\r\nLVar = %S",
    "OpenA = sortie.txt, , Kill",
    "Input = %A, Valeur ?\r\nInput = %B\r\nInput = %C",
    "ListeVar = %A\r\n%A = 1",
    "Fichier = cmd.dat, ?",
]


def mots_cles():
    texte = (RACINE / "src/interpreter/Dispatch.cpp").read_text(encoding="utf-8")
    return re.findall(r'\{"([^"]+)", Cmd::\w+\}', texte)


LITTERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')


# Pictures the tests name stand for the fixture's good and corrupt ones.
IMAGES = {"logo.png": "ok.png", "photo.jpg": "ok.png", "pic.png": "ok.png", "faux.png": "bad.png"}


def deseche(s):
    s = (s.replace('\\"', '"').replace("\\r", "\r").replace("\\n", "\n").replace("\\t", "\t")
         .replace("\\\\", "\\"))
    for nom, fixe in IMAGES.items():
        s = s.replace(nom, fixe)
    return s


def programmes_des_tests():
    """Program texts of the test suites: string lists in braces and single literals."""
    programmes = []
    for chemin in sorted((RACINE / "tests").rglob("*.cpp")):
        if "fuzz" in chemin.relative_to(RACINE).parts:
            continue
        source = chemin.read_text(encoding="utf-8")
        source = re.sub(r'(?:QStringLiteral|QLatin1String|QString::fromUtf8)\(\s*("(?:[^"\\\n]|\\.)*")\s*\)', r"\1",
                        source)
        # A brace list of nothing but literals is a program of several lines.
        for groupe in re.finditer(r'\{((?:\s*"(?:[^"\\\n]|\\.)*"\s*,?)+)\s*\}', source):
            lignes = [deseche(m) for m in LITTERAL.findall(groupe.group(1))]
            programmes.append("\r\n".join(lignes))
        for m in LITTERAL.finditer(source):
            programmes.append(deseche(m.group(1)))
    return programmes


def programmes_fichiers():
    dats = sorted((RACINE / "examples").glob("*.dat")) + sorted((RACINE / "tests/programs/refs").glob("*.dat"))
    vus, programmes = set(), []
    for d in dats:
        octets = d.read_bytes()
        if octets in vus:
            continue
        vus.add(octets)
        programmes.append((d.stem, octets.decode("cp1252").replace("courbe", "d")))
    return programmes


def premier_mot(ligne):
    m = re.match(r"\s*([^\s=,]+)", ligne)
    return m.group(1).upper() if m else ""


def encode(texte, utf8):
    texte = texte.replace("\r\n", "\n").replace("\n", "\r\n")
    if not utf8:
        try:
            return texte.encode("cp1252")
        except UnicodeEncodeError:
            pass
    return texte.encode("utf-8")


def main():
    cles = mots_cles()
    ensemble = set(cles)
    candidats = [p for p in programmes_des_tests() if p.strip() and "%1" not in p and len(p) < 400]
    candidats += [p for _, p in programmes_fichiers()]
    # Shortest first, so that each keyword's seeds are its plainest uses.
    candidats = sorted(set(candidats), key=lambda p: (len(p), p))
    # A keyword's candidates use it with parameters (or, for the blocks, with what follows it).
    usages = {c: [] for c in cles}
    for p in candidats:
        for ligne in p.replace("\r\n", "\n").split("\n"):
            mot = premier_mot(ligne)
            if mot in ensemble and re.match(r"\s*\S+\s*[=\s]\s*\S.", ligne) and p not in usages[mot]:
                usages[mot].append(p)
    # Keywords that take nothing: programs of several lines where they stand alone.
    for p in candidats:
        lignes = p.replace("\r\n", "\n").split("\n")
        for ligne in lignes:
            mot = premier_mot(ligne)
            if len(lignes) > 1 and mot in ensemble and not usages[mot][:1] and ligne.strip().upper() == mot:
                usages.setdefault("*" + mot, []).append(p)
    for c in cles:
        if not usages[c]:
            usages[c] = usages.get("*" + c, [])
    # The plainest use, the one with the most sub-fields and the longest.
    par_forme = {}
    for c in cles:
        u = usages[c]
        choix = u[:1] + sorted(u, key=lambda p: (-p.count("§"), -len(p)))[:1] + u[-1:]
        par_forme[c] = list(dict.fromkeys(choix))[:PAR_FORME]

    seeds = {}
    n = 0
    for cle in cles:
        progs = par_forme[cle] or [f"{cle} = 1, 2, 3"]
        for i, p in enumerate(progs):
            if cle in SUR_ECHELLE and not re.search(r"(?im)^\s*(ARC|DROITE|DROITEV)\s*=", p):
                p = ECHELLE + "\r\n" + p
            # Every fourth seed also runs for the printer; every fifth keeps UTF-8.
            if n % 4 == 3:
                p = "' imprime\r\n" + p
            nom = "".join(c if c.isalnum() or c == "_" else f"x{ord(c):02x}" for c in cle)
            seeds[f"seed-{nom}-{i + 1}"] = encode(p, n % 5 == 4)
            n += 1
    for i, p in enumerate(FIXES):
        seeds[f"seed-fixture-{i + 1:02d}"] = encode(p, False)
        seeds[f"seed-fixture-{i + 1:02d}-imprime"] = encode("' imprime\r\n" + p, i % 2 == 1)
    for nom, p in programmes_fichiers():
        seeds[f"seed-programme-{nom}"] = encode(p, False)

    CORPUS.mkdir(parents=True, exist_ok=True)
    for ancien in CORPUS.glob("seed-*"):
        ancien.unlink()
    for nom, octets in seeds.items():
        (CORPUS / nom).write_bytes(octets)

    mots = ["\\x0d\\x0a", "\\x0d", "\\x0a", "\\x09", " _", "_", "'", "'EOD", "\\xa7", "\\xc2\\xa7", "%", "#",
            ",", ";", "=", "==", "=<", ":", "!", "?", '\\"', " THEN ", "%IRE$#0", "%IRE$-1", "%CmdSymb", "%Symb",
            "%Symb2", "#X", "#Y", "QWZ#", "60918", "OptMaxIf", "OptMaxVar", "OptMaxPlot", "Kill", "mm", "R", "r",
            "\\xb0", "L10", "XR", "YR", "Paysage", "N", "RGB ", "RVB ", "Rouge", "Bleu", "Vert", "Noir", "Blanc",
            "d", "p", "p\\xa759", "ok.png", "bad.png", "cmd.dat", "cmd", "Ext", "prog.dat", "1e300",
            "-2147483648", "0.0000001", "1073741824", "NaN"]
    for f in ["ABS", "ACOS", "ALE", "ASIN", "ATAN", "COS", "COSH", "FIX", "LOG", "MOD", "RND", "SGN", "SIN",
              "SINH", "SQR", "TAN", "AND", "OR", "XOR", "NOT", "ARR", "TXT(", "NBCR(", "NBP(", "ARG(", "VAR(",
              "LEF1(", "RIG1(", "LEFL(", "UCAS(", "REPL("]:
        mots.append(f)
    for v in ["%IREC", "%FILE", "%FIL1", "%PATH", "%DATE", "%ZOOM", "%FCMM", "%COUL", "%IMP", "%EOF", "%TAP",
              "%EPT", "%CEX", "%CEY", "%CTX", "%CTY", "%POL", "%AR0", "%CR", "%LF", "%PI", "%CLIPBOARD",
              "CLIPBOARD"]:
        mots.append(v)
    lignes = ["# Words of the program language for fuzz_program and fuzz_lineloop (written by make_program_corpus.py)."]
    lignes += [f'"{c} = "' for c in cles] + [f'"{c}"' for c in cles]
    lignes += [f'"{m}"' for m in mots]
    DICO.write_text("\n".join(lignes) + "\n", encoding="ascii")
    print(f"{len(seeds)} seeds, {len(lignes) - 1} dictionary words")


if __name__ == "__main__":
    main()
