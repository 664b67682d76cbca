#include "tools/orvdap/message_writer.h"

namespace orven::orvdap {

std::string MessageWriter::Frame(const nlohmann::json& message) {
  const std::string body = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

bool MessageWriter::Send(nlohmann::json message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (broken_) return false;
  message["seq"] = nextSeq_++;
  if (!out_.Write(Frame(message))) broken_ = true;
  return !broken_;
}

bool MessageWriter::Broken() {
  std::lock_guard<std::mutex> lock(mutex_);
  return broken_;
}

}  // namespace orven::orvdap
