// The launch request's arguments, the names editors' launch files use:
//   program      the .hex or .ihx to debug (required); the .cdb of the same name beside it is its debug
//                information
//   cdb          the debug information elsewhere
//   device       "sim" (the simulated emulator inside orvdap, the default), "usb", or the socket path of
//                orven-sim --listen PATH
//   options      the driver's option text ("-E1 -F15 -V0 -C0" by default)
//   stopOnEntry  stop at the reset address instead of running
//   answer       "yes" or "no" (the default): how the driver's questions are answered
//   download     after loading, the driver's download to the pod or chip the options choose
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace orven::orvdap {

struct LaunchArguments {
  enum class Device { kSimulator, kUsb, kSocket };

  std::string program;
  std::string cdb;  // empty: none given and none beside the program
  Device device = Device::kSimulator;
  std::string socketPath;  // kSocket
  std::string options = "-E1 -F15 -V0 -C0";
  bool stopOnEntry = false;
  bool answerYes = false;
  bool download = false;
};

// Reads the arguments of a launch request. False with what to do in `error` when one is missing or wrong.
// Files are not opened here.
bool ParseLaunchArguments(const nlohmann::json& arguments, LaunchArguments& out, std::string& error);

// The driver's option text as the driver writes it: each of E, F, V and C at most once, "-" letter and a
// decimal number, separated by blanks; at most 55 characters.
bool ValidOptionText(const std::string& text);

}  // namespace orven::orvdap
