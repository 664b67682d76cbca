// The host side of the binding against a fake driver that only records what the host binds: then the test
// plays the driver, calling the host's window, callback and UI as the library does, and reads what reached
// the client's events.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/debug_host.h"

namespace orven::host {
namespace {

// What the client received, one entry per event; questions answered as told.
class RecordingEvents : public HostEvents {
 public:
  std::vector<std::string> log;
  bool answer = false;

  void OutputText(const std::string& text) override { log.push_back("output " + text); }
  void SerialOutput(uint32_t channel, const std::string& data) override {
    log.push_back("serial " + std::to_string(channel) + " " + data);
  }
  void BreakpointCommand(const std::string& command) override { log.push_back("command " + command); }
  void ProgressShown(const std::string& label, int32_t high) override {
    log.push_back("progress " + label + " 0/" + std::to_string(high));
  }
  void ProgressRemoved(int32_t position, int32_t high) override {
    log.push_back("progress " + std::to_string(position) + "/" + std::to_string(high));
  }
  void LinkClosed() override { log.push_back("link closed"); }
  void Notice(bool error, const std::string& caption, const std::string& text) override {
    log.push_back(std::string(error ? "error " : "warning ") + caption + ": " + text);
  }
  bool Ask(const std::string& caption, const std::string& text) override {
    log.push_back("question " + caption + ": " + text);
    return answer;
  }
  bool ConfirmSetup(const OrvendSetupDialog& dialog) override {
    log.push_back(std::string("setup ") + (dialog.caption != nullptr ? dialog.caption : ""));
    return answer;
  }
};

std::map<uint16_t, void*> g_bound;
OrvendUi g_ui{};

uint32_t FakeInit(uint16_t code, void* argument) {
  g_bound[code] = argument;
  return 0;
}
void FakeSetUi(const OrvendUi* ui) { g_ui = ui != nullptr ? *ui : OrvendUi{}; }

class DebugHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_bound.clear();
    api_.Init = &FakeInit;
    api_.SetUi = &FakeSetUi;
  }
  DebugHost& Host(bool answer = false) {
    host_.reset();
    events_.answer = answer;
    host_ = std::make_unique<DebugHost>(api_, events_);
    host_->Bind();
    return *host_;
  }
  OrvendHostWindow& Window() { return *static_cast<OrvendHostWindow*>(g_bound.at(ORVEND_INIT_MAIN_WINDOW)); }
  void* Callback(uint32_t code, void* argument) {
    return reinterpret_cast<OrvendHostCallback>(g_bound.at(ORVEND_INIT_CALLBACK))(code, argument);
  }
  uint32_t MessageId() {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(g_bound.at(ORVEND_INIT_MESSAGE_ID)));
  }
  using Log = std::vector<std::string>;

  DriverEntryPoints api_;
  RecordingEvents events_;
  std::unique_ptr<DebugHost> host_;
};

TEST_F(DebugHostTest, BindsWhatAnIdeBindsAndFillsTheFourSlotsItHasMemoryFor) {
  DebugHost& host = Host();
  for (uint16_t code : {ORVEND_INIT_MAIN_WINDOW, ORVEND_INIT_MESSAGE_ID, ORVEND_INIT_CALLBACK,
                        ORVEND_INIT_BREAKPOINT_LIST, ORVEND_INIT_CURRENT_PC, ORVEND_INIT_INSTANCE,
                        ORVEND_INIT_DIALOG_SLOT, ORVEND_INIT_EXTENSION_MENU, ORVEND_INIT_UPDATE_DIALOGS}) {
    EXPECT_NE(g_bound[code], nullptr) << std::hex << code;
  }
  ASSERT_NE(g_ui.message_box, nullptr);
  // The driver hands its update function over through the pointer it was given; the host calls it.
  static int updates = 0;
  *static_cast<OrvendUpdateDialogs*>(g_bound[ORVEND_INIT_UPDATE_DIALOGS]) = [] { ++updates; };
  host.UpdateDialogs();
  EXPECT_EQ(updates, 1);

  std::vector<OrvendMemorySlot> table(ORVEND_MEMORY_SLOTS, OrvendMemorySlot{nullptr, nullptr});
  Callback(ORVEND_CALLBACK_MEMORY_TABLE, table.data());
  for (int slot = 0; slot < ORVEND_MEMORY_SLOTS; ++slot) {
    const bool filled = slot == 0 || slot == ORVEND_SLOT_XDATA_FIRST || slot == ORVEND_SLOT_SFR ||
                        slot == ORVEND_SLOT_IRAM;
    EXPECT_EQ(table[slot].image != nullptr, filled) << slot;
    EXPECT_EQ(table[slot].attributes != nullptr, filled) << slot;
  }
  // The whole of bank 0 and of xdata segment 0 is there, word by word: the driver writes all of it.
  table[0].image[0xFFFF] = 1;
  table[0].attributes[0xFFFF] = ORVEND_ATTR_VALID;
  table[ORVEND_SLOT_XDATA_FIRST].attributes[0xFFFF] = ORVEND_ATTR_VALID;
  table[ORVEND_SLOT_IRAM].attributes[0xFF] = ORVEND_ATTR_VALID;

  // The driver writes the PC variable; the host reads it back.
  *static_cast<uint32_t*>(g_bound[ORVEND_INIT_CURRENT_PC]) = 0xFF0001DE;
  EXPECT_EQ(host.CurrentPc(), 0xFF0001DEu);
}

TEST_F(DebugHostTest, WindowMessagesReachTheClientAsUtf8AndOnlyAnUnexpectedFatalNoticeIsReported) {
  DebugHost& host = Host();
  OrvendHostWindow& w = Window();
  const uint32_t id = MessageId();
  w.send(w.context, id, ORVEND_KIND_OUTPUT_TEXT, reinterpret_cast<intptr_t>("NORDA ORVEN Emulator/Programmer\n"));
  w.send(w.context, id, ORVEND_KIND_PROGRESS_TEXT, reinterpret_cast<intptr_t>("\xB7\xC2\xD5\xE6\n"));
  w.send(w.context, id + 1, ORVEND_KIND_OUTPUT_TEXT, reinterpret_cast<intptr_t>("another window's message\n"));
  w.send(w.context, id, ORVEND_KIND_OUTPUT_TEXT, 0);
  char data[] = {'h', 'i', '!'};
  OrvendSerialOutput serial{1, 2, {}, data};
  w.send(w.context, id, ORVEND_KIND_SERIAL, reinterpret_cast<intptr_t>(&serial));
  char command[] = "note \xB7\xC2\xD5\xE6";
  Callback(ORVEND_CALLBACK_COMMAND, command);
  char label[] = "Erasing";
  OrvendProgressBar bar{1, 0, 0, 64, label};
  Callback(ORVEND_CALLBACK_PROGRESS, &bar);
  bar.job = 2;
  bar.position = 60;
  bar.high = 0;  // the bar's top as it was shown is the one reported
  Callback(ORVEND_CALLBACK_PROGRESS, &bar);
  EXPECT_EQ(host.FatalNotices(), 0u);
  w.post(w.context, id, ORVEND_KIND_FATAL, 0);
  w.post(w.context, id, ORVEND_KIND_OUTPUT_TEXT, 0);  // only kind 5 is ever posted
  // A shutdown always ends with the notice: counted, not reported.
  host.ExpectLinkClosed(true);
  w.post(w.context, id, ORVEND_KIND_FATAL, 0);
  host.ExpectLinkClosed(false);
  EXPECT_EQ(host.FatalNotices(), 2u);
  EXPECT_EQ(events_.log, (Log{"output NORDA ORVEN Emulator/Programmer\n", "output 仿真\n", "serial 1 hi",
                              "command note 仿真", "progress Erasing 0/64", "progress 60/64", "link closed"}));
}

struct DialogCalls {
  int ok = 0;
  int cancel = 0;
};

TEST_F(DebugHostTest, BoxesAndTheSetupDialogGoToTheClientWhoseAnswerPressesTheButtons) {
  for (const bool yes : {false, true}) {
    events_.log.clear();
    Host(yes);
    EXPECT_EQ(g_ui.message_box(g_ui.context, ORVEND_BOX_QUESTION, "ORVEN Notice", "Switch it off?\r\n"), yes ? 1 : 0);
    EXPECT_EQ(g_ui.message_box(g_ui.context, ORVEND_BOX_ERROR, "ORVEN Notice!", "link lost"), 1);
    EXPECT_EQ(g_ui.message_box(g_ui.context, ORVEND_BOX_WARNING, "ORVEN Notice", "careful"), 1);
    EXPECT_EQ(g_ui.setup_dialog(g_ui.context, nullptr), 0) << "no dialog, nothing to confirm";

    DialogCalls calls;
    OrvendSetupDialog d{};
    d.context = &calls;
    d.caption = "NORDA  QX410 MCU Development Kit  V1.06";
    d.ok = [](void* c) { ++static_cast<DialogCalls*>(c)->ok; };
    d.cancel = [](void* c) { ++static_cast<DialogCalls*>(c)->cancel; };
    EXPECT_EQ(g_ui.setup_dialog(g_ui.context, &d), yes ? 1 : 0);
    EXPECT_EQ(calls.ok, yes ? 1 : 0);
    EXPECT_EQ(calls.cancel, yes ? 0 : 1);
    // A dialog without an OK handler cannot be confirmed: Cancel, whatever the answer would be.
    d.ok = nullptr;
    EXPECT_EQ(g_ui.setup_dialog(g_ui.context, &d), 0);
    EXPECT_EQ(calls.cancel, yes ? 1 : 2);
    EXPECT_EQ(events_.log, (Log{"question ORVEN Notice: Switch it off?", "error ORVEN Notice!: link lost",
                                "warning ORVEN Notice: careful", "setup NORDA  QX410 MCU Development Kit  V1.06"}));
  }
}

TEST_F(DebugHostTest, FlashSegmentsAreHandedOutInAddressOrderThenTheClosingRecord) {
  DebugHost& host = Host();
  EXPECT_EQ(Callback(ORVEND_CALLBACK_NEXT_SEGMENT, nullptr), nullptr) << "no program loaded";
  HexImage image;
  std::string error;
  // In the file: 0x0800 first, then 0x0000, then 0x0100.
  ASSERT_TRUE(image.Parse(":02080000AABB91\n:020000001122CB\n:01010000CC32\n", error)) << error;
  host.SetDownloadImage(image);

  std::vector<std::pair<uint32_t, uint32_t>> seen;
  const OrvendFlashSegment* seg = nullptr;
  for (int i = 0; i < 10; ++i) {
    seg = static_cast<OrvendFlashSegment*>(Callback(ORVEND_CALLBACK_NEXT_SEGMENT, const_cast<OrvendFlashSegment*>(seg)));
    ASSERT_NE(seg, nullptr);
    EXPECT_EQ(seg->total, 5u);
    if (seg->length == 0) break;
    seen.emplace_back(seg->start, seg->length);
    EXPECT_EQ(seg->data[0], seg->start == 0 ? 0x11 : seg->start == 0x100 ? 0xCC : 0xAA);
  }
  EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 2}, {0x100, 1}, {0x800, 2}}));
  // Asked again past the closing record, or with a record that is not the host's: the list has ended.
  EXPECT_EQ(Callback(ORVEND_CALLBACK_NEXT_SEGMENT, const_cast<OrvendFlashSegment*>(seg)), nullptr);
  OrvendFlashSegment foreign{0, 1, nullptr, 1};
  EXPECT_EQ(Callback(ORVEND_CALLBACK_NEXT_SEGMENT, &foreign), nullptr);
}

TEST_F(DebugHostTest, BreakpointListKeepsTheOrderAddedAndUnlinksFromTheMiddle) {
  DebugHost& host = Host();
  auto head = [] { return *static_cast<OrvendBreakpoint**>(g_bound.at(ORVEND_INIT_BREAKPOINT_LIST)); };
  OrvendBreakpoint* a = host.NewBreakpoint(0xFF000010, 0, 1, "");
  OrvendBreakpoint* b = host.NewBreakpoint(0xFF000020, 1, 3, "write D:0x30 01 仿真");
  OrvendBreakpoint* c = host.NewBreakpoint(0xFF000030, 0, 1, "");
  EXPECT_EQ(head(), nullptr) << "records join the list only when linked";
  host.LinkBreakpoint(a);
  host.LinkBreakpoint(b);
  host.LinkBreakpoint(c);
  EXPECT_EQ(head(), a);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->flags, 0x11u);
  EXPECT_EQ(b->remaining_count, 3);
  EXPECT_STREQ(b->command, "write D:0x30 01 \xB7\xC2\xD5\xE6") << "the record carries GBK";
  EXPECT_EQ(a->command, nullptr);
  EXPECT_EQ(host.FindBreakpoint(0xFF000030), c);
  host.RemoveBreakpoint(b);
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(host.FindBreakpoint(0xFF000020), nullptr);
  host.RemoveBreakpoint(a);
  EXPECT_EQ(head(), c);
}

}  // namespace
}  // namespace orven::host
