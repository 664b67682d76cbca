// Addresses from the linker's map and relocated listings, for what the .cdb leaves out.
#include <gtest/gtest.h>

#include "debuginfo/cdb_parser.h"
#include "debuginfo/linker_addresses.h"

namespace orven::debuginfo {
namespace {

TEST(LinkerAddressesTest, MapAndListingLines) {
  LinkerAddresses linker;
  linker.AddMap(
      "C:   000001D2  G$table$0_0$0                      prog\n"
      "     00000023  G$ibuf$0_0$0                       prog\n"
      "     00000023  _ibuf                              prog\n"
      "D:   0000001B  G$flags$0_0$0                      prog\n"
      "C:   000000D9  G$main$0$0                         prog\n"
      "C:   00000000  l_BIT_BANK\n"
      "BSEG_BYTES                          00000020    00000001 =           1. bytes (REL,CON)\n");
  // A module linked second: its bits follow the first module's, and only the label line shows where.
  linker.AddListing(
      "                                     51 G$ob1$0_0$0==.\n"
      "      000002                         52 _ob1::\n"
      "      000002                         53 \t.ds 1\n"
      "                           000001    54 G$ob2$0_0$0==.\n"
      "      000003                         55 _ob2::\n"
      "                           000000    60 Lother.f$s$1_0$2==.\n"
      "                                     61 ; a comment line breaks the pair\n"
      "      000040                         62 _f_s_1_2:\n");
  const std::pair<const char*, std::optional<uint32_t>> expected[] = {
      {"G$table$0_0$0", 0x1D2}, {"G$ibuf$0_0$0", 0x23}, {"G$flags$0_0$0", 0x1B}, {"G$main$0_0$0", 0xD9},
      {"G$ob1$0_0$0", 0x02},    {"G$ob2$0_0$0", 0x03},  {"Lother.f$s$1_0$2", std::nullopt},
      {"_ibuf", std::nullopt},  // plain assembler names are not debug keys
  };
  for (const auto& [key, address] : expected) EXPECT_EQ(linker.Find(key), address) << key;
}

TEST(LinkerAddressesTest, FillsWhatTheRecordsLack) {
  CdbParser parser("bits.cdb");
  DebugInfo info = parser.Parse(
      "M:bits\n"
      "S:G$done$0_0$0({1}SB0$1:U),H,0,0\n"
      "S:G$late$0_0$0({1}SC:U),E,0,0\n"
      "F:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
      "L:C$bits.c$3$1_0$1:40\n"
      "L:C$bits.c$4$1_0$1:44\n");
  ASSERT_EQ(info.SymbolsWithoutAddress().size(), 2u);
  EXPECT_FALSE(info.FunctionAt(0x40));
  LinkerAddresses linker;
  linker.AddListing(
      "                           000000   484 G$done$0_0$0==.\n"
      "      000005                        485 _done::\n");
  linker.AddMap("C:   00000040  G$main$0$0  bits\n");
  size_t filled = info.FillMissingAddresses([&](const std::string& key, const std::string&) {
    return linker.Find(key);
  });
  EXPECT_EQ(filled, 2u);
  EXPECT_EQ(info.GlobalSymbol("done")->address, 0x05u);
  EXPECT_FALSE(info.GlobalSymbol("late")->address);
  // Without an end record the function runs to its last line record before anything else.
  const Function* main = info.FunctionAt(0x44);
  ASSERT_TRUE(main);
  EXPECT_EQ(main->end, 0x44u);
  EXPECT_EQ(info.LineAt(0x44)->line, 4u);
}

}  // namespace
}  // namespace orven::debuginfo
