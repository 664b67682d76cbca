// Several simulated programmers at once: each chip ends up with the file, a programmer that fails fails alone
// with its own log line, and a failed step counts no bytes.
#include "tormik/gang_runner.h"

#include <gtest/gtest.h>

#include <mutex>

#include "link/command_codes.h"
#include "programmer/ice_api.h"
#include "tests/support/programmer_rig.h"
#include "tormik/chip_catalogue.h"
#include "tormik/device_environment.h"
#include "tormik/image_buffer.h"

namespace orven::app {
namespace {

constexpr uint32_t kFlash = 0x2000;

// Counts what the workers report, from their threads.
class CountingObserver final : public GangObserver {
 public:
  void OnLog(size_t target, const std::string& line) override {
    std::lock_guard lock(mutex_);
    logs[target] += line;
  }
  void OnProgress(size_t, uint32_t, uint32_t) override {}
  void OnFinished(size_t target, const GangResult&) override {
    std::lock_guard lock(mutex_);
    ++finished[target];
  }
  std::map<size_t, std::string> logs;
  std::map<size_t, int> finished;

 private:
  std::mutex mutex_;
};

struct Bench {
  explicit Bench(size_t n) {
    for (size_t i = 0; i < n; ++i) {
      auto device = sim::MakeProgrammer(clock, sim::DeviceModel::kQx410);
      IdentificationBlock id = device->Identity();
      id.SetSerial(0x22, 0xBB, 0x00, uint8_t(i));
      device->SetIdentity(id);
      targets.push_back(GangTarget{bus.Attach(device), "22BB000" + std::to_string(i), &clock});
      devices.push_back(device);
    }
    for (uint32_t a = 0; a < kFlash; ++a) file.Image()[a] = uint8_t(a * 7 + 3);
  }
  GangJob Job(std::vector<GangStep> steps) {
    return GangJob{kQx410ModelWord, &chip, nullptr, std::move(steps)};
  }

  VirtualClock clock;
  sim::VirtualBus bus;
  sim::SimBackend backend{bus};
  std::vector<std::shared_ptr<sim::ProgrammerDevice>> devices;
  std::vector<GangTarget> targets;
  ChipEntry chip = testing::MakeChip(kFlash);
  ImageBuffer file;
};

struct FaultCase {
  const char* name;
  uint8_t code;
  sim::Fault fault;
  const char* failureLine;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class GangFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(GangFault, OneProgrammerFailsAloneTheOthersChipsAreGood) {
  const FaultCase& c = GetParam();
  Bench bench(4);
  bench.devices[2]->SetFault(c.code, c.fault);
  CountingObserver observer;
  GangRunner runner(bench.backend);
  const std::vector<GangResult> results = runner.Run(
      bench.Job({{programmer::kOpErase | programmer::kOpProgram, bench.file.Image()},
                 {programmer::kOpVerify, bench.file.Image()}}),
      bench.targets, &observer);
  ASSERT_EQ(results.size(), 4u);
  const std::vector<uint8_t> want(bench.file.Image(), bench.file.Image() + kFlash);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(results[i].serial, bench.targets[i].serial);
    EXPECT_EQ(observer.finished[i], 1);
    if (i == 2) {
      EXPECT_FALSE(results[i].ok);
      EXPECT_EQ(results[i].failureLine, c.failureLine);
      continue;
    }
    EXPECT_TRUE(results[i].ok) << observer.logs[i];
    EXPECT_EQ(results[i].bytes, 2u * kFlash);
    EXPECT_EQ(results[i].failureLine, "");
    EXPECT_EQ(bench.devices[i]->Flash(), want);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, GangFault,
    ::testing::Values(
        FaultCase{"NoReplyWhileProgramming", cmd::kProgramBlock, {sim::FaultKind::kNoReply, 0, 3, 1}, "写入..."},
        FaultCase{"UnpluggedWhileProgramming", cmd::kProgramBlock, {sim::FaultKind::kLeaveBus, 0, 5, 1}, "写入..."},
        FaultCase{"VerifyFindsAnotherByte", cmd::kReadBlock, {sim::FaultKind::kWrongCode, 0, 0, 1}, "校验..."},
        FaultCase{"GoneBeforeConnecting", cmd::kIdentify, {sim::FaultKind::kNoReply, 0, 0, -1},
                  "未检测到设备, 联机失败"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(GangRunner, ChipHookGivesEachChipItsOwnImageAndCanRefuseOne) {
  Bench bench(3);
  GangRunner runner(bench.backend);
  runner.SetChipHook([](size_t target, uint8_t* image, std::string* why) {
    if (target == 1) {
      *why = "refused";
      return false;
    }
    image[0x10] = uint8_t(0xA0 + target);
    return true;
  });
  std::vector<size_t> done;
  std::mutex mutex;
  runner.SetChipDone([&](size_t target, const GangResult&) {
    std::lock_guard lock(mutex);
    done.push_back(target);
  });
  const std::vector<GangResult> results =
      runner.Run(bench.Job({{programmer::kOpErase | programmer::kOpProgram, bench.file.Image()}}), bench.targets, nullptr);
  EXPECT_TRUE(results[0].ok);
  EXPECT_FALSE(results[1].ok);
  EXPECT_EQ(results[1].failureLine, "refused");
  EXPECT_TRUE(results[2].ok);
  EXPECT_EQ(bench.devices[0]->Flash()[0x10], 0xA0);
  EXPECT_EQ(bench.devices[2]->Flash()[0x10], 0xA2);
  EXPECT_EQ(bench.devices[0]->Flash()[0x11], bench.file.Image()[0x11]);
  EXPECT_EQ(bench.file.Image()[0x10], uint8_t(0x10 * 7 + 3)) << "the shared file must stay untouched";
  EXPECT_EQ(done.size(), 3u);
}

TEST(GangRunner, AnotherModelIsRefused) {
  Bench bench(1);
  auto orvenf = sim::MakeProgrammer(bench.clock, sim::DeviceModel::kOrvenf);
  bench.targets.push_back(GangTarget{bench.bus.Attach(orvenf), "01AB007F", &bench.clock});
  GangRunner runner(bench.backend);
  // Model word 0 would open anything; the gang insists on the QX410, which the ORVENF's product is not.
  const std::vector<GangResult> results =
      runner.Run(bench.Job({{programmer::kOpErase, nullptr}}), bench.targets, nullptr);
  EXPECT_TRUE(results[0].ok);
  EXPECT_FALSE(results[1].ok);
}

TEST(SimBench, ProgrammerCountIsBounded) {
  const std::pair<const char*, unsigned> cases[] = {
      {nullptr, 1}, {"", 1}, {"4", 4}, {"16", 16}, {"17", 1}, {"0", 1}, {"-2", 1}, {"4x", 1}, {"999", 1}};
  for (const auto& [text, want] : cases) EXPECT_EQ(SimProgrammerCount(text), want) << (text ? text : "(unset)");
  EXPECT_EQ(SimProgrammerSerial(0), 0x01AB007Fu);
  EXPECT_EQ(SimProgrammerSerial(3), 0x01AB0082u);
}

}  // namespace
}  // namespace orven::app
