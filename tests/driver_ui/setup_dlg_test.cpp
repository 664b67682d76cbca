#include "driver-ui/setup_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver-ui/texts.h"
#include "tests/driver_ui/expected_chips.h"

namespace orven::driverui {
namespace {

IdentificationBlock Emulator(uint8_t major, uint8_t minor, uint32_t build) {
  IdentificationBlock id;
  id.SetModelWord(kModelQx410);
  id.SetVersion(major, minor, build);
  id.SetSerial(0x01, 0xAB, 0x00, 0x7F);
  return id;
}

const std::vector<std::string> kStcModels = {
    "STC12C5A8S2 [ZIF]",  "STC12C5A16S2 [ZIF]", "STC12C5A32S2 [ZIF]", "STC12C5A40S2 [ZIF]",
    "STC12C5A48S2 [ZIF]", "STC12C5A52S2 [ZIF]", "STC12C5A56S2 [ZIF]", "STC12C5A60S2 [ZIF]"};

TEST(SetupDlg, InitialStateFollowsTheOptions) {
  struct Case {
    const char* what;
    SetupOptions in;
    bool pause, pod, listsEnabled;
    int32_t vendor, model;
    const char* selectedModel;  // null: none
    int32_t vAfter;
  };
  const Case cases[] = {
      {"defaults", {1, 15, 0, 0}, true, false, true, 0, 0, "AT89S51 [ZIF]", 0},
      {"pause and pod ticked, chip lists off", {1, 16, 0, 0}, true, true, false, 0, 0, "AT89S51 [ZIF]", 0},
      {"only bit 4 of F picks the pod", {0, 0xEF, 2, 3}, false, false, true, 2, 3, "STC12C5A40S2 [ZIF]", 2},
      {"only bit 0 of E is the pause", {2, 0x10, 3, 3}, false, true, false, 3, 3, "W78E516D [ZIF]", 3},
      {"vendor past the list opens on ATMEL", {1, 15, 7, 1}, true, false, true, 0, 1, "AT89S52 [ZIF]", 0},
      {"negative vendor opens on ATMEL", {1, 15, -1, 0}, true, false, true, 0, 0, "AT89S51 [ZIF]", 0},
      {"position past the vendor's chips selects nothing", {1, 15, 1, 3}, true, false, true, 1, -1, nullptr, 1},
      {"negative position selects nothing", {1, 15, 2, -1}, true, false, true, 2, -1, nullptr, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetupOptions options = c.in;
    CSetupDlg dlg(options, std::nullopt);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.PauseBox(), c.pause);
    EXPECT_EQ(dlg.PodBox(), c.pod);
    EXPECT_EQ(dlg.ChipListsEnabled(), c.listsEnabled);
    EXPECT_EQ(dlg.VendorSelection(), c.vendor);
    EXPECT_EQ(dlg.ModelSelection(), c.model);
    if (c.selectedModel) {
      EXPECT_EQ(dlg.ModelNames().at(static_cast<size_t>(c.model)), c.selectedModel);
    }
    EXPECT_EQ(dlg.VendorNames(), (std::vector<std::string>{"ATMEL", "NXP", "STC", "NUVOTON(WINBOND)"}));
    // Only the vendor may change at the start; the rest waits for OK.
    EXPECT_EQ(options, (SetupOptions{c.in.e, c.in.f, c.vAfter, c.in.c}));
    EXPECT_EQ(dlg.PauseNote(), texts::kPauseNote);
  }
}

TEST(SetupDlg, ModelListHoldsTheVendorsChipsInTableOrder) {
  SetupOptions options{1, 15, 1, 0};
  CSetupDlg dlg(options, std::nullopt);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.ModelNames(), (std::vector<std::string>{"P89V51RB2  [ZIF]", "P89V51RC2 [ZIF]", "P89V51RD2 [ZIF]"}));

  const uint32_t serial = dlg.ModelListSerial();
  dlg.SelectModel(2);
  dlg.OnVendorChanged(2);
  EXPECT_EQ(dlg.ModelNames(), kStcModels);
  EXPECT_EQ(dlg.ModelSelection(), 0);
  EXPECT_EQ(dlg.ModelNames()[0], "STC12C5A8S2 [ZIF]");
  EXPECT_NE(dlg.ModelListSerial(), serial);

  dlg.OnVendorChanged(0);
  EXPECT_EQ(dlg.ModelNames().size(), 10u);
  EXPECT_EQ(dlg.ModelNames()[9], "AT89S8252 [ISP]");
  EXPECT_EQ(dlg.ModelSelection(), 0);
}

// Each vendor's model list holds exactly that vendor's names of the independently typed chip list, in its
// order, whether the dialog opens on the vendor or the user picks it; all 25 names appear once.
TEST(SetupDlg, EveryVendorListsAllItsModels) {
  size_t listed = 0;
  for (int32_t vendor = 0; vendor < 4; ++vendor) {
    SCOPED_TRACE(testing::kExpectedVendors[static_cast<size_t>(vendor)]);
    std::vector<std::string> expected;
    for (const testing::ExpectedChip& chip : testing::kExpectedChips) {
      if (chip.vendor == vendor) expected.push_back(chip.name);
    }
    SetupOptions options{0, 0, vendor, 0};
    CSetupDlg opened(options, std::nullopt);
    opened.OnInitDialog();
    EXPECT_EQ(opened.ModelNames(), expected);
    SetupOptions other{0, 0, (vendor + 1) % 4, 0};
    CSetupDlg picked(other, std::nullopt);
    picked.OnInitDialog();
    picked.OnVendorChanged(vendor);
    EXPECT_EQ(picked.ModelNames(), expected);
    listed += expected.size();
  }
  EXPECT_EQ(listed, 25u);
}

TEST(SetupDlg, PodBoxSwitchesTheChipListsAtOnce) {
  SetupOptions options{1, 16, 2, 1};
  CSetupDlg dlg(options, std::nullopt);
  dlg.OnInitDialog();
  ASSERT_FALSE(dlg.ChipListsEnabled());
  dlg.OnPodBoxClicked(false);
  EXPECT_TRUE(dlg.ChipListsEnabled());
  EXPECT_FALSE(dlg.PodBox());
  dlg.OnPodBoxClicked(true);
  EXPECT_FALSE(dlg.ChipListsEnabled());
  // The click changes no option by itself.
  EXPECT_EQ(options, (SetupOptions{1, 16, 2, 1}));
}

TEST(SetupDlg, OkWritesTheOptionsFromTheControls) {
  struct Case {
    const char* what;
    SetupOptions in;
    bool pause, pod;
    int32_t vendor, model;  // -2: leave as opened
    SetupOptions out;
  };
  const Case cases[] = {
      {"default F of 15 is not kept", {1, 15, 0, 0}, true, false, -2, -2, {1, 0, 0, 0}},
      {"pod and no pause", {1, 15, 0, 0}, false, true, -2, -2, {0, 16, 0, 0}},
      {"other bits of E and F dropped", {0xFF, 0xFF, 0, 0}, true, true, -2, -2, {1, 16, 0, 0}},
      {"vendor change then a model", {1, 15, 0, 4}, true, false, 2, 5, {1, 0, 2, 5}},
      {"vendor change keeps its first model", {1, 15, 0, 4}, true, false, 3, -2, {1, 0, 3, 0}},
      {"no model selected gives -1", {1, 15, 1, 9}, true, false, -2, -2, {1, 0, 1, -1}},
      {"vendor out of range is ATMEL", {1, 15, 9, 2}, false, false, -2, -2, {0, 0, 0, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetupOptions options = c.in;
    CSetupDlg dlg(options, std::nullopt);
    dlg.OnInitDialog();
    dlg.SetPauseBox(c.pause);
    if (c.pod != dlg.PodBox()) dlg.OnPodBoxClicked(c.pod);
    if (c.vendor != -2) dlg.OnVendorChanged(c.vendor);
    if (c.model != -2) dlg.SelectModel(c.model);
    EXPECT_EQ(dlg.OnOK(), kEndOk);
    EXPECT_EQ(options, c.out);
  }
}

TEST(SetupDlg, CancelChangesNothingButAnOutOfRangeVendor) {
  SetupOptions options{1, 15, 7, 2};
  CSetupDlg dlg(options, std::nullopt);
  dlg.OnInitDialog();
  dlg.SetPauseBox(false);
  dlg.OnPodBoxClicked(true);
  dlg.OnVendorChanged(3);
  dlg.SelectModel(1);
  EXPECT_EQ(dlg.OnCancel(), kEndCancel);
  EXPECT_EQ(options, (SetupOptions{1, 15, 0, 2}));
}

TEST(SetupDlg, ProductInformation) {
  EXPECT_EQ(ProductInformation(std::nullopt), "NORDA ORVEN 仿真器/编程器 没有连接.\r\n");
  EXPECT_EQ(ProductInformation(Emulator(2, 0x06, 563)), "固件版本: V2.06(Build 563)\r\n产品编号: 01ab007f\r\n");
  EXPECT_EQ(ProductInformation(Emulator(2, 0x1F, 1)), "固件版本: V2.1F(Build 1)\r\n产品编号: 01ab007f\r\n");
  EXPECT_EQ(ProductInformation(Emulator(2, 0x06, 0)), "固件无效, 需要进行升级...");
  // Largest values: every field at its widest still fits.
  EXPECT_EQ(ProductInformation(Emulator(255, 0xFF, 0x80000000u)),
            "固件版本: V255.FF(Build -2147483648)\r\n产品编号: 01ab007f\r\n");

  SetupOptions options{1, 15, 0, 0};
  CSetupDlg dlg(options, Emulator(2, 0x06, 563));
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.ProductText(), "固件版本: V2.06(Build 563)\r\n产品编号: 01ab007f\r\n");
}

}  // namespace
}  // namespace orven::driverui
