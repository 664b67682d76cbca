// Everything orvdap says to the editor's user (debug console lines and failed requests).
#pragma once

namespace orven::orvdap::texts {

inline constexpr char kHeaderTooLong[] = "orvdap: a message header did not end within its size limit and was skipped";
inline constexpr char kBadHeaderLine[] = "orvdap: a message header line is not \"Name: value\"";
inline constexpr char kNoContentLength[] = "orvdap: a message header has no Content-Length";
inline constexpr char kBadContentLength[] = "orvdap: a message header has a bad Content-Length";
inline constexpr char kBodyTooLarge[] = "orvdap: a message is larger than orvdap takes and was skipped";
inline constexpr char kBadJson[] = "orvdap: a message is not valid JSON";
inline constexpr char kTooDeep[] = "orvdap: a message nests arrays or objects too deeply";
inline constexpr char kNotAnObject[] = "orvdap: a message is not a JSON object";
inline constexpr char kTruncated[] = "orvdap: the editor's stream ended inside a message";
inline constexpr char kNotARequest[] =
    "orvdap: a message without \"type\": \"request\", a number \"seq\" and a \"command\" was ignored";
inline constexpr char kUnsupported[] = "orvdap does not support this request yet: ";

inline constexpr char kUsage[] =
    "usage: orvdap [--stdio]\n"
    "  A Debug Adapter Protocol server for 8051 programs on ORVEN emulators and the simulator. An editor\n"
    "  starts it and speaks to it on standard input and output (--stdio says so explicitly).\n";

}  // namespace orven::orvdap::texts
