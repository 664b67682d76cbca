// "-exec COMMAND" in the debug console: an orvhost command run against the stopped target, its printed
// output (and complaints) answered as text. Only the commands that leave run control to the editor are
// served; a go, step or shutdown would take the target from under the editor's session.
#pragma once

#include <string>

#include "host/target.h"

namespace orven::orvdap {

struct ExecResult {
  bool ok = true;
  std::string text;  // what orvhost would have printed, complaints included
};

// command is the text after "-exec ".
ExecResult ExecCommand(host::Target& target, const std::string& command);

}  // namespace orven::orvdap
