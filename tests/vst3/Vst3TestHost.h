// A small VST3 host for the tests: the built bundle's module through dlopen and its factory,
// a processor and controller connected as hosts connect them, memory streams for state, the
// host's parameter queues, a recording component handler, and renders of stereo signals in
// chosen block lengths at 32 or 64 bits.
#pragma once

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/TestSignals.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Factory.h"
#include "vst3/Vst3Processor.h"
#include "vst3plugin/Vst3Identity.h"

using Stereo = StereoSignal;

// Reference counting for the host's own objects, which the tests keep on the stack: the
// counts are recorded, never used to delete.
#define VST3_TEST_UNCOUNTED                                                                        \
    std::uint32_t addRef() override                                                                \
    {                                                                                              \
        return ++references;                                                                       \
    }                                                                                              \
    std::uint32_t release() override                                                               \
    {                                                                                              \
        return --references;                                                                       \
    }                                                                                              \
    std::uint32_t references = 1;

template <typename Interface>
vst3::tresult answerOnly(Interface* self, const vst3::Tuid& own, vst3::TUIDPointer iid,
                         void** object)
{
    if (vst3::sameTuid(iid, vst3::kFUnknownIid) || vst3::sameTuid(iid, own))
    {
        *object = self;
        self->addRef();
        return vst3::kResultOk;
    }
    *object = nullptr;
    return vst3::kNoInterface;
}

class MemoryStream : public vst3::IBStream
{
  public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> initial) : bytes(std::move(initial)) {}

    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIBStreamIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::tresult read(void* buffer, std::int32_t numBytes, std::int32_t* numBytesRead) override
    {
        const auto count = static_cast<std::size_t>(
            std::clamp<std::int64_t>(numBytes, 0, bytes.size() - position));
        if (count > 0) // an empty stream has no data pointer to copy from
            std::memcpy(buffer, bytes.data() + position, count);
        position += count;
        if (numBytesRead != nullptr)
            *numBytesRead = static_cast<std::int32_t>(count);
        return vst3::kResultOk;
    }
    vst3::tresult write(void* buffer, std::int32_t numBytes, std::int32_t* numBytesWritten) override
    {
        const auto* data = static_cast<const std::uint8_t*>(buffer);
        bytes.resize(std::max(bytes.size(), position + numBytes));
        std::memcpy(bytes.data() + position, data, static_cast<std::size_t>(numBytes));
        position += static_cast<std::size_t>(numBytes);
        if (numBytesWritten != nullptr)
            *numBytesWritten = numBytes;
        return vst3::kResultOk;
    }
    vst3::tresult seek(std::int64_t pos, std::int32_t mode, std::int64_t* result) override
    {
        const std::int64_t base = mode == vst3::kIBSeekCur ? static_cast<std::int64_t>(position)
                                  : mode == vst3::kIBSeekEnd
                                      ? static_cast<std::int64_t>(bytes.size())
                                      : 0;
        position = static_cast<std::size_t>(std::clamp<std::int64_t>(base + pos, 0, bytes.size()));
        if (result != nullptr)
            *result = static_cast<std::int64_t>(position);
        return vst3::kResultOk;
    }
    vst3::tresult tell(std::int64_t* pos) override
    {
        *pos = static_cast<std::int64_t>(position);
        return vst3::kResultOk;
    }
    void rewind() { position = 0; }

    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

class ValueQueue : public vst3::IParamValueQueue
{
  public:
    explicit ValueQueue(vst3::ParamID parameter) : id(parameter) {}
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIParamValueQueueIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::ParamID getParameterId() override { return id; }
    std::int32_t getPointCount() override { return static_cast<std::int32_t>(points.size()); }
    vst3::tresult getPoint(std::int32_t index, std::int32_t& offset, double& value) override
    {
        if (index < 0 || index >= getPointCount())
            return vst3::kInvalidArgument;
        offset = points[static_cast<std::size_t>(index)].first;
        value = points[static_cast<std::size_t>(index)].second;
        return vst3::kResultOk;
    }
    vst3::tresult addPoint(std::int32_t offset, double value, std::int32_t& index) override
    {
        index = getPointCount();
        points.emplace_back(offset, value);
        return vst3::kResultOk;
    }

    vst3::ParamID id;
    std::vector<std::pair<std::int32_t, double>> points;
};

// One block's changes: add points in any order of parameters, offsets rising per parameter.
class ParameterChanges : public vst3::IParameterChanges
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIParameterChangesIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    std::int32_t getParameterCount() override { return static_cast<std::int32_t>(queues.size()); }
    vst3::IParamValueQueue* getParameterData(std::int32_t index) override
    {
        return index >= 0 && index < getParameterCount() ? &queues[static_cast<std::size_t>(index)]
                                                         : nullptr;
    }
    vst3::IParamValueQueue* addParameterData(const vst3::ParamID& id, std::int32_t& index) override
    {
        for (std::size_t i = 0; i < queues.size(); ++i)
        {
            if (queues[i].id == id)
            {
                index = static_cast<std::int32_t>(i);
                return &queues[i];
            }
        }
        index = getParameterCount();
        queues.emplace_back(id);
        return &queues.back();
    }
    void add(vst3::ParamID id, std::int32_t offset, double value)
    {
        std::int32_t index = 0;
        addParameterData(id, index)->addPoint(offset, value, index);
    }

    std::vector<ValueQueue> queues;
};

class RecordingHandler : public vst3::IComponentHandler
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIComponentHandlerIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::tresult beginEdit(vst3::ParamID id) override
    {
        calls.push_back("begin " + std::to_string(id));
        return vst3::kResultOk;
    }
    vst3::tresult performEdit(vst3::ParamID id, double value) override
    {
        calls.push_back("perform " + std::to_string(id));
        lastValue = value;
        return vst3::kResultOk;
    }
    vst3::tresult endEdit(vst3::ParamID id) override
    {
        calls.push_back("end " + std::to_string(id));
        return vst3::kResultOk;
    }
    vst3::tresult restartComponent(std::int32_t flags) override
    {
        calls.push_back("restart " + std::to_string(flags));
        if (insideSetParam)
            restartInsideSetParam = true;
        return vst3::kResultOk;
    }

    std::vector<std::string> calls;
    double lastValue = 0.0;
    bool insideSetParam = false;
    bool restartInsideSetParam = false;
};

// Host-made messages, as processor and controller ask IHostApplication for them.
class TestAttributes : public vst3::IAttributeList
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIAttributeListIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::tresult setInt(const char* id, std::int64_t value) override
    {
        ints[id] = value;
        return vst3::kResultOk;
    }
    vst3::tresult getInt(const char* id, std::int64_t& value) override
    {
        const auto found = ints.find(id);
        if (found == ints.end())
            return vst3::kResultFalse;
        value = found->second;
        return vst3::kResultOk;
    }
    vst3::tresult setFloat(const char*, double) override { return vst3::kNotImplemented; }
    vst3::tresult getFloat(const char*, double&) override { return vst3::kNotImplemented; }
    vst3::tresult setString(const char*, const vst3::char16*) override
    {
        return vst3::kNotImplemented;
    }
    vst3::tresult getString(const char*, vst3::char16*, std::uint32_t) override
    {
        return vst3::kNotImplemented;
    }
    vst3::tresult setBinary(const char*, const void*, std::uint32_t) override
    {
        return vst3::kNotImplemented;
    }
    vst3::tresult getBinary(const char*, const void*&, std::uint32_t&) override
    {
        return vst3::kNotImplemented;
    }
    std::map<std::string, std::int64_t> ints;
};

class TestMessage final : public vst3::IMessage
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIMessageIid, iid, object);
    }
    std::uint32_t addRef() override { return ++references; }
    std::uint32_t release() override
    {
        const std::uint32_t left = --references;
        if (left == 0)
            delete this;
        return left;
    }
    const char* getMessageID() override { return id.c_str(); }
    void setMessageID(const char* newId) override { id = newId != nullptr ? newId : ""; }
    vst3::IAttributeList* getAttributes() override { return &attributes; }

  private:
    std::uint32_t references = 1;
    std::string id;
    TestAttributes attributes;
};

class TestHostApplication : public vst3::IHostApplication
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIHostApplicationIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::tresult getName(vst3::String128 name) override
    {
        name[0] = 0;
        return vst3::kResultOk;
    }
    vst3::tresult createInstance(vst3::TUIDPointer cid, vst3::TUIDPointer iid,
                                 void** object) override
    {
        if (!vst3::sameTuid(cid, vst3::kIMessageIid) || !vst3::sameTuid(iid, vst3::kIMessageIid))
            return vst3::kNoInterface;
        *object = static_cast<vst3::IMessage*>(new TestMessage);
        return vst3::kResultOk;
    }
};

// A host's proxy between the two halves, as Ardour and Steinberg's hosts place one: the
// plug-in's halves never see each other, only messages pass.
class ProxyPoint : public vst3::IConnectionPoint
{
  public:
    vst3::tresult queryInterface(vst3::TUIDPointer iid, void** object) override
    {
        return answerOnly(this, vst3::kIConnectionPointIid, iid, object);
    }
    VST3_TEST_UNCOUNTED
    vst3::tresult connect(vst3::IConnectionPoint*) override { return vst3::kResultOk; }
    vst3::tresult disconnect(vst3::IConnectionPoint*) override { return vst3::kResultOk; }
    vst3::tresult notify(vst3::IMessage* message) override
    {
        ++forwarded;
        return destination->notify(message);
    }
    vst3::IConnectionPoint* destination = nullptr;
    int forwarded = 0;
};

// The module, loaded for the test process's life as hosts keep it.
class Vst3Module
{
  public:
    static Vst3Module& get()
    {
        static Vst3Module module;
        return module;
    }
    vst3::IPluginFactory3& factory() const { return *pluginFactory; }
    void* symbol(const char* name) const { return dlsym(handle, name); }

  private:
    Vst3Module() : handle(dlopen(VARNHOLT_VST3_MODULE_PATH, RTLD_NOW | RTLD_LOCAL))
    {
        if (handle == nullptr)
            throw std::runtime_error(dlerror());
        using Entry = bool (*)(void*);
        using GetFactory = vst3::IPluginFactory* (*)();
        auto entry = reinterpret_cast<Entry>(symbol("ModuleEntry"));
        auto getFactory = reinterpret_cast<GetFactory>(symbol("GetPluginFactory"));
        if (entry == nullptr || getFactory == nullptr || !entry(handle))
            throw std::runtime_error("no VST3 entry points");
        void* third = nullptr;
        getFactory()->queryInterface(vst3::kIPluginFactory3Iid.data(), &third);
        pluginFactory = static_cast<vst3::IPluginFactory3*>(third);
        if (pluginFactory == nullptr)
            throw std::runtime_error("no IPluginFactory3");
    }
    void* handle;
    vst3::IPluginFactory3* pluginFactory = nullptr;
};

template <typename Interface> Interface* queried(vst3::FUnknown* object, const vst3::Tuid& iid)
{
    void* found = nullptr;
    if (object == nullptr || object->queryInterface(iid.data(), &found) != vst3::kResultOk)
        return nullptr;
    return static_cast<Interface*>(found);
}

// One instance as a host holds it: processor and controller created, initialised, connected,
// set up for 44.1 kHz and active. Released in the reverse order.
class HostedVst3
{
  public:
    static constexpr double kSampleRateHz = 44100.0;
    static constexpr std::int32_t kMaxBlockFrames = 4096;

    enum class Connection
    {
        direct,
        throughProxies,
    };

    explicit HostedVst3(std::int32_t sampleSize = vst3::kSample32,
                        Connection connection = Connection::direct)
    {
        vst3::IPluginFactory3& factory = Vst3Module::get().factory();
        void* object = nullptr;
        if (factory.createInstance(vst3_identity::kProcessorCid.data(), vst3::kIComponentIid.data(),
                                   &object) != vst3::kResultOk)
            throw std::runtime_error("no component");
        component = static_cast<vst3::IComponent*>(object);
        processor = queried<vst3::IAudioProcessor>(component, vst3::kIAudioProcessorIid);
        if (factory.createInstance(vst3_identity::kControllerCid.data(),
                                   vst3::kIEditControllerIid.data(), &object) != vst3::kResultOk)
            throw std::runtime_error("no controller");
        controller = static_cast<vst3::IEditController*>(object);
        component->initialize(&application);
        controller->initialize(&application);
        controller->setComponentHandler(&handler);
        componentPoint = queried<vst3::IConnectionPoint>(component, vst3::kIConnectionPointIid);
        controllerPoint = queried<vst3::IConnectionPoint>(controller, vst3::kIConnectionPointIid);
        toController.destination = controllerPoint;
        toComponent.destination = componentPoint;
        const bool direct = connection == Connection::direct;
        componentPoint->connect(direct ? controllerPoint : &toController);
        controllerPoint->connect(direct ? componentPoint : &toComponent);
        vst3::SpeakerArrangement stereo = vst3::kSpeakerStereo;
        processor->setBusArrangements(&stereo, 1, &stereo, 1);
        vst3::ProcessSetup setup{0, sampleSize, kMaxBlockFrames, kSampleRateHz};
        processor->setupProcessing(setup);
        component->setActive(1);
        processor->setProcessing(1);
    }
    ~HostedVst3()
    {
        processor->setProcessing(0);
        component->setActive(0);
        componentPoint->disconnect(controllerPoint);
        controllerPoint->disconnect(componentPoint);
        componentPoint->release();
        controllerPoint->release();
        controller->setComponentHandler(nullptr);
        controller->terminate();
        component->terminate();
        processor->release();
        controller->release();
        component->release();
    }
    HostedVst3(const HostedVst3&) = delete;
    HostedVst3& operator=(const HostedVst3&) = delete;

    // One process call at 32 bits on the given channels; returns the output silence flags.
    std::uint64_t process(float* const in[2], float* const out[2], std::int32_t frames,
                          vst3::IParameterChanges* changes = nullptr)
    {
        vst3::AudioBusBuffers input{};
        input.numChannels = 2;
        input.channelBuffers32 = const_cast<float**>(in);
        vst3::AudioBusBuffers output{};
        output.numChannels = 2;
        output.channelBuffers32 = const_cast<float**>(out);
        return run(vst3::kSample32, input, output, frames, changes);
    }
    std::uint64_t process(double* const in[2], double* const out[2], std::int32_t frames,
                          vst3::IParameterChanges* changes = nullptr)
    {
        vst3::AudioBusBuffers input{};
        input.numChannels = 2;
        input.channelBuffers64 = const_cast<double**>(in);
        vst3::AudioBusBuffers output{};
        output.numChannels = 2;
        output.channelBuffers64 = const_cast<double**>(out);
        return run(vst3::kSample64, input, output, frames, changes);
    }

    // Renders input in blocks of blockFrames (the last one shorter); changes, when given, go
    // with the first block.
    Stereo render(const Stereo& input, std::int32_t blockFrames, bool inPlace = false,
                  ParameterChanges* changes = nullptr)
    {
        Stereo output = inPlace ? input
                                : Stereo{std::vector<float>(input.left.size()),
                                         std::vector<float>(input.right.size())};
        const auto total = static_cast<std::int32_t>(input.left.size());
        for (std::int32_t done = 0; done < total; done += blockFrames)
        {
            const std::int32_t frames = std::min(blockFrames, total - done);
            float* in[2] = {const_cast<float*>(input.left.data()) + done,
                            const_cast<float*>(input.right.data()) + done};
            float* out[2] = {output.left.data() + done, output.right.data() + done};
            process(inPlace ? out : in, out, frames, done == 0 ? changes : nullptr);
        }
        return output;
    }

    // A single change at frame 0 of an empty block, as hosts flush parameters.
    void setParameter(vst3::ParamID id, double normalized)
    {
        ParameterChanges changes;
        changes.add(id, 0, normalized);
        float* none[2] = {nullptr, nullptr};
        process(none, none, 0, &changes);
    }

    std::vector<std::uint8_t> state()
    {
        MemoryStream stream;
        component->getState(&stream);
        return stream.bytes;
    }

    vst3::IComponent* component = nullptr;
    vst3::IAudioProcessor* processor = nullptr;
    vst3::IEditController* controller = nullptr;
    vst3::IConnectionPoint* componentPoint = nullptr;
    vst3::IConnectionPoint* controllerPoint = nullptr;
    RecordingHandler handler;
    TestHostApplication application;
    ProxyPoint toController;
    ProxyPoint toComponent;

  private:
    std::uint64_t run(std::int32_t sampleSize, vst3::AudioBusBuffers& input,
                      vst3::AudioBusBuffers& output, std::int32_t frames,
                      vst3::IParameterChanges* changes)
    {
        vst3::ProcessData data{};
        data.symbolicSampleSize = sampleSize;
        data.numSamples = frames;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &input;
        data.outputs = &output;
        data.inputParameterChanges = changes;
        if (processor->process(data) != vst3::kResultOk)
            throw std::runtime_error("process failed");
        return output.silenceFlags;
    }
};
