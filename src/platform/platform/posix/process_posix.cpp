#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/posix/native_path.h"
#include "platform/process.h"

extern char** environ;

namespace verbarium {

namespace {

// The waits between two looks for the stop start short and grow: most packer
// runs end within a few milliseconds, and a fixed 50 ms wait made each of them
// last at least that long.
constexpr useconds_t kFirstStopPollMicroseconds = 1000;
constexpr useconds_t kStopPollMicroseconds = 50000;

// The program's command lines are written the Windows way; on Linux only
// blanks and double quotation marks have a meaning in them.
std::vector<std::string> splitCommandLine(std::u16string_view commandLine) {
  std::vector<std::string> words;
  std::u16string word;
  bool inWord = false;
  bool quoted = false;
  for (char16_t c : commandLine) {
    if (c == u'"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == u' ' || c == u'\t') && !quoted) {
      if (inWord) words.push_back(toUtf8(word));
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(toUtf8(word));
  return words;
}

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// This program's own directory first, as Windows searches the directory of
// the starting program first; then PATH. An empty PATH entry, which would
// mean the current directory, is skipped: the current directory is the work
// directory, whose files come from an archive.
std::string findProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  std::vector<std::string> directories;
  if (Path own = programDirectory(); !own.empty()) directories.push_back(toNativePath(own));
  std::string path = toNativePath(searchPath());
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) directories.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  for (const std::string& directory : directories) {
    std::string candidate = directory + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
  }
  return {};
}

class SpawnActions {
 public:
  SpawnActions() { ok_ = ::posix_spawn_file_actions_init(&actions_) == 0; }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  ~SpawnActions() {
    if (ok_) ::posix_spawn_file_actions_destroy(&actions_);
  }
  bool changeDirectory(const std::string& directory) {
    return ok_ && ::posix_spawn_file_actions_addchdir_np(&actions_, directory.c_str()) == 0;
  }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  bool ok_ = false;
};

}  // namespace

ProgramRun runHiddenAndWait(std::u16string_view commandLine, const Path& directory, std::stop_token stop) {
  std::vector<std::string> words = splitCommandLine(commandLine);
  if (words.empty()) return {};
  std::string program = findProgram(words.front());
  if (program.empty()) return {};

  SpawnActions actions;
  if (!actions.changeDirectory(toNativePath(directory))) return {};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  if (::posix_spawn(&child, program.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) return {};
  // The stop is looked for between short waits, here on this thread: the
  // child is ended by the thread that reaps it, so its id cannot have passed
  // to another process when the signal goes out.
  bool stopped = false;
  int status = 0;
  useconds_t poll = kFirstStopPollMicroseconds;
  for (;;) {
    const pid_t ended = ::waitpid(child, &status, stopped || !stop.stop_possible() ? 0 : WNOHANG);
    if (ended == child) break;
    if (ended < 0) {
      if (errno == EINTR) continue;
      return {};
    }
    if (stop.stop_requested()) {
      stopped = ::kill(child, SIGKILL) == 0;
    } else {
      ::usleep(poll);
      poll = std::min(2 * poll, kStopPollMicroseconds);
    }
  }
  // A signal sent to a program that had already ended did nothing.
  if (stopped && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
    return {ProgramRun::End::Stopped, 128 + SIGKILL};
  }
  if (WIFEXITED(status)) return {ProgramRun::End::Exited, WEXITSTATUS(status)};
  // Killed by a signal: a failure, told apart as the shells do.
  return {ProgramRun::End::Exited, 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0)};
}

}  // namespace verbarium
