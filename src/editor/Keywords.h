#pragma once

// The command words as the editor writes them.

#include <QString>
#include <QStringList>

// The written forms, in table order.
const QStringList& MotsClesCanoniques();

// True when the word is a command word, a variable assignment ("%..."), a label ("...:") or the
// name of an external command; the word then holds the form to write: the command word in its
// written form, the assignment or label as given, the external command as its file is named.
bool NormaliseMotCle(QString& mot);
