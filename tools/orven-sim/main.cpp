// orven-sim: serves one simulated programmer (the QX410 with its emulator side and VELM5 pod, or the ORVENF)
// over the socket device protocol until stopped.
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tormik/device_environment.h"
#include "link/clock.h"
#include "firmware/carried_firmware.h"
#include "sim/devices.h"
#include "sim/emulator_backend.h"
#include "sim/socket_server.h"

namespace {

orven::sim::SocketServer* g_server = nullptr;

void OnSignal(int) {
  if (g_server) g_server->Stop();
}

int Usage(FILE* out, int status) {
  std::fprintf(out,
               "usage: orven-sim --listen PATH [--model qx410|orvenf] [--loader] [--serial HEX] [--latency-ms N]\n"
               "                 [--trace FILE] [--fault CODE:KIND[:VALUE[:SKIP[:TIMES]]]]...\n"
               "                 [--no-pod] [--pc-read-data] [--breakpoints N] [--firmware-build N] [--crystal HZ]\n"
               "\n"
               "Serves one simulated ORVEN programmer on the Unix socket PATH until interrupted.\n"
               "Programs reach it with ORVEN_HID_SOCKET=PATH.\n"
               "\n"
               "  --listen PATH   socket path to create (replaced if it exists)\n"
               "  --model M       qx410 (default; product 0x5120) or orvenf (product 0x5121)\n"
               "  --loader        start in the firmware loader (as after an interrupted update)\n"
               "  --serial HEX    serial number, 8 hex digits as 'info' shows them (default 01AB007F)\n"
               "  --latency-ms N  each reply comes N ms after its command (default 0; over USB about 2)\n"
               "  --trace FILE    on exit, write the code of every command received to FILE, one per line\n"
               "  --fault F       inject a fault for command CODE; KIND is noreply, wrongcode, wrongmarker,\n"
               "                  missingdata, shortdata, baddata, refuse (VALUE = status), leave (VALUE = ms,\n"
               "                  0 = for good) or slow (VALUE = ms); SKIP lets that many commands pass first;\n"
               "                  TIMES is a count or 'always' (default 1)\n"
               "  --help          this text\n"
               "\n"
               "Commands and replies that depart from the device's command table are reported on stderr at exit.\n"
               "\n"
               "QX410 only (its emulator side; the VELM5 pod runs at the crystal's real speed):\n"
               "  --no-pod            no pod attached: pod check, info and start get no reply\n"
               "  --pc-read-data      the PC read adds two data bytes (low byte first) to the PC in the reply value\n"
               "  --breakpoints N     hardware breakpoints the emulator offers (default 4)\n"
               "  --firmware-build N  firmware build to report (default 571, V2.07; 563 reports V2.06)\n"
               "  --crystal HZ        the pod's crystal (default 11059200)\n");
  return status;
}

bool ParseCount(const std::string& text, uint32_t* out) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long v = std::stoull(text);
  if (v > 0xFFFFFFFFull) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  orven::sim::DeviceModel model = orven::sim::DeviceModel::kQx410;
  std::vector<std::pair<uint8_t, orven::sim::Fault>> faults;
  bool loader = false;
  std::string trace;
  orven::sim::EmulatorOptions emulator;
  emulator.firmwareBuild = orven::sim::Qx410Model().identity.Build();
  bool emulatorFlags = false;
  std::string serial;
  uint32_t latencyMs = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage(stdout, 0);
    if (arg == "--loader") {
      loader = true;
      continue;
    }
    if (arg == "--no-pod") {
      emulator.podPresent = false;
      emulatorFlags = true;
      continue;
    }
    if (arg == "--pc-read-data") {
      emulator.pcReadData = true;
      emulatorFlags = true;
      continue;
    }
    if (i + 1 >= argc) return Usage(stderr, 2);
    std::string value = argv[++i];
    if (arg == "--listen") {
      path = value;
    } else if (arg == "--model") {
      if (!orven::sim::ParseDeviceModel(value, &model)) return Usage(stderr, 2);
    } else if (arg == "--breakpoints" || arg == "--firmware-build" || arg == "--crystal") {
      uint32_t number = 0;
      if (!ParseCount(value, &number) || (arg == "--crystal" && number == 0)) {
        std::fprintf(stderr, "orven-sim: bad number '%s' for %s\n", value.c_str(), arg.c_str());
        return 2;
      }
      if (arg == "--breakpoints") emulator.breakpointLimit = number;
      if (arg == "--firmware-build") emulator.firmwareBuild = number;
      if (arg == "--crystal") emulator.crystalHz = number;
      emulatorFlags = true;
    } else if (arg == "--latency-ms") {
      if (!ParseCount(value, &latencyMs) || latencyMs > 60000) {
        std::fprintf(stderr, "orven-sim: bad number '%s' for %s (0 to 60000)\n", value.c_str(), arg.c_str());
        return 2;
      }
    } else if (arg == "--serial") {
      serial = value;
    } else if (arg == "--trace") {
      trace = value;
    } else if (arg == "--fault") {
      uint8_t code = 0;
      orven::sim::Fault fault;
      if (!orven::sim::ParseFault(value, &code, &fault)) {
        std::fprintf(stderr, "orven-sim: bad fault '%s'\n", value.c_str());
        return 2;
      }
      faults.emplace_back(code, fault);
    } else {
      return Usage(stderr, 2);
    }
  }
  if (path.empty()) return Usage(stderr, 2);

  if (emulatorFlags && model != orven::sim::DeviceModel::kQx410) {
    std::fprintf(stderr, "orven-sim: --no-pod, --pc-read-data, --breakpoints, --firmware-build and --crystal need --model qx410\n");
    return 2;
  }
  std::shared_ptr<orven::sim::ProgrammerDevice> device;
  if (model == orven::sim::DeviceModel::kQx410) {
    // One firmware serves both command sets: the device knows the programmer's image and the debugger's.
    emulator.startInLoader = loader;
    auto qx410 = orven::sim::MakeEmulator(orven::SteadyClock::Instance(), emulator);
    for (const orven::firmware::FirmwareDescriptor* d :
         {&orven::firmware::Qx410Firmware(), &orven::firmware::OrvenfFirmware()}) {
      qx410->AddKnownFirmware(std::vector<uint8_t>(d->Image(), d->Image() + orven::firmware::kImageSize),
                              d->Major(), d->Minor(), d->Build());
    }
    device = qx410;
  } else {
    device = orven::sim::MakeProgrammer(orven::SteadyClock::Instance(), model);
    device->SetInLoader(loader);
  }
  for (const auto& [code, fault] : faults) device->SetFault(code, fault);
  device->SetLatency(latencyMs);
  orven::app::InstallFactoryConfigs(*device);
  if (!serial.empty()) {
    unsigned b[4] = {};
    bool ok = serial.size() == 8;
    for (char c : serial) ok = ok && std::isxdigit(static_cast<unsigned char>(c));
    if (!ok || std::sscanf(serial.c_str(), "%2x%2x%2x%2x", &b[0], &b[1], &b[2], &b[3]) != 4) {
      std::fprintf(stderr, "orven-sim: --serial takes 8 hex digits, not '%s'\n", serial.c_str());
      return 2;
    }
    orven::IdentificationBlock id = device->Identity();
    id.SetSerial(uint8_t(b[0]), uint8_t(b[1]), uint8_t(b[2]), uint8_t(b[3]));
    device->SetIdentity(id);
  }
  orven::sim::SocketServer server(device, path);
  g_server = &server;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  if (!server.Run()) {
    std::fprintf(stderr, "orven-sim: cannot listen on %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  for (const std::string& departure : device->Departures()) {
    std::fprintf(stderr, "orven-sim: departs from the command table: %s\n", departure.c_str());
  }
  if (!trace.empty()) {
    // One line per command received, in order: what tests check to see what a host sent.
    if (FILE* f = std::fopen(trace.c_str(), "w")) {
      for (uint8_t code : device->CommandLog()) std::fprintf(f, "%u\n", code);
      std::fclose(f);
    }
  }
  return 0;
}
