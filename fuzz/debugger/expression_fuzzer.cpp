// Feeds arbitrary text to the expression parser and evaluates what parses against a program with every kind of
// variable over a memory image whose bytes come from the input too, so pointers lead anywhere. Every failure
// must say why; printing, hex printing and expanding the value must never read outside what the target holds.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "debugger/evaluator.h"
#include "debugger/expr_parser.h"
#include "debugger/frame_variables.h"
#include "debugger/variable_tree.h"
#include "debuginfo/cdb_parser.h"
#include "tests/debugger/memory_image_target.h"

using namespace orven::debugger;

namespace {

constexpr const char* kRecords = R"(M:t
F:G$f$0_0$0({2}DF,SI:S),C,0,2,0,0,1
S:Lt.f$a$1_0$2({2}SI:S),R,0,0,[r6,r7]
S:Lt.f$q$1_0$2({2}SI:S),B,1,-4
S:Lt.f$arr$1_0$3({3}DA3d,SC:U),B,1,1
S:Lt.f$gone$1_0$3({2}SI:S),R,0,0,[]
T:Ft$node[({0}S:S$next$0_0$0({3}DG,STnode:S),Z,0,0)({3}S:S$v$0_0$0({4}SF:S),Z,0,0)({7}S:S$bits$0_0$0({1}SB2$5:S),Z,0,0)]
T:Ft$u[({0}S:S$n$0_0$0({7}STnode:S),Z,0,0)({0}S:S$raw$0_0$0({8}DA8d,SC:U),Z,0,0)]
S:G$nodes$0_0$0({80}DA10d,STnode:S),F,0,0
S:G$un$0_0$0({8}STu:S),F,0,0
S:G$np$0_0$0({2}DX,STnode:S),E,0,0
S:G$big$0_0$0({60000}DA60000d,SC:U),F,0,0
S:G$l$0_0$0({4}SL:U),E,0,0
S:G$ll$0_0$0({8}SI:S),I,0,0
S:G$bit$0_0$0({1}SB0$1:U),H,0,0
S:G$tbl$0_0$0({4}DA4d,SC:U),D,0,0
S:G$pb$0_0$0({1}SC:U),P,0,0
L:G$nodes$0_0$0:10
L:G$un$0_0$0:70
L:G$np$0_0$0:30
L:G$big$0_0$0:100
L:G$l$0_0$0:32
L:G$ll$0_0$0:C0
L:G$bit$0_0$0:7
L:G$tbl$0_0$0:FFFE
L:G$pb$0_0$0:FF
L:G$f$0$0:100
L:C$t.c$3$1_0$3:100
L:XG$f$0$0:120
)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const orven::debuginfo::DebugInfo info = orven::debuginfo::CdbParser("t.cdb").Parse(kRecords);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ParseResult parsed = ParseExpression(text);
  if (!parsed.root) {
    if (parsed.error.empty()) std::abort();
    return 0;
  }
  testing::MemoryImageTarget target;
  for (size_t i = 0; i < target.iram.size(); ++i) target.iram[i] = size ? data[i % size] : 0;
  for (size_t i = 0; i < 0x400; ++i) target.xdata[i] = size ? data[(i * 7) % size] : 0;
  MemoryReader memory(target);
  FrameContext frame;
  frame.pc = 0x110;
  frame.framePointerAddress = 0x40;
  Evaluator evaluator(info, memory, frame);
  Outcome<Value> value = evaluator.Evaluate(*parsed.root);
  if (!value) {
    if (value.error.empty()) std::abort();
    return 0;
  }
  for (bool hex : {false, true}) {
    FormatOptions options;
    options.hex = hex;
    Value copy = *value;
    Outcome<std::string> shown = ValueFormatter(evaluator.Access(), options).Format(copy);
    if (!shown && shown.error.empty()) std::abort();
  }
  VariableTree tree(evaluator.Access());
  VariableNode node = tree.Make("v", *value);
  for (const VariableNode& child : tree.Children(node, 0, 4)) (void)tree.Children(child, 0, 2);
  FrameVariables locals(evaluator);
  (void)locals.Locals();
  (void)locals.ArgumentList();
  return 0;
}
