// Type chains as SDCC 4.2 writes them, and the generic pointer's space tag.
#include <gtest/gtest.h>

#include "debuginfo/type.h"

namespace orven::debuginfo {
namespace {

struct ChainCase {
  const char* text;
  uint32_t size;
  bool isUnsigned;
  std::vector<TypeCode> codes;
};

TEST(TypeChainTest, ParsesWhatTheCompilerWrites) {
  using enum TypeCode;
  const ChainCase cases[] = {
      {"({1}SC:U)", 1, true, {kChar}},
      {"({1}SC:S)", 1, false, {kChar}},
      {"({2}SI:S)", 2, false, {kInt}},
      {"({4}SL:U)", 4, true, {kLong}},
      {"({8}SI:S)", 8, false, {kLongLong}},  // long long is int of eight bytes
      {"({4}SF:S)", 4, false, {kFloat}},
      {"({1}:S)", 1, false, {kBool}},  // _Bool has no letters at all
      {"({1}SX:U)", 1, true, {kSbit}},
      {"({16}DA16d,SC:U)", 16, true, {kArray, kChar}},
      {"({12}DA3d,DA4d,SC:U)", 12, true, {kArray, kArray, kChar}},
      {"({3}DG,STnode:S)", 3, false, {kPointer, kStruct}},
      {"({2}DC,DF,SI:S)", 2, false, {kPointer, kFunction, kInt}},
      {"({4}DA2d,DC,DF,SV:S)", 4, false, {kArray, kPointer, kFunction, kVoid}},
      {"({2}DX,DX,SC:U)", 2, true, {kPointer, kPointer, kChar}},
      {"({2}DF,SV:S)", 2, false, {kFunction, kVoid}},
  };
  for (const ChainCase& c : cases) {
    SCOPED_TRACE(c.text);
    auto type = ParseTypeChain(c.text, nullptr);
    ASSERT_TRUE(type);
    EXPECT_EQ(type->size, c.size);
    EXPECT_EQ(type->isUnsigned, c.isUnsigned);
    ASSERT_EQ(type->chain.size(), c.codes.size());
    for (size_t i = 0; i < c.codes.size(); ++i) EXPECT_EQ(type->chain[i].code, c.codes[i]) << i;
  }
}

TEST(TypeChainTest, DeclaratorDetails) {
  auto array = ParseTypeChain("({12}DA3d,DA4d,SC:U)", nullptr);
  ASSERT_TRUE(array);
  EXPECT_EQ(array->chain[0].count, 3u);
  EXPECT_EQ(array->chain[1].count, 4u);

  auto bits = ParseTypeChain("({1}SB4$3:U)", nullptr);
  ASSERT_TRUE(bits);
  EXPECT_EQ(bits->chain[0].code, TypeCode::kBitField);
  EXPECT_EQ(bits->chain[0].bitOffset, 4);
  EXPECT_EQ(bits->chain[0].bitWidth, 3);

  auto strukt = ParseTypeChain("({3}DG,ST__00000001:S)", nullptr);
  ASSERT_TRUE(strukt);
  EXPECT_EQ(strukt->chain[1].structName, "__00000001");

  const std::pair<const char*, PointerKind> pointers[] = {
      {"DG", PointerKind::kGeneric}, {"DC", PointerKind::kCode},  {"DX", PointerKind::kXdata},
      {"DD", PointerKind::kData},    {"DI", PointerKind::kIdata}, {"DP", PointerKind::kPdata}};
  for (const auto& [letters, kind] : pointers) {
    auto type = ParseTypeChain(std::string("({1}") + letters + ",SC:U)", nullptr);
    ASSERT_TRUE(type) << letters;
    EXPECT_EQ(type->chain[0].pointer, kind) << letters;
  }
}

TEST(TypeChainTest, RefusesMalformedChains) {
  const char* bad[] = {
      "",
      "{1}SC:U",              // no parentheses
      "({1}SC:U",             // unclosed
      "({1}SC)",              // no sign
      "({1}SC:X)",            // unknown sign
      "({}SC:U)",             // no size
      "({99999999999}SC:U)",  // size past 32 bits
      "({1}QQ:U)",            // unknown element
      "({1}DG:U)",            // ends in a declarator
      "({1}SC,SC:U)",         // a specifier before the end
      "({1}DAd,SC:U)",        // array without a count
      "({1}ST:U)",            // struct without a name
      "({1}SB9$0:U)",         // bit-field of no bits
      "({4}SB30$8:U)",        // bit-field past 32 bits
      "({1}SC:U)x",           // trailing text
      "({1}DG,DG,DG,DG,DG,DG,DG,DG,DG,DG,DG,DG,DG,DG,DG,DG,SC:U)",  // deeper than any C declaration here
  };
  for (const char* text : bad) {
    std::string why;
    EXPECT_FALSE(ParseTypeChain(text, &why)) << text;
    EXPECT_FALSE(why.empty()) << text;
  }
}

TEST(TypeChainTest, GenericPointerTagsRoundTrip) {
  // The tag byte the compiler stores in a generic pointer, and what a tag read from the target means.
  EXPECT_EQ(GenericPointerTag(PointerKind::kXdata), 0x00);
  EXPECT_EQ(GenericPointerTag(PointerKind::kData), 0x40);
  EXPECT_EQ(GenericPointerTag(PointerKind::kPdata), 0x60);
  EXPECT_EQ(GenericPointerTag(PointerKind::kCode), 0x80);
  EXPECT_EQ(SpaceOfGenericPointerTag(0x00), PointerKind::kXdata);
  EXPECT_EQ(SpaceOfGenericPointerTag(0x40), PointerKind::kIdata);
  EXPECT_EQ(SpaceOfGenericPointerTag(0x60), PointerKind::kPdata);
  EXPECT_EQ(SpaceOfGenericPointerTag(0x80), PointerKind::kCode);
  EXPECT_EQ(SpaceOfGenericPointerTag(0xC0), PointerKind::kCode);
  EXPECT_EQ(PointerSize(PointerKind::kGeneric), 3u);
  EXPECT_EQ(PointerSize(PointerKind::kXdata), 2u);
  EXPECT_EQ(PointerSize(PointerKind::kPdata), 1u);
}

}  // namespace
}  // namespace orven::debuginfo
