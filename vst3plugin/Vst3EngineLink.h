// How a controller in the same process reaches its processor's engine for the editor's meters
// and the held-peak reset: a private interface the processor answers on queryInterface, found
// through the connection the host makes between the two.
#pragma once

#include "vst3/Vst3Base.h"

class LimiterEngine;

class Vst3EngineLink : public vst3::FUnknown
{
  public:
    // The engine whose meter reads the editor shows. GUI thread.
    virtual LimiterEngine& linkedEngine() = 0;
};
// This product's own id, no published interface's.
constexpr vst3::Tuid kVst3EngineLinkIid =
    vst3::makeTuid(0x5A1C0E77, 0x93D44B0E, 0x8F3B6C21, 0x4E7D9A10);

// The message a processor sends its connected peer: its engine link's address.
constexpr const char* kVst3EngineMessageId = "VarnholtProEngine";
constexpr const char* kVst3EngineAddressAttribute = "address";
