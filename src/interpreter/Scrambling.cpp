#include "interpreter/Scrambling.h"

#include <vector>

#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/TextFile.h"

using namespace legacy;

const std::array<int16_t, 46> TableCodage = {0,   23, 181, 77,  142, 9,   214, 66,  199, 38, 121, 250,
                                             13,  87, 164, 201, 52,  118, 233, 29,  176, 95, 140, 61,
                                             208, 17, 227, 104, 71,  189, 46,  155, 240, 82, 127, 19,
                                             196, 58, 113, 171, 36,  222, 99,  150, 5,   185};

std::array<int16_t, 46> TablePermutation{};

namespace {

constexpr int TailleBloc = 45;
constexpr int LongueurMax = 32580;  // the length field's two characters hold at most this much
constexpr int DebutCorps = 152;     // the body starts after this many characters
constexpr int PositionGraine = 147;
const QByteArray EnTete =
    QByteArrayLiteral("' Fichier de commande externe de Morvo/ Morvo external cmd file.");

const QString DetailIllisible = QStringLiteral(
    "Fichier de commande externe illisible / Unreadable external command file / "
    "Externe Befehlsdatei unlesbar\r\n\r\n");

// The code of the character at a 1-based position.
int Code(const QByteArray& s, int pos) { return static_cast<uint8_t>(s[pos - 1]); }

void DefinitCode(QByteArray& s, int pos, int code) {
  s[pos - 1] = static_cast<char>(static_cast<uint8_t>(code));
}

// The text as the file's single-byte characters, in the encoding its whole reads back in.
QByteArray VersOctets(const QString& texte) { return EncodeTexte(texte); }

QByteArray SansBlancsFinaux(const QByteArray& s) {
  qsizetype n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.left(n);
}

void TirePermutation(const QByteArray& s) {
  Tirage(TailleBloc, 1, TailleBloc, -static_cast<float>(Code(s, PositionGraine)));
}

}  // namespace

void Tirage(int n, int a, int b, float graine) {
  const int d = b - a;
  if (d + 1 < n || n > static_cast<int>(TablePermutation.size()) - 1) {
    Dialogues().MsgBox(
        QStringLiteral("Il est impossible de tirer %1nombres dans la fourchette comprise entre %2 et "
                       "%3 qui ne comprend que %4 nombres, VOYONS !!!")
            .arg(n)
            .arg(a)
            .arg(b)
            .arg(d + 1),
        Boutons::Ok, QStringLiteral("Morvo"));
    return;
  }
  std::vector<int16_t> reserve(static_cast<size_t>(d + 2));
  for (int i = 0; i <= d; ++i) reserve[static_cast<size_t>(i)] = static_cast<int16_t>(a + i);
  const float dernier = Rnd(0);
  Randomize();
  Rnd(graine);
  for (int j = 0; j < n; ++j) {
    const float r = Rnd();
    const int k = static_cast<int>(Int(static_cast<float>(d - j) * r));
    TablePermutation[static_cast<size_t>(j + 1)] = reserve[static_cast<size_t>(k)];
    reserve[static_cast<size_t>(k)] = reserve[static_cast<size_t>(d - j)];
  }
  Rnd(-dernier);
}

QByteArray CodeFicExterne(const QString& texte) {
  QByteArray s = SansBlancsFinaux(VersOctets(texte));
  const int longueur = static_cast<int>(s.size());
  if (longueur > LongueurMax) LeveErreurExecution(QStringLiteral("overflow"));
  s.append(90, ' ');

  Randomize();
  QByteArray h = EnTete;
  h.append(98 - h.size(), ' ');
  h.append("\r\n");
  for (int i = 0; i < 52; ++i) {
    h.append(static_cast<char>(static_cast<uint8_t>(ArrondiPair(static_cast<double>(Rnd()) * 222.0 + 32.0))));
  }

  TirePermutation(h);
  DefinitCode(h, 100 + TablePermutation[1], longueur / 200 + 32);
  DefinitCode(h, 100 + TablePermutation[2], longueur % 200 + 32);

  for (int k = 1; k <= longueur + TailleBloc; ++k) {
    const int j = TablePermutation[static_cast<size_t>(k % TailleBloc + 1)];
    const int c = Code(s, (k - 1) / TailleBloc * TailleBloc + j);
    h.append(static_cast<char>(static_cast<uint8_t>(c ^ TableCodage[static_cast<size_t>(j)])));
  }
  return h;
}

QString DecodeFicExterne(const QByteArray& contenu) {
  if (contenu.size() < DebutCorps) ErreurRun(DetailIllisible);
  TirePermutation(contenu);
  const int longueur =
      (Code(contenu, 100 + TablePermutation[1]) - 32) * 200 + Code(contenu, 100 + TablePermutation[2]) - 32;
  if (longueur < 0 || longueur > LongueurMax) ErreurRun(DetailIllisible);

  QByteArray sortie;
  int pos = DebutCorps + 1;
  do {
    if (pos + TailleBloc - 1 > contenu.size()) ErreurRun(DetailIllisible);
    QByteArray bloc(TailleBloc, ' ');
    for (int i = 0; i < TailleBloc; ++i, ++pos) {
      const int j = TablePermutation[static_cast<size_t>((pos - DebutCorps) % TailleBloc + 1)];
      bloc[j - 1] =
          static_cast<char>(static_cast<uint8_t>(Code(contenu, pos) ^ TableCodage[static_cast<size_t>(j)]));
    }
    sortie.append(bloc);
  } while (pos <= longueur + DebutCorps);

  sortie = SansBlancsFinaux(sortie);
  if (sortie.size() != longueur) ErreurRun(DetailIllisible);
  return NormaliseFinsDeLigne(DecodeTexte(sortie));
}
