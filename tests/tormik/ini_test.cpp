#include "tormik/ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tormik/chip_catalogue.h"
#include "tormik/profile.h"

namespace orven::app {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAllText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(ProfileText, FindsSectionsAndKeysIgnoringCase) {
  const std::string text =
      "orphan=1\n"
      "[system]\r\n"
      "  Model  =  2  \r\n"
      "; a comment\n"
      "[ Option ]\n"
      "FileM=\"/home/u/a b.hex\"\n"
      "Quoted='x'\n"
      "Empty=\n"
      "[QX410]\n"
      "ChipNO=5\n"
      "ChipNO=6\n"
      "[qx410]\n"
      "SCHIP=3\n";
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"SYSTEM", "MODEL", "2"},
      {"Option", "filem", "/home/u/a b.hex"},
      {"option", "QUOTED", "x"},
      {"Option", "Empty", ""},
      {"QX410", "ChipNO", "5"},          // the first of a repeated key
      {"QX410", "SCHIP", "3"},           // a repeated section is searched too
      {"SYSTEM", "orphan", std::nullopt},  // lines before the first section belong to none
      {"SYSTEM", "; a comment", std::nullopt},
      {"ORVENF", "ChipNO", std::nullopt},
  };
  for (const Case& c : cases) {
    auto value = FindProfileValue(text, c.section, c.key);
    EXPECT_EQ(value ? std::optional<std::string>(*value) : std::nullopt, c.value) << c.section << "/" << c.key;
  }
}

TEST(ProfileText, WritesOneLineAndKeepsTheRest) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    std::string after;
  } cases[] = {
      {"ReplaceKeepsSpellingAndOtherLines", "; settings\n[system]\nmodel = 1 ; old\n\n[QX410]\nChipNO=3\n", "SYSTEM",
       "MODEL", "; settings\n[system]\nmodel=9\n\n[QX410]\nChipNO=3\n"},
      {"AddToSectionBeforeItsBlankLines", "[QX410]\nChipNO=3\n\n\n[ORVENF]\nChipNO=1\n", "qx410", "SCHIP",
       "[QX410]\nChipNO=3\nSCHIP=9\n\n\n[ORVENF]\nChipNO=1\n"},
      {"AddToEmptySection", "[Option]\n[SYSTEM]\n", "Option", "FileM", "[Option]\nFileM=9\n[SYSTEM]\n"},
      {"AppendSection", "[SYSTEM]\nMODEL=1\n", "QX410", "ChipNO", "[SYSTEM]\nMODEL=1\n\n[QX410]\nChipNO=9\n"},
      {"AppendSectionAfterBlankLine", "[SYSTEM]\nMODEL=1\n\n", "QX410", "ChipNO",
       "[SYSTEM]\nMODEL=1\n\n[QX410]\nChipNO=9\n"},
      {"NoFinalNewline", "[SYSTEM]\nMODEL=1", "SYSTEM", "X", "[SYSTEM]\nMODEL=1\nX=9\n"},
      {"NoFinalNewlineNewSection", "[A]\nk=1", "B", "k", "[A]\nk=1\n\n[B]\nk=9\n"},
      {"CrLfKept", "[SYSTEM]\r\nMODEL=1\r\n", "SYSTEM", "ChipNO", "[SYSTEM]\r\nMODEL=1\r\nChipNO=9\r\n"},
      {"CrLfReplace", "[SYSTEM]\r\nMODEL=1\r\n", "SYSTEM", "model", "[SYSTEM]\r\nMODEL=9\r\n"},
      {"EmptyFile", "", "SYSTEM", "MODEL", "[SYSTEM]\nMODEL=9\n"},
      {"StrayCarriageReturn", "[A\r\r\n[B]\r", "B", "k", "[A\r\r\n[B]\r\r\nk=9\r\n"},
  };
  for (const Case& c : cases) {
    std::string text = c.before;
    EXPECT_TRUE(SetProfileValue(text, c.section, c.key, "9")) << c.name;
    EXPECT_EQ(text, c.after) << c.name;
    EXPECT_EQ(FindProfileValue(text, c.section, c.key), std::optional<std::string_view>("9")) << c.name;
  }
}

TEST(ProfileText, RefusesWhatCannotBeReadBack) {
  const std::string before = "[A]\nk=1\n";
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {{"A", "k", "two\nlines"}, {"A", "k=x", "1"}, {"A]", "k", "1"}, {"", "k", "1"},
               {"A", "", "1"},           {"A", "[k", "1"},  {"A", " k", "1"}, {"A\r", "k", "1"}};
  for (const Case& c : cases) {
    std::string text = before;
    EXPECT_FALSE(SetProfileValue(text, c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(text, before);
  }
}

class IniFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::TempDir() + "ini_test_" + std::to_string(::getpid()) + "/";
    ::mkdir(dir_.c_str(), 0755);
    ini_.SetPath(dir_ + "SETUP.ini");
  }
  void TearDown() override {
    std::remove(ini_.Path().c_str());
    ::rmdir(dir_.c_str());
  }

  std::string dir_;
  CIni ini_;
};

TEST_F(IniFile, ReadsNumbersTheWayTheSettingsNeedThem) {
  const std::string longDigits = std::string(63, '0') + "12";  // cut to 64 characters: "0…01"
  struct Case {
    std::string value;
    int expected;
  } cases[] = {
      {"1", 1},          {"2", 2},     {"   7", 7},           {"\t8", 8},         {"-1", -1},
      {"-5", -5},        {"+5", 5},    {"12abc", 12},        {"abc", 0},         {"", 0},
      {"2147483648", INT32_MIN},       {"4294967295", -1},   {"99999999999", -1}, {longDigits, 1},
      {std::string(64, '0') + "9", 0}, {"9" + std::string(1500, 'a'), 9},  // longer than the first buffers
  };
  for (const Case& c : cases) {
    WriteAllText(ini_.Path(), "[SYSTEM]\nMODEL=" + c.value + "\n");
    EXPECT_EQ(ini_.GetInt("SYSTEM", "MODEL"), c.expected) << "'" << c.value << "'";
  }
}

TEST_F(IniFile, MissingPiecesReadAsZero) {
  EXPECT_EQ(ini_.GetInt("SYSTEM", "MODEL"), 0);  // no file
  WriteAllText(ini_.Path(), "[SYSTEM]\nMODEL=1\n");
  EXPECT_EQ(ini_.GetInt("QX410", "MODEL"), 0);
  EXPECT_EQ(ini_.GetInt("SYSTEM", "ChipNO"), 0);
  EXPECT_EQ(ini_.GetInt(nullptr, "MODEL"), 0);
  EXPECT_EQ(ini_.GetInt("SYSTEM", nullptr), 0);
  EXPECT_EQ(ini_.GetInt("system", "model"), 1);
}

TEST_F(IniFile, AnyNonZeroModelSelectsOrvenf) {
  for (int model : {0, 1, 2, -1, 77}) {
    ASSERT_TRUE(ini_.WriteInt(kSectionSystem, kKeyModel, model));
    const ModelCatalogue& catalogue = CatalogueForModelIndex(ini_.GetInt(kSectionSystem, kKeyModel));
    EXPECT_EQ(catalogue.modelWord, model == 0 ? kQx410ModelWord : kOrvenfModelWord) << model;
  }
}

TEST_F(IniFile, WritesGoToTheFileAtOnceAndKeepOtherLines) {
  WriteAllText(ini_.Path(), "; TORMIK\r\n[system]\r\nmodel=0\r\nOther=keep me\r\n\r\n[Option]\r\nFileM=/old.hex\r\n");
  EXPECT_TRUE(ini_.WriteInt("SYSTEM", "MODEL", 1));
  EXPECT_TRUE(ini_.WriteInt("ORVENF", "ChipNO", -3));
  EXPECT_TRUE(ini_.WriteString(kSectionOption, kKeyFileM, "/home/u/data files/a=b.hex"));
  EXPECT_EQ(ReadAll(ini_.Path()),
            "; TORMIK\r\n[system]\r\nmodel=1\r\nOther=keep me\r\n\r\n[Option]\r\nFileM=/home/u/data files/a=b.hex\r\n"
            "\r\n[ORVENF]\r\nChipNO=-3\r\n");
  EXPECT_EQ(ini_.GetInt("orvenf", "chipno"), -3);
  EXPECT_FALSE(ini_.WriteInt(nullptr, "MODEL", 1));
  EXPECT_FALSE(ini_.WriteInt("SYSTEM", nullptr, 1));
  EXPECT_FALSE(ini_.WriteString(kSectionOption, kKeyFileM, "/a\nMODEL=5"));
  EXPECT_EQ(ini_.GetInt("SYSTEM", "MODEL"), 1);
}

TEST_F(IniFile, FirstWriteCreatesFileAndDirectories) {
  std::string nested = dir_ + "cfg/tormik/";
  CIni ini(nested + "SETUP.ini");
  EXPECT_TRUE(ini.WriteInt("QX410", "SVENDOR", 4));
  EXPECT_EQ(ReadAll(ini.Path()), "[QX410]\nSVENDOR=4\n");
  struct stat st {};
  ASSERT_EQ(::stat(ini.Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  std::remove(ini.Path().c_str());
  ::rmdir(nested.c_str());
  ::rmdir((dir_ + "cfg/").c_str());
}

TEST(SettingsPath, BesideTheProgramUnlessItIsNotWritable) {
  struct Case {
    const char* exeDir;
    bool writable;
    const char* xdg;
    const char* home;
    const char* expected;
  } cases[] = {
      {"/opt/t/bin/", true, "/x", "/home/u", "/opt/t/bin/SETUP.ini"},
      {"/usr/bin/", false, "/home/u/.cfg", "/home/u", "/home/u/.cfg/tormik/SETUP.ini"},
      {"/usr/bin/", false, "/home/u/.cfg/", "/home/u", "/home/u/.cfg/tormik/SETUP.ini"},
      {"/usr/bin/", false, nullptr, "/home/u", "/home/u/.config/tormik/SETUP.ini"},
      {"/usr/bin/", false, "relative", "/home/u", "/home/u/.config/tormik/SETUP.ini"},
      {"/usr/bin/", false, "", "/home/u", "/home/u/.config/tormik/SETUP.ini"},
      {"/usr/bin/", false, nullptr, nullptr, "/usr/bin/SETUP.ini"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SettingsPathFor(c.exeDir, c.writable, c.xdg, c.home), c.expected) << c.exeDir << " " << c.writable;
  EXPECT_NE(SettingsPath().find("SETUP.ini"), std::string::npos);
}

}  // namespace
}  // namespace orven::app
