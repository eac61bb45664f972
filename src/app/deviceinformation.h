#pragma once
#include "replydecoders.h"

// What the device-information reply sets: the tests the model offers, the CT page's ratio kind
// and the range limits of the test entries.
void ApplyDeviceInfo(const tarvex::DeviceInfo& info);
// The range limits of a range byte: 0xA1 2500 V / 1000 A, 0xA2 1000 V / 600 A; others keep them.
void SetTestLimits(unsigned char range);
