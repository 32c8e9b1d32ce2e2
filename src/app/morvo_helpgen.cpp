// morvo-helpgen: makes the HTML help of every language at build time. The syntax lines and the
// field names come from the string table that the syntax hint and the command-parameter dialog
// show, the commands and their categories from the keyword table, the prose from the fragments
// written by hand in doc/help/<lang>/, and the pictures from the PNGs that morvo-run drew of the
// examples. A fragment that is not written yet leaves its page with the generated reference only.
//
//   morvo-helpgen SOURCE_DIR PICTURES_DIR OUTPUT_DIR
//
// PICTURES_DIR holds <name>.png for doc/help/examples/<name>.dat and gallery/<name>.png for
// examples/<name>.dat. OUTPUT_DIR receives, per language, Morvo_<code>.html (contents),
// Morvo-200_<code>.html (the same), Morvo_MAJ_<code>.html (what changed) and the folder
// Morvo_<code>/ with one page per topic and guide page, img/ and style.css.

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "interpreter/KeywordTable.h"
#include "interpreter/MaskFields.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"

namespace {

constexpr int kTailleBloc = 400;
constexpr int kNbLangues = 4;
constexpr int kSommaireSyntaxes = 5000;
constexpr int kConditions = 7000;
constexpr int kTexteConditions = 167;
constexpr int kTitreConditions = 168;

// The topics of the context help, in the order of the pages.
const int kSujets[] = {2100, 2200, 2300, 2400, 2500, 2600, 2700, 2800, 2900, 3000, 3100, 3200};

// The guide pages, in the order of the contents; every language has the same names.
const char* const kPagesGuide[] = {"start",  "coordinates",  "values",    "separators", "colours",
                                   "scales", "commandfiles", "datafiles", "files",      "printing",
                                   "runner", "surprises",    "changes"};

// The commands that serve the authors of external command files only: not offered in the help.
const char* const kCaches[] = {"DagCode", "Shell#$"};

// The page of the commands that the context help sends to the summary: the category a reader
// looks for them in.
const std::pair<const char*, int> kPagesSansSujet[] = {
    {"Bezier", 3100},    {"BezierP", 3100}, {"ElseIf", 2900},   {"ElseIfT", 2900},
    {"EndIf", 2900},     {"Else", 2900},    {"OpenA", 2800},    {"PrintA", 2800},
    {"Options#$", 3000}, {"StopArg", 3200}, {"Facteurs", 3200}, {"Facteur", 3200},
};

// The lines of the syntax hint that belong to no keyword: comment, continuation, assignment.
const int kAutresSyntaxes[] = {201, 202, 248};

// The generator's own words, French, English, German, Spanish.
struct Mots {
  const char* aide;
  const char* sommaire;
  const char* guide;
  const char* categories;
  const char* resume;
  const char* exemples;
  const char* precedent;
  const char* suivant;
  const char* champ;
  const char* facultatif;
  const char* sousChamp;
  const char* exemple;
  const char* commande;
  const char* autresLignes;
  const char* nouveautes;
  const char* sansParametre;
  const char* exemplesIntro;
  const char* nomChamp;
};

const Mots kMots[kNbLangues] = {
    {"Aide de Morvo", "Sommaire", "Guide", "Commandes par catégorie", "Résumé des syntaxes", "Exemples",
     "Précédent", "Suivant", "Champ", "facultatif", "sous-champs, écrits après « § »", "Exemple", "Commande",
     "Autres lignes", "Nouveautés de cette version", "Pas de paramètre.",
     "Les programmes d'exemple livrés avec Morvo, et le dessin de chacun.",
     "Nom dans le masque de saisie (F2), avec les masques en français"},
    {"Morvo Help", "Contents", "Guide", "Commands by category", "Syntax summary", "Examples", "Previous",
     "Next", "Field", "optional", "sub-fields, written after \"§\"", "Example", "Command", "Other lines",
     "What changed in this version", "No parameter.",
     "The example programs that come with Morvo, each with its drawing.",
     "Name in the F2 dialog, with English masks"},
    {"Morvo-Hilfe", "Inhalt", "Anleitung", "Befehle nach Kategorie", "Syntaxübersicht", "Beispiele", "Zurück",
     "Weiter", "Feld", "optional", "Unterfelder, nach „§“ geschrieben", "Beispiel", "Befehl",
     "Weitere Zeilen", "Neu in dieser Version", "Kein Parameter.",
     "Die Beispielprogramme, die Morvo mitbringt, jedes mit seiner Zeichnung.",
     "Name in der Eingabemaske (F2), mit deutschen Masken"},
    {"Ayuda de Morvo", "Contenido", "Guía", "Comandos por categoría", "Resumen de sintaxis", "Ejemplos",
     "Anterior", "Siguiente", "Campo", "opcional", "subcampos, escritos tras «§»", "Ejemplo", "Comando",
     "Otras líneas", "Novedades de esta versión", "Sin parámetros.",
     "Los programas de ejemplo que trae Morvo, cada uno con su dibujo.",
     // Spanish has no masks of its own: the dialog shows the French names.
     "Nombre en el diálogo F2 (en francés: el español no tiene máscaras propias)"},
};

QString U(const char* texte) { return QString::fromUtf8(texte); }

QString Echappe(const QString& texte) { return texte.toHtmlEscaped(); }

// A text of the string table as HTML: escaped, its line breaks kept.
QString TexteTable(const QString& texte) {
  QString t = texte;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return Echappe(t).replace(u'\n', QStringLiteral("<br>"));
}

QString Ancre(const QString& motCle) { return QString::fromUtf8(QUrl::toPercentEncoding(motCle, "$")); }

std::optional<QString> LitUtf8(const QString& chemin) {
  QFile f(chemin);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return QString::fromUtf8(f.readAll());
}

bool Ecrit(const QString& chemin, const QByteArray& octets) {
  QDir().mkpath(QFileInfo(chemin).absolutePath());
  QFile f(chemin);
  if (f.open(QIODevice::ReadOnly) && f.readAll() == octets) return true;
  f.close();
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(octets) != octets.size()) {
    std::fprintf(stderr, "morvo-helpgen: cannot write %s\n", qPrintable(chemin));
    return false;
  }
  return true;
}

// `html` with each match of `motif` replaced by what `par` makes of it.
QString Remplace(const QString& html, const QRegularExpression& motif,
                 const std::function<QString(const QRegularExpressionMatch&)>& par) {
  QString sortie;
  qsizetype fin = 0;
  for (QRegularExpressionMatchIterator it = motif.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    sortie += html.mid(fin, m.capturedStart() - fin) + par(m);
    fin = m.capturedEnd();
  }
  return sortie + html.mid(fin);
}

// The sections of a fragment file: each starts with a line "<!-- kind: name -->".
std::map<QString, QString> Sections(const QString& texte, const QString& sorte) {
  std::map<QString, QString> sections;
  const QRegularExpression debut(QStringLiteral("^\\s*<!--\\s*%1:\\s*(\\S+)\\s*-->\\s*$").arg(sorte));
  QString nom;
  QStringList lignes;
  const auto termine = [&] {
    if (!nom.isEmpty()) sections[nom] = lignes.join(u'\n').trimmed();
    lignes.clear();
  };
  for (const QString& ligne : texte.split(u'\n')) {
    const QRegularExpressionMatch m = debut.match(ligne);
    if (m.hasMatch()) {
      termine();
      nom = m.captured(1);
    } else {
      lignes << QString(ligne).remove(u'\r');
    }
  }
  termine();
  return sections;
}

// An example program: its text (Windows-1252 or UTF-8, any line ends) and the comment lines it
// begins with.
struct Exemple {
  QString nom;
  QStringList lignes;
  QStringList description;
};

std::optional<Exemple> LitExemple(const QString& chemin) {
  QFile f(chemin);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  Exemple e;
  e.nom = QFileInfo(chemin).completeBaseName();
  e.lignes = DecoupeLignes(DecodeTexte(f.readAll()));
  for (const QString& ligne : e.lignes) {
    if (!ligne.startsWith(u'\'')) break;
    const QString texte = ligne.mid(1).trimmed();
    if (!texte.isEmpty()) e.description << texte;
  }
  return e;
}

struct Page {
  QString fichier;
  QString titre;
  QString corps;
};

class Generateur {
 public:
  Generateur(QString source, QString images, QString sortie)
      : source_(std::move(source)), images_(std::move(images)), sortie_(std::move(sortie)) {}

  bool Execute();

 private:
  struct Langue {
    int index;  // 0 French ... 3 Spanish
    QString code;
    const Mots* mots;
  };

  QString T(const Langue& l, int n) const { return TexteRes(l.index * kTailleBloc + n); }
  QString Dossier(const Langue& l) const { return QStringLiteral("Morvo_") + l.code; }

  void ChargeExemples();
  void ChargeImages();
  bool EcritLangue(const Langue& l);

  QString ExempleHtml(const Langue& l, const QString& nom, bool galerie) const;
  QString AvecExemples(const Langue& l, const QString& fragment) const;
  QString LiensCorriges(const QString& html) const;
  QString PageSujet(const Langue& l, int sujet, const QString& titre, const QString& intro,
                    const std::map<QString, QString>& commandes) const;
  QString Reference(const Langue& l, const std::vector<const MotCle*>& groupe,
                    const std::map<QString, QString>& commandes) const;
  QString Resume(const Langue& l, const std::map<int, QString>& titres) const;
  QString Galerie(const Langue& l) const;
  QString Sommaire(const Langue& l, const std::vector<Page>& guide,
                   const std::map<int, QString>& titres) const;
  QByteArray Document(const Langue& l, const Page& page, const QString& prefixe, const Page* precedent,
                      const Page* suivant) const;

  // The page (topic) where a keyword's reference stands; 0 for none.
  int PageDe(const MotCle& mot) const;
  std::vector<const MotCle*> MotsDocumentes() const;

  QString source_, images_, sortie_;
  std::map<QString, Exemple> exemplesAide_;
  std::map<QString, Exemple> galerie_;
  std::map<QString, QByteArray> images_png_;  // "img/..." path -> bytes
  bool ok_ = true;
};

int Generateur::PageDe(const MotCle& mot) const {
  const QString ecrit = U(mot.Ecrit);
  for (const char* cache : kCaches)
    if (ecrit == U(cache)) return 0;
  if (mot.Sujet > 0) return mot.Sujet;
  for (const auto& [nom, sujet] : kPagesSansSujet)
    if (ecrit == U(nom)) return sujet;
  return kSommaireSyntaxes;
}

std::vector<const MotCle*> Generateur::MotsDocumentes() const {
  std::vector<const MotCle*> mots;
  for (const MotCle& mot : MotsCles())
    if (PageDe(mot) > 0) mots.push_back(&mot);
  return mots;
}

void Generateur::ChargeExemples() {
  const auto charge = [](const QString& dossier, std::map<QString, Exemple>& dans) {
    for (const QFileInfo& info :
         QDir(dossier).entryInfoList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name)) {
      if (std::optional<Exemple> e = LitExemple(info.filePath())) dans[e->nom] = *e;
    }
  };
  charge(source_ + QStringLiteral("/doc/help/examples"), exemplesAide_);
  charge(source_ + QStringLiteral("/examples"), galerie_);
}

// The pictures cut to what was drawn, with a margin: the run draws on a whole screen image.
void Generateur::ChargeImages() {
  const auto charge = [this](const QString& nom, const QString& cible) {
    QImage image(images_ + u'/' + nom + QStringLiteral(".png"));
    if (image.isNull()) {
      std::fprintf(stderr, "morvo-helpgen: no picture %s.png in %s\n", qPrintable(nom), qPrintable(images_));
      return;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    const QRgb fond = qRgb(255, 255, 255);
    int gauche = image.width(), droite = -1, haut = image.height(), bas = -1;
    for (int y = 0; y < image.height(); ++y) {
      const auto* ligne = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        if ((ligne[x] & 0xFFFFFF) == (fond & 0xFFFFFF)) continue;
        gauche = std::min(gauche, x);
        droite = std::max(droite, x);
        haut = std::min(haut, y);
        bas = std::max(bas, y);
      }
    }
    if (droite >= 0) {
      const int marge = 12;
      const QRect cadre = QRect(QPoint(gauche - marge, haut - marge), QPoint(droite + marge, bas + marge))
                              .intersected(image.rect());
      image = image.copy(cadre);
    }
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, "PNG");
    images_png_[cible] = octets;
  };
  for (const auto& [nom, e] : exemplesAide_)
    charge(nom, QStringLiteral("img/") + nom + QStringLiteral(".png"));
  for (const auto& [nom, e] : galerie_)
    charge(QStringLiteral("gallery/") + nom, QStringLiteral("img/gallery/") + nom + QStringLiteral(".png"));
}

QString Generateur::ExempleHtml(const Langue& l, const QString& nom, bool galerie) const {
  const auto& liste = galerie ? galerie_ : exemplesAide_;
  const QString image =
      (galerie ? QStringLiteral("img/gallery/") : QStringLiteral("img/")) + nom + QStringLiteral(".png");
  QString html = QStringLiteral("<figure class=\"exemple\">\n");
  if (const auto it = liste.find(nom); it != liste.end()) {
    html += QStringLiteral("<pre class=\"programme\">") + Echappe(it->second.lignes.join(u'\n')) +
            QStringLiteral("</pre>\n");
  } else {
    std::fprintf(stderr, "morvo-helpgen: %s: no example %s.dat\n", qPrintable(l.code), qPrintable(nom));
  }
  // A missing picture leaves its link broken, which the link test reports.
  html += QStringLiteral("<img src=\"%1\" alt=\"%2: %3\">\n</figure>\n")
              .arg(image, Echappe(U(l.mots->exemple)), Echappe(nom));
  return html;
}

// The lines "<!-- example: name -->" of a fragment replaced by the program and its picture.
QString Generateur::AvecExemples(const Langue& l, const QString& fragment) const {
  static const QRegularExpression ligne(
      QStringLiteral("^\\s*<!--\\s*example:\\s*([A-Za-z0-9_-]+)\\s*-->\\s*$"));
  QStringList sortie;
  for (const QString& l0 : fragment.split(u'\n')) {
    const QRegularExpressionMatch m = ligne.match(l0);
    sortie << (m.hasMatch() ? ExempleHtml(l, m.captured(1), false) : l0);
  }
  return sortie.join(u'\n');
}

// A link "<topic>.html#Keyword", or "#Keyword" alone, leads to the page where the keyword's
// reference stands, whatever category its writer took it to be in: a fragment is written once and
// shown on several pages.
QString Generateur::LiensCorriges(const QString& html) const {
  static const QRegularExpression lien(QStringLiteral("href=\"(?:(\\d{4})\\.html)?#([^\"]+)\""));
  return Remplace(html, lien, [this](const QRegularExpressionMatch& m) {
    const int sujet = m.captured(1).toInt();
    const QString mot = QUrl::fromPercentEncoding(m.captured(2).toUtf8());
    const MotCle* cle = ChercheMotCle(mot.toUpper());
    if (sujet != kSommaireSyntaxes && cle && U(cle->Ecrit) == mot && PageDe(*cle) > 0 &&
        PageDe(*cle) != sujet)
      return QStringLiteral("href=\"%1.html#%2\"").arg(PageDe(*cle)).arg(Ancre(mot));
    return m.captured(0);
  });
}

QString Generateur::Reference(const Langue& l, const std::vector<const MotCle*>& groupe,
                              const std::map<QString, QString>& commandes) const {
  const MotCle& premier = *groupe.front();
  QStringList noms;
  for (const MotCle* m : groupe) noms << Echappe(U(m->Ecrit));
  QString html = QStringLiteral("<section class=\"commande\" id=\"%1\">\n").arg(Echappe(U(premier.Ecrit)));
  for (size_t i = 1; i < groupe.size(); ++i)
    html += QStringLiteral("<span class=\"ancre\" id=\"%1\"></span>\n").arg(Echappe(U(groupe[i]->Ecrit)));
  html += QStringLiteral("<h2>") + noms.join(QStringLiteral(", ")) + QStringLiteral("</h2>\n");
  if (premier.Syntaxe > 0) {
    QString syntaxe = T(l, premier.Syntaxe);
    syntaxe.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    html += QStringLiteral("<pre class=\"syntaxe\">") + Echappe(syntaxe) + QStringLiteral("</pre>\n");
  }
  if (premier.Masque > 0) {
    if (const std::optional<MasqueDecoupe> masque = DecoupeMasque(T(l, premier.Masque))) {
      if (!masque->description.isEmpty())
        html += QStringLiteral("<p class=\"description\">") + TexteTable(masque->description) +
                QStringLiteral("</p>\n");
      if (masque->champs.empty()) {
        html += QStringLiteral("<p class=\"champs\">") + Echappe(U(l.mots->sansParametre)) +
                QStringLiteral("</p>\n");
      } else {
        bool sousChamps = false;
        html += QStringLiteral("<table class=\"champs\">\n<tr><th>%1</th><th>%2</th></tr>\n")
                    .arg(Echappe(U(l.mots->champ)), Echappe(U(l.mots->nomChamp)));
        for (size_t i = 0; i < masque->champs.size(); ++i) {
          const auto& pieces = masque->champs[i];
          for (size_t j = 0; j < pieces.size(); ++j) {
            const Champ& c = pieces[j];
            const QString numero = j == 0 ? QString::number(i + 1) : QStringLiteral("§%1").arg(j);
            QString classe = j == 0 ? QStringLiteral("champ") : QStringLiteral("sous-champ");
            if (c.facultatif) classe += QStringLiteral(" facultatif");
            QString libelle = TexteTable(c.libelle);
            sousChamps |= j > 0;
            if (c.facultatif)
              libelle +=
                  QStringLiteral(" <span class=\"note\">(%1)</span>").arg(Echappe(U(l.mots->facultatif)));
            html +=
                QStringLiteral("<tr class=\"%1\"><td>%2</td><td>%3</td></tr>\n").arg(classe, numero, libelle);
          }
        }
        html += QStringLiteral("</table>\n");
        if (sousChamps)
          html += QStringLiteral("<p class=\"note\">§1, §2: %1</p>\n").arg(Echappe(U(l.mots->sousChamp)));
      }
      if (!masque->commentaire.isEmpty())
        html += QStringLiteral("<p class=\"commentaire\">") + TexteTable(masque->commentaire) +
                QStringLiteral("</p>\n");
    }
  }
  static const QRegularExpression aExemple(QStringLiteral("<!--\\s*example:"));
  for (const MotCle* m : groupe) {
    const QString nom = U(m->Ecrit);
    const auto it = commandes.find(nom);
    const QString fragment = it == commandes.end() ? QString() : it->second;
    if (!fragment.isEmpty()) {
      if (groupe.size() > 1 && m != &premier)
        html += QStringLiteral("<h3>") + Echappe(nom) + QStringLiteral("</h3>\n");
      html += AvecExemples(l, LiensCorriges(fragment)) + u'\n';
    }
    if (!fragment.contains(aExemple) && exemplesAide_.count(nom))
      html += QStringLiteral("<h3>%1</h3>\n").arg(Echappe(U(l.mots->exemple))) + ExempleHtml(l, nom, false);
  }
  return html + QStringLiteral("</section>\n");
}

QString Generateur::PageSujet(const Langue& l, int sujet, const QString& titre, const QString& intro,
                              const std::map<QString, QString>& commandes) const {
  // Keywords that share their hint and mask (Cadre, CadreP) share one reference.
  std::vector<std::vector<const MotCle*>> groupes;
  for (const MotCle* m : MotsDocumentes()) {
    if (PageDe(*m) != sujet) continue;
    if (!groupes.empty()) {
      const MotCle& p = *groupes.back().front();
      if (p.Syntaxe == m->Syntaxe && p.Masque == m->Masque && p.Syntaxe > 0) {
        groupes.back().push_back(m);
        continue;
      }
    }
    groupes.push_back({m});
  }
  QString html = QStringLiteral("<h1>") + Echappe(titre) + QStringLiteral("</h1>\n");
  if (!intro.isEmpty()) html += LiensCorriges(AvecExemples(l, intro)) + u'\n';
  html += QStringLiteral("<nav class=\"commandes\"><ul>\n");
  for (const auto& g : groupes)
    for (const MotCle* m : g)
      html += QStringLiteral("<li><a href=\"#%1\"><code>%2</code></a></li>\n")
                  .arg(Ancre(U(m->Ecrit)), Echappe(U(m->Ecrit)));
  html += QStringLiteral("</ul></nav>\n");
  for (const auto& g : groupes) html += Reference(l, g, commandes);
  return html;
}

QString Generateur::Resume(const Langue& l, const std::map<int, QString>& titres) const {
  QString html = QStringLiteral("<h1>") + Echappe(U(l.mots->resume)) + QStringLiteral("</h1>\n");
  std::vector<int> pages(std::begin(kSujets), std::end(kSujets));
  pages.push_back(kSommaireSyntaxes);
  for (const int sujet : pages) {
    QString lignes;
    for (const MotCle* m : MotsDocumentes()) {
      if (PageDe(*m) != sujet) continue;
      const QString nom = U(m->Ecrit);
      QString syntaxe = m->Syntaxe > 0 ? T(l, m->Syntaxe) : QString();
      syntaxe.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
      const QString cible = sujet == kSommaireSyntaxes ? QString() : QStringLiteral("%1.html").arg(sujet);
      lignes +=
          QStringLiteral(
              "<tr id=\"%1\"><td><a href=\"%2#%3\"><code>%1</code></a></td><td><pre>%4</pre></td></tr>\n")
              .arg(Echappe(nom), cible, Ancre(nom), Echappe(syntaxe));
    }
    if (lignes.isEmpty()) continue;
    if (sujet == kSommaireSyntaxes)
      html += QStringLiteral("<h2>") + Echappe(U(l.mots->autresLignes)) + QStringLiteral("</h2>\n");
    else
      html +=
          QStringLiteral("<h2><a href=\"%1.html\">%2</a></h2>\n").arg(sujet).arg(Echappe(titres.at(sujet)));
    html += QStringLiteral("<table class=\"resume\">\n<tr><th>%1</th><th></th></tr>\n")
                .arg(Echappe(U(l.mots->commande))) +
            lignes + QStringLiteral("</table>\n");
  }
  html += QStringLiteral("<h2>") + Echappe(U(l.mots->autresLignes)) +
          QStringLiteral("</h2>\n<table class=\"resume\">\n");
  for (const int n : kAutresSyntaxes) {
    QString syntaxe = T(l, n);
    syntaxe.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    html += QStringLiteral("<tr><td colspan=\"2\"><pre>%1</pre></td></tr>\n").arg(Echappe(syntaxe.trimmed()));
  }
  return html + QStringLiteral("</table>\n");
}

QString Generateur::Galerie(const Langue& l) const {
  QString html = QStringLiteral("<h1>") + Echappe(U(l.mots->exemples)) + QStringLiteral("</h1>\n<p>") +
                 Echappe(U(l.mots->exemplesIntro)) + QStringLiteral("</p>\n<nav class=\"commandes\"><ul>\n");
  for (const auto& [nom, e] : galerie_)
    html += QStringLiteral("<li><a href=\"#%1\">%1</a></li>\n").arg(Echappe(nom));
  html += QStringLiteral("</ul></nav>\n");
  for (const auto& [nom, e] : galerie_) {
    html += QStringLiteral("<section class=\"exemple\" id=\"%1\">\n<h2>%1.dat</h2>\n").arg(Echappe(nom));
    if (!e.description.isEmpty())
      html += QStringLiteral("<p>") + Echappe(e.description.join(u' ')) + QStringLiteral("</p>\n");
    html += ExempleHtml(l, nom, true) + QStringLiteral("</section>\n");
  }
  return html;
}

QString Generateur::Sommaire(const Langue& l, const std::vector<Page>& guide,
                             const std::map<int, QString>& titres) const {
  QString html = QStringLiteral("<h1>") + Echappe(U(l.mots->aide)) + QStringLiteral("</h1>\n");
  html +=
      QStringLiteral("<h2>") + Echappe(U(l.mots->guide)) + QStringLiteral("</h2>\n<ul class=\"sommaire\">\n");
  for (const Page& p : guide)
    html += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n").arg(p.fichier, Echappe(p.titre));
  html +=
      QStringLiteral("<li><a href=\"examples.html\">%1</a></li>\n</ul>\n").arg(Echappe(U(l.mots->exemples)));
  html += QStringLiteral("<h2>") + Echappe(U(l.mots->categories)) +
          QStringLiteral("</h2>\n<ul class=\"sommaire\">\n");
  for (const int sujet : kSujets) {
    QStringList mots;
    for (const MotCle* m : MotsDocumentes())
      if (PageDe(*m) == sujet)
        mots << QStringLiteral("<a href=\"%1.html#%2\"><code>%3</code></a>")
                    .arg(sujet)
                    .arg(Ancre(U(m->Ecrit)), Echappe(U(m->Ecrit)));
    html += QStringLiteral("<li><a href=\"%1.html\">%2</a><br><span class=\"mots\">%3</span></li>\n")
                .arg(sujet)
                .arg(Echappe(titres.at(sujet)), mots.join(QStringLiteral(" ")));
  }
  html += QStringLiteral("</ul>\n<ul class=\"sommaire\">\n");
  html += QStringLiteral("<li><a href=\"%1.html\">%2</a></li>\n")
              .arg(kSommaireSyntaxes)
              .arg(Echappe(U(l.mots->resume)));
  html += QStringLiteral("<li><a href=\"%1.html\">%2</a></li>\n")
              .arg(kConditions)
              .arg(TexteTable(T(l, kTitreConditions)));
  return html + QStringLiteral("</ul>\n");
}

const char kStyle[] = R"(/* Morvo help */
:root { --texte: #1d1d1f; --doux: #5a5a66; --fond: #ffffff; --cadre: #d6d9e0; --accent: #1f5fa8; --code: #f4f5f8; }
html { font-family: "DejaVu Sans", "Liberation Sans", sans-serif; font-size: 16px; line-height: 1.5; color: var(--texte); background: var(--fond); }
body { margin: 0; }
main { max-width: 52rem; margin: 0 auto; padding: 1rem 1.5rem 2rem; }
h1 { font-size: 1.8rem; margin: 0.6rem 0 1rem; color: var(--accent); }
h2 { font-size: 1.3rem; margin: 2rem 0 0.6rem; padding-bottom: 0.2rem; border-bottom: 1px solid var(--cadre); }
h3 { font-size: 1.05rem; margin: 1.2rem 0 0.4rem; }
a { color: var(--accent); }
a code { text-underline-offset: 0.3em; }
code, kbd, pre { font-family: "DejaVu Sans Mono", "Liberation Mono", monospace; font-size: 0.92em; }
kbd { border: 1px solid var(--cadre); border-bottom-width: 2px; border-radius: 3px; padding: 0 0.3em; background: var(--code); }
pre { background: var(--code); border: 1px solid var(--cadre); border-radius: 4px; padding: 0.6rem 0.8rem; overflow-x: auto; white-space: pre-wrap; }
pre.syntaxe { border-left: 4px solid var(--accent); }
table { border-collapse: collapse; margin: 0.6rem 0; width: 100%; }
th, td { border: 1px solid var(--cadre); padding: 0.25rem 0.5rem; text-align: left; vertical-align: top; }
th { background: var(--code); }
td pre { margin: 0; border: none; padding: 0; background: none; }
table.champs td:first-child { width: 3.5rem; white-space: nowrap; }
table.resume td:first-child { width: 9rem; }
:not(pre) > code { white-space: nowrap; }
tr.champ td:last-child { font-weight: bold; }
tr.facultatif td:last-child { font-weight: normal; }
tr.sous-champ td:first-child { padding-left: 1.2rem; }
.note { color: var(--doux); font-size: 0.88em; font-weight: normal; }
p.description { font-style: italic; }
p.commentaire { color: var(--doux); }
dl dt { font-weight: bold; margin-top: 0.4rem; }
dl dd { margin-left: 1.5rem; }
section.commande { margin-top: 1.5rem; }
figure.exemple { margin: 1rem 0; }
figure.exemple img { display: block; max-width: 100%; height: auto; border: 1px solid var(--cadre); margin-top: 0.5rem; }
nav.commandes ul { list-style: none; padding: 0; display: flex; flex-wrap: wrap; gap: 0.3rem 0.9rem; }
ul.sommaire li { margin: 0.35rem 0; }
span.mots code { font-size: 0.85em; }
nav.haut, nav.bas { display: flex; gap: 1.2rem; justify-content: center; padding: 0.5rem 1rem; background: var(--code); border-bottom: 1px solid var(--cadre); font-size: 0.95rem; }
nav.haut a, nav.bas a { max-width: 40%; overflow: hidden; text-overflow: ellipsis; white-space: nowrap; }
nav.bas { border-top: 1px solid var(--cadre); border-bottom: none; }
@media print {
  nav.haut, nav.bas, nav.commandes { display: none; }
  main { max-width: none; padding: 0; }
  a { color: inherit; text-decoration: none; }
  pre, figure, table, section.commande h2 { break-inside: avoid; }
  h2 { break-after: avoid; }
}
)";

// Links of a page of the folder made to work from the folder above it.
QString AvecPrefixe(const QString& html, const QString& prefixe) {
  static const QRegularExpression lien(QStringLiteral("(href|src)=\"([^\"#][^\"]*)\""));
  static const QRegularExpression schema(QStringLiteral("^[a-zA-Z][a-zA-Z0-9+.-]*:"));
  return Remplace(html, lien, [&prefixe](const QRegularExpressionMatch& m) {
    const QString cible = m.captured(2);
    const bool relatif = !cible.startsWith(u'/') && !cible.contains(schema);
    return relatif ? QStringLiteral("%1=\"%2%3\"").arg(m.captured(1), prefixe, cible) : m.captured(0);
  });
}

QByteArray Generateur::Document(const Langue& l, const Page& page, const QString& prefixe,
                                const Page* precedent, const Page* suivant) const {
  QString nav;
  nav += QStringLiteral("<a href=\"index.html\">%1</a>").arg(Echappe(U(l.mots->sommaire)));
  // The contents is the first link already.
  if (precedent && precedent->fichier != QStringLiteral("index.html"))
    nav += QStringLiteral("<a rel=\"prev\" href=\"%1\">&larr; %2</a>")
               .arg(precedent->fichier, Echappe(precedent->titre));
  if (suivant)
    nav += QStringLiteral("<a rel=\"next\" href=\"%1\">%2 &rarr;</a>")
               .arg(suivant->fichier, Echappe(suivant->titre));
  QString html =
      QStringLiteral(
          "<!DOCTYPE html>\n<html lang=\"%1\">\n<head>\n<meta charset=\"utf-8\">\n"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
          "<title>%2 - %3</title>\n<link rel=\"stylesheet\" href=\"style.css\">\n</head>\n<body>\n")
          .arg(l.code, Echappe(page.titre), Echappe(U(l.mots->aide)));
  html += QStringLiteral("<nav class=\"haut\">") + nav + QStringLiteral("</nav>\n<main>\n") + page.corps +
          QStringLiteral("</main>\n<nav class=\"bas\">") + nav + QStringLiteral("</nav>\n</body>\n</html>\n");
  if (!prefixe.isEmpty()) html = AvecPrefixe(html, prefixe);
  return html.toUtf8();
}

// The title of a fragment: its first <h1>.
QString TitreDe(const QString& fragment, const QString& defaut) {
  static const QRegularExpression h1(QStringLiteral("<h1[^>]*>(.*?)</h1>"),
                                     QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch m = h1.match(fragment);
  if (!m.hasMatch()) return defaut;
  QString titre = m.captured(1);
  titre.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
  // The title goes back into HTML escaped: the entities of the fragment are read first.
  titre.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
      .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
      .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
      .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return titre.simplified();
}

bool Generateur::EcritLangue(const Langue& l) {
  const QString dossierSource = source_ + QStringLiteral("/doc/help/") + l.code;
  const std::map<QString, QString> commandes =
      Sections(LitUtf8(dossierSource + QStringLiteral("/commands.html")).value_or(QString()),
               QStringLiteral("command"));
  const std::map<QString, QString> intros = Sections(
      LitUtf8(dossierSource + QStringLiteral("/topics.html")).value_or(QString()), QStringLiteral("topic"));

  // Category titles: the fragment's, else the list of the category's keywords.
  std::map<int, QString> titres;
  std::map<int, QString> introductions;
  for (const int sujet : kSujets) {
    QStringList mots;
    for (const MotCle* m : MotsDocumentes())
      if (PageDe(*m) == sujet) mots << U(m->Ecrit);
    QString titre = mots.join(QStringLiteral(", "));
    if (const auto it = intros.find(QString::number(sujet)); it != intros.end()) {
      titre = TitreDe(it->second, titre);
      static const QRegularExpression h1(QStringLiteral("<h1[^>]*>.*?</h1>"),
                                         QRegularExpression::DotMatchesEverythingOption);
      introductions[sujet] = QString(it->second).remove(h1).trimmed();
    }
    titres[sujet] = titre;
  }

  std::vector<Page> guide;
  QString corpsConditions;
  for (const char* nom : kPagesGuide) {
    const std::optional<QString> fragment =
        LitUtf8(dossierSource + QStringLiteral("/pages/") + U(nom) + QStringLiteral(".html"));
    if (fragment) {
      guide.push_back({U(nom) + QStringLiteral(".html"), TitreDe(*fragment, U(nom)),
                       LiensCorriges(AvecExemples(l, *fragment))});
    } else if (U(nom) == QStringLiteral("changes")) {
      // "Update help" always opens a page, written or not.
      guide.push_back({QStringLiteral("changes.html"), U(l.mots->nouveautes),
                       QStringLiteral("<h1>") + Echappe(U(l.mots->nouveautes)) + QStringLiteral("</h1>\n")});
    }
  }
  if (const std::optional<QString> termes = LitUtf8(dossierSource + QStringLiteral("/pages/terms.html"))) {
    corpsConditions = LiensCorriges(AvecExemples(l, *termes));
  } else {
    // The terms of the terms dialog, one paragraph per block of lines.
    corpsConditions = QStringLiteral("<h1>") + TexteTable(T(l, kTitreConditions)) + QStringLiteral("</h1>\n");
    QString texte = T(l, kTexteConditions);
    texte.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& bloc : texte.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts))
      corpsConditions += QStringLiteral("<p>") + TexteTable(bloc) + QStringLiteral("</p>\n");
  }
  const QString titreConditions = TitreDe(corpsConditions, T(l, kTitreConditions));

  std::vector<Page> pages;
  pages.push_back({QStringLiteral("index.html"), U(l.mots->sommaire), Sommaire(l, guide, titres)});
  for (const Page& p : guide) pages.push_back(p);
  for (const int sujet : kSujets)
    pages.push_back({QStringLiteral("%1.html").arg(sujet), titres[sujet],
                     PageSujet(l, sujet, titres[sujet], introductions[sujet], commandes)});
  pages.push_back({QStringLiteral("%1.html").arg(kSommaireSyntaxes), U(l.mots->resume), Resume(l, titres)});
  pages.push_back({QStringLiteral("%1.html").arg(kConditions), titreConditions, corpsConditions});
  pages.push_back({QStringLiteral("examples.html"), U(l.mots->exemples), Galerie(l)});

  const QString dossier = sortie_ + u'/' + Dossier(l);
  bool ok = Ecrit(dossier + QStringLiteral("/style.css"), QByteArray(kStyle));
  for (size_t i = 0; i < pages.size(); ++i) {
    const Page* precedent = i > 0 ? &pages[i - 1] : nullptr;
    const Page* suivant = i + 1 < pages.size() ? &pages[i + 1] : nullptr;
    ok &= Ecrit(dossier + u'/' + pages[i].fichier, Document(l, pages[i], QString(), precedent, suivant));
  }
  // The terms page under its guide name too, for the links of the guide.
  ok &= Ecrit(dossier + QStringLiteral("/terms.html"),
              Document(l, {QStringLiteral("terms.html"), titreConditions, corpsConditions}, QString(),
                       nullptr, nullptr));
  for (const auto& [chemin, octets] : images_png_) ok &= Ecrit(dossier + u'/' + chemin, octets);

  // The names the Help menu opens, beside the folder.
  const QString prefixe = Dossier(l) + u'/';
  const Page& sommaire = pages.front();
  ok &= Ecrit(sortie_ + QStringLiteral("/Morvo_%1.html").arg(l.code),
              Document(l, sommaire, prefixe, nullptr, &pages[1]));
  ok &= Ecrit(sortie_ + QStringLiteral("/Morvo-200_%1.html").arg(l.code),
              Document(l, sommaire, prefixe, nullptr, &pages[1]));
  for (const Page& p : guide)
    if (p.fichier == QStringLiteral("changes.html"))
      ok &= Ecrit(sortie_ + QStringLiteral("/Morvo_MAJ_%1.html").arg(l.code),
                  Document(l, p, prefixe, nullptr, nullptr));
  return ok;
}

bool Generateur::Execute() {
  ChargeExemples();
  ChargeImages();
  for (int i = 0; i < kNbLangues; ++i) {
    const Langue l{i, TexteRes(i * kTailleBloc + 8), &kMots[i]};
    if (l.code.isEmpty()) continue;
    ok_ &= EcritLangue(l);
  }
  return ok_;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList arguments = app.arguments();
  if (arguments.size() != 4) {
    std::fprintf(stderr, "usage: morvo-helpgen SOURCE_DIR PICTURES_DIR OUTPUT_DIR\n");
    return 1;
  }
  Generateur g(arguments[1], arguments[2], arguments[3]);
  return g.Execute() ? 0 : 1;
}
