#pragma once

// The system's reason for a failure, in the one wording every message that names one uses.

#include <QString>

class QFileDevice;
class QProcess;
class QTemporaryDir;

// The system's words for an error number, in the user's language.
QString RaisonSysteme(int code);
// The same words for the last failure of a Qt file or temporary folder, which Qt tells in its own.
QString RaisonSysteme(const QFileDevice& f);
QString RaisonSysteme(const QTemporaryDir& d);
// A program that could not start: the call that failed, then the system's words ("execvp: …").
QString RaisonSysteme(const QProcess& p);
// Why a file of that mode is not one to read or append to: "Is a directory" for a folder, else what
// it is (a FIFO or a pipe, a device, a socket).
QString RaisonNonOrdinaire(unsigned mode);
