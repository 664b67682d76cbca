#include "tools/orvdap/server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/orvdap/chunk_stream.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {
namespace {

using nlohmann::json;

std::string Request(int seq, const std::string& command) {
  return Framed(json{{"seq", seq}, {"type", "request"}, {"command", command}, {"arguments", json::object()}}.dump());
}

std::vector<json> Replies(const std::string& written) {
  MessageReader reader;
  reader.Append(written);
  std::vector<json> out;
  for (ReadResult r = reader.Next(); r.status == ReadStatus::kMessage; r = reader.Next()) out.push_back(r.message);
  return out;
}

TEST(Server, AnswersEachRequestAndReportsMalformedMessages) {
  ChunkStream stream({Request(1, "initialize") + Framed("{oops") + Framed(R"({"type":"event","seq":2})"),
                      Request(3, "launch") + Request(4, "terminate"), Request(5, "disconnect") + Request(6, "never")});
  EXPECT_EQ(Server(stream).Run(), 0);

  const std::vector<json> replies = Replies(stream.written_);
  struct Expected {
    const char* type;
    const char* name;  // command or event
    int requestSeq;    // responses only
    bool success;
  } expected[] = {
      {"response", "initialize", 1, true}, {"event", "output", 0, true},   {"event", "output", 0, true},
      {"response", "launch", 3, false},    {"event", "terminated", 0, true}, {"response", "terminate", 4, true},
      {"response", "disconnect", 5, true},
  };
  ASSERT_EQ(replies.size(), std::size(expected)) << stream.written_;
  for (size_t i = 0; i < replies.size(); ++i) {
    const json& m = replies[i];
    const Expected& e = expected[i];
    SCOPED_TRACE(m.dump());
    EXPECT_EQ(m["seq"], i + 1);
    EXPECT_EQ(m["type"], e.type);
    if (m["type"] == "response") {
      EXPECT_EQ(m["command"], e.name);
      EXPECT_EQ(m["request_seq"], e.requestSeq);
      EXPECT_EQ(m["success"], e.success);
    } else {
      EXPECT_EQ(m["event"], e.name);
    }
  }
  EXPECT_EQ(replies[0]["body"]["supportsTerminateRequest"], true);
  EXPECT_EQ(replies[1]["body"]["category"], "console");
  EXPECT_EQ(replies[1]["body"]["output"].get<std::string>().rfind(texts::kBadJson, 0), 0u);
  EXPECT_EQ(replies[2]["body"]["output"], std::string(texts::kNotARequest) + "\n");
  // A launch without a program says what to set, and the session is over.
  EXPECT_EQ(replies[3]["message"], texts::kNoProgram);
}

TEST(Server, EndsWhenTheEditorCannotBeWritten) {
  ChunkStream stream({Request(1, "initialize"), Request(2, "initialize")});
  stream.failWrites_ = true;
  EXPECT_EQ(Server(stream).Run(), 1);
}

}  // namespace
}  // namespace orven::orvdap
