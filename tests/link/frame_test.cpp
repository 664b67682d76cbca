// The command frame against a scripted device: exact report streams out, hostile report streams in.
#include "link/frame.h"

#include <gtest/gtest.h>

#include <numeric>

#include "link/texts.h"
#include "tests/support/scripted_backend.h"

namespace orven::link {
namespace {

using testing::Bytes;
using testing::HexDump;

Bytes Pattern(uint32_t n, uint8_t seed = 1) {
  Bytes b(n);
  for (uint32_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
  return b;
}

struct Rig {
  testing::ScriptedBackend backend;
  std::shared_ptr<testing::ScriptedDevice> device = backend.Add(kVendorId, kProductQx410);
  CHid hid{backend};
  CommandFrame frame;
  explicit Rig(FrameFlavour flavour = FrameFlavour::kProgrammer) : frame(hid, flavour) { EXPECT_TRUE(hid.OpenDevice(0x5120)); }
  void Queue(const Bytes& r) { device->input.push_back(r); }
  void Queue(const std::vector<Bytes>& rs) {
    for (const Bytes& r : rs) device->input.push_back(r);
  }
};

TEST(SendCommand, CommandWithoutDataIsOneReportWithFlagAndCallersLength) {
  Rig rig;
  FrameReport cmd = FrameReport::Command(36, 0x1234, 40);
  cmd.Params()[0] = 0xEE;
  ASSERT_TRUE(rig.frame.SendCommand(cmd, nullptr, 0));
  ASSERT_EQ(rig.device->output.size(), 1u);
  const Bytes& r = rig.device->output[0];
  Bytes expected(64, 0);
  expected[0] = 0x58;
  expected[2] = 36;
  expected[3] = 0x80;
  PutU32Le(expected.data() + 4, 0x1234);
  PutU32Le(expected.data() + 8, 40);
  expected[12] = 0xEE;
  EXPECT_EQ(r, expected) << "sent:\n" << HexDump(r) << "\nexpected:\n" << HexDump(expected);
  EXPECT_EQ(rig.device->purges, 1) << "every command begins with a purge";
}

TEST(SendCommand, DataBlocksSplitIntoNumberedReportsOf62Bytes) {
  struct Case {
    uint32_t length;
    uint32_t reports;
    uint32_t lastMeaningful;
  };
  for (const Case& c : {Case{62, 1, 62}, Case{63, 2, 1}, Case{256, 5, 8}, Case{1024, 17, 32}}) {
    SCOPED_TRACE(c.length);
    Rig rig;
    Bytes data = Pattern(c.length);
    FrameReport cmd = FrameReport::Command(35, 0x100, 0xDEAD);
    ASSERT_TRUE(rig.frame.SendCommand(cmd, data.data(), c.length));
    ASSERT_EQ(rig.device->output.size(), 1 + c.reports);
    const Bytes& head = rig.device->output[0];
    EXPECT_EQ(head[3], 0) << "data flag clear when data follow";
    EXPECT_EQ(GetU32Le(head.data() + 8), c.length) << "length field set to the data length";
    Bytes reassembled;
    for (uint32_t s = 0; s < c.reports; ++s) {
      const Bytes& r = rig.device->output[1 + s];
      EXPECT_EQ(r[0], 0xA5);
      EXPECT_EQ(r[1], s);
      reassembled.insert(reassembled.end(), r.begin() + 2, r.end());
    }
    EXPECT_EQ(Bytes(reassembled.begin(), reassembled.begin() + c.length), data);
    const Bytes& last = rig.device->output.back();
    EXPECT_TRUE(std::all_of(last.begin() + 2 + c.lastMeaningful, last.end(), [](uint8_t b) { return b == 0; }));
  }
}

TEST(SendCommand, StopsAtTheFirstFailedWrite) {
  Rig rig;
  rig.device->gone = true;
  FrameReport cmd = FrameReport::Command(0);
  EXPECT_FALSE(rig.frame.SendCommand(cmd, nullptr, 0));
  EXPECT_EQ(rig.frame.LastError(), FrameError::kWriteFailed);
}

TEST(ReceiveResponse, CompletesAfterTheAnnouncedLength) {
  for (uint32_t length : {40u, 62u, 63u, 256u}) {
    SCOPED_TRACE(length);
    Rig rig;
    Bytes block = Pattern(length, 3);
    rig.Queue(testing::Response(36, 0, length));
    rig.Queue(testing::DataReports(block));
    rig.Queue(testing::Response(99, 0, 0));  // must stay unread
    Bytes dest(300, 0xCC);
    FrameReport resp;
    ASSERT_TRUE(rig.frame.ReceiveResponse(resp, dest.data(), 300, 36, 500));
    EXPECT_EQ(Bytes(dest.begin(), dest.begin() + length), block);
    EXPECT_TRUE(std::all_of(dest.begin() + length, dest.end(), [](uint8_t b) { return b == 0xCC; }));
    EXPECT_EQ(rig.device->input.size(), 1u) << "no report read past the block";
  }
}

TEST(ReceiveResponse, DataReportsArePlacedBySequenceNumber) {
  Rig rig;
  Bytes block = Pattern(256, 9);
  std::vector<Bytes> reports = testing::DataReports(block);
  rig.Queue(testing::Response(36, 0, 256));
  for (int s : {4, 2, 0, 3, 1}) rig.Queue(reports[s]);
  Bytes dest(256, 0);
  FrameReport resp;
  ASSERT_TRUE(rig.frame.ReceiveResponse(resp, dest.data(), 256, 36, 500));
  EXPECT_EQ(dest, block);
}

TEST(ReceiveResponse, AcceptanceByFlavour) {
  struct Case {
    const char* what;
    Bytes response;
    bool programmer;
    bool emulator;
    FrameError programmerError;
  };
  Bytes badMarker = testing::Response(7, 0, 0);
  badMarker[0] = 0x58;
  const Case cases[] = {
      {"status 0 without data", testing::Response(7, 0, 0), true, true, FrameError::kNone},
      {"status 1 without data", testing::Response(7, 1, 0), false, true, FrameError::kRefused},
      {"reply to another code", testing::Response(8, 0, 0), false, false, FrameError::kWrongCode},
      {"wrong marker", badMarker, false, false, FrameError::kBadMarker},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (FrameFlavour flavour : {FrameFlavour::kProgrammer, FrameFlavour::kEmulator}) {
      Rig rig(flavour);
      int messages = 0;
      rig.frame.SetCommErrorHandler([&](const char* text) {
        EXPECT_STREQ(text, texts::kEmulatorCommError);
        ++messages;
      });
      rig.Queue(c.response);
      FrameReport resp;
      const bool ok = rig.frame.ReceiveResponse(resp, nullptr, 0, 7, 500);
      const bool programmer = flavour == FrameFlavour::kProgrammer;
      EXPECT_EQ(ok, programmer ? c.programmer : c.emulator);
      if (programmer) {
        EXPECT_EQ(rig.frame.LastError(), c.programmerError);
      }
      const bool malformed = c.programmerError == FrameError::kWrongCode || c.programmerError == FrameError::kBadMarker;
      EXPECT_EQ(messages, !programmer && malformed ? 1 : 0);
    }
  }
}

TEST(ReceiveResponse, StatusIsNotExaminedWhenDataFollow) {
  Rig rig;
  Bytes found = {0x23, 0x01, 0, 0, 0x5A, 0, 0, 0};
  rig.Queue(testing::Response(34, 13, 8));
  rig.Queue(testing::DataReports(found));
  uint8_t dest[8];
  FrameReport resp;
  ASSERT_TRUE(rig.frame.ReceiveResponse(resp, dest, 8, 34, 500));
  EXPECT_EQ(resp.Status(), 13);
  EXPECT_EQ(GetU32Le(dest), 0x123u);
}

TEST(ReceiveResponse, HostileDataNeverWritesOutOfBounds) {
  // Each script is rejected; the destination holds 100 bytes behind a guard zone that must stay untouched.
  const Bytes block = Pattern(124, 5);
  struct Case {
    const char* what;
    uint32_t length;
    std::vector<Bytes> data;
    FrameError error;
  };
  const Case cases[] = {
      {"sequence at the announced length", 62, {testing::DataReport(1, block.data(), 62)}, FrameError::kDataOutOfRange},
      {"sequence far past the length", 40, {testing::DataReport(255, block.data(), 62)}, FrameError::kDataOutOfRange},
      {"length larger than the destination", 101, {}, FrameError::kLengthTooLarge},
      {"huge length", 0xFFFFFFFFu, {}, FrameError::kLengthTooLarge},
      {"repeated report would hide a hole",
       100,
       {testing::DataReport(0, block.data(), 62), testing::DataReport(0, block.data(), 62)},
       FrameError::kDataOutOfRange},
      {"data report without marker", 40, {Bytes(64, 0x11)}, FrameError::kDataBadMarker},
      {"data report missing", 100, {testing::DataReport(0, block.data(), 62)}, FrameError::kDataMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (FrameFlavour flavour : {FrameFlavour::kProgrammer, FrameFlavour::kEmulator}) {
      Rig rig(flavour);
      int messages = 0;
      rig.frame.SetCommErrorHandler([&](const char*) { ++messages; });
      rig.Queue(testing::Response(36, 0, c.length));
      rig.Queue(c.data);
      Bytes dest(164, 0xCC);
      FrameReport resp;
      EXPECT_FALSE(rig.frame.ReceiveResponse(resp, dest.data(), 100, 36, 500));
      EXPECT_EQ(rig.frame.LastError(), c.error);
      EXPECT_TRUE(std::all_of(dest.begin() + std::min<uint32_t>(c.length, 100), dest.end(),
                              [](uint8_t b) { return b == 0xCC; }))
          << HexDump(dest);
      EXPECT_EQ(messages, flavour == FrameFlavour::kEmulator ? 1 : 0);
    }
  }
}

TEST(ReceiveResponse, NoResponseIsNotAMalformedResponse) {
  Rig rig(FrameFlavour::kEmulator);
  int messages = 0;
  rig.frame.SetCommErrorHandler([&](const char*) { ++messages; });
  FrameReport resp;
  EXPECT_FALSE(rig.frame.ReceiveResponse(resp, nullptr, 0, 0, 500));
  EXPECT_EQ(rig.frame.LastError(), FrameError::kNoResponse);
  EXPECT_EQ(messages, 0);
}

}  // namespace
}  // namespace orven::link
