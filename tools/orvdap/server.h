// The debug adapter's request loop: reads the editor's requests, answers each with a response, and turns
// every malformed message into a line on the editor's debug console instead of ending the session.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "tools/orvdap/byte_stream.h"
#include "tools/orvdap/message_reader.h"
#include "tools/orvdap/message_writer.h"

namespace orven::orvdap {

class Server {
 public:
  explicit Server(ByteStream& stream, ReaderLimits limits = {}) : stream_(stream), reader_(limits), writer_(stream) {}

  // Serves until the editor disconnects or closes the stream (0), or can no longer be written to (1).
  int Run();

 private:
  void Dispatch(const nlohmann::json& message);
  // Each Send* is false when the editor can no longer be written to.
  bool Respond(const nlohmann::json& request, nlohmann::json body);
  bool Refuse(const nlohmann::json& request, const std::string& text);
  bool SendEvent(const char* name, nlohmann::json body);
  bool Console(const std::string& text);

  ByteStream& stream_;
  MessageReader reader_;
  MessageWriter writer_;
  bool disconnected_ = false;
};

// What the debug console says about a malformed message.
std::string DescribeFault(const ReadResult& fault);

}  // namespace orven::orvdap
