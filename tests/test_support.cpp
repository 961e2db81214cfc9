#include "test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vistrel::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "vistrel-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code error;
  // Tests may leave folders without permissions behind; make them removable first.
  for (auto it = fs::recursive_directory_iterator(
           path_, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::remove_all(path_, error);
}

std::string TempDir::operator/(std::string_view relative) const {
  return path_ + std::string(relative);
}

void WriteFile(const std::string& path, std::string_view contents) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value)
    ::setenv(name, value->c_str(), 1);
  else
    ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (old_)
    ::setenv(name_.c_str(), old_->c_str(), 1);
  else
    ::unsetenv(name_.c_str());
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::string& folder)
    : old_(fs::current_path().string()) {
  fs::current_path(folder);
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
  std::error_code error;
  fs::current_path(old_, error);
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long bytes) {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  old_soft_limit_ = limit.rlim_cur;
  old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = bytes;
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = old_soft_limit_;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::signal(SIGXFSZ, old_handler_);
}

ScratchFiles::ScratchFiles(const std::string& home, TDisk& disk)
    : disk_(disk),
      home_((fs::create_directories(home), fs::canonical(home).string())),
      // The top of every file system is the scratch home too: a trash that is not the home
      // trash still lies in the scratch folder, never at a real mount point.
      trash_(disk, home_ + "/.local/share", [home = home_](const std::string&) { return home; }) {
  cache_folder = home_ + "/.cache/vistrel";
}

pid_t StartProgram(const std::vector<std::string>& argv, const std::string& output,
                   const std::string& errors, bool ignore_sigint) {
  // Everything the child needs is made before fork(): after it, only calls that are safe in a
  // copy of a process with threads.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  // Blocked before fork(), so the child holds signals back from its first instant.
  sigset_t old_mask;
  ::pthread_sigmask(SIG_BLOCK, &stop, &old_mask);
  const pid_t child = ::fork();
  if (child != 0) ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
  if (child == 0) {
    struct sigaction keep {};
    keep.sa_handler = SIG_DFL;
    sigemptyset(&keep.sa_mask);
    ::sigaction(SIGINT, ignore_sigint ? &ignore : &keep, nullptr);
    ::sigaction(SIGTERM, &keep, nullptr);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0)
      ::_exit(126);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  return child;
}

int WaitForProgram(pid_t child, int seconds) {
  int status = 0;
  for (int waited = 0; waited < seconds * 100; ++waited) {
    const pid_t ended = ::waitpid(child, &status, WNOHANG);
    if (ended == child) return status;
    if (ended < 0) {
      ADD_FAILURE() << "no such child " << child;
      return -1;
    }
    ::usleep(10000);
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, &status, 0);
  ADD_FAILURE() << "the program did not end within " << seconds << " s";
  return -1;
}

}  // namespace vistrel::testing
