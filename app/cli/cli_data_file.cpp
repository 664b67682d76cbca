#include "app/cli/cli_data_file.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace orven::app {

DataFormat DataFormatOf(const std::string& path, std::optional<DataFormat> forced) {
  if (forced) return *forced;
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
      strcasecmp(path.c_str() + dot, ".bin") == 0) {
    return DataFormat::kBin;
  }
  return DataFormat::kHex;
}

DataFileLoad LoadDataFile(const std::string& path, DataFormat format, uint8_t* image, uint32_t limit,
                          const LogFn& log) {
  std::memset(image, 0xFF, limit);
  DataFileLoad load;
  if (format == DataFormat::kHex) {
    HexLoadStats stats;
    load.ok = LoadHexFile(path, image, limit, log, &stats);
    load.dataBytes = stats.dataBytes;
    load.bytesBeyond = stats.bytesBeyond;
    return load;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return load;
  const size_t stored = std::fread(image, 1, limit, f.get());
  uint64_t rest = 0;
  uint8_t chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0;) rest += n;
  if (std::ferror(f.get())) return load;
  load.ok = true;
  load.dataBytes = stored + rest;
  load.bytesBeyond = rest;
  return load;
}

bool DataFileCovers(const std::string& path, DataFormat format, uint32_t limit, uint32_t address, uint32_t length) {
  if (address >= limit) return false;
  const uint32_t end = length > limit - address ? limit : address + length;
  if (format == DataFormat::kBin) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && static_cast<uint64_t>(st.st_size) > address;
  }
  // A byte the file holds reads the same whatever the image was filled with before the load.
  std::vector<uint8_t> erased(limit, 0xFF);
  std::vector<uint8_t> zeroed(limit, 0x00);
  if (!LoadHexFile(path, erased.data(), limit, {}) || !LoadHexFile(path, zeroed.data(), limit, {})) return false;
  for (uint32_t a = address; a < end; ++a) {
    if (erased[a] == zeroed[a]) return true;
  }
  return false;
}

bool WriteDataFile(const std::string& path, DataFormat format, const uint8_t* image, uint32_t size) {
  if (format == DataFormat::kHex) return WriteHexFile(path, image, size);
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!f) return false;
  const bool written = std::fwrite(image, 1, size, f.get()) == size;
  return std::fclose(f.release()) == 0 && written;
}

bool CanWriteFile(const std::string& path, std::string* why) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      *why = "is a directory";
      return false;
    }
    if (::access(path.c_str(), W_OK) != 0) {
      *why = std::strerror(errno);
      return false;
    }
    return true;
  }
  if (errno != ENOENT) {
    *why = std::strerror(errno);
    return false;
  }
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *why = "no such directory";
    return false;
  }
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    *why = std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace orven::app
