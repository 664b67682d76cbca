// orvdap: the Debug Adapter Protocol server an editor starts to debug 8051 programs. It speaks on standard
// input and output (nothing else may write to standard output), or with --port N on one TCP connection from
// 127.0.0.1.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/orvdap/fd_stream.h"
#include "tools/orvdap/server.h"
#include "tools/orvdap/texts.h"

namespace {

using namespace orven::orvdap;

// Listens on 127.0.0.1:port and accepts one client; its socket, or -1 after saying why on standard error.
int AcceptOneClient(int port) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) {
    std::fprintf(stderr, texts::kListenFailed, port, std::strerror(errno));
    return -1;
  }
  const int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0) {
    std::fprintf(stderr, texts::kListenFailed, port, std::strerror(errno));
    close(listener);
    return -1;
  }
  std::fprintf(stderr, texts::kListening, port);
  int client;
  do {
    client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  } while (client < 0 && errno == EINTR);
  if (client < 0) std::fprintf(stderr, texts::kListenFailed, port, std::strerror(errno));
  close(listener);
  return client;
}

int Usage(bool help) {
  std::fputs(texts::kUsage, help ? stdout : stderr);
  return help ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  int port = -1;
  // --stdio names the default explicitly, for clients that always pass the adapter one argument.
  if (argc == 2 && std::strcmp(argv[1], "--stdio") == 0) {
  } else if (argc == 3 && std::strcmp(argv[1], "--port") == 0) {
    char* end = nullptr;
    const long n = std::strtol(argv[2], &end, 10);
    if (*argv[2] == '\0' || *end != '\0' || n < 1 || n > 65535) return Usage(false);
    port = static_cast<int>(n);
  } else if (argc != 1) {
    return Usage(argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0));
  }
  // An editor that goes away leaves a closed pipe: a failed write ends the session, not a signal.
  ::signal(SIGPIPE, SIG_IGN);
  int in = STDIN_FILENO;
  int out = STDOUT_FILENO;
  if (port > 0) {
    in = out = AcceptOneClient(port);
    if (in < 0) return 1;
  } else {
    // The protocol keeps standard output to itself: whatever else in the process prints there (the driver
    // library is not ours to vet) goes to standard error instead of into the editor's stream.
    out = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (out < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return 1;
  }
  FdStream stream(in, out);
  Server server(stream);
  const int status = server.Run();
  // A go the target would not stop for is still inside the driver: end without unloading anything.
  if (server.Abandoned()) {
    std::fflush(stderr);
    std::_Exit(status);
  }
  return status;
}
