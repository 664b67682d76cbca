#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/entry.h"
#include "driver/registers.h"
#include "driver_fixture.h"

namespace orven::driver::testing {
namespace {

class Registers : public DriverFixture {
 protected:
  OrvendRegisterItem* Item(uint16_t number) {
    OrvendRegisterView* view = RegisterView();
    for (uint32_t i = 0; i < view->item_count; ++i) {
      if (view->items[i].item == number) return &view->items[i];
    }
    return nullptr;
  }
  void Refresh() {
    OrvendRegisterView* view = RegisterView();
    view->get(nullptr, ORVEND_REGVIEW_REFRESH);
    for (uint32_t i = 0; i < view->item_count; ++i) view->get(&view->items[i], 0);
  }
  void SetUp() override {
    DriverFixture::SetUp();
    OrvendRegisterView* view = RegisterView();
    for (uint32_t i = 0; i < view->item_count; ++i) {
      view->items[i].value = 0;
      view->items[i].value_text[0] = '\0';
      view->items[i].highlight = 0;
    }
  }
};

TEST_F(Registers, WindowHighlightsAChangeOnceThenClearsIt) {
  target.registers.SetAcc(0x12);
  target.registers.SetPc(0x0123);
  target.registers.SetDph(0x12);
  target.registers.SetDpl(0x34);
  target.registers.SetPsw(0x18);
  Refresh();
  OrvendRegisterItem* acc = Item(kItemAcc);
  EXPECT_STREQ(acc->value_text, "0x12");
  EXPECT_EQ(acc->highlight, 1);
  EXPECT_EQ(acc->redraw, 1);
  EXPECT_STREQ(Item(kItemDptr)->value_text, "0x1234");
  EXPECT_STREQ(Item(260)->value_text, "3       ");  // rs
  EXPECT_STREQ(Item(kItemPc)->value_text, "0x0123");
  EXPECT_EQ(Item(kItemPc)->highlight, 0);
  EXPECT_EQ(hostPc, 0xFF000123u);
  EXPECT_STREQ(Item(kItemBlank)->value_text, "");
  EXPECT_EQ(static_cast<uint64_t>(Item(kItemBlank)->value), 0u);

  Refresh();  // unchanged: the highlight goes, with one more redraw
  EXPECT_EQ(acc->highlight, 0);
  EXPECT_EQ(acc->redraw, 1);
  Refresh();  // still unchanged: nothing to draw
  EXPECT_EQ(acc->redraw, 0);
  EXPECT_EQ(Item(kItemPc)->redraw, 0);

  target.registers.SetAcc(0x13);
  Refresh();
  EXPECT_EQ(acc->highlight, 1);
  EXPECT_STREQ(acc->value_text, "0x13");
}

TEST_F(Registers, WindowSetWritesEverythingAndMovesThePc) {
  Refresh();
  uint16_t pc = 0x0456;
  ASSERT_EQ(RegisterView()->set(Item(kItemPc), &pc), 1);
  EXPECT_EQ(target.registers.Pc(), 0x0456);
  EXPECT_EQ(state().currentPc.load(), 0xFF000456u) << "the next run starts at the PC the user set";
  uint8_t one = 1;
  ASSERT_EQ(RegisterView()->set(Item(263), &one), 1);  // cy
  EXPECT_EQ(target.registers.Psw(), 0x80);
  uint8_t dptr[2] = {0x78, 0x56};
  ASSERT_EQ(RegisterView()->set(Item(kItemDptr), dptr), 1);
  EXPECT_EQ(target.registers.Dpl(), 0x78);
  EXPECT_EQ(target.registers.Dph(), 0x56);
  EXPECT_EQ(RegisterView()->set(Item(kItemBlank), &one), 0);
  state().running = true;
  EXPECT_EQ(RegisterView()->set(Item(kItemAcc), &one), 0);
}

TEST_F(Registers, EveryPswFieldReadsAndWritesItsOwnBits) {
  struct Field {
    uint16_t item;
    uint8_t mask, shift;
  } fields[] = {{257, 0x01, 0}, {258, 0x02, 1}, {259, 0x04, 2}, {260, 0x18, 3},
                {261, 0x20, 5}, {262, 0x40, 6}, {263, 0x80, 7}};
  for (const Field& f : fields) {
    SCOPED_TRACE(Item(f.item)->name);
    OrvendRegisterItem* item = Item(f.item);
    target.registers.SetPsw(f.mask);
    Refresh();
    EXPECT_EQ(static_cast<uint32_t>(item->value), static_cast<uint32_t>(f.mask >> f.shift));
    target.registers.SetPsw(static_cast<uint8_t>(~f.mask));
    Refresh();
    EXPECT_EQ(static_cast<uint32_t>(item->value), 0u);

    // Setting the field changes only its bits, whatever else the value holds.
    uint8_t all = 0xFF;
    ASSERT_EQ(RegisterView()->set(item, &all), 1);
    EXPECT_EQ(target.registers.Psw(), 0xFF);
    uint8_t none = 0;
    ASSERT_EQ(RegisterView()->set(item, &none), 1);
    EXPECT_EQ(target.registers.Psw(), static_cast<uint8_t>(~f.mask));
  }
}

TEST_F(Registers, GetRequestsWithTopBits0100AreIgnored) {
  struct Case {
    uint32_t code;
    bool reads, formats;
  } cases[] = {
      {0x40000000, false, false}, {0x4FFFFFFF, false, false},  // ignored
      {0x80000000, true, false},                               // the refresh request
      {0x00000000, false, true},                               // an item
  };
  OrvendRegisterItem* acc = Item(kItemAcc);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << c.code);
    acc->value_text[0] = '\0';
    target.calls.clear();
    RegisterView()->get(acc, c.code);
    EXPECT_EQ(!target.calls.empty(), c.reads);
    EXPECT_EQ(acc->value_text[0] != '\0', c.formats);
  }
}

TEST_F(Registers, RegAccReadsAndWritesThroughTheRecord) {
  target.registers.SetR(5, 0x55);
  target.registers.SetDph(0xAB);
  target.registers.SetDpl(0xCD);
  uint8_t r5 = 0;
  ASSERT_EQ(RegAcc(1, 5, &r5), 0);
  EXPECT_EQ(r5, 0x55);
  uint16_t dptr = 0;
  ASSERT_EQ(RegAcc(1, ORVEND_REG_DPTR, &dptr), 0);
  EXPECT_EQ(dptr, 0xABCD);
  uint8_t newDptr[2] = {0x34, 0x12};  // DPL first
  ASSERT_EQ(RegAcc(2, ORVEND_REG_DPTR, newDptr), 0);
  EXPECT_EQ(target.registers.Dpl(), 0x34);
  EXPECT_EQ(target.registers.Dph(), 0x12);
  uint32_t pc = 0xFF000321;
  ASSERT_EQ(RegAcc(2, ORVEND_REG_PC, &pc), 0);
  EXPECT_EQ(state().currentPc.load(), 0xFF000321u);
  EXPECT_EQ(target.registers.Pc(), 0x0321);
  EXPECT_EQ(RegAcc(2, 0x99, &pc), 0);
  EXPECT_EQ(RegAcc(7, 0, &pc), 3);

  // After AG_AllReg 2 the host's values stand until a step: no read from the target.
  ASSERT_EQ(AllReg(2, nullptr), 0);
  target.calls.clear();
  ASSERT_EQ(RegAcc(1, 5, &r5), 0);
  EXPECT_TRUE(target.calls.empty());
}

TEST_F(Registers, AFailedRegisterReadIsAnsweredAsOneAndHandsOutNothing) {
  target.registers.SetR(5, 0x55);
  target.failReads = true;
  uint8_t r5 = 0xEE;
  EXPECT_EQ(RegAcc(1, 5, &r5), 1);
  EXPECT_EQ(r5, 0xEE);
  EXPECT_EQ(AllReg(1, nullptr), 1);
  EXPECT_FALSE(state().fatal.load());
  target.failReads = false;
  EXPECT_EQ(RegAcc(1, 5, &r5), 0);
  EXPECT_EQ(r5, 0x55);
  EXPECT_EQ(AllReg(1, nullptr), 0);
}

}  // namespace
}  // namespace orven::driver::testing
