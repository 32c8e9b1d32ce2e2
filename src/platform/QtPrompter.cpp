#include "platform/QtPrompter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

#include "platform/Host.h"

namespace {

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
QString TexteEnTableau(const QString& texte) {
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
      const QString t = lignes[i].first().nom.toHtmlEscaped();
      html += QStringLiteral("<td colspan=\"%1\">%2</td>")
                  .arg(colonnes)
                  .arg(t.isEmpty() ? QStringLiteral("&nbsp;") : t);
    } else {
      for (const Entree& e : lignes[i]) {
        html += QStringLiteral("<td nowrap style=\"padding-right:6px\">") + e.nom.toHtmlEscaped() +
                QStringLiteral("</td><td nowrap style=\"padding-right:24px\">") + e.valeur.toHtmlEscaped() +
                QStringLiteral("</td>");
      }
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

QWidget* QtPrompter::Parent() const { return parent_ ? parent_ : QApplication::activeWindow(); }

Reponse QtPrompter::MsgBox(const QString& texte, Boutons boutons, const QString& titre, Icone icone,
                           int defaut) {
  QMessageBox boite(IconeQt(icone), TitreFenetre(titre), QString(), QMessageBox::NoButton, Parent());
  if (texte.contains(u'\t')) {
    const QString tableau = TexteEnTableau(texte);
    boite.setTextFormat(Qt::RichText);
    boite.setText(tableau);
    // The box is as wide as the table, which its own sizing would break at half the screen.
    if (auto* label = boite.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      QTextDocument mesure;
      mesure.setDefaultFont(label->font());
      mesure.setHtml(tableau);
      const QScreen* ecran = Parent() != nullptr ? Parent()->screen() : QGuiApplication::primaryScreen();
      const int plafond = ecran != nullptr ? ecran->availableGeometry().width() - 100 : 1000;
      label->setMinimumWidth(std::min(static_cast<int>(std::ceil(mesure.idealWidth())) + 4, plafond));
    }
  } else {
    boite.setText(texte);
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
