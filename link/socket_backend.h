// HID access to device processes over Unix-domain SOCK_SEQPACKET sockets.
//
// Protocol: one socket per device, listed in enumeration order. A connection first receives a 4-byte hello
// (@0 u16le vendor id, @2 u16le product id). After that every packet in either direction is one 65-byte report
// (byte 0 = report id 0). A closed connection means the device left the bus; a restarting device refuses
// connections until it is back.
#pragma once

#include <string>
#include <vector>

#include "link/hid_backend.h"

namespace orven::link {

class SocketBackend final : public HidBackend {
 public:
  explicit SocketBackend(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  // Paths from a colon-separated list, as in ORVEN_HID_SOCKET.
  static std::vector<std::string> SplitPathList(const std::string& list);

  std::vector<HidDeviceInfo> Enumerate() override;
  std::unique_ptr<HidHandle> Open(const std::string& path) override;

 private:
  std::vector<std::string> paths_;
};

// Connects to a device socket and reads its hello; returns the connected descriptor or -1.
int ConnectDeviceSocket(const std::string& path, uint16_t* vendorId, uint16_t* productId);

}  // namespace orven::link
