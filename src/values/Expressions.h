#pragma once

#include <QString>
#include <optional>

// Evaluates a numeric expression; the text is rewritten with the reduced result. nullopt for a
// blank text (read as 0). A bad expression raises a run error.
std::optional<double> Calcule(QString& texte);
