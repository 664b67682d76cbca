#include "tools/orvdap/exec_command.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "tools/orvdap/texts.h"
#include "tools/orvhost/command_line.h"
#include "tools/orvhost/console.h"
#include "tools/orvhost/session.h"

namespace orven::orvdap {

namespace {

// A stream whose text is collected in memory.
class Capture {
 public:
  Capture() : file_(open_memstream(&data_, &size_)) {}
  ~Capture() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(data_);
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  FILE* File() const { return file_; }
  std::string Text() {
    if (file_ == nullptr) return {};
    std::fflush(file_);
    return std::string(data_ != nullptr ? data_ : "", size_);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  FILE* file_;
};

bool Served(const std::string& name) {
  static const char* const kServed[] = {"dump", "write", "regs", "set", "bp", "bd", "be", "bc", "help"};
  for (const char* served : kServed) {
    if (name == served) return true;
  }
  return false;
}

}  // namespace

ExecResult ExecCommand(host::Target& target, const std::string& command) {
  std::vector<std::string> words;
  std::string error;
  if (orvhost::SplitWords(command, words, error) && !words.empty() && !Served(words[0])) {
    return ExecResult{false, texts::kExecNotHere};
  }
  Capture out, err;
  if (out.File() == nullptr || err.File() == nullptr) return ExecResult{false, "orvdap: out of memory"};
  ExecResult result;
  {
    orvhost::Console console(out.File(), err.File());
    orvhost::Session session(target, console);
    result.ok = session.Execute(command) == orvhost::Outcome::kOk;
  }
  result.text = out.Text() + err.Text();
  return result;
}

}  // namespace orven::orvdap
