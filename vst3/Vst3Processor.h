// The audio side: IComponent with its bus records, IAudioProcessor with the process records,
// and the host's parameter change queues.
#pragma once

#include "vst3/Vst3Base.h"

namespace vst3
{
enum MediaType : std::int32_t
{
    kAudio = 0,
    kEvent
};
enum BusDirection : std::int32_t
{
    kInput = 0,
    kOutput
};
enum BusType : std::int32_t
{
    kMain = 0,
    kAux
};
constexpr std::uint32_t kDefaultActive = 1 << 0;

struct BusInfo
{
    std::int32_t mediaType;
    std::int32_t direction;
    std::int32_t channelCount;
    String128 name;
    std::int32_t busType;
    std::uint32_t flags;
};

struct RoutingInfo
{
    std::int32_t mediaType;
    std::int32_t busIndex;
    std::int32_t channel;
};

class IComponent : public IPluginBase
{
  public:
    virtual tresult getControllerClassId(std::uint8_t* classId) = 0;
    virtual tresult setIoMode(std::int32_t mode) = 0;
    virtual std::int32_t getBusCount(std::int32_t type, std::int32_t direction) = 0;
    virtual tresult getBusInfo(std::int32_t type, std::int32_t direction, std::int32_t index,
                               BusInfo& bus) = 0;
    virtual tresult getRoutingInfo(RoutingInfo& in, RoutingInfo& out) = 0;
    virtual tresult activateBus(std::int32_t type, std::int32_t direction, std::int32_t index,
                                TBool state) = 0;
    virtual tresult setActive(TBool state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;
};
constexpr Tuid kIComponentIid = makeTuid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

using SpeakerArrangement = std::uint64_t;
constexpr SpeakerArrangement kSpeakerStereo = 0x3; // left and right

enum SymbolicSampleSize : std::int32_t
{
    kSample32 = 0,
    kSample64
};

struct ProcessSetup
{
    std::int32_t processMode;
    std::int32_t symbolicSampleSize;
    std::int32_t maxSamplesPerBlock;
    double sampleRate;
};

struct AudioBusBuffers
{
    std::int32_t numChannels;
    std::uint64_t silenceFlags;
    union
    {
        float** channelBuffers32;
        double** channelBuffers64;
    };
};

class IParamValueQueue : public FUnknown
{
  public:
    virtual ParamID getParameterId() = 0;
    virtual std::int32_t getPointCount() = 0;
    virtual tresult getPoint(std::int32_t index, std::int32_t& sampleOffset, ParamValue& value) = 0;
    virtual tresult addPoint(std::int32_t sampleOffset, ParamValue value, std::int32_t& index) = 0;
};
constexpr Tuid kIParamValueQueueIid = makeTuid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

class IParameterChanges : public FUnknown
{
  public:
    virtual std::int32_t getParameterCount() = 0;
    virtual IParamValueQueue* getParameterData(std::int32_t index) = 0;
    virtual IParamValueQueue* addParameterData(const ParamID& id, std::int32_t& index) = 0;
};
constexpr Tuid kIParameterChangesIid = makeTuid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

// The transport as a host states it; only the rate and the sample position are ours to fill.
struct ProcessContext
{
    std::uint32_t state;
    double sampleRate;
    std::int64_t projectTimeSamples;
    std::int64_t systemTime;
    std::int64_t continousTimeSamples;
    double projectTimeMusic;
    double barPositionMusic;
    double cycleStartMusic;
    double cycleEndMusic;
    double tempo;
    std::int32_t timeSigNumerator;
    std::int32_t timeSigDenominator;
    struct
    {
        std::uint8_t keyNote;
        std::uint8_t rootNote;
        std::int16_t chordMask;
    } chord;
    std::int32_t smpteOffsetSubframes;
    struct
    {
        std::uint32_t framesPerSecond;
        std::uint32_t flags;
    } frameRate;
    std::int32_t samplesToNextClock;
};

enum ProcessMode : std::int32_t
{
    kRealtime = 0,
    kPrefetch,
    kOffline
};

struct ProcessData
{
    std::int32_t processMode;
    std::int32_t symbolicSampleSize;
    std::int32_t numSamples;
    std::int32_t numInputs;
    std::int32_t numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    void* inputEvents;  // IEventList, unused by an effect without event buses
    void* outputEvents; // IEventList
    ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown
{
  public:
    virtual tresult setBusArrangements(SpeakerArrangement* inputs, std::int32_t numIns,
                                       SpeakerArrangement* outputs, std::int32_t numOuts) = 0;
    virtual tresult getBusArrangement(std::int32_t direction, std::int32_t index,
                                      SpeakerArrangement& arrangement) = 0;
    virtual tresult canProcessSampleSize(std::int32_t symbolicSampleSize) = 0;
    virtual std::uint32_t getLatencySamples() = 0;
    virtual tresult setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult setProcessing(TBool state) = 0;
    virtual tresult process(ProcessData& data) = 0;
    virtual std::uint32_t getTailSamples() = 0;
};
constexpr Tuid kIAudioProcessorIid = makeTuid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
} // namespace vst3
