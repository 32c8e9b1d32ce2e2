#include "editor/CommandDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "editor/EditorHost.h"
#include "editor/EditorInsertions.h"
#include "editor/MaskLookup.h"
#include "editor/ProgramEditor.h"
#include "editor/UndoRing.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString TexteMasq(int id) { return TexteRes(HoteEditeurCourant().BaseLangueMasq() + id); }

bool Commence(const QString& texte, const QString& debut) { return texte.startsWith(debut); }

// The old Split: an empty text gives no piece at all.
QStringList Decoupe(const QString& texte, const QString& sep) {
  if (texte.isEmpty()) return {};
  if (sep.isEmpty()) return {texte};
  return texte.split(sep);
}

bool EstOptionnel(const QString& libelle) {
  return libelle.startsWith(QLatin1Char('[')) &&
         (libelle.endsWith(QLatin1Char(']')) || libelle.contains(QLatin1Char('\r')) ||
          libelle.contains(QLatin1Char('\n')));
}

void Insere(QString& texte, int position, const QString& quoi) { texte.insert(position - 1, quoi); }

// Removes the first separator found after the first character, when there is one.
bool RetireSeparateur(QString& r, const QString& sep) {
  if (r.size() < 2) return false;
  const int pos = InStr(2, r, sep);
  if (pos == 0) return false;
  r.remove(pos - 1, sep.size());
  return true;
}

// A condition line: "IF" or "ELSEIF" begins it.
bool EstCondition(const QString& ligne) {
  const QString u = UCase(LTrim(ligne));
  return Commence(u, QStringLiteral("IF")) || Commence(u, QStringLiteral("ELSEIF"));
}

// The 1-based position of the "=" or blank that ends the keyword; a line without either gets a
// blank at its end. In a condition the "=" is the comparison's and the blank ends the keyword.
int FinDuMotCle(QString& L, bool siLigne) {
  int p = InStr(L, QStringLiteral("="));
  if (p > 0 && siLigne) p = InStr(L, QStringLiteral(" "));
  if (p == 0) p = InStr(L, QStringLiteral(" "));
  if (p == 0) {
    L += QLatin1Char(' ');
    p = L.size();
  }
  return p;
}

// The separator around the comparison operator after the keyword ending at p, and before the
// GOTO or THEN that follows (after it too, but in an ELSEIF).
void SepareCondition(QString& L, int p, const QString& sep, bool sinonSi) {
  const int egal = InStr(p + 1, L, QStringLiteral("="));
  const int inf = InStr(p + 1, L, QStringLiteral("<"));
  const int sup = InStr(p + 1, L, QStringLiteral(">"));
  int op = 0;
  if (egal > 0) {
    op = egal;
    if (inf > 0 && inf < op) op = inf;
    if (sup > 0 && sup < op) op = sup;
  } else {
    op = inf > 0 ? inf : sup;
  }
  if (op == 0) return;
  if (op > 1 && (Mid(L, op - 1, 1) == QLatin1String("<") || Mid(L, op - 1, 1) == QLatin1String(">"))) op--;
  const QString apres = Mid(L, op + 1, 1);
  const int longueur =
      (apres == QLatin1String("=") || apres == QLatin1String("<") || apres == QLatin1String(">")) ? 2 : 1;
  int b = op;
  while (b > 1 && Mid(L, b - 1, 1) == QLatin1String(" ")) b--;
  Insere(L, b, sep);
  Insere(L, op + 1 + longueur, sep);
  int mot = InStr(UCase(L), QStringLiteral("GOTO"));
  if (mot == 0) mot = InStr(UCase(L), QStringLiteral("THEN"));
  if (mot > 0) {
    b = mot;
    while (b > 1 && Mid(L, b - 1, 1) == QLatin1String(" ")) b--;
    Insere(L, b, sep);
    if (!sinonSi) Insere(L, mot + 1 + 4, sep);
  }
}

}  // namespace

// ---- building ----

ModeleCommande::ModeleCommande(const QString& ligne) : origine_(ligne), ligne_(ligne) {
  SepParam = Lecture.SepParam.isEmpty() ? QStringLiteral(",") : Lecture.SepParam;
  sepSous_ = Lecture.SepSousParam.isEmpty() ? QStringLiteral("§") : Lecture.SepSousParam;
  Label1 = QStringLiteral("Label1");
  Construit();
  if (Champs.empty()) Champs.push_back({QString(), QString(), SepParam});
}

void ModeleCommande::Construit() {
  QString& L = ligne_;
  const bool siLigne = EstCondition(L);
  int p = FinDuMotCle(L, siLigne);
  QString motCle = UCase(Trim(Left(L, p - 1)));
  if (motCle.contains(QLatin1Char('%'))) motCle = Left(motCle, InStr(motCle, QStringLiteral("%")));
  QString masque = Masque(motCle, CmdEditable, SigneEgal);

  if (Commence(Trim(L), QStringLiteral("'"))) return ListeCommandes(true);
  if (Trim(L).isEmpty() || masque.isEmpty()) return ListeCommandes(false);

  SepareParties(p, siLigne, masque);
  if (masque == QLatin1String(".")) {
    L.clear();
    masque = QStringLiteral("Commande non encore traitée");
  }
  ProposeVirgules();
  const QStringList valeurs = ValeursApresCle(p);
  DetacheImageEtCommentaire(masque);
  RemplitChamps(masque.split(QLatin1Char(';')), valeurs, p, siLigne);

  if (motCle == QLatin1String("BEZIER_AGR")) {
    RepAVLV(17);
    RepAVLV(21);
  } else if (motCle == QLatin1String("BEZIER") || motCle == QLatin1String("BEZIERP")) {
    RepAVLV(11);
    RepAVLV(15);
  }
  MetEnPageCommentaire();
}

// The statements whose parts are not all parted by the separator get it where the mask's fields
// expect it: the variable of an input, the operands of a condition, the name of an assignment.
void ModeleCommande::SepareParties(int& p, bool siLigne, const QString& masque) {
  QString& L = ligne_;
  const QString sep = SepParam;
  const QString u = UCase(LTrim(L));
  if (Commence(u, QStringLiteral("INPUT"))) {
    if (L.size() > p) {
      const QString c = Mid(L, p + 1, 1);
      Insere(L, (c == QLatin1String("=") || c == QLatin1String("<")) ? p + 2 : p + 1, sep);
    }
    p -= 1;
  } else if (siLigne) {
    SepareCondition(L, p, sep, Commence(u, QStringLiteral("ELSEIF")));
  } else if (Commence(u, QStringLiteral("%"))) {
    if (L.size() <= p) {
      L = Left(L, p - 1) + sep + Mid(L, p, 1);
    } else {
      const QString c = Mid(L, p + 1, 1);
      const int n = (c == QLatin1String("=") || c == QLatin1String("<")) ? 2 : 1;
      L = Left(L, p - 1) + sep + Mid(L, p, n) + sep + Mid(L, p + n);
    }
    const QString description = masque.section(QLatin1Char(';'), 0, 0);
    L = description + QStringLiteral("=") + L;
    p = description.size() + 1;
    Label1 = description;
  }
}

// A statement written with commas while another separator is in force: the user may take commas.
void ModeleCommande::ProposeVirgules() {
  const QString& L = ligne_;
  if (SepParam == QLatin1String(",")) return;
  const int sansSep = QString(L).remove(SepParam).size();
  const int sansVirgules = QString(L).remove(QLatin1Char(',')).size();
  if (sansSep < sansVirgules) return;
  const QString question = QStringLiteral("ATTENTION: Remplacer/replace Separateur \"") + SepParam +
                           QStringLiteral("\" par/by \",\" ?");
  if (Dialogues().MsgBox(question, Boutons::OuiNon, QCoreApplication::applicationName()) != Reponse::Non) {
    SepParam = QStringLiteral(",");
  }
}

// The parameters after the keyword. A polygon that starts with a point has no colour: its colour
// field stays empty.
QStringList ModeleCommande::ValeursApresCle(int p) const {
  const QString& L = ligne_;
  const QString apresCle = Mid(L, p + 1);
  QStringList valeurs = Decoupe(apresCle, SepParam);
  if (Commence(UCase(LTrim(L)), QStringLiteral("POLY")) && Mid(UCase(LTrim(L)), 5, 1) != QLatin1String("R") &&
      valeurs.size() >= 2 && ValeurCouleur(valeurs[0]).EstVide() && valeurs.size() % 2 == 0) {
    valeurs.prepend(apresCle.startsWith(QLatin1Char(' ')) ? QStringLiteral(" ") : QString());
  }
  return valeurs;
}

// The mask's picture line ("@I") and its explanatory text ("@C") are no fields.
void ModeleCommande::DetacheImageEtCommentaire(QString& masque) {
  const int image = masque.indexOf(QStringLiteral("\n@I "));
  if (image >= 0) {
    LigneImage = masque.mid(image + 4);
    masque = masque.left(image);
  }
  const int c = InStr(masque, QStringLiteral("@C"));
  if (c > 0) {
    const int debut =
        std::max(InStrRev(masque, QStringLiteral(";"), c), InStrRev(masque, QStringLiteral("$"), c));
    TexteCommentaire = Mid(masque, debut + 1);
    masque = Left(masque, c + 4);
  }
}

// One field per parameter ("...;") and sub-parameter ("...$") of the mask, with the statement's
// values; the values beyond the mask's fields go to the last field.
void ModeleCommande::RemplitChamps(const QStringList& parties, const QStringList& valeurs, int p,
                                   bool siLigne) {
  const int n = parties.size() - 1;
  if (Label1 == QLatin1String("Label1")) Label1 = Left(ligne_, p) + QStringLiteral(" : ") + parties[0];
  int decalage = 0;
  for (int i = 1; i <= n; ++i) {
    const QStringList pieces = parties[i].split(QLatin1Char('$'));
    const int v = i - 1 + decalage;
    QStringList sous;
    if (v < valeurs.size() && !valeurs[v].isEmpty()) sous = valeurs[v].split(sepSous_);
    const int premier = static_cast<int>(Champs.size());
    for (int j = 0; j < pieces.size() && Champs.size() < static_cast<size_t>(MaxChamps); ++j) {
      ChampCommande champ{pieces[j], QString(), j == 0 ? SepParam : sepSous_, EstOptionnel(pieces[j]), j > 0};
      if (j < sous.size()) {
        champ.Valeur = sous[j];
        if (i == 3 && sous[j] == QLatin1String("%%")) {
          if (valeurs.size() > 3) champ.Valeur += QStringLiteral(",") + valeurs[3];
          decalage = 1;
        }
      }
      Champs.push_back(champ);
    }
    if (static_cast<int>(Champs.size()) > premier) {
      for (int j = pieces.size(); j < sous.size(); ++j) Champs.back().Valeur += sepSous_ + sous[j];
    }
  }
  if (!Champs.empty()) RegroupeDernierChamp(valeurs, n, decalage, siLigne);
}

// The values beyond the fields join the last one; a text, a condition with THEN, a variable or a
// field open to more values ("[...]") takes its whole tail as one value.
void ModeleCommande::RegroupeDernierChamp(const QStringList& valeurs, int n, int decalage, bool siLigne) {
  for (int v = n + decalage; v < valeurs.size(); ++v) Champs.back().Valeur += SepParam + valeurs[v];
  const QString um = UCase(LTrim(ligne_));
  const bool regroupe = (siLigne && um.contains(QStringLiteral("THEN"))) ||
                        Commence(um, QStringLiteral("TEXTE")) ||
                        Commence(LTrim(Champs.front().Valeur), QStringLiteral("%")) ||
                        (Champs.back().Libelle.contains(QStringLiteral("[...]")) && valeurs.size() > n);
  if (regroupe && !Champs.back().SousParam && n >= 1 && n - 1 < valeurs.size()) {
    QString texte = valeurs[n - 1];
    for (int v = n; v < valeurs.size(); ++v) texte += SepParam + valeurs[v];
    Champs.back().Valeur = texte;
  }
}

// The explanatory text: "@C " and two layout letters, then the text shown below the fields.
void ModeleCommande::MetEnPageCommentaire() {
  if (!Champs.empty() && TexteCommentaire.contains(QStringLiteral("@C "))) {
    const int pc = InStr(TexteCommentaire, QStringLiteral("@C"));
    const int retrait = (pc > 2 && Mid(TexteCommentaire, pc - 2, 1) == QLatin1String("\r")) ? 3 : 2;
    if (!Champs.back().Libelle.isEmpty())
      Champs.back().Libelle = Left(TexteCommentaire, std::max(0, pc - retrait));
  }
  if (!TexteCommentaire.isEmpty()) {
    const int pc = InStr(TexteCommentaire, QStringLiteral("@C "));
    if (pc > 0) {
      CodeMiseEnPage = Mid(TexteCommentaire, pc + 3, 2);
      int debut = pc + 5;
      if (Mid(TexteCommentaire, debut, 1) == QLatin1String("\r")) debut++;
      if (Mid(TexteCommentaire, debut, 1) == QLatin1String("\n")) debut++;
      TexteCommentaire = Mid(TexteCommentaire, debut);
    } else {
      TexteCommentaire.clear();
    }
  }
}

void ModeleCommande::ListeCommandes(bool commentaire) {
  ligne_.clear();
  Champs.clear();
  if (commentaire) {
    const QString texte = TexteMasq(301);
    Label1 = texte.section(QLatin1Char(';'), 0, 0);
    return;
  }
  QString texte = TexteMasq(341) + Shell.CmdExternes.join(QStringLiteral(", ")) + QStringLiteral(".");
  const int c = InStr(texte, QStringLiteral("@C "));
  if (c == 0) {
    Label1 = texte;
    return;
  }
  Label1 = Left(texte, c - 1);
  while (Label1.endsWith(QLatin1Char('\n')) || Label1.endsWith(QLatin1Char('\r'))) Label1.chop(1);
  texte = Mid(texte, c);
  CodeMiseEnPage = Mid(texte, 4, 2);
  int debut = 6;
  if (Mid(texte, debut, 1) == QLatin1String("\r")) debut++;
  if (Mid(texte, debut, 1) == QLatin1String("\n")) debut++;
  TexteCommentaire = Mid(texte, debut);
}

void ModeleCommande::RepAVLV(int n) {
  if (n < 3 || n + 1 > static_cast<int>(Champs.size())) return;
  QString& x0t = Champs[n - 3].Valeur;
  const QString& y0t = Champs[n - 2].Valeur;
  QString& xt = Champs[n - 1].Valeur;
  QString& yt = Champs[n].Valeur;
  if (!x0t.startsWith(QStringLiteral("  "))) x0t = QStringLiteral("  ") + x0t;
  const auto relatif = [](const QString& t) {
    return t.contains(QLatin1Char('R')) || t.contains(QLatin1Char('r'));
  };
  if (xt.isEmpty() || yt.isEmpty() || xt.contains(QStringLiteral("°"))) return;
  if (x0t.isEmpty() || y0t.isEmpty() || relatif(x0t) || relatif(y0t)) return;
  // The last field gathers the values of the following curves: only its first value is the
  // vector's, the others stay as they were typed.
  const int finValeur = yt.indexOf(SepParam);
  const QString suite = finValeur >= 0 ? yt.mid(finValeur) : QString();
  const float x0 = static_cast<float>(Val(x0t)), y0 = static_cast<float>(Val(y0t));
  const float x = static_cast<float>(Val(xt)), y = static_cast<float>(Val(yt));
  const float dx = x - x0, dy = y - y0;
  const float l = std::sqrt(dx * dx + dy * dy);
  constexpr double pi = 3.14159265358979;
  double a = l == 0 ? 0.0 : ArcSin(dy / l);
  if (dx < 0) a = pi - a;
  xt = FormatPoint(a * 180 / pi, QStringLiteral("#.0")) + QStringLiteral("°");
  yt = FormatPoint(l, QStringLiteral("#.0")) + suite;
}

// ---- rebuilding ----

QString ModeleCommande::Reconstruit(int* etapes) {
  int nb = 1;
  while (origine_.startsWith(QLatin1Char('%')) && !Champs.empty() &&
         !LTrim(Champs.front().Valeur).startsWith(QLatin1Char('%'))) {
    Champs.front().Valeur = QStringLiteral("%") + LTrim(Champs.front().Valeur);
    nb = 2;
  }
  if (etapes) *etapes = nb;
  return LigneReconstruite();
}

QString ModeleCommande::LigneReconstruite() {
  int n = static_cast<int>(Champs.size());
  while (n >= 1 && Trim(Champs[n - 1].Valeur).isEmpty()) n--;
  QString r;
  bool vu = false;
  for (int i = n; i >= 1; --i) {
    const ChampCommande& champ = Champs[i - 1];
    r = champ.Valeur + r;
    if (champ.Sep != SepParam) {
      if (!champ.Valeur.isEmpty()) {
        r = champ.Sep + r;
        vu = true;
      } else if (vu) {
        r = champ.Sep + r;
      }
    } else {
      r = SepParam + r;
      vu = false;
    }
  }

  const QString titre = UCase(LTrim(Label1));
  const bool siLigne = Commence(titre, QStringLiteral("IF")) || Commence(titre, QStringLiteral("ELSEIF"));
  QString label = Label1;
  QString signe = SigneEgal;
  // The "=" of an IF comparison is no assignment sign: the keyword keeps its blank.
  if (ligne_.contains(QLatin1Char('=')) && !siLigne) {
    signe.clear();
    if (Commence(titre, QStringLiteral("GOTO"))) {
      const int e = label.indexOf(QLatin1Char('='));
      if (e >= 0) label.remove(e, 1);
    }
  }
  const int deuxPoints = label.indexOf(QLatin1Char(':'));
  const QString k = RTrim(deuxPoints >= 0 ? label.left(deuxPoints) : label);

  if (Commence(titre, QStringLiteral("INPUT"))) {
    RetireSeparateur(r, SepParam);
    return Left(Label1, 5) + QStringLiteral(" ") + signe + Mid(r, 2);
  }
  if (Commence(titre, QStringLiteral("POLY")) && Mid(titre, 5, 1) != QLatin1String("R")) {
    if (r.count(SepParam) % 2 == 0) r += SepParam;
    if (!Champs.empty() && Trim(Champs.front().Valeur).isEmpty() && Mid(r, 2, SepParam.size()) == SepParam) {
      return k + signe + Mid(r, 2 + SepParam.size());
    }
    return k + signe + Mid(r, 2);
  }
  if (siLigne) {
    RetireSeparateur(r, SepParam);
    RetireSeparateur(r, SepParam);
    for (int i = 0; i < 2 && r.size() >= 2; ++i) {
      const int pos = InStr(2, r, SepParam);
      if (pos == 0) break;
      if (Mid(r, pos + SepParam.size(), 1) == QLatin1String(" ")) {
        r.remove(pos - 1, SepParam.size());
      } else {
        r.replace(pos - 1, SepParam.size(), QStringLiteral(" "));
      }
    }
    return k + signe + Mid(r, 2);
  }
  if (origine_.startsWith(QLatin1Char('%')) && r.startsWith(SepParam + QStringLiteral("%"))) {
    RetireSeparateur(r, SepParam);
    RetireSeparateur(r, SepParam);
    return Mid(r, 2);
  }
  return k + signe + Mid(r, 2);
}

// ---- taking the statement out of the editor ----

InstructionMasque PrendInstruction(const QString& t, int debutLigne) {
  InstructionMasque res;
  const int d = debutLigne + 1;
  const int longueur = t.size();
  if (d > 4 && Mid(t, d - 4, 2) == QLatin1String(" _")) {
    res.Ligne = QStringLiteral("Suite");
    res.Suite = true;
    res.Debut = res.Fin = d;
    return res;
  }
  const auto cherche = [&t, longueur](int depuis, const QString& quoi) {
    return depuis > longueur ? 0 : InStr(depuis, t, quoi);
  };
  int f = cherche(d, kCrLf);
  if (f == 0) f = longueur + 1;
  const int premiere = cherche(d, QStringLiteral("'"));
  int q = premiere;
  while (q > 1 && Mid(t, q - 1, 3) == QLatin1String("\"'\"")) {
    q = cherche(q + 1, QStringLiteral("'"));
    if (q > f) q = 0;
  }
  if (q > f) q = 0;
  if (q > 0) {
    const QString avant = Mid(t, d, premiere - d);
    const bool blancs = std::all_of(avant.begin(), avant.end(),
                                    [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); });
    if (Mid(t, d, 1) == QLatin1String("%")) {
      f = q;
    } else if (Commence(UCase(LTrim(Mid(t, d))), QStringLiteral("TEXTE"))) {
    } else if (blancs) {
    } else {
      f = q;
      if (f > 2) {
        while (f > d && Mid(t, f - 1, 1) == QLatin1String("\t")) f--;
        while (f > d && Mid(t, f - 1, 1) == QLatin1String(" ")) f--;
      }
    }
  }
  QString l = Trim(Mid(t, d, f - d));
  // The last line of the text may itself end with " _": the statement then stops there.
  while (l.endsWith(QStringLiteral(" _")) && f <= longueur) {
    f = cherche(f + 1, kCrLf);
    if (f == 0) f = longueur + 1;
    l = Trim(Mid(t, d, f - d));
  }
  l = Replace(l, QStringLiteral(" _") + kCrLf, QString());
  res.Ligne = Replace(l, QStringLiteral("\t"), QString());
  res.Debut = res.Ligne.isEmpty() ? d : std::max(d, cherche(d, Left(res.Ligne, 1)));
  res.Fin = std::max(f, res.Debut);
  return res;
}

// ---- the dialog ----

FrmCmd::FrmCmd(ModeleCommande& modele, const QString& titre, const QFont& police, QWidget* parent)
    : QDialog(parent), modele_(modele), police_(police) {
  setWindowTitle(titre);
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setModal(true);
  auto* colonne = new QVBoxLayout(this);
  auto* haut = new QLabel(modele_.Label1, this);
  QFont gras = haut->font();
  gras.setBold(true);
  haut->setFont(gras);
  haut->setWordWrap(true);
  haut->setStyleSheet(QStringLiteral("color: blue"));
  colonne->addWidget(haut);
  auto* grille = new QGridLayout();
  colonne->addLayout(grille);
  int ligne = 0;
  for (const ChampCommande& champ : modele_.Champs) {
    auto* libelle = new QLabel(champ.Libelle, this);
    libelle->setWordWrap(true);
    // Optional parameters in light 9 points, the others in bold 8 points.
    QFont f = libelle->font();
    f.setBold(!champ.Optionnel);
    f.setPointSizeF(champ.Optionnel ? 9 : 8);
    libelle->setFont(f);
    libelles_.push_back(libelle);
    auto* valeur = new QLineEdit(champ.Valeur, this);
    if (champ.SousParam) valeur->setContentsMargins(20, 0, 0, 0);
    valeur->installEventFilter(this);
    const int index = ligne + 1;
    connect(valeur, &QLineEdit::textChanged, this, [this, index](const QString& texte) {
      modele_.Champs[index - 1].Valeur = texte;
      if (pret_ && modele_.CmdEditable) ok_->setEnabled(true);
    });
    grille->addWidget(libelle, ligne, 0);
    grille->addWidget(valeur, ligne, 1);
    valeurs_.push_back(valeur);
    ++ligne;
  }
  grille->setColumnStretch(0, 2);
  grille->setColumnStretch(1, 1);
  if (!modele_.TexteCommentaire.isEmpty()) {
    auto* commentaire = new QLabel(modele_.TexteCommentaire, this);
    commentaire->setWordWrap(true);
    commentaire->setStyleSheet(QStringLiteral("color: blue"));
    const QChar alignement = Mid(modele_.CodeMiseEnPage + QStringLiteral("  "), 1, 1).at(0);
    if (alignement == QLatin1Char('L')) commentaire->setAlignment(Qt::AlignLeft);
    if (alignement == QLatin1Char('R')) commentaire->setAlignment(Qt::AlignRight);
    if (alignement == QLatin1Char('C')) commentaire->setAlignment(Qt::AlignHCenter);
    QFont f = commentaire->font();
    f.setBold(Mid(modele_.CodeMiseEnPage, 2, 1) == QLatin1String("B"));
    commentaire->setFont(f);
    colonne->addWidget(commentaire);
  }
  auto* boutons = new QHBoxLayout();
  boutons->addStretch();
  ok_ = new QPushButton(QStringLiteral("Valider - OK"), this);
  auto* annuler = new QPushButton(QStringLiteral("Abandon - Cancel"), this);
  ok_->setAutoDefault(false);
  annuler->setAutoDefault(false);
  ok_->setEnabled(false);
  boutons->addWidget(ok_);
  boutons->addWidget(annuler);
  colonne->addLayout(boutons);
  connect(ok_, &QPushButton::clicked, this, [this] { Cmd_OK_Click(); });
  connect(annuler, &QPushButton::clicked, this, [this] { Cmd_Cancel_Click(); });
  valeurs_.front()->setEnabled(modele_.CmdEditable);
  if (modele_.CmdEditable) valeurs_.front()->setFocus();
  resize(720, sizeHint().height());
  pret_ = true;
}

void FrmCmd::Cmd_OK_Click() {
  ligneMasque_ = modele_.Reconstruit(&etapes_);
  fini_ = true;
  accept();
}

void FrmCmd::Cmd_Cancel_Click() {
  ligneMasque_.clear();
  etapes_ = 0;
  fini_ = true;
  reject();
}

void FrmCmd::closeEvent(QCloseEvent* e) {
  if (!fini_) {
    ligneMasque_.clear();
    etapes_ = 0;
  }
  QDialog::closeEvent(e);
}

void FrmCmd::ChoixCouleur() {
  // The picker's own window takes the focus away from the field.
  const int champ = champActif_;
  if (champ == 0) return;
  const auto couleur = DialoguesIns().Couleur();
  if (couleur) ParaVal(champ)->setText(TexteCouleur(*couleur, true));
}

void FrmCmd::ChoixPolice() {
  const int champ = champActif_;
  if (champ == 0) return;
  const bool ecran = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
  const auto police = DialoguesIns().Police(police_, ecran);
  if (police) ParaVal(champ)->setText(police->family());
}

void FrmCmd::ChoixFichier() {
  const int champ = champActif_;
  if (champ == 0) return;
  const QStringList fichiers = DialoguesIns().Fichiers(TexteMsg(106) + QStringLiteral(" (*)"), false);
  if (!fichiers.isEmpty() && !fichiers.front().isEmpty()) {
    ParaVal(champ)->setText(Replace(fichiers.front(), QString(QChar(0)), modele_.SepParam));
  }
}

void FrmCmd::Active(int index) {
  ParaVal(index)->setFocus();
  champActif_ = index;
}

bool FrmCmd::Touche(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (ok_->isEnabled()) {
        Cmd_OK_Click();
      } else {
        Cmd_Cancel_Click();
      }
      return true;
    case Qt::Key_Escape:
    case Qt::Key_F2:
      Cmd_Cancel_Click();
      return true;
    case Qt::Key_Down:
      if (champActif_ > 0 && champActif_ < static_cast<int>(valeurs_.size())) Active(champActif_ + 1);
      return true;
    case Qt::Key_Up:
      if (champActif_ > 1) Active(champActif_ - 1);
      return true;
    case Qt::Key_C:
    case Qt::Key_P:
    case Qt::Key_L:
      if (mods != Qt::AltModifier) return false;
      if (e->key() == Qt::Key_C) ChoixCouleur();
      if (e->key() == Qt::Key_P) ChoixPolice();
      if (e->key() == Qt::Key_L) ChoixFichier();
      return true;
    default:
      return false;
  }
}

bool FrmCmd::eventFilter(QObject* objet, QEvent* e) {
  const auto it = std::find(valeurs_.begin(), valeurs_.end(), objet);
  if (it != valeurs_.end()) {
    const int index = static_cast<int>(it - valeurs_.begin()) + 1;
    if (e->type() == QEvent::FocusIn) champActif_ = index;
    if (e->type() == QEvent::FocusOut) champActif_ = 0;
    if (e->type() == QEvent::KeyPress) {
      // A key reaches the field that has the focus, even where the window system tells it late.
      champActif_ = index;
      if (Touche(static_cast<QKeyEvent*>(e))) return true;
    }
  }
  return QDialog::eventFilter(objet, e);
}

void FrmCmd::keyPressEvent(QKeyEvent* e) {
  if (!Touche(e)) QDialog::keyPressEvent(e);
}

// ---- the menu command ----

void Mnu_Masque_Click(EditeurProgramme& editeur, AnneauAnnulation& annulation, QWidget* parent) {
  EditeurTexte& modele = editeur.Modele();
  const InstructionMasque instr = PrendInstruction(modele.Text(), editeur.DebutLigne());
  const QString titre = TexteRes(HoteEditeurCourant().BaseLangueMenu() + 86) + QStringLiteral(" ") +
                        (instr.Suite ? QString() : instr.Ligne);
  QGuiApplication::restoreOverrideCursor();
  ModeleCommande commande(instr.Ligne);
  FrmCmd dialogue(commande, titre, editeur.font(), parent);
  dialogue.exec();
  const QString reponse = dialogue.LigneMasque();
  if (reponse.isEmpty() || instr.Suite) return;
  for (int i = 0; i < dialogue.EtapesAnnulation(); ++i) annulation.EnregistreAnnulation(32, 0);
  modele.SetSelStart(instr.Debut - 1);
  modele.SetSelLength(instr.Fin - instr.Debut);
  modele.SetSelText(reponse);
  modele.SetSelStart(instr.Debut - 1);
  editeur.ColoreTexte(instr.Debut - 1, reponse.size());
  annulation.EnregistreAnnulation(-13, 0);
  editeur.AnnulationArmee = true;
}
