#include "platform/WriteSignals.h"

void IgnoreLimiteTailleFichier() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(SIGXFSZ, &action, nullptr);
}

SignauxParDefaut::SignauxParDefaut() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(SIGXFSZ, &action, &limite_);
  sigaction(SIGPIPE, &action, &tube_);
}

SignauxParDefaut::~SignauxParDefaut() {
  sigaction(SIGXFSZ, &limite_, nullptr);
  sigaction(SIGPIPE, &tube_, nullptr);
}
