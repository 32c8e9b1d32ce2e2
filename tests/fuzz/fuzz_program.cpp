// Whole programs in a folder of data, point, picture and command files (see FuzzProgram.h).
//
// Besides libFuzzer's byte mutations, a mutator that knows the shape of a program line: it puts
// extreme numbers into fields and sub-fields, swaps keywords over the same parameters, adds
// sub-fields and copies lines between inputs. Byte mutations alone rarely keep a line readable.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzProgram.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* donnees, size_t taille, size_t tailleMax);

namespace {

constexpr std::string_view Nombres[] = {"0",
                                        "-0",
                                        "1",
                                        "-1",
                                        "0.5",
                                        "2",
                                        "1e300",
                                        "-1e300",
                                        "1e-300",
                                        "1e38",
                                        "3.5e38",
                                        "-3.5e38",
                                        "1e39",
                                        "2147483647",
                                        "2147483648",
                                        "-2147483648",
                                        "1073741824",
                                        "-1073741825",
                                        "32767",
                                        "32768",
                                        "-32769",
                                        "65536",
                                        "0.0000000000001",
                                        "1E-13",
                                        "1e15",
                                        "-1e15",
                                        "360",
                                        "-360",
                                        "720",
                                        "90",
                                        "4096",
                                        "50001",
                                        "1e300R",
                                        "0R",
                                        "1e-30R",
                                        "1e300mm",
                                        "100mm",
                                        "99999999",
                                        "-99999999",
                                        "1e308*10",
                                        "0/0",
                                        "-1e300/1e-300",
                                        "1.5E+20",
                                        "9e9"};

constexpr std::string_view MotsCles[] = {
    "ZoomIni",    "ZoomIniI", "Couleur", "Cadre",   "CadreP",   "CadreA",   "CadreAP",    "TailleP",
    "Police",     "EpaisT",   "Texte",   "TexteC",  "QA",       "QA12",     "Trait",      "CentreE",
    "CentreEI",   "CT",       "Decal",   "Plus",    "X",        "Arc",      "Sect",       "SectP",
    "Droite",     "DroiteV",  "Cercle",  "CercleP", "CerclePI", "Exposant", "Inversion",  "Grad",
    "Grad1",      "Val1",     "ValR",    "Val",     "Percer",   "Voyant",   "Poly",       "PolyR",
    "PolyRP",     "DemiLune", "FlecheP", "Image",   "Fichier",  "FormatI",  "Separateur", "PalCoul",
    "PalCoul3",   "Plot",     "PlotP",   "PlotS",   "Chain",    "RefCur",   "Bezier",     "BezierP",
    "Bezier_aGr", "AngRot",   "Cote",    "Ext",     "Open",     "LVar"};

// Whole lines that change the state the following lines draw in.
constexpr std::string_view Lignes[] = {"Separateur = ;",
                                       "EpaisT = 3mm\xa7"
                                       "R\xa7"
                                       "2\xa7"
                                       "1",
                                       "Couleur = RGB 1 2 3",
                                       "ZoomIni = 1e-5",
                                       "FormatI = Paysage",
                                       "CentreE = 10, 10",
                                       "Decal = 5, Rouge",
                                       "AngRot = 45",
                                       "Arc = -30, 210, 60",
                                       "Droite = 0, 100, 0",
                                       "Exposant = 2",
                                       "Inversion",
                                       "' imprime",
                                       "%A = 1e300",
                                       "TailleP = 1e30",
                                       "Options#$ = Plot, 60000, , OptMaxPlot"};

std::vector<std::string>& Reserve() {
  static std::vector<std::string> lignes;
  return lignes;
}

std::vector<std::string> Decoupe(const std::string& texte) {
  std::vector<std::string> lignes;
  size_t debut = 0;
  for (;;) {
    const size_t fin = texte.find('\n', debut);
    if (fin == std::string::npos) {
      lignes.push_back(texte.substr(debut));
      return lignes;
    }
    size_t f = fin;
    if (f > debut && texte[f - 1] == '\r') --f;
    lignes.push_back(texte.substr(debut, f - debut));
    debut = fin + 1;
  }
}

std::string Joint(const std::vector<std::string>& lignes) {
  std::string t;
  for (size_t i = 0; i < lignes.size(); ++i) {
    if (i > 0) t += "\r\n";
    t += lignes[i];
  }
  return t;
}

bool EstChiffre(char c) { return c >= '0' && c <= '9'; }

// Start and length of every number of the line.
std::vector<std::pair<size_t, size_t>> Nombresde(const std::string& l) {
  std::vector<std::pair<size_t, size_t>> n;
  for (size_t i = 0; i < l.size();) {
    if (!EstChiffre(l[i])) {
      ++i;
      continue;
    }
    size_t d = i;
    if (d > 0 && (l[d - 1] == '-' || l[d - 1] == '.')) --d;
    while (i < l.size() && (EstChiffre(l[i]) || l[i] == '.' || l[i] == 'e' || l[i] == 'E')) ++i;
    n.emplace_back(d, i - d);
  }
  return n;
}

// Positions just after each field or sub-field separator ("," and "§" in either encoding).
std::vector<size_t> Separateurs(const std::string& l) {
  std::vector<size_t> s;
  for (size_t i = 0; i < l.size(); ++i) {
    if (l[i] == ',' || l[i] == '=' || l[i] == '\xa7') s.push_back(i + 1);
  }
  s.push_back(l.size());
  return s;
}

template <size_t N>
std::string_view Tire(const std::string_view (&a)[N], std::minstd_rand& g) {
  return a[g() % N];
}

void MuteLigne(std::vector<std::string>& lignes, std::minstd_rand& g) {
  if (lignes.empty()) lignes.emplace_back();
  std::string& l = lignes[g() % lignes.size()];
  switch (g() % 8) {
    case 0:
    case 1: {  // an extreme number in place of a number
      const auto n = Nombresde(l);
      if (!n.empty()) {
        const auto [d, t] = n[g() % n.size()];
        l.replace(d, t, Tire(Nombres, g));
        break;
      }
      [[fallthrough]];
    }
    case 2: {  // an extreme number as a new sub-field or field
      const auto s = Separateurs(l);
      const size_t p = s[g() % s.size()];
      std::string ajout = (g() % 2 ? "\xa7" : ",");
      ajout += Tire(Nombres, g);
      l.insert(p == l.size() ? p : p - 1, ajout);
      break;
    }
    case 3: {  // another keyword over the same parameters
      const size_t egal = l.find('=');
      l = std::string(Tire(MotsCles, g)) + " = " + (egal == std::string::npos ? l : l.substr(egal + 1));
      break;
    }
    case 4: {  // an empty field
      const auto s = Separateurs(l);
      const size_t p = s[g() % s.size()];
      size_t f = p;
      while (f < l.size() && l[f] != ',' && l[f] != '\xa7') ++f;
      l.erase(p, f - p);
      break;
    }
    case 5:  // a line of another input, or one that changes the drawing state
      if (!Reserve().empty() && g() % 2) {
        lignes.insert(lignes.begin() + static_cast<long>(g() % (lignes.size() + 1)),
                      Reserve()[g() % Reserve().size()]);
      } else {
        lignes.insert(lignes.begin() + static_cast<long>(g() % (lignes.size() + 1)),
                      std::string(Tire(Lignes, g)));
      }
      break;
    case 6:  // the line twice
      lignes.insert(lignes.begin() + static_cast<long>(g() % (lignes.size() + 1)), l);
      break;
    default:  // no line at all
      if (lignes.size() > 1) lignes.erase(lignes.begin() + static_cast<long>(g() % lignes.size()));
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) {
  ExecuteProgrammeFuzz(donnees, taille);
  return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* donnees, size_t taille, size_t tailleMax,
                                          unsigned int graine) {
  std::minstd_rand g(graine);
  if (g() % 3 == 0) return LLVMFuzzerMutate(donnees, taille, tailleMax);
  std::vector<std::string> lignes = Decoupe(std::string(reinterpret_cast<const char*>(donnees), taille));
  // Keep a few lines of every input for the others.
  auto& reserve = Reserve();
  for (const std::string& l : lignes) {
    if (l.size() < 2 || l.size() > 200) continue;
    if (reserve.size() < 4000) {
      reserve.push_back(l);
    } else if (g() % 16 == 0) {
      reserve[g() % reserve.size()] = l;
    }
  }
  const int fois = 1 + static_cast<int>(g() % 3);
  for (int i = 0; i < fois; ++i) MuteLigne(lignes, g);
  const std::string t = Joint(lignes);
  if (t.size() > tailleMax) return LLVMFuzzerMutate(donnees, taille, tailleMax);
  std::memcpy(donnees, t.data(), t.size());
  return t.size();
}
