#include "HeadlessRun.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <new>

#include "drawing/DrawState.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunState.h"
#include "interpreter/RuntimeCommands.h"
#include "platform/FileWriter.h"
#include "platform/OutputFiles.h"
#include "platform/WriteConsent.h"
#include "values/Levels.h"

namespace {

// The printer of a headless run: a PDF, A4 without margins, at the resolution of the window's
// print jobs. It is a PDF writer, which talks to no print system: a print system that is down or
// hangs never holds the runner.
constexpr int ResolutionPdf = 1200;

void PrepareImprimantePdf(QPdfWriter& imprimante) {
  imprimante.setResolution(ResolutionPdf);
  imprimante.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                       QPageLayout::Millimeter));
  imprimante.setCreator(QStringLiteral("Morvo"));
}

}  // namespace

SessionHeadless::SessionHeadless(int largeur, int hauteur, double dpi)
    : image_(largeur, hauteur, dpi), ecran_(largeur, hauteur, dpi, &image_), prompteur_(*this) {
  RazEtatRun();
  RazValeursShell();
  PolitiqueShell = AccordShell::Demander;
  MaxInstructions = 0;
  OublieAccordShell();
  PolitiqueEcritures = AccordEcriture::Demander;
  OublieAccordEcritures();
  Shell.MmParPixelEcran = static_cast<float>(25.4 / dpi);
  Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;
  Shell.LargeurZone = largeur * 25.4 / dpi;
  Shell.HauteurZone = hauteur * 25.4 / dpi;
  Sortie = &ecran_;
  DefinitHote(this);
  DefinitDialogues(&prompteur_);
}

SessionHeadless::~SessionHeadless() {
  if (HoteCourant() == this) DefinitHote(nullptr);
  if (&Dialogues() == &prompteur_) DefinitDialogues(nullptr);
  if (Sortie == &ecran_ || Sortie == &image_ || Sortie == imprimante_.get()) Sortie = nullptr;
}

void SessionHeadless::SansEnregistrement() {
  enregistre_ = false;
  if (Sortie == &ecran_) Sortie = &image_;
}

void SessionHeadless::JournalVers(FluxJournal* flux) {
  flux_ = flux;
  enregistre_ = true;
  ecran_.GardePrimitives(flux == nullptr);
  ecran_.DefinitFlux(flux);
  if (Sortie == &image_) Sortie = &ecran_;
}

void SessionHeadless::TermineJournal() {
  if (flux_ == nullptr) return;
  for (const QString& ligne : JournalVariables()) flux_->Ajoute(ligne);
  flux_->Vide();
}

void SessionHeadless::AjouteEntree(const QString& entree) {
  if (flux_)
    flux_->Ajoute(entree);
  else
    journal_ << entree;
}

void SessionHeadless::Execute(const QString& programme) {
  editeur_.SetText(programme);
  ExecuteProgramme();
}

void SessionHeadless::MesureImprimantePdf() {
  Shell.MmParPixelImp = static_cast<float>(25.4 / ResolutionPdf);
  Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;
}

bool SessionHeadless::ImprimePdf(const QString& fichierPdf, QString* erreur,
                                 const std::function<bool()>& abandon) {
  // The PDF is made in memory and replaces the file only once it is whole.
  auto octets = std::make_unique<QBuffer>();
  octets->open(QIODevice::WriteOnly);
  auto imprimante = std::make_unique<QPdfWriter>(octets.get());
  PrepareImprimantePdf(*imprimante);
  const QString echecImprimante = QStringLiteral("the PDF printer failed");
  pdf_ = std::make_unique<PainterSurface>(imprimante.get());
  if (pdf_->ErreurImpression()) {
    pdf_.reset();
    if (erreur) *erreur = echecImprimante;
    return false;
  }
  const int largeur = pdf_->LargeurPixels(), hauteur = pdf_->HauteurPixels();
  ImprimeSur(largeur, hauteur, 25.4 / pdf_->MmParPixel(), pdf_.get());
  const bool ok = !pdf_->ErreurImpression();
  try {
    pdf_->FinImpression();
  } catch (const std::bad_alloc&) {
    // The page is written out as the printer ends it. Once memory ran out there, the painter would
    // end it again when it goes and run out where nothing can catch it: the printer and its bytes
    // are let go, not freed, and the runner ends soon after.
    [[maybe_unused]] PainterSurface* surface = pdf_.release();
    [[maybe_unused]] QPdfWriter* pdf = imprimante.release();
    [[maybe_unused]] QBuffer* tampon = octets.release();
    if (erreur)
      *erreur = QStringLiteral("memory ran out while making the PDF (an A4 page of %1x%2 pixels at %3 dpi)")
                    .arg(largeur)
                    .arg(hauteur)
                    .arg(ResolutionPdf);
    return false;
  }
  pdf_.reset();
  imprimante.reset();
  if (abandon && abandon()) {
    if (erreur) erreur->clear();
    return false;
  }
  if (!ok) {
    if (erreur) *erreur = echecImprimante;
    return false;
  }
  return EcritPdfEntier(octets->data(), fichierPdf, erreur, true);
}

void SessionHeadless::ImprimeEnregistre(double dpi) {
  ImprimeSur(static_cast<int>(210.0 / 25.4 * dpi), static_cast<int>(297.0 / 25.4 * dpi), dpi, nullptr);
}

void SessionHeadless::ImprimeSur(int largeur, int hauteur, double dpi, OutputSurface* cible) {
  Shell.MmParPixelImp = static_cast<float>(25.4 / dpi);
  Shell.RapportEcranImp = Shell.MmParPixelEcran / Shell.MmParPixelImp;
  imprimante_ = std::make_unique<RecordingSurface>(largeur, hauteur, dpi, cible);
  if (cible == nullptr) imprimante_->DefinitImprimante(true);
  // Without a log to keep, the recorder only passes the print run on.
  imprimante_->GardePrimitives(enregistre_ && flux_ == nullptr);
  imprimante_->DefinitFlux(flux_);
  luImprimante_ = 0;
  // The print factor the program asked for, as the Print menu takes it.
  Shell.FacteurImpression = RunShell.ZoomIniI;
  Imprimer();
  VideEnregistrements();
  if (Sortie == imprimante_.get()) Sortie = Ecran();
  imprimante_.reset();
}

void SessionHeadless::VideEnregistrements() {
  const QStringList& e = ecran_.Journal();
  for (; luEcran_ < e.size(); ++luEcran_) journal_ << e[luEcran_];
  if (imprimante_) {
    const QStringList& i = imprimante_->Journal();
    for (; luImprimante_ < i.size(); ++luImprimante_) journal_ << i[luImprimante_];
  }
}

QStringList SessionHeadless::Journal() {
  VideEnregistrements();
  return journal_ + JournalVariables();
}

QStringList SessionHeadless::JournalVariables() {
  QStringList lignes;
  for (int niveau = 0; niveau <= 1 && niveau < static_cast<int>(Niveaux.size()); ++niveau) {
    const NiveauProg& nv = Niveaux[static_cast<size_t>(niveau)];
    for (int i = 1; i <= nv.NbVar && i <= MaxSlotsVar; ++i) {
      lignes << QStringLiteral("var %1 %2 %3")
                    .arg(niveau)
                    .arg(nv.NomsVar[static_cast<size_t>(i)],
                         CiteJournal(nv.ValeursVar[static_cast<size_t>(i)]));
    }
  }
  return lignes;
}

Reponse SessionHeadless::PrompteurJournal::MsgBox(const QString& texte, Boutons boutons, const QString& titre,
                                                  Icone icone, int defaut) {
  session_.VideEnregistrements();
  const Reponse r = scripte_.MsgBox(texte, boutons, titre, icone, defaut);
  session_.AjouteEntree(scripte_.Journal().last());
  return r;
}

std::optional<QString> SessionHeadless::PrompteurJournal::InputBox(const QString& invite,
                                                                   const QString& titre,
                                                                   const QString& defaut) {
  session_.VideEnregistrements();
  auto r = scripte_.InputBox(invite, titre, defaut);
  session_.AjouteEntree(scripte_.Journal().last());
  return r;
}
