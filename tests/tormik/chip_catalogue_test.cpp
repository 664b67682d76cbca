#include "tormik/chip_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orven::app {
namespace {

// The catalogues in their published form: index, name, vendor, flags, configuration file, parameter block.
struct Published {
  int index;
  const char* name;
  int vendor;
  uint32_t flags;
  const char* configFile;
  const char* block;
};

const Published kQx410[] = {
    {0, "AT89S51 [ZIF]", 1, 0x13, "",
     "00 00 1E 51 06 00 00 10 00 00 00 00 "
     "00 00 00 01 00 00 00 00 00 00 00 00"},
    {1, "AT89S52 [ZIF]", 1, 0x13, "",
     "00 00 1E 52 06 00 00 20 00 00 00 00 "
     "00 00 00 01 00 00 00 00 00 00 00 00"},
    {2, "AT89S53 [ZIF]", 1, 0x13, "",
     "08 00 00 00 00 00 00 30 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {3, "AT89S8252 [ZIF]", 1, 0x13, "",
     "08 00 00 00 00 00 00 20 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {4, "AT89S52 [ISP]", 1, 0x13, "",
     "00 01 1E 52 06 00 00 20 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {5, "AT89S53 [ISP]", 1, 0x13, "",
     "08 01 00 00 00 00 00 30 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {6, "AT89S8252 [ISP]", 1, 0x13, "",
     "08 01 00 00 00 00 00 20 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {7, "ATmega16 [ISP]", 1, 0x33, "MEGA16",
     "01 01 1E 94 03 00 00 40 00 00 00 02 "
     "00 00 00 00 40 00 02 00 00 00 00 00"},
    {8, "ATmega8515 [ZIF]", 1, 0x33, "MEGA8515",
     "01 00 1E 93 06 00 00 20 00 00 00 02 "
     "00 00 00 00 20 00 02 00 00 00 00 00"},
    {9, "ATmega8515 [ISP]", 1, 0x33, "MEGA8515",
     "01 01 1E 93 06 00 00 20 00 00 00 02 "
     "00 00 00 00 20 00 02 00 00 00 00 00"},
    {10, "ATmega88 [ISP]", 1, 0x33, "MEGA88",
     "01 01 1E 93 0F 00 00 20 00 00 00 02 "
     "00 00 00 00 40 04 03 00 00 00 00 00"},
    {11, "PIC16F877A [ISP]", 4, 0x33, "16F877A",
     "03 01 0E 20 00 00 00 20 00 00 00 02 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {12, "P89V51RB2 [ZIF]", 2, 0x13, "",
     "05 00 00 00 00 00 00 40 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {13, "P89V51RC2 [ZIF]", 2, 0x13, "",
     "05 00 00 00 00 00 00 80 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {14, "P89V51RD2 [ZIF]", 2, 0x13, "",
     "05 00 00 00 00 00 00 00 01 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {15, "STC12C5A8S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 64 00 00 00 20 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {16, "STC12C5A16S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 68 00 00 00 40 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {17, "STC12C5A32S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 70 00 00 00 80 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {18, "STC12C5A40S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 74 00 00 00 A0 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {19, "STC12C5A48S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 78 00 00 00 C0 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {20, "STC12C5A52S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 7A 00 00 00 D0 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {21, "STC12C5A56S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 7C 00 00 00 E0 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {22, "STC12C5A60S2 [ZIF]", 3, 0x23, "STCMCU1",
     "04 00 D1 7E 00 00 00 F0 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {23, "W78E052D [ZIF]", 5, 0x13, "",
     "02 00 00 00 00 00 00 20 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {24, "W78E054D [ZIF]", 5, 0x13, "",
     "02 00 00 00 00 00 00 38 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {25, "W78E058D [ZIF]", 5, 0x13, "",
     "02 00 00 00 00 00 00 80 00 00 00 00 "
     "00 00 00 00 01 00 00 00 00 00 00 00"},
    {26, "W78E516D [ZIF]", 5, 0x13, "",
     "02 00 00 00 00 00 00 00 01 00 00 00 "
     "00 00 00 00 01 00 00 00 00 00 00 00"},};

const Published kOrvenf[] = {
    {0, "AT89S51 [ISP]", 1, 0x13, "",
     "00 00 1E 51 06 00 00 10 00 00 00 00 "
     "00 00 00 01 00 00 00 00 00 00 00 00"},
    {1, "AT89S52 [ISP]", 1, 0x13, "",
     "00 00 1E 52 06 00 00 20 00 00 00 00 "
     "00 00 00 01 00 00 00 00 00 00 00 00"},
    {2, "AT89S53 [ISP]", 1, 0x13, "",
     "08 00 00 00 00 00 00 30 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {3, "AT89S8252 [ISP]", 1, 0x13, "",
     "08 00 00 00 00 00 00 20 00 00 00 00 "
     "00 00 00 00 00 00 00 00 00 00 00 00"},
    {4, "ATmega16 [ISP]", 1, 0x33, "MEGA16",
     "01 01 1E 94 03 00 00 40 00 00 00 02 "
     "00 00 00 00 40 00 02 00 00 00 00 00"},
    {5, "ATmega8515 [ISP]", 1, 0x33, "MEGA8515",
     "01 01 1E 93 06 00 00 20 00 00 00 02 "
     "00 00 00 00 20 00 02 00 00 00 00 00"},
    {6, "ATmega88 [ISP]", 1, 0x33, "MEGA88",
     "01 01 1E 93 0F 00 00 20 00 00 00 02 "
     "00 00 00 00 40 04 03 00 00 00 00 00"},};

std::string BlockHex(const ChipParameterBlock& block) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : block.bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

void ExpectCatalogue(const ModelCatalogue& catalogue, std::span<const Published> published) {
  ASSERT_EQ(catalogue.Size(), published.size());
  ASSERT_EQ(catalogue.entries.size(), published.size() + 1);
  for (const Published& p : published) {
    const ChipEntry& e = catalogue.entries[static_cast<size_t>(p.index)];
    EXPECT_EQ(ChipName(e), p.name) << p.index;
    EXPECT_EQ(e.vendor, p.vendor) << p.name;
    EXPECT_EQ(e.flags, p.flags) << p.name;
    EXPECT_EQ(e.HasConfigItems(), (p.flags & 0x20) != 0) << p.name;
    EXPECT_EQ(ConfigFileName(e), p.configFile) << p.name;
    EXPECT_EQ(BlockHex(e.parameters), p.block) << p.name;
    // The padding behind the texts is NUL, so the 160 bytes go out exactly as published.
    for (size_t i = std::char_traits<char>::length(p.name); i < std::size(e.name); ++i) EXPECT_EQ(e.name[i], 0);
    for (size_t i = std::char_traits<char>::length(p.configFile); i < std::size(e.configFile); ++i)
      EXPECT_EQ(e.configFile[i], 0);
  }
  const ChipEntry& end = catalogue.entries.back();
  EXPECT_EQ(end.vendor, 0);
  EXPECT_EQ(end.name[0], 0);
  EXPECT_EQ(end.FlashSize(), 0u);
}

TEST(ChipCatalogue, Qx410MatchesThePublishedTable) {
  const ModelCatalogue& c = Qx410Catalogue();
  ExpectCatalogue(c, kQx410);
  EXPECT_EQ(c.modelWord, 0x5295);
  EXPECT_STREQ(c.settingsSection, "QX410");
  EXPECT_TRUE(c.showNotes);
  std::vector<std::string> vendors(c.vendors.begin(), c.vendors.end());
  EXPECT_EQ(vendors, (std::vector<std::string>{"ATMEL", "NXP", "STC", "MICROCHIP", "NUVOTON(WINBOND)"}));
  EXPECT_EQ(c.vendors.data()[c.vendors.size()], nullptr);  // the end marker
}

TEST(ChipCatalogue, OrvenfMatchesThePublishedTable) {
  const ModelCatalogue& c = OrvenfCatalogue();
  ExpectCatalogue(c, kOrvenf);
  EXPECT_EQ(c.modelWord, 0x520D);
  EXPECT_STREQ(c.settingsSection, "ORVENF");
  EXPECT_FALSE(c.showNotes);
  ASSERT_EQ(c.vendors.size(), 1u);
  EXPECT_STREQ(c.vendors[0], "ATMEL");
  EXPECT_EQ(c.vendors.data()[1], nullptr);
}

TEST(ChipCatalogue, FlashSizesAndAlgorithmCodesReadFromTheBlock) {
  EXPECT_EQ(Qx410Catalogue().Chip(0).FlashSize(), 0x1000u);
  EXPECT_EQ(Qx410Catalogue().Chip(14).FlashSize(), 0x10000u);
  EXPECT_EQ(Qx410Catalogue().Chip(24).FlashSize(), 0x3800u);
  EXPECT_EQ(Qx410Catalogue().Chip(11).parameters.AlgorithmCode(), 3);
  EXPECT_EQ(OrvenfCatalogue().Chip(6).parameters.Signature()[2], 0x0F);
}

TEST(ChipCatalogue, ModelLookupAndClamping) {
  EXPECT_EQ(&CatalogueForModelWord(0x5295), &Qx410Catalogue());
  EXPECT_EQ(&CatalogueForModelWord(0x520D), &OrvenfCatalogue());
  EXPECT_EQ(&CatalogueForModelWord(0), &OrvenfCatalogue());
  EXPECT_EQ(&CatalogueForModelWord(0x1234), &OrvenfCatalogue());
  EXPECT_EQ(&CatalogueForModelIndex(0), &Qx410Catalogue());
  EXPECT_EQ(&CatalogueForModelIndex(2), &OrvenfCatalogue());

  struct Case {
    const ModelCatalogue& catalogue;
    int chipNo;
    int expected;
  } cases[] = {{Qx410Catalogue(), 26, 26}, {Qx410Catalogue(), 27, 0},  {Qx410Catalogue(), -1, 0},
               {OrvenfCatalogue(), 6, 6},  {OrvenfCatalogue(), 7, 0},  {OrvenfCatalogue(), 25, 0},
               {OrvenfCatalogue(), INT32_MIN, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.catalogue.ClampChipNo(c.chipNo), c.expected) << c.chipNo;
    EXPECT_EQ(&c.catalogue.Chip(c.chipNo), &c.catalogue.entries[static_cast<size_t>(c.expected)]);
  }
}

TEST(ChipCatalogue, FindsChipsByName) {
  EXPECT_EQ(Qx410Catalogue().FindChip("AT89S52 [ZIF]"), 1);
  EXPECT_EQ(Qx410Catalogue().FindChip("at89s52 [isp]"), 4);
  EXPECT_EQ(Qx410Catalogue().FindChip("W78E516D [ZIF]"), 26);
  EXPECT_EQ(Qx410Catalogue().FindChip("AT89S51 [ISP]"), -1);
  EXPECT_EQ(OrvenfCatalogue().FindChip("AT89S51 [ISP]"), 0);
  EXPECT_EQ(Qx410Catalogue().FindChip("AT89S52"), -1);
  EXPECT_EQ(Qx410Catalogue().FindChip(""), -1);
}

TEST(ChipEntryText, Utf16FieldsBecomeUtf8) {
  const char16_t field[6] = {u'A', 0x00E9, 0x8292, 0xD83D, 0xDE00, 0};
  EXPECT_EQ(Utf16FieldToUtf8(field, 6), "A\xC3\xA9\xE8\x8A\x92\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16FieldToUtf8(field, 2), "A\xC3\xA9");            // no NUL within the capacity
  const char16_t lone[3] = {0xD83D, u'x', 0xDE00};
  EXPECT_EQ(Utf16FieldToUtf8(lone, 3), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  const char16_t cut[2] = {u'y', 0xD83D};  // a pair cut by the field's end
  EXPECT_EQ(Utf16FieldToUtf8(cut, 2), "y\xEF\xBF\xBD");
}

}  // namespace
}  // namespace orven::app
