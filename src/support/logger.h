// The trace logger. Windows and records address short trace lines to it at fixed points
// (adding images, creating records, dropped files); it records nothing: no file is opened and
// no text is kept, so a trace line never costs more than the call and can never fail.
//
// A logger has no state; any thread may call it.
#pragma once

#include <string>
#include <string_view>

namespace vistrel {

class TLogger {
 public:
  // `file_name` names where a recording logger would write; this one keeps only the name.
  explicit TLogger(std::string file_name = {});
  // Passes "closing logger." to Log(), as every logger does when it goes.
  ~TLogger();
  TLogger(const TLogger&) = delete;
  TLogger& operator=(const TLogger&) = delete;

  void Log(std::string_view message);

  const std::string& FileName() const { return file_name_; }

 private:
  std::string file_name_;
};

}  // namespace vistrel
