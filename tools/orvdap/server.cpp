#include "tools/orvdap/server.h"

#include "tools/orvdap/texts.h"

namespace orven::orvdap {

using nlohmann::json;

std::string DescribeFault(const ReadResult& fault) {
  const char* text = texts::kBadJson;
  switch (fault.error) {
    case FrameError::kHeaderTooLong: text = texts::kHeaderTooLong; break;
    case FrameError::kBadHeaderLine: text = texts::kBadHeaderLine; break;
    case FrameError::kNoContentLength: text = texts::kNoContentLength; break;
    case FrameError::kBadContentLength: text = texts::kBadContentLength; break;
    case FrameError::kBodyTooLarge: text = texts::kBodyTooLarge; break;
    case FrameError::kBadJson: text = texts::kBadJson; break;
    case FrameError::kTooDeep: text = texts::kTooDeep; break;
    case FrameError::kNotAnObject: text = texts::kNotAnObject; break;
    case FrameError::kTruncated: text = texts::kTruncated; break;
    case FrameError::kNone: break;
  }
  std::string line = text;
  if (!fault.detail.empty()) line += " (" + fault.detail + ")";
  return line;
}

int Server::Run() {
  for (;;) {
    const ReadResult r = reader_.Read(stream_);
    if (r.status == ReadStatus::kMessage) {
      Dispatch(r.message);
    } else if (r.status == ReadStatus::kMalformed) {
      Console(DescribeFault(r));
    } else {
      return 0;
    }
    if (writer_.Broken()) return 1;
    if (disconnected_) return 0;
  }
}

void Server::Dispatch(const json& message) {
  const auto type = message.find("type");
  const auto seq = message.find("seq");
  const auto command = message.find("command");
  if (type == message.end() || *type != "request" || seq == message.end() || !seq->is_number_integer() ||
      command == message.end() || !command->is_string()) {
    Console(texts::kNotARequest);
    return;
  }
  const std::string& name = command->get_ref<const std::string&>();
  if (name == "initialize") {
    // Only what this adapter already answers is announced; the rest stays absent (false).
    Respond(message, json{{"supportsTerminateRequest", true}});
  } else if (name == "terminate") {
    Respond(message, json::object()) && SendEvent("terminated", json::object());
  } else if (name == "disconnect") {
    Respond(message, json::object());
    disconnected_ = true;
  } else {
    Refuse(message, texts::kUnsupported + name);
  }
}

bool Server::Respond(const json& request, json body) {
  return writer_.Send(json{{"type", "response"},
                           {"request_seq", request["seq"]},
                           {"success", true},
                           {"command", request["command"]},
                           {"body", std::move(body)}});
}

bool Server::Refuse(const json& request, const std::string& text) {
  return writer_.Send(json{{"type", "response"},
                           {"request_seq", request["seq"]},
                           {"success", false},
                           {"command", request["command"]},
                           {"message", text},
                           {"body", {{"error", {{"id", 1}, {"format", text}, {"showUser", true}}}}}});
}

bool Server::SendEvent(const char* name, json body) {
  return writer_.Send(json{{"type", "event"}, {"event", name}, {"body", std::move(body)}});
}

bool Server::Console(const std::string& text) {
  return SendEvent("output", json{{"category", "console"}, {"output", text + "\n"}});
}

}  // namespace orven::orvdap
