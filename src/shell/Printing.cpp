#include "shell/Printing.h"

#include <unistd.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "interpreter/Interpreter.h"
#include "platform/Events.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputFiles.h"
#include "platform/PainterSurface.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "shell/Config.h"
#include "shell/DrawingView.h"
#include "shell/MainWindow.h"
#include "shell/ProgramFiles.h"
#include "shell/QtHost.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

QString NomImprimante;
const QString CleImprimante = QStringLiteral("Imprimante =");

namespace {

// The resolution of every print job: that of Qt's PDF printer at high resolution, which
// morvo-run --pdf prints with.
constexpr int ResolutionImpression = 1200;

// Where Qt's print dialog keeps the print system's job options it sets (page set, page ranges,
// pages per sheet, the queue's own options): name and value, one after the other.
const QPrintEngine::PrintEnginePropertyKey OptionsSysteme = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QStringList OptionsDuSysteme(const QPrinter& p) {
  return p.printEngine() ? p.printEngine()->property(OptionsSysteme).toStringList() : QStringList();
}

// An option's value as the print system's client reads it: quoted when it holds blanks.
QString ValeurOption(QString valeur) {
  static const QRegularExpression special(QStringLiteral("[\\s\"'\\\\]"));
  if (!valeur.contains(special)) return valeur;
  valeur.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
  return QLatin1Char('"') + valeur + QLatin1Char('"');
}

std::unique_ptr<QPrinter> imprimante;
bool estPdf = false;
QString dernierPdf;

std::unique_ptr<QPrinter> NouvelleImprimantePdf() {
  auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
  p->setOutputFormat(QPrinter::PdfFormat);
  p->setPageSize(QPageSize(QPageSize::A4));
  p->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  return p;
}

// Qt's own margins would shift the drawing by 10 points: only what the printer cannot print is
// kept out.
void MargesDeLImprimante(QPrinter& p) {
  const QPageLayout page = p.pageLayout();
  p.setPageMargins(page.minimumMargins(), page.units());
}

// The system printer with its own margins; none when the system has no such printer.
std::unique_ptr<QPrinter> ImprimanteSysteme(const QPrinterInfo& systeme) {
  if (systeme.isNull() || systeme.printerName().isEmpty()) return nullptr;
  auto p = std::make_unique<QPrinter>(systeme, QPrinter::HighResolution);
  if (!p->isValid() || p->outputFormat() != QPrinter::NativeFormat) return nullptr;
  // Qt gives a new printer its own default paper, not the queue's: a Letter queue would get A4.
  if (const QPageSize papier = systeme.defaultPageSize(); papier.isValid()) p->setPageSize(papier);
  MargesDeLImprimante(*p);
  return p;
}

void Adopte(std::unique_ptr<QPrinter> p) {
  imprimante = std::move(p);
  estPdf = imprimante->outputFormat() == QPrinter::PdfFormat;
  NomImprimante = estPdf ? QStringLiteral("PDF") : imprimante->printerName();
}

// The margins the queue cannot print in, on the upright sheet, exactly as its description gives
// them (millimetres); none when its description does not have the printer's paper, and no margin
// when it gives no printable area on it.
std::optional<QMarginsF> MargesDeLaFile(const QPrinter& p, bool* horaire) {
  if (p.outputFormat() != QPrinter::NativeFormat || p.printerName().isEmpty()) return std::nullopt;
  DescriptionFile d;
  if (!DescriptionDe(p.printerName(), d)) return std::nullopt;
  *horaire = d.horaire;
  const QPageSize papier = p.pageLayout().pageSize();
  QString cle = papier.key();
  if (!d.papiers.contains(cle)) {
    // A paper Qt names otherwise: the one of its size, one with a printable area first.
    cle.clear();
    const QSizeF points = papier.size(QPageSize::Point);
    for (auto i = d.papiers.constBegin(); i != d.papiers.constEnd(); ++i) {
      if (std::abs(i->width() - points.width()) < 1.5 && std::abs(i->height() - points.height()) < 1.5 &&
          (cle.isEmpty() || d.zones.contains(i.key())))
        cle = i.key();
    }
    if (cle.isEmpty()) return std::nullopt;
  }
  const QSizeF feuille = d.papiers.value(cle);
  const QRectF donnee = d.zones.value(cle);  // lower left, upper right
  // Qt's margins would then leave nothing of the sheet, and every drawing would fall outside it.
  if (donnee.width() <= 0 || donnee.height() <= 0) return QMarginsF();
  // An area wider than the sheet prints to its edge; one wholly off it is no area of the sheet.
  const QRectF zone = donnee & QRectF(QPointF(0, 0), feuille);
  if (zone.isEmpty()) return QMarginsF();
  constexpr double mm = 25.4 / 72;
  return QMarginsF(zone.left() * mm, (feuille.height() - zone.bottom()) * mm,
                   (feuille.width() - zone.right()) * mm, zone.top() * mm);
}

}  // namespace

QString TexteErreurImprimante(const QString& nom, const QString& raison) {
  QString texte = QStringLiteral("Erreur d'imprimante [Printer error]\r\n\r\n") + nom;
  if (!raison.isEmpty()) texte += QStringLiteral("\r\n") + raison;
  return texte;
}

bool PrepareImprimante() {
  std::unique_ptr<QPrinter> systeme = ImprimanteSysteme(QPrinterInfo::defaultPrinter());
  Adopte(systeme ? std::move(systeme) : NouvelleImprimantePdf());
  return imprimante != nullptr;
}

bool ReprendImprimante(const QString& nom) {
  std::unique_ptr<QPrinter> p = nom == QStringLiteral("PDF")
                                    ? NouvelleImprimantePdf()
                                    : ImprimanteSysteme(QPrinterInfo::printerInfo(nom));
  if (!p) return false;
  Adopte(std::move(p));
  return true;
}

QPrinter& ImprimanteMorvo() {
  if (!imprimante) PrepareImprimante();
  return *imprimante;
}

std::unique_ptr<QPrinter> CopieImprimante(const QPrinter& modele) {
  std::unique_ptr<QPrinter> p;
  const QPrinterInfo systeme = modele.outputFormat() == QPrinter::NativeFormat
                                   ? QPrinterInfo::printerInfo(modele.printerName())
                                   : QPrinterInfo();
  if (systeme.isNull()) {
    p = NouvelleImprimantePdf();
    // An empty name would turn the printer into the system's.
    if (!modele.outputFileName().isEmpty()) p->setOutputFileName(modele.outputFileName());
  } else {
    p = std::make_unique<QPrinter>(systeme, QPrinter::HighResolution);
  }
  p->setPageSize(modele.pageLayout().pageSize());
  p->setPageOrientation(modele.pageLayout().orientation());
  p->setCopyCount(modele.copyCount());
  p->setDuplex(modele.duplex());
  p->setColorMode(modele.colorMode());
  p->setPrintRange(modele.printRange());
  p->setPageOrder(modele.pageOrder());
  p->setCollateCopies(modele.collateCopies());
  if (!systeme.isNull()) p->printEngine()->setProperty(OptionsSysteme, OptionsDuSysteme(modele));
  MargesDeLImprimante(*p);
  return p;
}

QPageLayout PageImprimante(const QPrinter& p, bool* horaire) {
  // The printer gives its margins as the sheet stands upright, whatever the orientation; Qt rounds
  // them to whole points, the queue's description has them exactly.
  const QPageLayout page = p.pageLayout();
  bool sens = false;
  QPageLayout debout(page.pageSize(), QPageLayout::Portrait, page.margins(), page.units());
  if (const std::optional<QMarginsF> marges = MargesDeLaFile(p, &sens))
    debout = QPageLayout(page.pageSize(), QPageLayout::Portrait, *marges, QPageLayout::Millimeter);
  if (horaire) *horaire = sens;
  return PageOrientee(debout, page.orientation(), sens);
}

bool ImprimanteEstPdf() { return estPdf; }

void MesureImprimante() {
  // Every job paints at the same resolution (see TravailImpression).
  Shell.MmParPixelImp = static_cast<float>(25.4 / ResolutionImpression);
  Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;
  // Outline fonts take any size: 8 points is what the printer gives.
  Shell.TaillePoliceImp = 8.0f;
}

// ---- a print job ----

TravailImpression::TravailImpression(const QPrinter& choix, const QString& titre) : titre_(titre) {
  fichier_ = choix.outputFormat() == QPrinter::PdfFormat;
  page_ = std::make_unique<QPdfWriter>(Fichier());
  page_->setResolution(ResolutionImpression);
  // The chosen printer's page: paper, orientation and the margins it cannot print in.
  pageExacte_ = PageImprimante(choix, &horaire_);
  page_->setPageLayout(pageExacte_);
  page_->setTitle(titre);
  page_->setCreator(QStringLiteral("Morvo"));
  if (fichier_) {
    destination_ = choix.outputFileName();
  } else {
    destination_ = choix.printerName();
    copies_ = choix.copyCount();
    cotes_ = choix.duplex();
    // What the print dialog offers for a queue is the queue's to do: the order, collation and
    // the job options it keeps for the print system.
    if (choix.pageOrder() == QPrinter::LastPageFirst) options_ << QStringLiteral("outputorder=reverse");
    if (copies_ > 1)
      options_ << (choix.collateCopies() ? QStringLiteral("collate=true") : QStringLiteral("collate=false"));
    const QStringList systeme = OptionsDuSysteme(choix);
    for (qsizetype i = 0; i + 1 < systeme.size(); i += 2)
      options_ << systeme[i] + QLatin1Char('=') + ValeurOption(systeme[i + 1]);
  }
}

TravailImpression::~TravailImpression() = default;

QString TravailImpression::Fichier() const {
  return dossier_.isValid() ? dossier_.filePath(QStringLiteral("travail.pdf")) : QString(QLatin1String(""));
}

bool TravailImpression::Possible(QString* raison) const {
  const auto refus = [raison](int code) {
    if (raison) *raison = RaisonSysteme(code);
    return false;
  };
  if (!dossier_.isValid()) {
    if (raison) *raison = RaisonSysteme(dossier_);
    return false;
  }
  if (!fichier_) return true;
  if (destination_.isEmpty()) return refus(ENOENT);
  // The name as the system reads it, as the writer and the headless runner read it: "prog.dat/." is
  // "Not a directory", never prog.dat.
  const CibleEcriture cible(destination_);
  if (!cible.Refus().isEmpty()) {
    if (raison) *raison = cible.Refus();
    return false;
  }
  // The program is never replaced by its own print, by whatever name it is reached.
  if (const CibleEcriture programme(FichierCourant); programme.Existe() && cible.MemeFichier(programme)) {
    if (raison) *raison = TexteMsg(200);
    return false;
  }
  // The system says whether the folder takes the file, and why not: its "." fails on a path
  // that is not a folder, as the file's creation would.
  const QByteArray nom = OctetsDuNom(destination_);
  const QByteArray dossier = nom.left(nom.lastIndexOf('/') + 1) + '.';
  if (::access(dossier.constData(), W_OK | X_OK) != 0) return refus(errno);
  if (cible.Existe() && ::access(nom.constData(), W_OK) != 0) return refus(errno);
  return true;
}

bool TravailImpression::Envoie(QString* raison) {
  // A PDF replaces the chosen file only once it is whole.
  if (fichier_) return EcritPdfProvisoire(Fichier(), destination_, raison);
  // The title is always given: without it the queue would show the provisional file's name.
  QStringList arguments{QStringLiteral("-d"),     destination_,         QStringLiteral("-n"),
                        QString::number(copies_), QStringLiteral("-t"), titre_};
  if (cotes_ == QPrinter::DuplexLongSide)
    arguments << QStringLiteral("-o") << QStringLiteral("sides=two-sided-long-edge");
  else if (cotes_ == QPrinter::DuplexShortSide)
    arguments << QStringLiteral("-o") << QStringLiteral("sides=two-sided-short-edge");
  for (const QString& option : options_) arguments << QStringLiteral("-o") << option;
  arguments << QStringLiteral("--") << Fichier();
  QString sortie;
  bool reussi = false;
  if (ClientImpression(QStringLiteral("lp"), arguments, sortie, reussi) != FinQuestion::Reponse || reussi) {
    if (raison) *raison = sortie;
    return reussi;
  }
  // lp takes a print system that is down for a printer that does not exist: the scheduler's
  // state says which it is.
  QString etat;
  if (ClientImpression(QStringLiteral("lpstat"), {QStringLiteral("-r")}, etat, reussi) == FinQuestion::Reponse &&
      reussi && etat == QStringLiteral("scheduler is not running"))
    sortie += QStringLiteral("\r\n") + etat;
  if (raison) *raison = sortie;
  return false;
}

QString TitreImpression(const QString& nomFichier) {
  QString titre = nomFichier;
  const int point = titre.lastIndexOf(QLatin1Char('.'));
  if (point >= 0) titre.truncate(point);
  const int barre = std::max(titre.lastIndexOf(QLatin1Char('/')), titre.lastIndexOf(QLatin1Char('\\')));
  if (barre >= 0) titre = titre.mid(barre + 1);
  return titre;
}

void RazImprimante() {
  imprimante.reset();
  DelaiSystemeImpression = 20000;
  estPdf = false;
  dernierPdf.clear();
  NomImprimante.clear();
  OublieReleveImpression();
}

// ---- the commands of the main window ----

void FenetrePrincipale::Mnu_Imprimer_Click() {
  Shell.FacteurImpression = RunShell.ZoomIniI;
  Imprimer();
}

void FenetrePrincipale::Mnu_ImprimerZoom_Click() {
  Shell.FacteurImpression = RunShell.DernierFacteurImp;
  const std::optional<QString> reponse =
      Dialogues().InputBox(TexteMsg(120), QString(), TexteNombre(Shell.FacteurImpression).replace(',', '.'));
  if (!reponse || reponse->isEmpty()) return;
  const QString invalide = QStringLiteral("Valeur non valide\r\nNo valid value");
  std::optional<double> facteur;
  try {
    facteur = LitParam(*reponse, 1);
  } catch (const ErreurExecution&) {
    facteur.reset();
  } catch (const std::exception&) {
    facteur.reset();
  }
  if (!facteur || *facteur == 0) {
    Dialogues().MsgBox(invalide, Boutons::Ok, QString(), Icone::Exclamation);
    return;
  }
  Arret = false;
  Shell.FacteurImpression = *facteur <= 0 ? 1.0f : static_cast<float>(*facteur);
  Imprimer();
  RunShell.DernierFacteurImp = Shell.FacteurImpression;
}

bool FenetrePrincipale::SystemeImpressionRepond() {
  // A print system that is not there (no scheduler, no client) answers at once: only one that does
  // not answer is waited for.
  Arret = false;
  DebutAttente();
  const FinQuestion fin = ReleveSystemeImpression();
  FinAttente();
  Arret = false;
  if (fin == FinQuestion::Delai)
    Dialogues().MsgBox(TexteErreurImprimante(NomImprimante, TexteSansReponse()), Boutons::Ok, QString());
  return fin == FinQuestion::Reponse;
}

bool FenetrePrincipale::ImprimantePrete(bool releve) {
  if (imprimante && !releve) return true;
  if (!SystemeImpressionRepond()) return false;
  if (!imprimante) {
    PrepareImprimante();
    ReprendImprimanteChoisie();
  }
  return true;
}

void FenetrePrincipale::Mnu_Imprimante_Click() {
  // The dialog works on a copy: Cancel leaves Morvo's printer as it was.
  if (!ImprimantePrete(true)) return;
  std::unique_ptr<QPrinter> choix = CopieImprimante(ImprimanteMorvo());
  if (!DialoguesFic().ChoisitImprimante(*choix)) return;
  // A queue chosen is confirmed with the print system: one that stopped answering meanwhile leaves
  // the printer as it was.
  if (choix->outputFormat() == QPrinter::NativeFormat && !SystemeImpressionRepond()) return;
  choix = CopieImprimante(*choix);
  Adopte(std::move(choix));
  if (estPdf && !imprimante->outputFileName().isEmpty()) dernierPdf = imprimante->outputFileName();
  // Kept for the next start, in Morvo's own configuration: the system's default stays the user's.
  EcritConfig(CleImprimante, NomImprimante);
  Shell.MmParPixelEcran = static_cast<float>(vue_->MmParPixel());
  if (FacteurCode == 0) FacteurCode = FacteurCodeDefaut;
  MesureImprimante();
  if (Patch[1]) Mnu_Imprimer_Click();
}

bool FenetrePrincipale::Imprimer() {
  if (!hote_->MnuVisualiserActif || !ImprimantePrete()) return false;
  QPrinter& p = ImprimanteMorvo();
  if (estPdf) {
    // The program's own name, in the last PDF's folder: another program's PDF is never proposed.
    const QString nom =
        Shell.NomFichier.isEmpty() ? QString() : TitreImpression(Shell.NomFichier) + QStringLiteral(".pdf");
    const QString propose = DossierDe(dernierPdf) + nom;
    const QString fichier =
        DialoguesFic().Enregistrer(propose, QStringLiteral("pdf"), QStringLiteral("PDF (*.pdf)"), true);
    if (fichier.isEmpty()) return false;
    dernierPdf = fichier;
    p.setOutputFileName(fichier);
  }
  Arret = false;
  DebutAttente();
  // As the screen run does (Mnu_Visualiser_Click).
  DevientDossierCourant();

  // Whatever happens in the print run, the window, the view offsets and Sortie come back.
  const double origineX = Repere.OrigineBaseX, origineY = Repere.OrigineBaseY;
  const float decalX = Shell.DecalVueX, decalY = Shell.DecalVueY;
  const auto restaure = qScopeGuard([this, origineX, origineY, decalX, decalY] {
    Repere.OrigineBaseX = origineX;
    Repere.OrigineBaseY = origineY;
    Shell.DecalVueX = decalX;
    Shell.DecalVueY = decalY;
    Repere.XCourant = Repere.YCourant = Repere.XRot = Repere.YRot = 0;
    Hote().DefinitImprimante(nullptr);
    Sortie = Hote().Ecran();
    FinAttente();
  });
  Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
  Shell.DecalVueX = Shell.DecalVueY = 0;

  bool imprime = false;
  {
    // Each print paints on a printer of its own, so nothing of an earlier job (its transform,
    // pen, font or page orientation) carries over.
    TravailImpression travail(p, TitreImpression(Shell.NomFichier));
    const QString sortie = travail.Destination();
    QString raison;
    if (!travail.Possible(&raison)) {
      Dialogues().MsgBox(TexteErreurImprimante(sortie, raison), Boutons::Ok, QString());
    } else {
      PainterSurface surface(&travail.Page());
      surface.DefinitPage(travail.PageExacte(), travail.PaysageHoraire());
      hote_->DefinitImprimante(&surface);
      ::Imprimer();
      hote_->DefinitImprimante(nullptr);
      // A failure the run met has been reported by the run; one at the end of the job is
      // reported here. Either way the job is abandoned rather than sent.
      const bool erreurRun = surface.ErreurImpression();
      surface.FinImpression();
      imprime = !erreurRun && !surface.ErreurImpression();
      if (!imprime && !erreurRun) Dialogues().MsgBox(TexteErreurImprimante(sortie), Boutons::Ok, QString());
    }
    if (imprime) {
      // Esc in the print run stopped the drawing; the job is sent as far as it went.
      Arret = false;
      QString erreur;
      if (!travail.Envoie(&erreur)) {
        imprime = false;
        if (travail.EstFichier())
          Dialogues().MsgBox(TexteEcritureImpossible(sortie, erreur), Boutons::Ok, QString());
        else if (!Arret)
          Dialogues().MsgBox(TexteErreurImprimante(sortie, erreur), Boutons::Ok, QString());
      }
    }
  }

  // The screen shows the drawing again, with the view as it was.
  Repere.XCourant = Repere.YCourant = Repere.XRot = Repere.YRot = 0;
  Repere.OrigineBaseX = origineX;
  Repere.OrigineBaseY = origineY;
  Shell.DecalVueX = decalX;
  Shell.DecalVueY = decalY;
  hote_->Ecran()->Cls();
  Arret = false;
  DimensionneNiveaux(5);
  Niveau(1).Texte = hote_->Editeur()->Text();
  Sortie = hote_->Ecran();
  hote_->MnuVisualiserActif = true;
  int niveau = 1;
  Interprete(niveau);
  if (hote_->MnuCodeCoche) editeur_->setFocus();
  return imprime;
}
