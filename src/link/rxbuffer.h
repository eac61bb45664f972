#pragma once
#include <cstdint>

// The bytes of the latest reply read, followed by a zero, and their count (0 when the latest read
// found nothing). Written by CDeviceLink::ReadReply, read by
// the main frame's dispatcher and cleared by it after each dispatch. The writer waits until the
// dispatch has finished, so the two never run at once.
constexpr int kRxBufSize = 8192;
extern unsigned char g_RxBuf[kRxBufSize];
extern std::int16_t g_RxLen;
