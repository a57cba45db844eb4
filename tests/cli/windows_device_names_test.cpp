// Which output names Windows would take for a device. The rule is plain text work, so it is
// checked on every system; the refusal itself is a case under Wine.
#include <gtest/gtest.h>

#include "device_names.h"

namespace velunor::testing {
namespace {

TEST(WindowsDeviceNames, DevicesAndLookAlikes) {
  for (const char* name :
       {"NUL.CSV", "nul.csv", "CON.CSV", "Aux.CSV", "PRN.CSV", "COM1.CSV", "com9.CSV", "LPT0.CSV",
        "LPT\xC2\xB9.CSV", "COM\xC2\xB3.CSV", "CONIN$.CSV", "conout$.CSV", "NUL", "NUL .CSV",
        "NUL.tar.CSV", "NUL:stream", "sub/NUL.CSV", "C:\\Messungen\\AUX.CSV", "C:NUL.CSV"})
    EXPECT_TRUE(IsWindowsDeviceName(name)) << name;
  for (const char* name :
       {"NULL.CSV", "NU.CSV", "NUL_00d00h00m.CSV", "CON1.CSV", "COM10.CSV", "COM.CSV", "LPTA.CSV",
        "COM\xC2\xB4.CSV", "xNUL.CSV", "NUL/a.CSV", "C:\\NUL\\a.CSV", "a.NUL", ""})
    EXPECT_FALSE(IsWindowsDeviceName(name)) << name;
}

}  // namespace
}  // namespace velunor::testing
