// orvdap's server on a thread of this test, spoken to over a socket pair as an editor speaks to it: requests
// go out framed, responses and events are collected as they come, and a test waits for the one it needs.
// Every wait gives up after a generous bound so that a lost reply fails the test instead of hanging it.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/orvdap/fd_stream.h"
#include "tools/orvdap/message_reader.h"
#include "tools/orvdap/server.h"

namespace orven::orvdap {

class DapClient {
 public:
  using json = nlohmann::json;

  DapClient() {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds_) != 0) return;
    stream_ = std::make_unique<FdStream>(fds_[1], fds_[1]);
    server_ = std::thread([this] {
      Server server(*stream_);
      status_ = server.Run();
    });
  }
  ~DapClient() {
    ::shutdown(fds_[0], SHUT_WR);  // the editor went away: the server ends
    if (server_.joinable()) server_.join();
    close(fds_[0]);
    close(fds_[1]);
  }

  // Sends a request; its sequence number.
  int Send(const std::string& command, json arguments = json::object()) {
    const json request{{"seq", nextSeq_}, {"type", "request"}, {"command", command}, {"arguments", arguments}};
    const std::string body = request.dump();
    const std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (size_t done = 0; done < framed.size();) {
      const ssize_t n = write(fds_[0], framed.data() + done, framed.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    return nextSeq_++;
  }
  // The response to request seq (null when none came).
  json Response(int seq) {
    return Wait([&](const json& m) { return m["type"] == "response" && m["request_seq"] == seq; });
  }
  // Sends and waits for the response.
  json Request(const std::string& command, json arguments = json::object()) {
    return Response(Send(command, std::move(arguments)));
  }
  // The next event of that name not yet taken (null when none came).
  json Event(const std::string& name) {
    return Wait([&](const json& m) { return m["type"] == "event" && m["event"] == name; });
  }
  // Everything received so far, in order.
  const std::vector<json>& Received() const { return received_; }
  // The server's exit status once it has ended (after a disconnect), -1 before.
  int WaitForEnd() {
    if (server_.joinable()) server_.join();
    return status_;
  }

 private:
  template <typename Match>
  json Wait(Match match) {
    for (;;) {
      for (size_t i = 0; i < received_.size(); ++i) {
        if (!taken_[i] && match(received_[i])) {
          taken_[i] = true;
          return received_[i];
        }
      }
      if (!ReadMore()) return nullptr;
    }
  }
  bool ReadMore() {
    pollfd p{fds_[0], POLLIN, 0};
    // A bound against a hang only: the simulator runs in virtual time and answers at once.
    if (poll(&p, 1, 60000) <= 0) return false;
    char buf[4096];
    const ssize_t n = read(fds_[0], buf, sizeof buf);
    if (n <= 0) return false;
    reader_.Append(std::string_view(buf, static_cast<size_t>(n)));
    for (ReadResult r = reader_.Next(); r.status == ReadStatus::kMessage; r = reader_.Next()) {
      received_.push_back(r.message);
      taken_.push_back(false);
    }
    return true;
  }

  int fds_[2] = {-1, -1};
  std::unique_ptr<FdStream> stream_;
  std::thread server_;
  int status_ = -1;
  int nextSeq_ = 1;
  MessageReader reader_;
  std::vector<json> received_;
  std::vector<bool> taken_;
};

}  // namespace orven::orvdap
