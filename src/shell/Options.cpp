#include "shell/Options.h"

#include <cmath>
#include <limits>

#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "shell/Config.h"

using namespace legacy;

QString InvitePatchs(int16_t patchs) {
  QString invite = TexteMsg(121);
  for (int k = 0; k <= 14; ++k) {
    if ((patchs & (1 << k)) != 0) invite += u' ' + QString::number(k + 1) + u',';
  }
  invite.chop(1);
  return invite + QStringLiteral("\r\n\r\n") + TexteMsg(122);
}

SuitePatch ReponsePatch(const QString& reponse, int16_t& patchs) {
  if (reponse.isEmpty()) return SuitePatch::Fin;
  double lu = 0;
  try {
    lu = Val(reponse);
  } catch (const ErreurExecution&) {
    return SuitePatch::Redemande;
  }
  if (!std::isfinite(lu)) return SuitePatch::Redemande;
  const double n = ArrondiPair(lu);
  if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max())
    return SuitePatch::Redemande;
  if (n == 0 || n >= 16) return SuitePatch::Redemande;
  const int numero = static_cast<int>(n);
  if (numero > 0) {
    patchs = static_cast<int16_t>(patchs | (1 << (numero - 1)));
  } else if (numero >= -15) {
    patchs = static_cast<int16_t>(patchs & ~(1 << (-numero - 1)));
  }
  return SuitePatch::Applique;
}

void Mnu_Patchs_Click() {
  for (;;) {
    const std::optional<QString> reponse = Dialogues().InputBox(InvitePatchs(Patchs), QString(), QString());
    switch (ReponsePatch(reponse.value_or(QString()), Patchs)) {
      case SuitePatch::Fin:
        return;
      case SuitePatch::Redemande:
        continue;
      case SuitePatch::Applique:
        DecodePatchs(Patchs);
        EcritConfig(QStringLiteral("Patchs = "), QString::number(Patchs));
        return;
    }
  }
}
