#include "tormik/device_choice.h"

#include <cctype>

#include "link/hid.h"
#include "programmer/ice_api.h"

namespace orven::app {

std::vector<link::HidDeviceInfo> ChosenDeviceBackend::Enumerate() {
  std::vector<link::HidDeviceInfo> out;
  for (link::HidDeviceInfo& d : inner_.Enumerate()) {
    if (d.path == path_) out.push_back(std::move(d));
  }
  return out;
}

std::vector<AttachedProgrammer> ListProgrammers(link::HidBackend& backend, Clock& clock) {
  std::vector<AttachedProgrammer> out;
  for (const link::HidDeviceInfo& d : backend.Enumerate()) {
    if (d.vendorId != link::kVendorId) continue;
    AttachedProgrammer p{d, false, {}};
    ChosenDeviceBackend one(backend, d.path);
    programmer::CIceAPI api(one, clock);
    // Model word 0 opens whatever product the vendor's device is.
    if (api.Connect(0) != 0) p.identified = api.GetIdentity(&p.identity);
    api.Disconnect();
    out.push_back(p);
  }
  return out;
}

bool SerialMatches(const IdentificationBlock& identity, const std::string& typed) {
  std::string digits;
  for (char c : typed) {
    if (c != ' ') digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  std::string shown;
  for (char c : identity.SerialText()) {
    if (c != ' ') shown += c;
  }
  return !digits.empty() && digits == shown;
}

}  // namespace orven::app
