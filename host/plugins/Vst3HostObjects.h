// What a VST3 host hands its plug-ins: its identity, memory streams for state, and the
// parameter queues of one block (a point per parameter, made once, filled without
// allocating).
#pragma once

#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Processor.h"

#include <cstdint>
#include <vector>

// The host's objects live as long as the instance that lends them; counts are not used to
// delete them.
class Vst3HostApplication final : public vst3::IHostApplication
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
    std::uint32_t addRef() override { return 1; }
    std::uint32_t release() override { return 1; }
    vst3::tresult getName(vst3::String128 name) override;
    vst3::tresult createInstance(vst3::TUIDPointer, vst3::TUIDPointer, void** object) override;
};

class Vst3MemoryStream final : public vst3::IBStream
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
    std::uint32_t addRef() override { return 1; }
    std::uint32_t release() override { return 1; }
    vst3::tresult read(void* buffer, std::int32_t numBytes, std::int32_t* numBytesRead) override;
    vst3::tresult write(void* buffer, std::int32_t numBytes,
                        std::int32_t* numBytesWritten) override;
    vst3::tresult seek(std::int64_t pos, std::int32_t mode, std::int64_t* result) override;
    vst3::tresult tell(std::int64_t* pos) override;
    void rewind() { position = 0; }

  private:
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

// One change per parameter for the next block, at frame 0; a newer value replaces an older.
class Vst3BlockChanges final : public vst3::IParameterChanges
{
  public:
    explicit Vst3BlockChanges(std::size_t capacity);
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
    std::uint32_t addRef() override { return 1; }
    std::uint32_t release() override { return 1; }
    std::int32_t getParameterCount() override { return static_cast<std::int32_t>(used); }
    vst3::IParamValueQueue* getParameterData(std::int32_t index) override;
    vst3::IParamValueQueue* addParameterData(const vst3::ParamID& id, std::int32_t& index) override;

    void set(vst3::ParamID id, double normalized);
    // After each block.
    void clear() { used = 0; }

  private:
    class Queue final : public vst3::IParamValueQueue
    {
      public:
        vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override;
        std::uint32_t addRef() override { return 1; }
        std::uint32_t release() override { return 1; }
        vst3::ParamID getParameterId() override { return id; }
        std::int32_t getPointCount() override { return hasPoint ? 1 : 0; }
        vst3::tresult getPoint(std::int32_t index, std::int32_t& offset, double& point) override;
        vst3::tresult addPoint(std::int32_t offset, double point, std::int32_t& index) override;

        vst3::ParamID id = 0;
        double value = 0.0;
        bool hasPoint = false;
    };
    std::vector<Queue> queues;
    std::size_t used = 0;
};
