#include "shell/Printing.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <memory>
#include <optional>

#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "interpreter/Interpreter.h"
#include "platform/Events.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/PainterSurface.h"
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

namespace {

std::unique_ptr<QPrinter> imprimante;
bool estPdf = false;
QString dernierPdf;

const QString TexteErreurImprimante = QStringLiteral("Erreur d'imprimante [Printer error]");

void FaitImprimantePdf() {
  imprimante = std::make_unique<QPrinter>(QPrinter::HighResolution);
  imprimante->setOutputFormat(QPrinter::PdfFormat);
  imprimante->setPageSize(QPageSize(QPageSize::A4));
  imprimante->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  estPdf = true;
  NomImprimante = QStringLiteral("PDF");
}

}  // namespace

bool PrepareImprimante() {
  const QPrinterInfo systeme = QPrinterInfo::defaultPrinter();
  if (!systeme.isNull() && !systeme.printerName().isEmpty()) {
    imprimante = std::make_unique<QPrinter>(systeme, QPrinter::HighResolution);
    estPdf = false;
    NomImprimante = systeme.printerName();
  }
  if (!imprimante || !imprimante->isValid()) FaitImprimantePdf();
  return imprimante != nullptr;
}

QPrinter& ImprimanteMorvo() {
  if (!imprimante) PrepareImprimante();
  return *imprimante;
}

bool ImprimanteEstPdf() { return estPdf; }

void MesureImprimante() {
  QPrinter& p = ImprimanteMorvo();
  const double dpi = p.resolution() > 0 ? p.resolution() : 600.0;
  Shell.MmParPixelImp = static_cast<float>(25.4 / dpi);
  Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;
  // Outline fonts take any size: 8 points is what the printer gives.
  Shell.TaillePoliceImp = 8.0f;
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
  estPdf = false;
  dernierPdf.clear();
  NomImprimante.clear();
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

void FenetrePrincipale::Mnu_Imprimante_Click() {
  QPrinter& p = ImprimanteMorvo();
  if (!DialoguesFic().ChoisitImprimante(p)) return;
  estPdf = p.outputFormat() == QPrinter::PdfFormat;
  if (estPdf) {
    if (!p.outputFileName().isEmpty()) dernierPdf = p.outputFileName();
    NomImprimante = QStringLiteral("PDF");
  } else {
    NomImprimante = p.printerName();
  }
  Shell.MmParPixelEcran = static_cast<float>(vue_->MmParPixel());
  if (FacteurCode == 0) FacteurCode = FacteurCodeDefaut;
  MesureImprimante();
  if (Patch[1]) Mnu_Imprimer_Click();
}

bool FenetrePrincipale::Imprimer() {
  if (!hote_->MnuVisualiserActif) return false;
  QPrinter& p = ImprimanteMorvo();
  if (estPdf) {
    const QString propose = dernierPdf.isEmpty() && !Shell.NomFichier.isEmpty()
                                ? TitreImpression(Shell.NomFichier) + QStringLiteral(".pdf")
                                : dernierPdf;
    const QString fichier =
        DialoguesFic().Enregistrer(propose, QStringLiteral("pdf"), QStringLiteral("PDF (*.pdf)"));
    if (fichier.isEmpty()) return false;
    dernierPdf = fichier;
    p.setOutputFileName(fichier);
  }
  Arret = false;
  DebutAttente();

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

  p.setDocName(TitreImpression(Shell.NomFichier));
  bool imprime = false;
  {
    const QString sortie = estPdf ? p.outputFileName() : NomImprimante;
    // A PDF replaces the chosen file only once it is whole.
    std::optional<ImpressionPdf> fichierPdf;
    if (estPdf) fichierPdf.emplace(p);
    PainterSurface surface(&p);
    if (surface.ErreurImpression()) {
      Dialogues().MsgBox(TexteErreurImprimante + QStringLiteral("\r\n\r\n") + sortie, Boutons::Ok, QString());
    } else {
      hote_->DefinitImprimante(&surface);
      ::Imprimer();
      hote_->DefinitImprimante(nullptr);
      // A failure the run met has been reported by the run; one at the end of the job is reported
      // here. Either way the job is abandoned rather than left open.
      const bool erreurRun = surface.ErreurImpression();
      if (erreurRun) p.abort();
      surface.FinImpression();
      imprime = !surface.ErreurImpression();
      if (!imprime && !erreurRun)
        Dialogues().MsgBox(TexteErreurImprimante + QStringLiteral("\r\n\r\n") + sortie, Boutons::Ok,
                           QString());
    }
    QString erreur;
    if (imprime && fichierPdf && !fichierPdf->Termine(&erreur)) {
      imprime = false;
      Dialogues().MsgBox(TexteEcritureImpossible(sortie, erreur), Boutons::Ok, QString());
    }
  }
  p.setDocName(QStringLiteral("Morvo"));

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
