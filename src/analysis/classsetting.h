#pragma once
#include "accuracyclass.h"

// The accuracy class the operator last chose for CT or PT error results, kept between runs, so
// that the analysis window and the report judge against the same class. GUI thread only.
namespace tarvex {

// The class kept for CT (pt false) or PT error results; the first of ClassesFor when none is.
AccuracyClass RememberedAccuracyClass(bool pt);
void RememberAccuracyClass(AccuracyClass cls);

} // namespace tarvex
