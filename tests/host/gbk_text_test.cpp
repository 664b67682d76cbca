// The driver's GBK texts and the host's UTF-8 ones.
#include <gtest/gtest.h>

#include "host/gbk_text.h"

namespace orven::host {
namespace {

TEST(GbkText, DriverTextsBecomeUtf8AndBadBytesAQuestionMark) {
  EXPECT_EQ(GbkToUtf8("Erasing Done.\n"), "Erasing Done.\n");
  EXPECT_EQ(GbkToUtf8("\xB7\xC2\xD5\xE6\xC6\xF7 OK"), "仿真器 OK");
  EXPECT_EQ(GbkToUtf8("a\xFF" "b"), "a?b");
  EXPECT_EQ(GbkToUtf8("\xB7\xC2\xD5"), "仿?");  // a character cut at the end
  EXPECT_EQ(Utf8ToGbk("仿真器 OK"), "\xB7\xC2\xD5\xE6\xC6\xF7 OK");
  EXPECT_EQ(Utf8ToGbk("a\xFF" "b"), "a?b");
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk("断点 命令")), "断点 命令");
}

}  // namespace
}  // namespace orven::host
