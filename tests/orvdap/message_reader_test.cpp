#include "tools/orvdap/message_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/orvdap/chunk_stream.h"
#include "tools/orvdap/message_writer.h"

namespace orven::orvdap {
namespace {

const char* ErrorName(FrameError e) {
  switch (e) {
    case FrameError::kNone: return "none";
    case FrameError::kHeaderTooLong: return "header-too-long";
    case FrameError::kBadHeaderLine: return "bad-header-line";
    case FrameError::kNoContentLength: return "no-content-length";
    case FrameError::kBadContentLength: return "bad-content-length";
    case FrameError::kBodyTooLarge: return "body-too-large";
    case FrameError::kBadJson: return "bad-json";
    case FrameError::kTooDeep: return "too-deep";
    case FrameError::kNotAnObject: return "not-an-object";
    case FrameError::kTruncated: return "truncated";
  }
  return "?";
}

// Everything the reader makes of the stream, one word each: "m:COMMAND", the error's name, then "end".
std::vector<std::string> ReadAll(std::vector<std::string> chunks, ReaderLimits limits) {
  ChunkStream in(std::move(chunks));
  MessageReader reader(limits);
  std::vector<std::string> seen;
  for (int guard = 0; guard < 100; ++guard) {
    const ReadResult r = reader.Read(in);
    if (r.status == ReadStatus::kMessage) {
      seen.push_back("m:" + r.message.value("command", std::string("?")));
    } else if (r.status == ReadStatus::kMalformed) {
      seen.push_back(ErrorName(r.error));
      EXPECT_LE(r.detail.size(), MessageReader::kMaxDetail);
    } else {
      seen.push_back("end");
      // The end is final.
      EXPECT_EQ(reader.Read(in).status, ReadStatus::kEnd);
      break;
    }
  }
  return seen;
}

std::string Req(const std::string& command) {
  return Framed(R"({"seq":1,"type":"request","command":")" + command + "\"}");
}

std::vector<std::string> Bytewise(const std::string& s) {
  std::vector<std::string> out;
  for (char c : s) out.emplace_back(1, c);
  return out;
}

TEST(MessageReader, FramingCutEveryWay) {
  ReaderLimits small;
  small.maxBodyBytes = 64;
  small.maxHeaderBytes = 64;
  small.maxNesting = 8;
  const std::string two = Req("a") + Req("b");
  struct Case {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::string> expected;
    ReaderLimits limits = {};
  } cases[] = {
      {"one message", {Req("a")}, {"m:a", "end"}},
      {"every byte apart", Bytewise(two), {"m:a", "m:b", "end"}},
      {"header split at its empty line", {"Content-Length: 2\r\n\r", "\n{}"}, {"m:?", "end"}},
      {"three in one read", {Req("a") + Req("b") + Req("c")}, {"m:a", "m:b", "m:c", "end"}},
      {"second cut inside its body", {two.substr(0, two.size() - 5), two.substr(two.size() - 5)},
       {"m:a", "m:b", "end"}},
      {"other fields, any case, spaces", {"content-type: x\r\ncontent-LENGTH:\t 2 \r\n\r\n{}"}, {"m:?", "end"}},
      {"the same length twice", {"Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}"}, {"m:?", "end"}},
      {"no Content-Length, then a good one", {"Content-Type: json\r\n\r\n" + Req("a")},
       {"no-content-length", "m:a", "end"}},
      {"length not a number", {"Content-Length: 1x\r\n\r\n" + Req("a")}, {"bad-content-length", "m:a", "end"}},
      {"length negative", {"Content-Length: -2\r\n\r\n" + Req("a")}, {"bad-content-length", "m:a", "end"}},
      {"length empty", {"Content-Length:\r\n\r\n" + Req("a")}, {"bad-content-length", "m:a", "end"}},
      {"length of 11 digits", {"Content-Length: 99999999999\r\n\r\n" + Req("a")},
       {"bad-content-length", "m:a", "end"}},
      {"two lengths that differ", {"Content-Length: 2\r\nContent-Length: 3\r\n\r\n" + Req("a")},
       {"bad-content-length", "m:a", "end"}},
      {"header line without a name", {"Content-Length 2\r\n\r\n" + Req("a")}, {"bad-header-line", "m:a", "end"}},
      {"body over the limit is skipped", {Framed("{\"pad\":\"" + std::string(100, 'x') + "\"}") + Req("a")},
       {"body-too-large", "m:a", "end"}, small},
      {"skipped body arrives bytewise", Bytewise(Framed(std::string(70, ' ')) + Req("a")),
       {"body-too-large", "m:a", "end"}, small},
      {"header over the limit", {std::string(100, 'X') + "\r\n\r\n" + Req("a")}, {"header-too-long", "m:a", "end"},
       small},
      {"header over the limit, bytewise", Bytewise(std::string(100, 'X') + "\r\n\r\n" + Req("a")),
       {"header-too-long", "m:a", "end"}, small},
      {"bad JSON, then a good one", {Framed("{\"seq\":") + Req("a")}, {"bad-json", "m:a", "end"}},
      {"empty body", {Framed("") + Req("a")}, {"bad-json", "m:a", "end"}},
      {"invalid UTF-8 in a string", {Framed("{\"a\":\"\xC3\x28\"}") + Req("a")}, {"bad-json", "m:a", "end"}},
      {"an array", {Framed("[1,2]") + Req("a")}, {"not-an-object", "m:a", "end"}},
      {"nested too deeply", {Framed(std::string(9, '[') + std::string(9, ']')) + Req("a")},
       {"too-deep", "m:a", "end"}, small},
      {"brackets inside strings do not nest", {Framed(R"({"command":"[[[[[[[[[[{{{{\"[[["})")},
       {"m:[[[[[[[[[[{{{{\"[[[", "end"}, small},
      {"ends inside a header", {"Content-Len"}, {"truncated", "end"}},
      {"ends inside a body", {"Content-Length: 10\r\n\r\n{}"}, {"truncated", "end"}},
      {"ends inside a skipped body", {Framed(std::string(70, ' ')).substr(0, 40)}, {"body-too-large", "truncated", "end"},
       small},
      {"nothing at all", {}, {"end"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAll(c.chunks, c.limits), c.expected) << c.name;
  }
}

TEST(MessageReader, DetailQuotesTheOffendingLineAndIsBounded) {
  MessageReader reader;
  reader.Append("Content-Length: " + std::string(300, '7') + "\r\n\r\n");
  const ReadResult r = reader.Next();
  ASSERT_EQ(r.status, ReadStatus::kMalformed);
  EXPECT_EQ(r.detail, ("Content-Length: " + std::string(300, '7')).substr(0, MessageReader::kMaxDetail));
  EXPECT_EQ(reader.Next().status, ReadStatus::kNeedMore);
}

TEST(MessageWriter, FramesReadBackWithAscendingSeqAndSafeText) {
  ChunkStream out({});
  MessageWriter writer(out);
  ASSERT_TRUE(writer.Send({{"type", "event"}, {"event", "output"}, {"body", {{"output", "caf\xC3\xA9 \xB2\xE2\n"}}}}));
  ASSERT_TRUE(writer.Send({{"type", "event"}, {"event", "terminated"}, {"seq", 99}}));

  MessageReader reader;
  reader.Append(out.written_);
  const ReadResult first = reader.Next();
  const ReadResult second = reader.Next();
  ASSERT_EQ(first.status, ReadStatus::kMessage);
  ASSERT_EQ(second.status, ReadStatus::kMessage);
  EXPECT_EQ(first.message["seq"], 1);
  EXPECT_EQ(second.message["seq"], 2);
  // A byte that is not UTF-8 goes out as U+FFFD instead of failing the whole message.
  EXPECT_EQ(first.message["body"]["output"], "caf\xC3\xA9 \xEF\xBF\xBD\xEF\xBF\xBD\n");
  EXPECT_EQ(reader.Next().status, ReadStatus::kNeedMore);

  out.failWrites_ = true;
  EXPECT_FALSE(writer.Send({{"type", "event"}}));
  out.failWrites_ = false;
  EXPECT_FALSE(writer.Send({{"type", "event"}})) << "a broken stream stays broken";
}

TEST(MessageWriter, TwoThreadsNeverInterleaveAndSeqFollowsTheWireOrder) {
  ChunkStream out({});
  MessageWriter writer(out);
  constexpr int kEach = 300;
  auto sendMany = [&writer](const char* name) {
    for (int i = 0; i < kEach; ++i) writer.Send({{"type", "event"}, {"event", name}, {"body", {{"i", i}}}});
  };
  std::thread go(sendMany, "stopped");
  sendMany("output");
  go.join();

  MessageReader reader;
  reader.Append(out.written_);
  int count = 0;
  int next[2] = {0, 0};
  for (ReadResult r = reader.Next(); r.status == ReadStatus::kMessage; r = reader.Next()) {
    ++count;
    ASSERT_EQ(r.message["seq"], count);
    // Each thread's messages keep their own order.
    int& expected = next[r.message["event"] == "stopped" ? 0 : 1];
    ASSERT_EQ(r.message["body"]["i"], expected++);
  }
  EXPECT_EQ(count, 2 * kEach);
}

}  // namespace
}  // namespace orven::orvdap
