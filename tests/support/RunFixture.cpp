#include "RunFixture.h"

#include "platform/Host.h"
#include "platform/OutputSurface.h"
#include "values/Levels.h"
#include "values/Variables.h"

void RunFixture::OuvreDans(const QString& dossier) {
  if (dossierDepart_.isEmpty()) dossierDepart_ = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dossier)) << dossier.toStdString();
  Shell.RepCourant = QDir(dossier).absolutePath() + QLatin1Char('/');
}

ScriptedPrompter::Message RunFixture::SeulMessage() {
  const auto& m = Messages();
  EXPECT_EQ(m.size(), 1u);
  if (m.empty()) return {};
  return m.front();
}

QString RunFixture::Var(int niveau, const QString& nom) {
  if (niveau < 0 || niveau >= static_cast<int>(Niveaux.size())) return QStringLiteral("<absent>");
  const NiveauProg& nv = Niveaux[static_cast<size_t>(niveau)];
  for (int i = 1; i <= nv.NbVar; ++i) {
    if (nv.NomsVar[static_cast<size_t>(i)].compare(nom, Qt::CaseInsensitive) == 0) {
      return nv.ValeursVar[static_cast<size_t>(i)];
    }
  }
  return QStringLiteral("<absent>");
}

int RunFixture::NbVar(int niveau) { return Niveaux.at(static_cast<size_t>(niveau)).NbVar; }

QString RunFixture::TexteRouge() {
  EditeurDocument& ed = session_->Document();
  const QString texte = ed.Text();
  QString rouge;
  for (int i = 0; i < texte.size(); ++i) {
    if (texte[i] == QLatin1Char('\r') || texte[i] == QLatin1Char('\n')) {
      if (!rouge.isEmpty() && ed.CouleurA(i) == 0x0000FF) rouge += texte[i];
      continue;
    }
    if (ed.CouleurA(i) == 0x0000FF) rouge += texte[i];
  }
  return rouge;
}

QPointF RunFixture::Mm(const QPointF& p) {
  const OutputSurface* e = session_->Ecran();
  return {p.x() * e->ScaleWidth / e->LargeurPixels() + e->ScaleLeft,
          p.y() * e->ScaleHeight / e->HauteurPixels() + e->ScaleTop};
}

double RunFixture::MmLongueur(double px) {
  const OutputSurface* e = session_->Ecran();
  return px * e->ScaleWidth / e->LargeurPixels();
}
