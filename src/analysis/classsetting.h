#pragma once
#include "accuracyclass.h"

// The accuracy class the operator last chose for CT or PT error results and the core's air gap,
// kept between runs, so that the analysis window and the report judge by the same choice. GUI
// thread only.
namespace tarvex {

// The class kept for CT (pt false) or PT error results; the first of ClassesFor when none is.
AccuracyClass RememberedAccuracyClass(bool pt);
void RememberAccuracyClass(AccuracyClass cls);

// Whether the cores tested have an air gap (the IEEE knee at 30°), as the operator last said.
bool RememberedGappedCore();
void RememberGappedCore(bool gapped);

} // namespace tarvex
