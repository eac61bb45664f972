#pragma once

// The system's default message beep (the type is accepted as on Windows and not looked at).
// GUI thread only.
void MessageBeep(unsigned type = 0xFFFFFFFF);

namespace tarvex {

// How many beeps the program has made since it started (tests compare before and after).
int BeepCount();

} // namespace tarvex
