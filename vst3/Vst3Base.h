// The VST3 binary interface's foundation as it is laid out off Windows: result codes, 16-byte
// interface and class ids, UTF-16 strings, FUnknown and IPluginBase. Interfaces are abstract
// classes whose virtual operations, in declaration order, are the interface's vtable; none has
// a virtual destructor, which would add slots the interface does not have.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace vst3
{
using tresult = std::int32_t;
using TBool = std::uint8_t;
using ParamID = std::uint32_t;
using ParamValue = double;
using char16 = char16_t;
using String128 = char16[128];
// An interface or class id as the host passes it: 16 bytes.
using TUIDPointer = const std::uint8_t*;
using Tuid = std::array<std::uint8_t, 16>;

// Off Windows the codes are small integers, not COM's HRESULTs.
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;

// An id from its four published 32-bit words. Off Windows each word is stored most significant
// byte first (on Windows the first two words follow COM's GUID order instead).
constexpr Tuid makeTuid(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    Tuid id{};
    const std::uint32_t words[4] = {a, b, c, d};
    for (int word = 0; word < 4; ++word)
        for (int byte = 0; byte < 4; ++byte)
            id[word * 4 + byte] = static_cast<std::uint8_t>(words[word] >> (24 - 8 * byte));
    return id;
}

inline bool sameTuid(TUIDPointer a, const Tuid& b)
{
    return a != nullptr && std::memcmp(a, b.data(), b.size()) == 0;
}

class FUnknown
{
  public:
    virtual tresult queryInterface(TUIDPointer iid, void** object) = 0;
    virtual std::uint32_t addRef() = 0;
    virtual std::uint32_t release() = 0;
};
constexpr Tuid kFUnknownIid = makeTuid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

class IPluginBase : public FUnknown
{
  public:
    virtual tresult initialize(FUnknown* context) = 0;
    virtual tresult terminate() = 0;
};
constexpr Tuid kIPluginBaseIid = makeTuid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

enum SeekMode : std::int32_t
{
    kIBSeekSet = 0,
    kIBSeekCur,
    kIBSeekEnd
};

class IBStream : public FUnknown
{
  public:
    virtual tresult read(void* buffer, std::int32_t numBytes, std::int32_t* numBytesRead) = 0;
    virtual tresult write(void* buffer, std::int32_t numBytes, std::int32_t* numBytesWritten) = 0;
    virtual tresult seek(std::int64_t pos, std::int32_t mode, std::int64_t* result) = 0;
    virtual tresult tell(std::int64_t* pos) = 0;
};
constexpr Tuid kIBStreamIid = makeTuid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
} // namespace vst3
