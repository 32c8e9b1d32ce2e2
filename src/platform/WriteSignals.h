#pragma once

// The signals that would end Morvo in the middle of a write (the file-size limit, a reader gone):
// they are ignored, so that the write fails with its reason and takes the checked path.

#include <signal.h>

// A write past the file-size limit (ulimit -f) fails with the system's "File too large" instead of
// ending the process, so that it takes the checked path of a full disk: the old file stays whole
// and the reason is told. Both programs call it first thing in main.
void IgnoreLimiteTailleFichier();
// While it lives, the signals Morvo ignores for itself (the file-size limit, a reader gone) act as
// they do by default, so that a program started meanwhile gets them so: an ignored signal outlives
// exec. Held only around the start of a program, where Morvo itself writes nothing.
class SignauxParDefaut {
 public:
  SignauxParDefaut();
  ~SignauxParDefaut();
  SignauxParDefaut(const SignauxParDefaut&) = delete;
  SignauxParDefaut& operator=(const SignauxParDefaut&) = delete;

 private:
  struct sigaction limite_ {
  }, tube_{};
};
