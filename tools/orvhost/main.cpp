// orvhost: a debugger console over the ORVEND driver library, loaded and bound as a debugger IDE does.
#include <readline/history.h>
#include <signal.h>
#include <readline/readline.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <optional>
#include <vector>

#include "host/debug_host.h"
#include "host/driver_library.h"
#include "host/target.h"
#include "tools/orvhost/console_events.h"
#include "tools/orvhost/session.h"
#include "tools/orvhost/setup_gui.h"
#include "tools/orvhost/texts.h"

namespace {

using namespace orven::orvhost;
using orven::host::DebugHost;
using orven::host::DriverLibrary;
using orven::host::Target;

struct Arguments {
  std::string library;
  bool simulate = false;
  std::optional<bool> answerYes;  // --answer; without it a terminal is asked
  bool gui = false;
  std::string options = texts::kDefaultOptions;
  std::vector<std::string> commands;
  std::string script;
  bool haveScript = false;
};

enum class ParseResult { kRun, kHelp, kUsage };

ParseResult ParseArguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool takesValue = a == "--lib" || a == "--answer" || a == "--options" || a == "-e";
    if (takesValue && i + 1 >= argc) return ParseResult::kUsage;
    if (a == "-h" || a == "--help") return ParseResult::kHelp;
    if (a == "--lib") {
      args.library = argv[++i];
    } else if (a == "--simulate") {
      args.simulate = true;
    } else if (a == "--gui") {
      args.gui = true;
    } else if (a == "--answer") {
      const std::string v = argv[++i];
      if (v != "yes" && v != "no") return ParseResult::kUsage;
      args.answerYes = v == "yes";
    } else if (a == "--options") {
      args.options = argv[++i];
      if (args.options.size() >= sizeof(OrvendEnumRecord::option_text)) return ParseResult::kUsage;
    } else if (a == "-e") {
      args.commands.push_back(argv[++i]);
    } else if (!args.haveScript && (a == "-" || a.empty() || a[0] != '-')) {
      args.script = a;
      args.haveScript = true;
    } else {
      return ParseResult::kUsage;
    }
  }
  return ParseResult::kRun;
}

// Exit status of a run of commands that stops at the first failure.
int StatusOf(Outcome o) {
  switch (o) {
    case Outcome::kOk:
    case Outcome::kQuit: return 0;
    case Outcome::kFailed: return 1;
    case Outcome::kUsage: return 2;
  }
  return 1;
}

// Runs lines from a stream until one fails or asks to quit; kOk at the end of the stream.
Outcome RunStream(Session& session, std::istream& in) {
  std::string line;
  while (std::getline(in, line)) {
    const Outcome o = session.Execute(line);
    if (o != Outcome::kOk) return o;
  }
  return Outcome::kOk;
}

// A question at the terminal: the prompt, then the line typed (no history); nullopt at the end of input.
std::optional<std::string> ReadAnswer(const std::string& prompt) {
  char* raw = readline(prompt.c_str());
  if (raw == nullptr) return std::nullopt;
  std::string line = raw;
  std::free(raw);
  return line;
}

// The interactive console: a failed command is reported and the session goes on.
int RunTerminal(Session& session) {
  std::string historyFile;
  if (const char* home = std::getenv("HOME")) historyFile = std::string(home) + "/.orvhost_history";
  using_history();
  if (!historyFile.empty()) read_history(historyFile.c_str());
  bool anyFailed = false;
  while (char* raw = readline(texts::kPrompt)) {
    const std::string line = raw;
    std::free(raw);
    if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
    const Outcome o = session.Execute(line);
    if (o == Outcome::kQuit) break;
    anyFailed = anyFailed || o != Outcome::kOk;
  }
  if (!historyFile.empty()) {
    write_history(historyFile.c_str());
    history_truncate_file(historyFile.c_str(), 1000);
  }
  return anyFailed ? 1 : 0;
}

// Ctrl-C during a go or step asks the driver to stop, as the IDE's stop button does, from a thread of its own
// (the command thread is inside the driver). Idle, it ends a script run and is ignored at the prompt.
class InterruptWatcher {
 public:
  InterruptWatcher(Target& target, bool interactive) : target_(target), interactive_(interactive) {
    if (pipe(fds_) != 0) return;
    g_interruptFd = fds_[1];
    struct sigaction sa {};
    sa.sa_handler = [](int) {
      const char c = 'i';
      if (g_interruptFd >= 0) (void)!write(g_interruptFd, &c, 1);
    };
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    thread_ = std::thread([this] { Watch(); });
  }
  ~InterruptWatcher() {
    if (!thread_.joinable()) return;
    signal(SIGINT, SIG_DFL);
    g_interruptFd = -1;
    const char c = 'q';
    (void)!write(fds_[1], &c, 1);
    thread_.join();
    close(fds_[0]);
    close(fds_[1]);
  }
  InterruptWatcher(const InterruptWatcher&) = delete;
  InterruptWatcher& operator=(const InterruptWatcher&) = delete;

 private:
  static inline volatile sig_atomic_t g_interruptFd = -1;

  void Watch() {
    char c = 0;
    while (read(fds_[0], &c, 1) == 1 && c == 'i') {
      if (target_.Interrupt() || interactive_) continue;
      signal(SIGINT, SIG_DFL);
      raise(SIGINT);
    }
  }

  Target& target_;
  bool interactive_;
  int fds_[2] = {-1, -1};
  std::thread thread_;
};

// A go left running in the driver cannot be waited for, and the library must not be torn down under it.
int EndNow(const Target& target, int status) {
  if (!target.Abandoned()) return status;
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  switch (ParseArguments(argc, argv, args)) {
    case ParseResult::kHelp:
      std::fputs(texts::kHelp, stdout);
      return 0;
    case ParseResult::kUsage:
      std::fputs(texts::kUsage, stderr);
      return 2;
    case ParseResult::kRun:
      break;
  }
  if (args.gui && !SetupGuiAvailable()) {
    std::fputs(texts::kNoGui, stderr);
    return 2;
  }
  if (args.simulate) setenv("ORVEN_DEVICE", "sim", 1);

  DriverLibrary library;
  std::string error;
  if (!library.Load(args.library.empty() ? DriverLibrary::DefaultPath() : args.library, error)) {
    std::fprintf(stderr, texts::kLibraryFailed, error.c_str());
    return 1;
  }
  Console console(stdout, stderr);
  // Questions are asked as gdb asks them when a user sits at the terminal (reads its input and sees its
  // output, where the prompt goes); --answer answers them for scripts; otherwise the safe answer is taken.
  const bool atTerminal = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
  const AnswerMode mode = args.answerYes ? (*args.answerYes ? AnswerMode::kYes : AnswerMode::kNo)
                          : atTerminal   ? AnswerMode::kAsk
                                         : AnswerMode::kNo;
  ConsoleEvents events(console, mode, &ReadAnswer);
  DebugHost host(library.Api(), events);
  if (args.gui) InstallSetupGui(host, argc, argv);
  host.Bind();
  Target target(host);
  // The project's options reach the driver when the IDE enumerates it, before anything else.
  (void)target.SetOptions(args.options);

  Session session(target, console);
  const bool interactive = args.commands.empty() && !args.haveScript && isatty(STDIN_FILENO);
  InterruptWatcher watcher(target, interactive);
  Outcome outcome = Outcome::kOk;
  for (const std::string& command : args.commands) {
    outcome = session.Execute(command);
    if (outcome != Outcome::kOk) break;
  }
  if (outcome == Outcome::kOk && args.haveScript) {
    if (args.script == "-") {
      outcome = RunStream(session, std::cin);
    } else {
      std::ifstream in(args.script);
      if (!in) {
        std::fprintf(stderr, texts::kScriptUnreadable, args.script.c_str());
        outcome = Outcome::kUsage;
      } else {
        outcome = RunStream(session, in);
      }
    }
  } else if (outcome == Outcome::kOk && args.commands.empty()) {
    if (interactive) {
      const int status = RunTerminal(session);
      console.EndLine();
      if (session.Finish() != Outcome::kOk) return EndNow(target, 1);
      target.Close();
      return status;
    }
    outcome = RunStream(session, std::cin);
  }
  const Outcome finished = session.Finish();
  if (outcome == Outcome::kOk || outcome == Outcome::kQuit) outcome = finished;
  if (!target.Abandoned()) target.Close();
  console.EndLine();
  return EndNow(target, StatusOf(outcome));
}
