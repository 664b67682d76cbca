// orvdap: the Debug Adapter Protocol server an editor starts to debug 8051 programs. It speaks on standard
// input and output; nothing else may write to standard output.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "tools/orvdap/fd_stream.h"
#include "tools/orvdap/server.h"
#include "tools/orvdap/texts.h"

int main(int argc, char** argv) {
  using namespace orven::orvdap;
  // --stdio names the default explicitly, for clients that always pass the adapter one argument.
  if (argc > 2 || (argc == 2 && std::strcmp(argv[1], "--stdio") != 0)) {
    const bool help = argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0);
    std::fputs(texts::kUsage, help ? stdout : stderr);
    return help ? 0 : 2;
  }
  // An editor that goes away leaves a closed pipe: a failed write ends the session, not a signal.
  ::signal(SIGPIPE, SIG_IGN);
  FdStream stream(STDIN_FILENO, STDOUT_FILENO);
  return Server(stream).Run();
}
