// The setup dialog as the Windows driver's resource script lays it out, read on any host: caption, font, size,
// and every control's kind, identifier, text and place, against the dialog as the driver's users know it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The fields of one resource statement: quoted strings without their quotes, the rest trimmed.
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (char ch : text) {
    if (ch == '"') {
      quoted = !quoted;
    } else if (ch == ',' && !quoted) {
      out.emplace_back();
    } else {
      out.back() += ch;
    }
  }
  for (std::string& f : out) {
    const size_t a = f.find_first_not_of(" \t\r");
    const size_t b = f.find_last_not_of(" \t\r");
    f = a == std::string::npos ? std::string() : f.substr(a, b - a + 1);
  }
  return out;
}

struct Control {
  std::string kind;
  int id;
  std::string text;  // for a picture, its bitmap resource
  int x, y, w, h;
  bool operator==(const Control&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Control& c) {
  return os << c.kind << " " << c.id << " \"" << c.text << "\" " << c.x << "," << c.y << " " << c.w << "x" << c.h;
}

class SetupDialogScript : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string dir = std::string(ORVEN_SOURCE_DIR) + "/driver/win32/";
    std::istringstream header(ReadFile(dir + "resource.h"));
    for (std::string line; std::getline(header, line);) {
      std::istringstream words(line);
      std::string define, name;
      int value = 0;
      if (words >> define >> name >> value && define == "#define") ids_[name] = value;
    }
    ids_["IDOK"] = 1;
    ids_["IDCANCEL"] = 2;
    ids_["-1"] = -1;

    std::istringstream script(ReadFile(dir + "orvend.rc"));
    bool inDialog = false;
    for (std::string line; std::getline(script, line);) {
      const size_t start = line.find_first_not_of(" \t");
      if (start == std::string::npos) continue;
      line = line.substr(start);
      const std::string word = line.substr(0, line.find_first_of(" \t\r"));
      const std::string rest = line.size() > word.size() ? line.substr(word.size() + 1) : std::string();
      if (word == "IDD_SETUP") {
        inDialog = true;
        header_ = rest;
      } else if (inDialog && word == "END") {
        inDialog = false;
      } else if (inDialog && word == "CAPTION") {
        caption_ = Fields(rest).at(0);
      } else if (inDialog && word == "FONT") {
        const std::vector<std::string> f = Fields(rest);
        font_ = f.at(0) + " " + f.at(1);
      } else if (inDialog && word != "STYLE" && word != "BEGIN") {
        controls_.push_back(Parse(word, Fields(rest)));
      }
    }
  }

  int Id(const std::string& name) const {
    const auto it = ids_.find(name);
    return it == ids_.end() ? -1000 : it->second;
  }

  // One control statement as kind, id, text and rectangle. Kinds follow the styles that make them.
  Control Parse(const std::string& word, const std::vector<std::string>& f) const {
    auto rect = [&](size_t at, Control c) {
      c.x = std::stoi(f.at(at));
      c.y = std::stoi(f.at(at + 1));
      c.w = std::stoi(f.at(at + 2));
      c.h = std::stoi(f.at(at + 3));
      return c;
    };
    auto has = [&](size_t at, const char* style) { return f.size() > at && f[at].find(style) != std::string::npos; };
    if (word == "CONTROL") {
      const std::string& cls = f.at(2);
      std::string kind = cls;
      if (cls == "Static" && has(3, "SS_BITMAP")) kind = "picture";
      if (cls == "Button" && has(3, "BS_AUTOCHECKBOX")) kind = "automatic check box";
      const bool picture = kind == "picture";
      return rect(4, {kind, Id(f[1]), picture ? std::to_string(Id(f[0])) : f[0], 0, 0, 0, 0});
    }
    if (word == "COMBOBOX") {
      return rect(1, {has(5, "CBS_DROPDOWNLIST") ? "drop-down list" : "combo box", Id(f[0]), "", 0, 0, 0, 0});
    }
    if (word == "EDITTEXT") {
      const bool wanted = has(5, "ES_MULTILINE") && has(5, "ES_READONLY") && has(5, "WS_VSCROLL");
      return rect(1, {wanted ? "multi-line read-only edit with scroll bar" : "edit", Id(f[0]), "", 0, 0, 0, 0});
    }
    const std::map<std::string, std::string> kinds = {{"GROUPBOX", "group box"},
                                                      {"LTEXT", "static text"},
                                                      {"DEFPUSHBUTTON", "default push button"},
                                                      {"PUSHBUTTON", "push button"}};
    const auto kind = kinds.find(word);
    return rect(2, {kind == kinds.end() ? word : kind->second, Id(f.at(1)), f.at(0), 0, 0, 0, 0});
  }

  std::map<std::string, int> ids_;
  std::string header_, caption_, font_;
  std::vector<Control> controls_;
};

TEST_F(SetupDialogScript, DialogAndEveryControlAsTheUsersKnowThem) {
  EXPECT_EQ(header_, "DIALOGEX 0, 0, 297, 246");
  EXPECT_EQ(caption_, "NORDA  QX410 MCU Development Kit  V1.06");
  EXPECT_EQ(font_, "8 MS Shell Dlg");
  // In tab and drawing order. Both labels of the chip lists have identifiers of their own, so that they can be
  // disabled with the lists; the note under the pause box is filled in at start.
  const std::vector<Control> expected = {
      {"picture", -1, "5010", 0, 0, 297, 41},
      {"group box", -1, "仿真选项", 4, 44, 288, 60},
      {"automatic check box", 5002, "开启暂停功能", 11, 60, 194, 10},
      {"static text", 5022, "", 11, 73, 274, 29},
      {"group box", -1, "下载编程选项", 4, 108, 288, 63},
      {"static text", 5020, "芯片厂商", 183, 116, 97, 8},
      {"drop-down list", 5015, "", 183, 125, 100, 150},
      {"picture", -1, "5003", 22, 127, 20, 18},
      {"static text", 5021, "芯片型号", 183, 142, 99, 8},
      {"drop-down list", 5000, "", 183, 151, 100, 156},
      {"automatic check box", 5007, "下载到仿真适配头(VELM5)", 22, 153, 122, 10},
      {"group box", -1, "产品信息", 4, 174, 288, 49},
      {"multi-line read-only edit with scroll bar", 5026, "", 9, 183, 277, 35},
      {"default push button", 1, "确定", 81, 228, 50, 14},
      {"push button", 2, "取消", 166, 228, 50, 14},
  };
  ASSERT_EQ(controls_.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(controls_[i], expected[i]) << "control " << i;
  EXPECT_EQ(Id("IDD_SETUP"), 5004);
}

}  // namespace
