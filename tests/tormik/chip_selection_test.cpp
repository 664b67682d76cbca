#include "tormik/chip_selection.h"

#include <gtest/gtest.h>

#include <vector>

#include "tormik/chip_catalogue.h"

namespace orven::app {
namespace {

ChipSelection Open(const ModelCatalogue& c, int vendor = 0, int chip = 0) {
  return ChipSelection(c.vendors, c.entries, vendor, chip, c.showNotes);
}

TEST(ChipSelectionTest, VendorChoiceListsItsChipsAndAcceptReturnsTheCatalogueIndex) {
  struct Case {
    int vendor;
    std::vector<std::string> chips;
    int pick;
    int index;
  } cases[] = {
      {3, {"PIC16F877A [ISP]"}, 0, 11},
      {4, {"W78E052D [ZIF]", "W78E054D [ZIF]", "W78E058D [ZIF]", "W78E516D [ZIF]"}, 2, 25},
      {1, {"P89V51RB2 [ZIF]", "P89V51RC2 [ZIF]", "P89V51RD2 [ZIF]"}, 1, 13},
      {2, {}, 7, 22},  // STC: eight chips, the last one
      {0, {}, 10, 10},
  };
  for (const Case& c : cases) {
    ChipSelection sel = Open(Qx410Catalogue());
    sel.SelectVendor(c.vendor);
    if (!c.chips.empty()) {
      EXPECT_EQ(sel.ChipNames(), c.chips) << c.vendor;
    }
    EXPECT_EQ(sel.ListPosition(), 0);  // a refill selects the first chip
    sel.SelectChip(c.pick);
    auto result = sel.Accept();
    ASSERT_TRUE(result) << c.vendor;
    EXPECT_EQ(result->vendorPosition, c.vendor);
    EXPECT_EQ(result->listPosition, c.pick);
    EXPECT_EQ(result->catalogueIndex, c.index);
  }
}

TEST(ChipSelectionTest, OrvenfHasOneVendorSevenChipsAndNoNotes) {
  ChipSelection sel = Open(OrvenfCatalogue());
  EXPECT_EQ(sel.VendorNames(), std::vector<std::string>{"ATMEL"});
  EXPECT_EQ(sel.ChipNames().size(), 7u);
  EXPECT_EQ(sel.ChipNames()[6], "ATmega88 [ISP]");
  EXPECT_FALSE(sel.ShowNotes());
  EXPECT_TRUE(Open(Qx410Catalogue()).ShowNotes());
}

TEST(ChipSelectionTest, OpensOnTheRememberedPositions) {
  ChipSelection sel = Open(Qx410Catalogue(), 4, 3);
  EXPECT_EQ(sel.VendorPosition(), 4);
  EXPECT_EQ(sel.ListPosition(), 3);
  EXPECT_EQ(sel.Accept()->catalogueIndex, 26);
}

TEST(ChipSelectionTest, SavedPositionsThatNoLongerFitFallBackToTheFirst) {
  struct Case {
    int vendor, chip, expectVendor, expectChip, expectIndex;
  } cases[] = {
      {5, 0, 0, 0, 0},  {-1, 2, 0, 2, 2},   {3, 1, 3, 0, 11},
      {3, -7, 3, 0, 11}, {99, 99, 0, 0, 0}, {INT32_MAX, INT32_MIN, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ChipSelection sel = Open(Qx410Catalogue(), c.vendor, c.chip);
    EXPECT_EQ(sel.VendorPosition(), c.expectVendor) << c.vendor << "/" << c.chip;
    EXPECT_EQ(sel.ListPosition(), c.expectChip) << c.vendor << "/" << c.chip;
    EXPECT_EQ(sel.Accept()->catalogueIndex, c.expectIndex) << c.vendor << "/" << c.chip;
  }
}

TEST(ChipSelectionTest, AcceptWithoutSelectedChipKeepsTheDialogOpen) {
  // A vendor without chips leaves the list empty.
  const char* const vendors[] = {"ATMEL", "NXP", "STC", "MICROCHIP", "NUVOTON(WINBOND)", "NOBODY", nullptr};
  ChipSelection sel(vendors, Qx410Catalogue().entries, 5, 0, true);
  EXPECT_EQ(sel.VendorNames().size(), 6u);
  EXPECT_TRUE(sel.ChipNames().empty());
  EXPECT_EQ(sel.ListPosition(), ChipSelection::kNone);
  EXPECT_FALSE(sel.Accept());
  EXPECT_FALSE(sel.DoubleClick(0));

  sel.SelectVendor(0);
  sel.SelectChip(ChipSelection::kNone);
  EXPECT_FALSE(sel.Accept());
  sel.SelectChip(12);  // past the vendor's eleven chips
  EXPECT_FALSE(sel.Accept());

  sel.SelectVendor(ChipSelection::kNone);
  EXPECT_TRUE(sel.ChipNames().empty());
  EXPECT_FALSE(sel.Accept());
}

TEST(ChipSelectionTest, DoubleClickAcceptsLikeOk) {
  ChipSelection sel = Open(Qx410Catalogue());
  sel.SelectVendor(4);
  auto result = sel.DoubleClick(2);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->catalogueIndex, 25);
  EXPECT_EQ(sel.ListPosition(), 2);
}

TEST(ChipSelectionTest, MapHoldsThreeHundredChipsAndTheCatalogueEndsAtVendorZero) {
  std::vector<ChipEntry> many(320, ChipEntry{u"X", 1, 0x13, u"", {}});
  many[310].vendor = 0;  // entries behind the end entry are never listed
  const char* const vendors[] = {"ONE"};
  ChipSelection sel(vendors, many, 0, 299, false);
  EXPECT_EQ(sel.ChipNames().size(), 300u);
  EXPECT_EQ(sel.Accept()->catalogueIndex, 299);
  EXPECT_EQ(sel.CatalogueIndexAt(300), ChipSelection::kNone);

  std::vector<ChipEntry> unterminated(3, ChipEntry{u"Y", 1, 0x13, u"", {}});
  ChipSelection bounded(vendors, unterminated, 0, 0, false);
  EXPECT_EQ(bounded.ChipNames().size(), 3u);
}

}  // namespace
}  // namespace orven::app
