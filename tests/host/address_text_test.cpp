// Addresses in messages are written as the user types them, never in the driver's tagged form.
#include <gtest/gtest.h>

#include "host/address_text.h"

namespace orven::host {
namespace {

TEST(AddressText, EverySpaceInTheFormTheUserWrites) {
  const struct {
    uint32_t tagged;
    const char* text;
  } cases[] = {
      {0xFF000100u, "C:0100"}, {0x01000000u, "X:0000"}, {0x0100FFFFu, "X:FFFF"}, {0xF0000030u, "D:0030"},
      {0xF3000080u, "I:0080"}, {0xFE000010u, "P:0010"}, {0xFF010100u, "C:010100"},  // bank 1
      {0x02001234u, "02001234"},                                                      // no such space
  };
  for (const auto& c : cases) EXPECT_EQ(AddressText(c.tagged), c.text) << std::hex << c.tagged;
}

}  // namespace
}  // namespace orven::host
