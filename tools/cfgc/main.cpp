// cfgc: compiles a chip configuration source into the binary file the programmer reads, and prints a file
// back as source.
//
//   cfgc [--code-page CP] SOURCE -o FILE.cfg
//   cfgc [--code-page CP] --dump FILE.cfg [-o SOURCE]
//
// Exit status: 0 done, 1 the input is bad or a file cannot be read or written, 2 usage.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "chipcfg/config_file.h"
#include "chipcfg/text_codec.h"
#include "tools/cfgc/config_image.h"
#include "tools/cfgc/config_source.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: cfgc [--code-page CP] SOURCE -o FILE.cfg\n"
               "       cfgc [--code-page CP] --dump FILE.cfg [-o SOURCE]\n"
               "Texts are written in code page CP (default %s).\n",
               orven::chipcfg::kDefaultCodePage);
  return 2;
}

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return !in.bad();
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
  std::FILE* f = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  if (f != stdout) ok = (std::fclose(f) == 0) && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::string codePage = orven::chipcfg::kDefaultCodePage;
  std::string input;
  std::string output;
  bool dump = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--dump") {
      dump = true;
    } else if (arg == "--code-page" && i + 1 < argc) {
      codePage = argv[++i];
    } else if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (arg == "-h" || arg == "--help") {
      Usage();
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return Usage();
    } else if (input.empty()) {
      input = arg;
    } else {
      return Usage();
    }
  }
  if (input.empty() || (!dump && output.empty())) return Usage();

  if (dump) {
    std::vector<uint8_t> bytes;
    if (!orven::chipcfg::ReadFileBytes(input, bytes)) {
      std::fprintf(stderr, "%s: cannot read the file\n", input.c_str());
      return 1;
    }
    orven::cfgc::ConfigImage image;
    std::string error;
    std::string source;
    if (!orven::cfgc::DecodeConfigImage(bytes.data(), bytes.size(), image, error) ||
        !orven::cfgc::DumpImage(image, codePage, source, error)) {
      std::fprintf(stderr, "%s: %s\n", input.c_str(), error.c_str());
      return 1;
    }
    if (!WriteBytes(output.empty() ? "-" : output, source.data(), source.size())) {
      std::fprintf(stderr, "%s: cannot write\n", output.c_str());
      return 1;
    }
    return 0;
  }

  std::string source;
  if (!ReadText(input, source)) {
    std::fprintf(stderr, "%s: cannot read the source\n", input.c_str());
    return 1;
  }
  orven::cfgc::ConfigImage image;
  std::vector<std::string> warnings;
  std::string error;
  if (!orven::cfgc::CompileSource(source, codePage, image, warnings, error)) {
    std::fprintf(stderr, "%s: error: %s\n", input.c_str(), error.c_str());
    return 1;
  }
  for (const std::string& w : warnings) std::fprintf(stderr, "%s: warning: %s\n", input.c_str(), w.c_str());
  std::vector<uint8_t> bytes;
  if (!orven::cfgc::EncodeConfigImage(image, bytes)) {
    std::fprintf(stderr, "%s: error: the items do not fit the file format\n", input.c_str());
    return 1;
  }
  if (!WriteBytes(output, bytes.data(), bytes.size())) {
    std::fprintf(stderr, "%s: cannot write\n", output.c_str());
    return 1;
  }
  return 0;
}
