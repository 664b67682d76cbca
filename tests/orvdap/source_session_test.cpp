// Debug sessions at C level: orvdap with the .cdb beside the program drives the source-level engine over the
// real liborvend.so and the simulated emulator, on the debuggee SDCC builds here with --debug.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "tests/orvdap/dap_client.h"
#include "tests/support/sdcc_program.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {
namespace {

using nlohmann::json;

class SourceSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!program_.Load(ORVEN_DEBUGGEE)) GTEST_SKIP() << "no SDCC-built test program";
    setenv("ORVEN_SIM_VIRTUAL", "1", 1);
  }
  // initialize, launch and the breakpoints of debuggee.c at `lines`; the setBreakpoints response.
  json Start(DapClient& dap, json lineBreakpoints, bool stopOnEntry = false) {
    EXPECT_EQ(dap.Request("initialize", json{{"adapterID", "orven"}})["success"], true);
    const json launched = dap.Request("launch", json{{"program", std::string(ORVEN_DEBUGGEE) + ".ihx"},
                                                     {"device", "sim"},
                                                     {"options", "-E1 -F16 -V0 -C0"},
                                                     {"answer", "yes"},
                                                     {"stopOnEntry", stopOnEntry}});
    EXPECT_EQ(launched["success"], true) << launched.dump();
    return dap.Request("setBreakpoints", json{{"source", Source()}, {"breakpoints", std::move(lineBreakpoints)}});
  }
  static json Source() { return json{{"name", "debuggee.c"}, {"path", ORVEN_DEBUGGEE_SOURCE}}; }
  static std::map<std::string, json> ByName(const json& variables) {
    std::map<std::string, json> out;
    for (const json& v : variables["body"]["variables"]) out[v["name"]] = v;
    return out;
  }
  static json Line(int line) { return json{{"line", line}}; }
  json StopAfter(DapClient& dap, const char* command) {
    EXPECT_EQ(dap.Request(command, json{{"threadId", 1}})["success"], true) << command;
    return dap.Event("stopped");
  }
  static void End(DapClient& dap) {
    ASSERT_EQ(dap.Request("terminate")["success"], true);
    EXPECT_FALSE(dap.Event("terminated").is_null());
    EXPECT_EQ(dap.Request("disconnect")["success"], true);
    EXPECT_EQ(dap.WaitForEnd(), 0);
  }
  static json Top(DapClient& dap) { return dap.Request("stackTrace", json{{"threadId", 1}})["body"]["stackFrames"][0]; }

  ::orven::testing::SdccProgram program_;
};

TEST_F(SourceSession, BreaksAtALineAndShowsFramesValuesStepsAndDisassembly) {
  DapClient dap;
  const json set = Start(dap, json::array({Line(61)}));
  ASSERT_EQ(set["body"]["breakpoints"][0]["verified"], true) << set.dump();
  EXPECT_EQ(set["body"]["breakpoints"][0]["line"], 61);
  bool toldCdb = false;
  for (const json& m : dap.Received()) {
    toldCdb |= m.value("event", "") == "output" && m["body"]["output"].get<std::string>().find(texts::kDebugInfoFrom) == 0;
  }
  EXPECT_TRUE(toldCdb);

  json stopped = StopAfter(dap, "configurationDone");
  EXPECT_EQ(stopped["body"]["reason"], "breakpoint") << stopped.dump();
  EXPECT_EQ(stopped["body"]["hitBreakpointIds"], json::array({set["body"]["breakpoints"][0]["id"]}));

  // level3 <- level2 <- level1 <- main, each at its call's line.
  const json trace = dap.Request("stackTrace", json{{"threadId", 1}});
  const std::vector<std::pair<std::string, int>> expected = {{"level3", 61}, {"level2", 66}, {"level1", 75}, {"main", 94}};
  ASSERT_GE(trace["body"]["stackFrames"].size(), expected.size()) << trace.dump();
  for (size_t i = 0; i < expected.size(); ++i) {
    const json& f = trace["body"]["stackFrames"][i];
    EXPECT_EQ(f["name"], expected[i].first) << f.dump();
    EXPECT_EQ(f["line"], expected[i].second) << f.dump();
    EXPECT_EQ(f["source"]["name"], "debuggee.c") << f.dump();
    EXPECT_FALSE(f.contains("presentationHint")) << f.dump();
  }

  // The scopes; level3's parameter, level1's shadowing block, and a struct among the globals.
  const json scopes = dap.Request("scopes", json{{"frameId", trace["body"]["stackFrames"][0]["id"]}});
  std::vector<std::string> names;
  for (const json& s : scopes["body"]["scopes"]) names.push_back(s["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"Locals", "Globals", "Registers", "Special function registers"}));
  auto locals = ByName(dap.Request("variables", json{{"variablesReference", scopes["body"]["scopes"][0]["variablesReference"]}}));
  // The compiler keeps x and y in registers it has not loaded yet.
  EXPECT_TRUE(locals.contains("x") && locals.contains("y"));
  const json level1Scopes = dap.Request("scopes", json{{"frameId", trace["body"]["stackFrames"][2]["id"]}});
  locals = ByName(dap.Request("variables", json{{"variablesReference", level1Scopes["body"]["scopes"][0]["variablesReference"]}}));
  // The block's r2 and x, which hides the parameter, then the function's r; registers of an outer frame are
  // the callee's by now.
  EXPECT_EQ(locals["x"]["type"], "int");
  EXPECT_TRUE(locals.contains("r2") && locals.contains("r")) << level1Scopes.dump();
  auto globals = ByName(dap.Request("variables", json{{"variablesReference", scopes["body"]["scopes"][1]["variablesReference"]},
                                                      {"format", {{"hex", true}}}}));
  ASSERT_TRUE(globals.contains("packet"));
  EXPECT_EQ(globals["word"]["value"], "{w = 0x1234, b = {0x34, 0x12}}") << globals["word"].dump();
  const auto packet = ByName(dap.Request("variables", json{{"variablesReference", globals["packet"]["variablesReference"]}}));
  EXPECT_EQ(packet.at("stamp")["value"], "100000");
  EXPECT_EQ(packet.at("len")["evaluateName"], "packet.len");
  const auto sfrs = ByName(dap.Request("variables", json{{"variablesReference", scopes["body"]["scopes"][3]["variablesReference"]},
                                                         {"format", {{"hex", true}}}}));
  EXPECT_EQ(sfrs.at("TMOD")["value"], "0x01");

  // Expressions in each context; one in an outer frame; a bad one is refused with the evaluator's reason.
  for (const char* context : {"watch", "hover", "repl"}) {
    const json e = dap.Request("evaluate", json{{"expression", "packet.kind * 10 + packet.len"}, {"context", context}, {"frameId", 1}});
    EXPECT_EQ(e["body"]["result"], "23") << context << e.dump();
  }
  EXPECT_EQ(dap.Request("evaluate", json{{"expression", "sizeof(r2)"}, {"frameId", 3}})["body"]["result"], "1");
  EXPECT_EQ(dap.Request("evaluate", json{{"expression", "nosuch"}, {"frameId", 1}})["success"], false);

  // next, stepOut to the caller, stepIn from there into nothing more than the next line.
  stopped = StopAfter(dap, "next");
  EXPECT_EQ(stopped["body"]["reason"], "step");
  EXPECT_EQ(Top(dap)["line"], 62);
  stopped = StopAfter(dap, "stepOut");
  EXPECT_EQ(stopped["body"]["reason"], "step");
  EXPECT_EQ(Top(dap)["name"], "level2");
  EXPECT_EQ(Top(dap)["line"], 66);
  stopped = StopAfter(dap, "next");
  EXPECT_EQ(Top(dap)["line"], 67);
  EXPECT_EQ(dap.Request("evaluate", json{{"expression", "r"}, {"frameId", 1}})["body"]["result"], "28");

  // setVariable on a local, read back.
  const json outScopes = dap.Request("scopes", json{{"frameId", 1}});
  const int64_t outLocals = outScopes["body"]["scopes"][0]["variablesReference"];
  (void)dap.Request("variables", json{{"variablesReference", outLocals}});
  const json changed = dap.Request("setVariable", json{{"variablesReference", outLocals}, {"name", "r"}, {"value", "40"}});
  EXPECT_EQ(changed["body"]["value"], "40") << changed.dump();
  EXPECT_EQ(ByName(dap.Request("variables", json{{"variablesReference", outLocals}}))["r"]["value"], "40");

  // Stepping in at a return that calls nothing goes on to the closing line.
  stopped = StopAfter(dap, "stepIn");
  EXPECT_EQ(stopped["body"]["reason"], "step");
  EXPECT_EQ(Top(dap)["name"], "level2");
  EXPECT_EQ(Top(dap)["line"], 68);

  // Disassembly at the PC: the instruction there carries its line, one before it too.
  const std::string pc = Top(dap)["instructionPointerReference"];
  const json dis = dap.Request("disassemble", json{{"memoryReference", pc}, {"instructionOffset", -1}, {"instructionCount", 4}});
  ASSERT_EQ(dis["body"]["instructions"].size(), 4u) << dis.dump();
  EXPECT_EQ(dis["body"]["instructions"][1]["address"], pc) << dis.dump();
  EXPECT_TRUE(dis["body"]["instructions"][1].contains("line")) << dis.dump();
  EXPECT_EQ(dap.Request("disassemble", json{{"memoryReference", pc}, {"instructionCount", 0}})["success"], false);

  End(dap);
}

TEST_F(SourceSession, PlacesBreakpointsWithinTheEmulatorsLimit) {
  DapClient dap;
  // Line 59 has no code and moves on to level3's first statement, where it shares line 61's comparator; the
  // fifth address finds none; a line past the file's end has no code.
  const json set = Start(dap, json::array({Line(59), Line(61), Line(66), Line(87), Line(96), Line(99), Line(200)}));
  struct Case {
    bool verified;
    int line;  // 0: not reported
  };
  const Case cases[] = {{true, 61}, {true, 61}, {true, 66}, {true, 87}, {true, 96}, {false, 0}, {false, 0}};
  const json& bps = set["body"]["breakpoints"];
  ASSERT_EQ(bps.size(), std::size(cases)) << set.dump();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(bps[i].dump());
    EXPECT_EQ(bps[i]["verified"], cases[i].verified);
    if (cases[i].line != 0) {
      EXPECT_EQ(bps[i]["line"], cases[i].line);
    }
    if (!cases[i].verified) {
      EXPECT_TRUE(bps[i].contains("message"));
    }
  }
  EXPECT_EQ(bps[5]["message"], texts::kBreakpointLimit);
  // Four comparators taken: an instruction breakpoint finds none, a function breakpoint neither; one at a line
  // breakpoint's address cannot share the host's record for it.
  const json instr = dap.Request("setInstructionBreakpoints", json{{"breakpoints", json::array({json{{"instructionReference", "C:0x0000"}}, json{{"instructionReference", bps[2]["instructionReference"]}}})}});
  EXPECT_EQ(instr["body"]["breakpoints"][0]["message"], texts::kBreakpointLimit) << instr.dump();
  EXPECT_EQ(instr["body"]["breakpoints"][1]["message"], texts::kAddressTaken) << instr.dump();
  json fn = dap.Request("setFunctionBreakpoints", json{{"breakpoints", json::array({json{{"name", "level1"}}})}});
  EXPECT_EQ(fn["body"]["breakpoints"][0]["verified"], false) << fn.dump();

  // Freed by the file's next set, they serve a function breakpoint that stops as one.
  (void)dap.Request("setBreakpoints", json{{"source", Source()}, {"breakpoints", json::array()}});
  fn = dap.Request("setFunctionBreakpoints", json{{"breakpoints", json::array({json{{"name", "level1"}}, json{{"name", "nosuch"}}})}});
  EXPECT_EQ(fn["body"]["breakpoints"][0]["verified"], true) << fn.dump();
  EXPECT_EQ(fn["body"]["breakpoints"][1]["verified"], false);
  json stopped = StopAfter(dap, "configurationDone");
  EXPECT_EQ(stopped["body"]["reason"], "function breakpoint") << stopped.dump();
  EXPECT_EQ(Top(dap)["name"], "level1");
  // An instruction breakpoint beside them, where line 96 starts, stops a continue as one.
  const json instrAt96 = dap.Request("setInstructionBreakpoints", json{{"breakpoints", json::array({json{{"instructionReference", bps[4]["instructionReference"]}}})}});
  ASSERT_EQ(instrAt96["body"]["breakpoints"][0]["verified"], true) << instrAt96.dump();
  stopped = StopAfter(dap, "continue");
  EXPECT_EQ(stopped["body"]["reason"], "instruction breakpoint") << stopped.dump();
  EXPECT_EQ(stopped["body"]["hitBreakpointIds"], json::array({instrAt96["body"]["breakpoints"][0]["id"]}));
  EXPECT_EQ(Top(dap)["line"], 96);
  // And a line breakpoint at that instruction breakpoint's address is refused, not a failed run.
  const json line96 = dap.Request("setBreakpoints", json{{"source", Source()}, {"breakpoints", json::array({Line(96)})}});
  EXPECT_EQ(line96["body"]["breakpoints"][0]["message"], texts::kAddressTaken) << line96.dump();
  ASSERT_EQ(dap.Request("setInstructionBreakpoints", json{{"breakpoints", json::array()}})["success"], true);
  End(dap);
}

TEST_F(SourceSession, ConditionsHitCountsAndLogpoints) {
  DapClient dap;
  const json set = Start(dap, json::array({json{{"line", 54}, {"condition", "n == 7"}, {"hitCondition", "2"}}}));
  ASSERT_EQ(set["body"]["breakpoints"][0]["verified"], true) << set.dump();
  json stopped = StopAfter(dap, "configurationDone");
  EXPECT_EQ(stopped["body"]["reason"], "breakpoint") << stopped.dump();
  // fib(7) is called once from main (i = 7) and again from fib(8) (i = 8): the second time n is 7, called
  // from fib.
  EXPECT_EQ(dap.Request("evaluate", json{{"expression", "n"}, {"frameId", 1}})["body"]["result"], "7 '\\a'");
  EXPECT_EQ(Top(dap)["line"], 54);
  const json trace = dap.Request("stackTrace", json{{"threadId", 1}});
  EXPECT_EQ(trace["body"]["stackFrames"][1]["name"], "fib") << trace.dump();

  // The logpoint prints and the program runs on to the endless loop's breakpoint. (This program's code lies
  // on the address the driver's stop-while-running needs: a pause would reset it.)
  const json logpoint{{"line", 94}, {"logMessage", "len={packet.len} kind={packet.kind}!"}};
  const json loop = Line(110);
  const json both = dap.Request("setBreakpoints", json{{"source", Source()}, {"breakpoints", json::array({logpoint, loop})}});
  ASSERT_EQ(both["body"]["breakpoints"][1]["verified"], true) << both.dump();
  stopped = StopAfter(dap, "continue");
  EXPECT_EQ(stopped["body"]["reason"], "breakpoint") << stopped.dump();
  EXPECT_EQ(stopped["body"]["hitBreakpointIds"], json::array({both["body"]["breakpoints"][1]["id"]}));
  EXPECT_EQ(Top(dap)["line"], both["body"]["breakpoints"][1]["line"]);
  json logged = dap.Event("output");
  while (!logged.is_null() && logged["body"]["output"].get<std::string>().find("len=") != 0) logged = dap.Event("output");
  EXPECT_EQ(logged["body"]["output"], "len=3 '\\003' kind=2!\n") << logged.dump();
  End(dap);
}

}  // namespace
}  // namespace orven::orvdap
