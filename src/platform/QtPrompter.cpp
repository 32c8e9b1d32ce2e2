#include "platform/QtPrompter.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "platform/Host.h"

namespace {

constexpr char16_t EspaceNul = 0x200B;

// TexteSecable; `inseres`, when given, receives for each unit of the result whether it is an
// inserted space.
QString Secable(const QString& texte, const QFont& police, std::vector<bool>* inseres) {
  const QFontMetricsF mesure(police);
  // A run this wide still fits the narrowest line a message box wraps its text to.
  const qreal plafond = 24 * mesure.averageCharWidth();
  QString resultat;
  resultat.reserve(texte.size());
  const auto ajoute = [&](const QString& morceau, bool insere) {
    resultat += morceau;
    if (inseres) inseres->insert(inseres->end(), static_cast<size_t>(morceau.size()), insere);
  };
  QTextBoundaryFinder coupures(QTextBoundaryFinder::Line, texte);
  qsizetype debut = 0;
  while (debut < texte.size()) {
    coupures.setPosition(debut);
    qsizetype fin = coupures.toNextBoundary();
    if (fin <= debut) fin = texte.size();
    const QString morceau = texte.mid(debut, fin - debut);
    qsizetype plein = morceau.size();
    while (plein > 0 && morceau[plein - 1].isSpace()) --plein;
    const QString mot = morceau.left(plein);
    if (mesure.horizontalAdvance(mot) <= plafond) {
      ajoute(morceau, false);
    } else {
      // Between characters as the user sees them, never inside one (a pair of surrogates, a letter
      // and its accents), nor before a zero-width space of the text's own.
      QTextBoundaryFinder caracteres(QTextBoundaryFinder::Grapheme, mot);
      qsizetype a = 0;
      for (qsizetype b = caracteres.toNextBoundary(); b > a; a = b, b = caracteres.toNextBoundary()) {
        ajoute(mot.mid(a, b - a), false);
        if (b < plein && mot[b] != QChar(EspaceNul)) ajoute(QString(QChar(EspaceNul)), true);
      }
      ajoute(morceau.mid(plein), false);
    }
    debut = fin;
  }
  return resultat;
}

// What is copied from a box (a selection made with the mouse, Copy) is its text: the spaces
// inserted for the display are taken out of what the clipboard receives.
class CopieExacte : public QObject {
 public:
  // `inseres`: for each position of the label's document, whether it holds an inserted space; empty
  // where positions cannot be told (a table), all of them being taken out then unless the text has
  // zero-width spaces of its own.
  CopieExacte(QLabel* libelle, std::vector<bool> inseres, bool espacesPropres)
      : QObject(libelle), libelle_(libelle), inseres_(std::move(inseres)), espacesPropres_(espacesPropres) {
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, &CopieExacte::Nettoie);
  }

 private:
  void Nettoie(QClipboard::Mode mode) {
    // Only what was copied from this box just now.
    if (!libelle_->window()->isActiveWindow() || !libelle_->hasSelectedText()) return;
    QClipboard* pressePapiers = QGuiApplication::clipboard();
    const QString copie = pressePapiers->text(mode);
    if (!copie.contains(QChar(EspaceNul))) return;
    const qsizetype debut = libelle_->selectionStart();
    QString nette;
    if (!inseres_.empty() && debut >= 0 && copie.size() == libelle_->selectedText().size() &&
        debut + copie.size() <= static_cast<qsizetype>(inseres_.size())) {
      for (qsizetype i = 0; i < copie.size(); ++i) {
        if (!(inseres_[static_cast<size_t>(debut + i)] && copie[i] == QChar(EspaceNul))) nette += copie[i];
      }
    } else if (!espacesPropres_) {
      nette = copie;
      nette.remove(QChar(EspaceNul));
    } else {
      return;
    }
    if (nette != copie) pressePapiers->setText(nette, mode);
  }

  QLabel* libelle_;
  std::vector<bool> inseres_;
  bool espacesPropres_;
};

// A box of a run opens over the drawing as far as the run has made it.
void MontreDessin() {
  if (Hote* hote = HoteCourant()) hote->AvantDialogue();
}

// A window title is one line here: a line break in it (the ListeVar comment's) becomes blanks.
QString TitreFenetre(const QString& titre) {
  if (titre.isEmpty()) return QStringLiteral("Morvo");
  QString t = titre;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
  t.replace(u'\r', u' ');
  t.replace(u'\n', u' ');
  return t;
}

// A message whose lines hold tabs is a list of "name<tab>= value" entries (the variable lists of
// ListeVar and of the run-error report). Tab stops of a proportional font put an entry in another
// column as soon as a value is longer than the others, and the box breaks long values: laid out as
// a table, every entry stays on one line in its column. Lines without a tab span the whole table.
QString TexteEnTableau(const QString& texte, const QFont& police) {
  struct Entree {
    QString nom, valeur;
  };
  QList<QList<Entree>> lignes;
  QList<bool> simples;
  qsizetype colonnes = 1;
  const QStringList brutes =
      QString(texte).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
  for (const QString& brute : brutes) {
    QList<Entree> entrees;
    const bool simple = !brute.contains(u'\t');
    if (simple) {
      entrees.append({brute, QString()});
    } else {
      for (const QString& morceau : brute.split(u'\t', Qt::SkipEmptyParts)) {
        if (morceau.startsWith(u'=') && !entrees.isEmpty() && entrees.last().valeur.isEmpty()) {
          entrees.last().valeur = morceau;
        } else if (const qsizetype egal = morceau.indexOf(QStringLiteral(" = ")); egal > 0) {
          entrees.append({morceau.left(egal), morceau.mid(egal + 1)});
        } else {
          entrees.append({morceau, QString()});
        }
      }
      colonnes = std::max(colonnes, 2 * entrees.size());
    }
    lignes.append(entrees);
    simples.append(simple);
  }
  QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"0\">");
  for (qsizetype i = 0; i < lignes.size(); ++i) {
    html += QStringLiteral("<tr>");
    if (simples[i]) {
      const QString t = Secable(lignes[i].first().nom, police, nullptr).toHtmlEscaped();
      html += QStringLiteral("<td colspan=\"%1\">%2</td>")
                  .arg(colonnes)
                  .arg(t.isEmpty() ? QStringLiteral("&nbsp;") : t);
    } else {
      // An entry too long for any column wraps anywhere rather than pushing the table past the box.
      const auto cellule = [&police](const QString& t, int marge) {
        const QString montre = Secable(t, police, nullptr);
        return QStringLiteral("<td%1 style=\"padding-right:%2px\">")
                   .arg(montre == t ? QStringLiteral(" nowrap") : QString())
                   .arg(marge) +
               montre.toHtmlEscaped() + QStringLiteral("</td>");
      };
      for (const Entree& e : lignes[i]) html += cellule(e.nom, 6) + cellule(e.valeur, 24);
    }
    html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

// Button captions in the message language (Qt's own translations follow the menu language).
QString TexteBouton(QMessageBox::StandardButton bouton) {
  struct Textes {
    const char16_t *ok, *annuler, *oui, *non;
  };
  static const Textes langues[] = {
      {u"OK", u"Annuler", u"&Oui", u"&Non"},
      {u"OK", u"Cancel", u"&Yes", u"&No"},
      {u"OK", u"Abbrechen", u"&Ja", u"&Nein"},
      {u"Aceptar", u"Cancelar", u"&Sí", u"&No"},
  };
  const int indice = Shell.BaseLangue / 400;
  const Textes& t = langues[indice >= 0 && indice < 4 ? indice : 0];
  switch (bouton) {
    case QMessageBox::Ok:
      return QString::fromUtf16(t.ok);
    case QMessageBox::Cancel:
      return QString::fromUtf16(t.annuler);
    case QMessageBox::Yes:
      return QString::fromUtf16(t.oui);
    default:
      return QString::fromUtf16(t.non);
  }
}

QMessageBox::Icon IconeQt(Icone icone) {
  switch (icone) {
    case Icone::Question:
      return QMessageBox::Question;
    case Icone::Exclamation:
      return QMessageBox::Warning;
    case Icone::Critique:
      return QMessageBox::Critical;
    case Icone::Information:
      return QMessageBox::Information;
    case Icone::Aucune:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton BoutonQt(Reponse r) {
  switch (r) {
    case Reponse::Ok:
      return QMessageBox::Ok;
    case Reponse::Annuler:
      return QMessageBox::Cancel;
    case Reponse::Oui:
      return QMessageBox::Yes;
    case Reponse::Non:
      return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

}  // namespace

namespace {

int LargeurPourTitre(const QWidget& fenetre) {
  // Window managers mostly write titles in bold; the icon and three buttons share the bar.
  QFont police = QApplication::font("QMdiSubWindowTitleBar");
  police.setBold(true);
  const int bouton = fenetre.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &fenetre);
  return QFontMetrics(police).horizontalAdvance(fenetre.windowTitle()) + 5 * bouton;
}

// Dialogs whose layout sets their minimum size itself (the input box) are widened when they show.
class FiltreLargeurTitre : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override {
    if (evenement->type() == QEvent::Show) {
      auto* fenetre = static_cast<QWidget*>(cible);
      const int largeur = LargeurPourTitre(*fenetre);
      if (fenetre->width() < largeur) fenetre->resize(largeur, fenetre->height());
    }
    return QObject::eventFilter(cible, evenement);
  }
};

}  // namespace

void LargeurTitre(QWidget* fenetre) {
  fenetre->setMinimumWidth(std::max(fenetre->minimumWidth(), LargeurPourTitre(*fenetre)));
  fenetre->installEventFilter(new FiltreLargeurTitre(fenetre));
}

QString TexteSecable(const QString& texte, const QFont& police) { return Secable(texte, police, nullptr); }

QWidget* QtPrompter::Parent() const { return parent_ ? parent_ : QApplication::activeWindow(); }

Reponse QtPrompter::MsgBox(const QString& texte, Boutons boutons, const QString& titre, Icone icone,
                           int defaut) {
  MontreDessin();
  QMessageBox boite(IconeQt(icone), TitreFenetre(titre), QString(), QMessageBox::NoButton, Parent());
  auto* label = boite.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  const QFont police = label != nullptr ? label->font() : boite.font();
  const bool espacesPropres = texte.contains(QChar(EspaceNul));
  if (texte.contains(u'\t')) {
    const QString tableau = TexteEnTableau(texte, police);
    boite.setTextFormat(Qt::RichText);
    boite.setText(tableau);
    // The box is as wide as the table, which its own sizing would break at half the screen.
    if (label != nullptr) {
      new CopieExacte(label, {}, espacesPropres);
      QTextDocument mesure;
      mesure.setDefaultFont(label->font());
      mesure.setHtml(tableau);
      const QScreen* ecran = Parent() != nullptr ? Parent()->screen() : QGuiApplication::primaryScreen();
      const int plafond = ecran != nullptr ? ecran->availableGeometry().width() - 100 : 1000;
      label->setMinimumWidth(std::min(static_cast<int>(std::ceil(mesure.idealWidth())) + 4, plafond));
    }
  } else {
    // Shown as it is: a message that happens to begin like markup is no markup.
    boite.setTextFormat(Qt::PlainText);
    std::vector<bool> inseres;
    boite.setText(Secable(texte, police, &inseres));
    if (label != nullptr) {
      // The label's document holds a line end written CR LF at one position.
      std::vector<bool> positions;
      const QString montre = boite.text();
      for (qsizetype i = 0; i < montre.size(); ++i) {
        if (montre[i] == u'\r' && i + 1 < montre.size() && montre[i + 1] == u'\n') continue;
        positions.push_back(inseres[static_cast<size_t>(i)]);
      }
      new CopieExacte(label, std::move(positions), espacesPropres);
    }
  }
  QAbstractButton* annuler = nullptr;
  for (const Reponse r : ReponsesBoutons(boutons)) {
    QAbstractButton* b = boite.addButton(BoutonQt(r));
    b->setText(TexteBouton(BoutonQt(r)));
    if (r == Reponse::Annuler) annuler = b;
  }
  boite.setDefaultButton(BoutonQt(BoutonParDefaut(boutons, defaut)));
  if (annuler)
    boite.setEscapeButton(annuler);
  else if (boutons == Boutons::Ok)
    boite.setEscapeButton(boite.buttons().front());
  boite.exec();
  switch (boite.standardButton(boite.clickedButton())) {
    case QMessageBox::Ok:
      return Reponse::Ok;
    case QMessageBox::Yes:
      return Reponse::Oui;
    case QMessageBox::No:
      return Reponse::Non;
    case QMessageBox::Cancel:
      return Reponse::Annuler;
    default:
      // Closed without a button: Cancel where there is one, else the default button.
      if (annuler) return Reponse::Annuler;
      return BoutonParDefaut(boutons, defaut);
  }
}

std::optional<QString> QtPrompter::InputBox(const QString& invite, const QString& titre,
                                            const QString& defaut) {
  MontreDessin();
  QInputDialog dialogue(Parent());
  dialogue.setWindowTitle(TitreFenetre(titre));
  dialogue.setLabelText(invite);
  dialogue.setTextValue(defaut);
  dialogue.setOkButtonText(TexteBouton(QMessageBox::Ok));
  dialogue.setCancelButtonText(TexteBouton(QMessageBox::Cancel));
  LargeurTitre(&dialogue);
  if (dialogue.exec() != QDialog::Accepted) return std::nullopt;
  return dialogue.textValue();
}

std::optional<QString> QtPrompter::SaisieInput(const QString& invite, const QString& titre,
                                               const QString& defaut, const QString& annuler) {
  MontreDessin();
  QInputDialog dialogue(Parent());
  dialogue.setWindowFlag(Qt::WindowStaysOnTopHint);
  dialogue.setWindowTitle(TitreFenetre(titre));
  dialogue.setLabelText(invite);
  dialogue.setTextValue(defaut);
  dialogue.setOkButtonText(TexteBouton(QMessageBox::Ok));
  dialogue.setCancelButtonText(annuler);
  LargeurTitre(&dialogue);
  if (auto* saisie = dialogue.findChild<QLineEdit*>()) {
    saisie->selectAll();
    saisie->setFocus();
  }
  if (dialogue.exec() != QDialog::Accepted) return std::nullopt;
  return dialogue.textValue();
}
