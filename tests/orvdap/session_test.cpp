// Whole debug sessions through the protocol: orvdap loads the real liborvend.so, which talks to the simulated
// emulator in process with its pod in virtual time, on a program SDCC builds here.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/orvdap/dap_client.h"
#include "tests/support/sdcc_program.h"
#include "tools/orvdap/base64.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {
namespace {

using nlohmann::json;

std::string Hex4(uint32_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", v);
  return buf;
}

std::vector<uint8_t> Bytes(const json& readMemoryBody) {
  return DecodeBase64(readMemoryBody.value("data", "")).value_or(std::vector<uint8_t>{});
}

class DapSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!program_.Load(ORVEN_BLINKER)) GTEST_SKIP() << "no SDCC-built test program";
    // The pod and the driver's waits in virtual time: a go polls without waiting.
    setenv("ORVEN_SIM_VIRTUAL", "1", 1);
  }
  json LaunchArgs() const {
    return json{{"program", std::string(ORVEN_BLINKER) + ".ihx"},
                {"device", "sim"},
                {"options", "-E1 -F16 -V0 -C0"},
                {"answer", "yes"},
                {"stopOnEntry", true}};
  }
  // initialize and launch; the launch response.
  json Launch(DapClient& dap, json args) {
    EXPECT_EQ(dap.Request("initialize", json{{"adapterID", "orven"}, {"supportsProgressReporting", true}})["success"],
              true);
    return dap.Request("launch", std::move(args));
  }

  ::orven::testing::SdccProgram program_;
};

TEST_F(DapSession, BreaksReadsPausesStepsRestartsAndTerminates) {
  DapClient dap;
  json args = LaunchArgs();
  args["download"] = true;  // -F16: into the pod, with its progress bar
  const json launched = Launch(dap, args);
  ASSERT_EQ(launched["success"], true) << launched.dump();
  ASSERT_FALSE(dap.Event("initialized").is_null());
  // Programming and verifying: each bar started is ended, the first before the second starts.
  std::vector<std::string> progress;
  for (const json& m : dap.Received()) {
    const std::string name = m.value("event", "");
    if (name.rfind("progress", 0) == 0) progress.push_back(name + " " + m["body"]["progressId"].get<std::string>());
  }
  EXPECT_EQ(progress, (std::vector<std::string>{"progressStart orven-progress-1", "progressUpdate orven-progress-1",
                                                "progressEnd orven-progress-1", "progressStart orven-progress-2",
                                                "progressUpdate orven-progress-2", "progressEnd orven-progress-2"}));

  // Four breakpoints fit the emulator; the fifth and sixth come back unverified with the reason.
  const uint32_t tick = program_.At("_tick");
  json wanted = json::array({json{{"instructionReference", "C:0x" + Hex4(tick)}}});
  for (uint32_t unused : {0xF000u, 0xF010u, 0xF020u, 0xF030u, 0xF040u}) {
    wanted.push_back(json{{"instructionReference", "C:0x" + Hex4(unused)}});
  }
  const json set = dap.Request("setInstructionBreakpoints", json{{"breakpoints", wanted}});
  ASSERT_EQ(set["success"], true) << set.dump();
  const json& bps = set["body"]["breakpoints"];
  ASSERT_EQ(bps.size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(bps[i].dump());
    EXPECT_EQ(bps[i]["verified"], i < 4);
    if (i >= 4) {
      EXPECT_EQ(bps[i]["message"], texts::kBreakpointLimit);
    }
  }

  ASSERT_EQ(dap.Request("configurationDone")["success"], true);
  json stopped = dap.Event("stopped");
  EXPECT_EQ(stopped["body"]["reason"], "entry") << stopped.dump();
  EXPECT_EQ(dap.Request("threads")["body"]["threads"].size(), 1u);

  // Continue to the breakpoint in tick(): after fill() and B = 0x5A.
  ASSERT_EQ(dap.Request("continue", json{{"threadId", 1}})["success"], true);
  stopped = dap.Event("stopped");
  EXPECT_EQ(stopped["body"]["reason"], "instruction breakpoint") << stopped.dump();
  EXPECT_EQ(stopped["body"]["hitBreakpointIds"], json::array({bps[0]["id"]}));
  const json frames = dap.Request("stackTrace", json{{"threadId", 1}});
  EXPECT_EQ(frames["body"]["stackFrames"][0]["instructionPointerReference"], "C:0x" + Hex4(tick));

  const json scopes = dap.Request("scopes", json{{"frameId", frames["body"]["stackFrames"][0]["id"]}});
  // Locals and Globals come first with the program's debug information.
  ASSERT_EQ(scopes["body"]["scopes"][2]["name"], "Registers") << scopes.dump();
  const json regs = dap.Request("variables", json{{"variablesReference", scopes["body"]["scopes"][2]["variablesReference"]},
                                                  {"format", {{"hex", true}}}});
  std::map<std::string, std::string> byName;
  for (const json& v : regs["body"]["variables"]) byName[v["name"]] = v["value"];
  EXPECT_EQ(byName["PC"], "0x" + Hex4(tick)) << regs.dump();
  EXPECT_EQ(byName["B"], "0x5A") << regs.dump();
  EXPECT_EQ(byName.size(), 14u);

  // The pattern fill() wrote, read, written and read again; past the end of the space nothing is read.
  const std::string pattern = "X:0x" + Hex4(program_.At("_pattern"));
  json read = dap.Request("readMemory", json{{"memoryReference", pattern}, {"count", 8}});
  EXPECT_EQ(Bytes(read["body"]), (std::vector<uint8_t>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77})) << read.dump();
  const json wrote = dap.Request("writeMemory", json{{"memoryReference", pattern}, {"offset", 1}, {"data", "AQID"}});
  EXPECT_EQ(wrote["body"]["bytesWritten"], 3) << wrote.dump();
  read = dap.Request("readMemory", json{{"memoryReference", pattern}, {"count", 5}});
  EXPECT_EQ(Bytes(read["body"]), (std::vector<uint8_t>{0x00, 0x01, 0x02, 0x03, 0x44})) << read.dump();
  read = dap.Request("readMemory", json{{"memoryReference", "I:0xF8"}, {"count", 16}});
  EXPECT_EQ(Bytes(read["body"]).size(), 8u) << read.dump();
  EXPECT_EQ(read["body"]["unreadableBytes"], 8);

  // The debug console: orvhost's commands and registers.
  json eval = dap.Request("evaluate", json{{"expression", "-exec dump " + pattern + " 4"}, {"context", "repl"}});
  EXPECT_EQ(eval["body"]["result"], "X:" + Hex4(program_.At("_pattern")) + "=00010203") << eval.dump();
  eval = dap.Request("evaluate", json{{"expression", "-exec go"}, {"context", "repl"}});
  EXPECT_EQ(eval["message"], texts::kExecNotHere);
  eval = dap.Request("evaluate", json{{"expression", "$b"}, {"context", "repl"}});
  EXPECT_EQ(eval["body"]["result"], "90") << eval.dump();

  // Without breakpoints the loop runs for ever: the pause stops it, while the go waits in the driver.
  ASSERT_EQ(dap.Request("setInstructionBreakpoints", json{{"breakpoints", json::array()}})["success"], true);
  ASSERT_EQ(dap.Request("continue", json{{"threadId", 1}})["success"], true);
  const json busy = dap.Request("scopes", json{{"frameId", 1}});
  EXPECT_EQ(busy["message"], texts::kRunning) << busy.dump();
  ASSERT_EQ(dap.Request("pause", json{{"threadId", 1}})["success"], true);
  stopped = dap.Event("stopped");
  EXPECT_EQ(stopped["body"]["reason"], "pause") << stopped.dump();

  ASSERT_EQ(dap.Request("next", json{{"threadId", 1}, {"granularity", "instruction"}})["success"], true);
  EXPECT_EQ(dap.Event("stopped")["body"]["reason"], "step");

  ASSERT_EQ(dap.Request("restart")["success"], true);
  stopped = dap.Event("stopped");
  EXPECT_EQ(stopped["body"]["reason"], "entry");
  EXPECT_EQ(dap.Request("stackTrace", json{{"threadId", 1}})["body"]["stackFrames"][0]["instructionPointerReference"],
            "C:0x0000");

  ASSERT_EQ(dap.Request("terminate")["success"], true);
  EXPECT_EQ(dap.Event("exited")["body"]["exitCode"], 0);
  EXPECT_FALSE(dap.Event("terminated").is_null());
  EXPECT_EQ(dap.Request("disconnect")["success"], true);
  EXPECT_EQ(dap.WaitForEnd(), 0);
}

TEST_F(DapSession, ABreakpointTheEmulatorCannotArmIsReportedUnverified) {
  DapClient dap;
  ASSERT_EQ(Launch(dap, LaunchArgs())["success"], true);
  // A breakpoint set from the console comes first in the host's list and takes one of the emulator's four.
  const json console = dap.Request("evaluate", json{{"expression", "-exec bp 0xF050"}, {"context", "repl"}});
  ASSERT_EQ(console["success"], true) << console.dump();
  json wanted = json::array();
  for (uint32_t address : {program_.At("_tick"), 0xF000u, 0xF010u, 0xF020u}) {
    wanted.push_back(json{{"instructionReference", "C:0x" + Hex4(address)}});
  }
  const json set = dap.Request("setInstructionBreakpoints", json{{"breakpoints", wanted}});
  ASSERT_EQ(set["body"]["breakpoints"].size(), 4u) << set.dump();
  ASSERT_EQ(dap.Request("configurationDone")["success"], true);
  ASSERT_EQ(dap.Event("stopped")["body"]["reason"], "entry");
  ASSERT_EQ(dap.Request("continue", json{{"threadId", 1}})["success"], true);
  EXPECT_EQ(dap.Event("stopped")["body"]["reason"], "instruction breakpoint");

  const json changed = dap.Event("breakpoint");
  EXPECT_EQ(changed["body"]["reason"], "changed") << changed.dump();
  EXPECT_EQ(changed["body"]["breakpoint"]["id"], set["body"]["breakpoints"][3]["id"]);
  EXPECT_EQ(changed["body"]["breakpoint"]["verified"], false);
  // Asked for again, it is set anew (and the console's breakpoint still holds its place).
  const json again = dap.Request("setInstructionBreakpoints", json{{"breakpoints", wanted}});
  EXPECT_EQ(again["body"]["breakpoints"][3]["verified"], true) << again.dump();
  EXPECT_NE(again["body"]["breakpoints"][3]["id"], set["body"]["breakpoints"][3]["id"]);
}

TEST_F(DapSession, RequestsOrvdapCannotServeAreRefusedWithTheReasonAndTheSessionGoesOn) {
  DapClient dap;
  struct Case {
    const char* command;
    json arguments;
    std::string message;
  };
  // Before a launch nothing reaches a target.
  for (const Case& c : {Case{"stackTrace", json{{"threadId", 1}}, texts::kNotLaunched},
                        Case{"readMemory", json{{"memoryReference", "X:0x0000"}, {"count", 1}}, texts::kNotLaunched},
                        Case{"evaluate", json{{"expression", "-exec regs"}}, texts::kNotLaunched}}) {
    EXPECT_EQ(dap.Request(c.command, c.arguments)["message"], c.message) << c.command;
  }
  // Without the program's debug information (the file given describes no functions): what needs it is
  // refused with the reason.
  json args = LaunchArgs();
  args["cdb"] = std::string(ORVEN_BLINKER) + ".ihx";
  ASSERT_EQ(Launch(dap, args)["success"], true);
  ASSERT_EQ(dap.Request("configurationDone")["success"], true);
  ASSERT_EQ(dap.Event("stopped")["body"]["reason"], "entry");
  const Case cases[] = {
      {"readMemory", json{{"memoryReference", "Q:0x10"}, {"count", 1}}, texts::kBadMemoryReference},
      {"readMemory", json{{"memoryReference", "X:0x10"}, {"offset", "1"}, {"count", 1}}, texts::kBadMemoryReference},
      {"readMemory", json{{"memoryReference", "X:0x10"}, {"count", 0x10001}}, texts::kBadCount},
      {"readMemory", json{{"memoryReference", "X:0x10"}}, texts::kBadCount},
      {"writeMemory", json{{"memoryReference", "D:0x30"}, {"data", "AQ*D"}}, texts::kBadData},
      {"writeMemory", json{{"memoryReference", "D:0xFF"}, {"data", "AQID"}}, texts::kBeyondSpace},
      {"writeMemory", json{{"memoryReference", "X:0x10"}, {"offset", -0x11}, {"data", "AQ=="}}, texts::kBeyondSpace},
      {"variables", json{{"variablesReference", 99}}, texts::kUnknownReference},
      {"scopes", json{{"frameId", 7}}, texts::kUnknownFrame},
      {"evaluate", json{{"expression", "counter + 1"}, {"context", "watch"}}, texts::kNoExpressions},
      {"evaluate", json{{"expression", "-exec step"}, {"context", "repl"}}, texts::kExecNotHere},
      {"stepOut", json{{"threadId", 1}}, texts::kStepOut},
      {"launch", LaunchArgs(), texts::kAlreadyLaunched},
      {"gotoTargets", json::object(), std::string(texts::kUnsupported) + "gotoTargets"},
  };
  for (const Case& c : cases) {
    const json r = dap.Request(c.command, c.arguments);
    EXPECT_EQ(r["success"], false) << r.dump();
    EXPECT_EQ(r["message"], c.message) << c.command << " " << c.arguments.dump();
  }
  // A failed orvhost command answers with orvhost's complaint; line breakpoints wait for line information.
  EXPECT_NE(dap.Request("evaluate", json{{"expression", "-exec dump Q:0 1"}})["message"].get<std::string>().find("dump"),
            std::string::npos);
  const json lines = dap.Request("setBreakpoints", json{{"source", {{"path", "main.c"}}}, {"breakpoints", {{{"line", 3}}}}});
  EXPECT_EQ(lines["body"]["breakpoints"][0]["verified"], false) << lines.dump();
  EXPECT_EQ(dap.Request("setExceptionBreakpoints", json{{"filters", json::array()}})["body"]["breakpoints"], json::array());
  // A write past the end with allowPartial writes what fits.
  const json partial = dap.Request("writeMemory", json{{"memoryReference", "I:0xFE"}, {"data", "AQID"}, {"allowPartial", true}});
  EXPECT_EQ(partial["body"]["bytesWritten"], 2) << partial.dump();
  EXPECT_EQ(dap.Request("threads")["success"], true);
}

TEST_F(DapSession, AQuestionAnsweredNoThatEndsTheRunSaysHowToAnswerYes) {
  DapClient dap;
  json args = LaunchArgs();
  args["answer"] = "no";
  args["stopOnEntry"] = false;
  ASSERT_EQ(Launch(dap, args)["success"], true);
  ASSERT_EQ(dap.Request("configurationDone")["success"], true);
  // -E1 on a program that uses C:0x003B: the driver asks whether to give up the stop-while-running feature.
  EXPECT_EQ(dap.Event("exited")["body"]["exitCode"], 1);
  EXPECT_FALSE(dap.Event("terminated").is_null());
  std::vector<std::string> console;
  for (const json& m : dap.Received()) {
    if (m.value("event", "") == "output") console.push_back(m["body"]["output"]);
  }
  ASSERT_GE(console.size(), 3u);
  EXPECT_NE(console[console.size() - 3].find("\n  -> No\n"), std::string::npos) << console[console.size() - 3];
  EXPECT_EQ(console[console.size() - 2], std::string(texts::kLinkLost) + "\n");
  EXPECT_EQ(console.back(), std::string(texts::kAnsweredNoHint) + "\n");
  EXPECT_EQ(dap.Request("continue", json{{"threadId", 1}})["message"], texts::kSessionEnded);
}

TEST_F(DapSession, LaunchesThatCannotStartSayWhatToDoAndEndTheSession) {
  struct Case {
    const char* name;
    json change;  // merged into the launch arguments
    std::string message;
  } cases[] = {
      {"no program", json{{"program", nullptr}}, texts::kNoProgram},
      {"unknown device", json{{"device", "com1"}}, texts::kBadDevice},
      {"lower-case option", json{{"options", "-e0 -F16"}}, texts::kBadOptions},
      {"option twice", json{{"options", "-E1 -E0"}}, texts::kBadOptions},
      {"option without number", json{{"options", "-E1 -V"}}, texts::kBadOptions},
      {"answer", json{{"answer", "maybe"}}, texts::kBadAnswer},
      {"stopOnEntry text", json{{"stopOnEntry", "yes"}}, texts::kBadFlag},
      {"missing program", json{{"program", "/nonexistent/p.ihx"}}, std::string(texts::kLaunchFailed)},
      {"missing cdb", json{{"cdb", "/nonexistent/p.cdb"}}, std::string(texts::kNoCdb) + "/nonexistent/p.cdb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DapClient dap;
    json args = LaunchArgs();
    args.merge_patch(c.change);
    const json launched = Launch(dap, args);
    EXPECT_EQ(launched["success"], false);
    EXPECT_EQ(launched["message"].get<std::string>().rfind(c.message, 0), 0u) << launched.dump();
    EXPECT_FALSE(dap.Event("terminated").is_null());
    EXPECT_EQ(dap.Request("configurationDone")["success"], true);
    EXPECT_EQ(dap.Request("continue", json{{"threadId", 1}})["message"], texts::kLaunchDidFail);
    EXPECT_EQ(dap.Request("disconnect")["success"], true);
    EXPECT_EQ(dap.WaitForEnd(), 0);
  }
}

TEST_F(DapSession, NoEmulatorAtTheSocketSaysHowToStartOne) {
  DapClient dap;
  json args = LaunchArgs();
  args["device"] = "/nonexistent/qx410.sock";
  const json launched = Launch(dap, args);
  EXPECT_EQ(launched["success"], false);
  EXPECT_EQ(launched["message"], texts::kCannotConnect) << launched.dump();
  EXPECT_FALSE(dap.Event("terminated").is_null());
  EXPECT_EQ(dap.Request("disconnect")["success"], true);
  EXPECT_EQ(dap.WaitForEnd(), 0);
}

}  // namespace
}  // namespace orven::orvdap
