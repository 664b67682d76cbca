// The readable source of a chip configuration file (JSON with // comments) and its translation to and from
// the file's bytes.
//
//   {
//     "chip": "MEGA16",                 // chip name; must equal the file name (letter case aside)
//     "version": 4,                     // optional, 4 when left out
//     "width": 420, "height": 460,      // property list size in pixels
//     "namePercent": 45,                // name column share (15..85 taken by the editor)
//     "categories": ["时钟", ...],       // up to five category names
//     "defaults": "E1 99 FF FF",        // default configuration bytes in hex, up to 32, the rest 0
//     "items": [{
//       "name": "CKOPT", "description": "...", "category": "时钟" (or index 0..4),
//       "kind": "dropdown" | "checkbox" | "number" | "plain" | file code 0..255,
//       "bit": 12, "width": 1,          // field position in the 32-byte buffer and its width
//       "values": [1, 0],               // value list (numbers or "0x.." strings)
//       "options": ["未编程", "编程"]   // option labels (joined with "|") or the option text as one string
//     }, ...]
//   }
//
// Bytes the editor does not interpret are written as 0 unless the source gives them: "headerPatch" (a list of
// {"offset": n, "bytes": "hex"} laid over the finished header), per item "reserved" (4 bytes hex) and
// "nameHex"/"descriptionHex"/"optionsHex" (a text's stored bytes verbatim), and "trailerHex" (bytes after
// the last record). A text key left out or null is absent (length 0); "" is an empty text (length 1).
#pragma once

#include <string>
#include <vector>

#include "tools/cfgc/config_image.h"

namespace orven::cfgc {

// Compiles source text into an image. On failure error names the line and column (syntax) or the field path
// ("items[3].width: ..."). Warnings report what is legal but probably unintended (labels the editor drops).
bool CompileSource(const std::string& source, const std::string& codePage, ConfigImage& image,
                   std::vector<std::string>& warnings, std::string& error);

// Writes an image back as source that compiles to the same bytes. Refuses, with a reason, an image the
// editor would not show (its records break the format) or one that would not compile back identically.
bool DumpImage(const ConfigImage& image, const std::string& codePage, std::string& source, std::string& error);

}  // namespace orven::cfgc
