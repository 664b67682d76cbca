// orvdap's outside input: the editor's byte stream. The first byte chooses where the stream is cut into
// reads, so split headers and bodies are explored as well as whole ones.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/orvdap/message_reader.h"
#include "tools/orvdap/message_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orven::orvdap;
  if (size == 0) return 0;
  const size_t cut = data[0] % 17 + 1;
  const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

  ReaderLimits limits;
  limits.maxHeaderBytes = 256;
  limits.maxBodyBytes = 2048;
  limits.maxNesting = 16;
  MessageReader reader(limits);
  size_t results = 0;
  for (size_t pos = 0; pos < stream.size(); pos += cut) {
    reader.Append(stream.substr(pos, cut));
    for (ReadResult r = reader.Next(); r.status != ReadStatus::kNeedMore; r = reader.Next()) {
      // Each result takes at least one byte of input, and only objects come out as messages.
      if (++results > stream.size()) std::abort();
      if (r.status == ReadStatus::kMessage) {
        if (!r.message.is_object() || r.error != FrameError::kNone) std::abort();
        // What was read can be framed back without failing.
        (void)MessageWriter::Frame(r.message);
      } else if (r.status != ReadStatus::kMalformed || r.error == FrameError::kNone ||
                 r.detail.size() > MessageReader::kMaxDetail) {
        std::abort();
      } else {
        (void)MessageWriter::Frame(nlohmann::json{{"output", r.detail}});
      }
    }
  }
  return 0;
}
