#pragma once
#include "replydecoders.h"
#include "resultmodel.h"

#include <optional>

// The result a reply carries, decoded by the decoder of its code; empty for a code that carries
// no result and for a reply too short for its decoder to give one.
std::optional<TestResult::Value> DecodeResult(unsigned char code, tarvex::ReplyBytes payload);
