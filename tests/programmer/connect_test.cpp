// Connecting and identifying programmers on the virtual bus.
#include <gtest/gtest.h>

#include "link/command_codes.h"
#include "tests/support/programmer_rig.h"

namespace orven::programmer {
namespace {

using testing::ProgrammerRig;

TEST(Connect, EachModelOpensItsOwnProductAndReportsItsModelWord) {
  VirtualClock clock;
  sim::VirtualBus bus;
  auto orvenf = sim::MakeProgrammer(clock, sim::DeviceModel::kOrvenf);
  auto qx410 = sim::MakeProgrammer(clock, sim::DeviceModel::kQx410);
  bus.Attach(orvenf);
  bus.Attach(qx410);
  sim::SimBackend backend(bus);
  CIceAPI api(backend, clock);
  struct Case {
    uint16_t asked;
    uint16_t reported;
  };
  // Any other model word takes the first device of the vendor.
  for (const Case& c : {Case{kModelQx410, kModelQx410}, Case{kModelOrvenf, kModelOrvenf}, Case{0x1234, kModelOrvenf}}) {
    SCOPED_TRACE(c.asked);
    EXPECT_EQ(api.Connect(c.asked), c.reported);
    EXPECT_TRUE(api.IsIdentified());
    api.Disconnect();
    EXPECT_FALSE(api.IsIdentified());
    IdentificationBlock id;
    EXPECT_FALSE(api.GetIdentity(&id));
  }
}

TEST(Connect, IdentityAndItsDisplayForms) {
  ProgrammerRig rig(sim::DeviceModel::kOrvenf);
  ASSERT_TRUE(rig.Connect());
  IdentificationBlock id;
  ASSERT_TRUE(rig.api.GetIdentity(&id));
  EXPECT_EQ(id.VersionText(), " V1.06(B656)");
  EXPECT_EQ(id.SerialText(), " 01AB007F");

  IdentificationBlock custom = rig.device->Identity();
  custom.SetVersion(3, 0x1F, 0);
  custom.SetSerial(0xFF, 0x00, 0x10, 0x01);
  rig.device->SetIdentity(custom);
  rig.api.Disconnect();
  ASSERT_TRUE(rig.Connect());
  ASSERT_TRUE(rig.api.GetIdentity(&id));
  EXPECT_EQ(id.Build(), 0u);
  EXPECT_EQ(id.VersionText(), " V3.1F(B0)");
  EXPECT_EQ(id.SerialText(), " FF001001");
}

TEST(Connect, NoDeviceAndFailedIdentify) {
  VirtualClock clock;
  sim::VirtualBus bus;
  sim::SimBackend backend(bus);
  CIceAPI api(backend, clock);
  EXPECT_EQ(api.Connect(kModelQx410), 0);

  ProgrammerRig rig;
  rig.device->SetFault(cmd::kIdentify, {sim::FaultKind::kNoReply});
  EXPECT_EQ(rig.api.Connect(kModelQx410), 0);
  EXPECT_FALSE(rig.api.IsIdentified());
  // The next attempt opens the device again and succeeds.
  EXPECT_EQ(rig.api.Connect(kModelQx410), kModelQx410);
}

TEST(Connect, AnUnknownModelWordIsReportedAsIs) {
  ProgrammerRig rig;
  IdentificationBlock odd = rig.device->Identity();
  odd.SetModelWord(0x4242);
  rig.device->SetIdentity(odd);
  EXPECT_EQ(rig.api.Connect(kModelQx410), 0x4242);
  EXPECT_TRUE(rig.api.IsIdentified());
}

}  // namespace
}  // namespace orven::programmer
