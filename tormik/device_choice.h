// Several programmers on one machine: listing them, and narrowing the link to the one the user named.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/hid_backend.h"
#include "link/identification_block.h"

namespace orven::app {

// A view of another backend that shows only the devices whose path is in `paths`. The programmer connection
// then finds the chosen device the way it finds any device, and finds it again after a restart.
class ChosenDeviceBackend final : public link::HidBackend {
 public:
  // inner is borrowed and outlives this object.
  ChosenDeviceBackend(link::HidBackend& inner, std::string path) : inner_(inner), path_(std::move(path)) {}
  std::vector<link::HidDeviceInfo> Enumerate() override;
  std::unique_ptr<link::HidHandle> Open(const std::string& path) override { return inner_.Open(path); }
  bool ReachesPhysicalDevices() const override { return inner_.ReachesPhysicalDevices(); }

 private:
  link::HidBackend& inner_;
  std::string path_;
};

struct AttachedProgrammer {
  link::HidDeviceInfo device;
  bool identified = false;  // false: present, but it did not answer Identify (or could not be opened)
  IdentificationBlock identity;
};

// Every device of the vendor in enumeration order, each opened on its own and identified once.
std::vector<AttachedProgrammer> ListProgrammers(link::HidBackend& backend, Clock& clock);

// The serial number as typed by a user ("01AB007F", any letter case, blanks ignored) matched against the
// identity's 4 serial bytes.
bool SerialMatches(const IdentificationBlock& identity, const std::string& typed);

}  // namespace orven::app
