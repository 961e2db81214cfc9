// How code without windows tells the user about an error.
//
// Loaders of list files and templates report malformed input with a German message. They do
// not know whether a window, a terminal or a test is listening, so they get a UserMessages
// object from their caller: the desktop program shows a box captioned "Fehler", the
// command-line program prints "Fehler: " and the text to stderr, and tests record the texts.
// The caller owns the object and keeps it alive while the loader runs. Implementations decide
// for themselves from which threads they may be called.
#pragma once

#include <string>
#include <vector>

namespace vistrel {

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  // Shows an error message (caption "Fehler", error icon) and returns when it was seen.
  virtual void ShowError(const std::string& text) = 0;
};

// Keeps every message in order, for callers that decide later what to do with them (tests,
// and loaders run where nobody is watching).
class RecordedMessages : public UserMessages {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  std::vector<std::string> errors;
};

}  // namespace vistrel
