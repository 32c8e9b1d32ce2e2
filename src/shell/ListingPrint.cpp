#include "shell/ListingPrint.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <memory>
#include <optional>
#include <vector>

#include "editor/ProgramEditor.h"
#include "platform/Events.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "shell/MainWindow.h"
#include "shell/Printing.h"
#include "shell/ProgramFiles.h"

namespace {

constexpr int LignesParPage = 70;
constexpr int LignesListing = 64;
constexpr int MargeHaute = 3;
constexpr double RetraitGaucheMm = 15;
constexpr double RetraitDroitMm = 10;
const QColor VertTitre(0, 128, 0);

// Only what the colouring writes: colour, weight and slant; the listing's font does the rest.
QTextCharFormat FormatListing(const QTextCharFormat& source) {
  QTextCharFormat f;
  if (source.hasProperty(QTextFormat::ForegroundBrush)) f.setForeground(source.foreground());
  if (source.hasProperty(QTextFormat::FontWeight)) f.setFontWeight(source.fontWeight());
  if (source.hasProperty(QTextFormat::FontItalic)) f.setFontItalic(source.fontItalic());
  return f;
}

// One printed line: a line of the layout of a listing line.
struct LigneImprimee {
  QTextLayout* mise;
  int ligne;
};

}  // namespace

QList<LigneListing> LignesDocument(const QTextDocument& document, int debut, int fin) {
  QList<LigneListing> lignes;
  const int finDocument = document.characterCount() - 1;
  if (fin < 0 || fin > finDocument) fin = finDocument;
  debut = std::clamp(debut, 0, fin);
  for (QTextBlock bloc = document.findBlock(debut); bloc.isValid() && bloc.position() <= fin;
       bloc = bloc.next()) {
    const int a = std::max(debut, bloc.position()) - bloc.position();
    const int b = std::min(fin, bloc.position() + bloc.length() - 1) - bloc.position();
    LigneListing ligne;
    ligne.Texte = bloc.text().mid(a, b - a);
    for (const QTextLayout::FormatRange& r : bloc.textFormats()) {
      const int s = std::max(r.start, a);
      const int e = std::min(r.start + r.length, b);
      if (e > s) ligne.Formats.append({s - a, e - s, FormatListing(r.format)});
    }
    lignes.append(ligne);
  }
  if (lignes.size() > 1 && lignes.constLast().Texte.isEmpty()) lignes.removeLast();
  return lignes;
}

QString TitreListing(const QString& nomFichier, bool selection, const QDate& date) {
  const QString jour = QLocale().toString(date, QLocale::ShortFormat);
  if (selection)
    return QStringLiteral("Morvo: ") + nomFichier + QStringLiteral(" (") + TexteMsg(125) +
           QStringLiteral(") ") + jour;
  return QStringLiteral("Morvo: ") + nomFichier + QStringLiteral("  ") + jour;
}

int ImprimeListing(QPagedPaintDevice& imprimante, const QFont& police, const QString& titre,
                   const QList<LigneListing>& lignes, QStringList* pages) {
  QPainter peintre;
  if (!peintre.begin(&imprimante)) return 0;
  const double hauteur = peintre.viewport().height();
  const double largeur = peintre.viewport().width();
  const double mm = imprimante.logicalDpiX() / 25.4;

  QFont f = police;
  f.setPointSizeF(10);
  double pas = QFontMetricsF(f, &imprimante).lineSpacing();
  if (pas * LignesParPage > hauteur) {
    f.setPointSizeF(10 * hauteur / (pas * LignesParPage));
    pas = hauteur / LignesParPage;
  }
  const double gauche = RetraitGaucheMm * mm;
  const double largeurTexte = std::max(largeur - gauche - RetraitDroitMm * mm, 10 * mm);

  QList<LigneListing> source;
  QTextCharFormat vert;
  vert.setForeground(VertTitre);
  LigneListing ligneTitre;
  ligneTitre.Texte = titre;
  ligneTitre.Formats.append({0, static_cast<int>(titre.size()), vert});
  source.append(ligneTitre);
  source.append(LigneListing());
  source.append(lignes);
  // A final empty line that would open a page of its own is not printed.
  if (source.size() % LignesListing == 1 && source.constLast().Texte.isEmpty()) source.removeLast();

  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  option.setTabStopDistance(QFontMetricsF(f, &imprimante).horizontalAdvance(QLatin1Char(' ')) * 8);
  std::vector<std::unique_ptr<QTextLayout>> mises;
  std::vector<LigneImprimee> imprimees;
  for (const LigneListing& l : source) {
    auto mise = std::make_unique<QTextLayout>(l.Texte, f, &imprimante);
    mise->setTextOption(option);
    mise->setFormats(QList<QTextLayout::FormatRange>(l.Formats.begin(), l.Formats.end()));
    mise->beginLayout();
    for (QTextLine ligne = mise->createLine(); ligne.isValid(); ligne = mise->createLine()) {
      ligne.setLineWidth(largeurTexte);
      ligne.setPosition(QPointF(0, 0));
    }
    mise->endLayout();
    for (int i = 0; i < std::max(1, mise->lineCount()); ++i) imprimees.push_back({mise.get(), i});
    mises.push_back(std::move(mise));
  }

  const int nbPages =
      std::max<int>(1, (static_cast<int>(imprimees.size()) + LignesListing - 1) / LignesListing);
  QFont fMarque = police;
  fMarque.setPointSizeF(f.pointSizeF());
  for (int p = 1; p <= nbPages; ++p) {
    if (p > 1 && !imprimante.newPage()) {
      peintre.end();
      return 0;
    }
    QStringList textePage;
    for (int k = 0; k < LignesListing; ++k) {
      const size_t i = static_cast<size_t>((p - 1) * LignesListing + k);
      if (i >= imprimees.size()) break;
      const LigneImprimee& li = imprimees[i];
      const double haut = (MargeHaute + k) * pas;
      if (li.mise->lineCount() > 0) {
        const QTextLine ligne = li.mise->lineAt(li.ligne);
        ligne.draw(&peintre, QPointF(gauche, haut + (pas - ligne.height()) / 2));
        textePage << li.mise->text().mid(ligne.textStart(), ligne.textLength());
      } else {
        textePage << QString();
      }
    }
    const QString marque = QStringLiteral("- ") + QString::number(p) + QStringLiteral("/") +
                           QString::number(nbPages) + QStringLiteral(" -");
    peintre.setFont(fMarque);
    peintre.setPen(Qt::black);
    peintre.drawText(QRectF(0, (LignesParPage - 1) * pas, largeur, pas), Qt::AlignHCenter | Qt::AlignVCenter,
                     marque);
    textePage << marque;
    if (pages) pages->append(textePage.join(QLatin1Char('\n')));
  }
  return peintre.end() ? nbPages : 0;
}

// ---- the command of the main window ----

bool FenetrePrincipale::Mnu_ImprimerCode_Click() {
  const QTextCursor curseur = editeur_->textCursor();
  const bool aSelection = curseur.hasSelection();
  if (!ImprimantePrete(true)) return false;
  // A printer of its own, with Morvo's choice: the dialog's changes stay with this listing.
  const std::unique_ptr<QPrinter> choix = CopieImprimante(ImprimanteMorvo());
  QPrinter& imprimante = *choix;
  imprimante.setPrintRange(aSelection ? QPrinter::Selection : QPrinter::AllPages);
  const QString propose = DansDossierCourant(
      (Shell.NomFichier.isEmpty() ? QStringLiteral("Morvo") : TitreImpression(Shell.NomFichier)) +
      QStringLiteral("_code.pdf"));
  // The print dialog asks for the PDF file itself: it shows this name.
  if (ImprimanteEstPdf()) imprimante.setOutputFileName(propose);
  if (!DialoguesFic().ChoisitImprimante(imprimante)) return false;
  const bool selection = aSelection && imprimante.printRange() == QPrinter::Selection;

  const bool pdf = imprimante.outputFormat() == QPrinter::PdfFormat;
  if (pdf && imprimante.outputFileName().isEmpty()) {
    const QString fichier =
        DialoguesFic().Enregistrer(propose, QStringLiteral("pdf"), QStringLiteral("PDF (*.pdf)"), true);
    if (fichier.isEmpty()) return false;
    imprimante.setOutputFileName(fichier);
  }

  const QList<LigneListing> lignes =
      selection ? LignesDocument(*editeur_->document(), curseur.selectionStart(), curseur.selectionEnd())
                : LignesDocument(*editeur_->document());
  TravailImpression travail(imprimante, TitreImpression(Shell.NomFichier));
  QString raison;
  const int pages =
      !travail.Possible(&raison)
          ? 0
          : ImprimeListing(travail.Page(), editeur_->font(),
                           TitreListing(Shell.NomFichier, selection, QDate::currentDate()), lignes);
  if (pages <= 0) {
    Dialogues().MsgBox(TexteErreurImprimante(travail.Destination(), raison), Boutons::Ok, QString());
    return false;
  }
  QString erreur;
  if (travail.Envoie(&erreur)) return true;
  if (travail.EstFichier())
    Dialogues().MsgBox(TexteEcritureImpossible(travail.Destination(), erreur), Boutons::Ok, QString());
  else if (!Arret)
    Dialogues().MsgBox(TexteErreurImprimante(travail.Destination(), erreur), Boutons::Ok, QString());
  return false;
}
