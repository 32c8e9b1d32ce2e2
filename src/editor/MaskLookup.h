#pragma once

// The mask of a command: the text that describes it and its parameters for the command-parameter
// dialog. Built-in commands take theirs from the mask language of the string table; an external
// command takes the help section of its ".dag" file.

#include <QString>

// The mask of a keyword (upper-cased in place), or "" when the word is neither a command nor an
// external command. `CmdEditable` tells whether the dialog may edit the command, `SigneEgal` what
// the rebuilt line writes between the keyword and the parameters.
QString Masque(QString& MotCle, bool& CmdEditable, QString& SigneEgal);

// The mask of the help section of an external command's restored text: the section of the
// message language, else of the mask language, else the French one; continuation lines lose their
// leading "'". Empty when there is no such section, or when no line beginning with "'$" ends it.
QString SectionMasque(const QString& texte);
