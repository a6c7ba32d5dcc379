#include "clapplugin/ClapLimiter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "clapplugin/ClapEditor.h"
#include "clapplugin/ClapParameterInfo.h"
#include "parameters/EngineParameters.h"
#include "parameters/Presets.h"

namespace
{
template <typename Extension> const Extension* hostExtension(const clap_host* host, const char* id)
{
    return host->get_extension != nullptr
               ? static_cast<const Extension*>(host->get_extension(host, id))
               : nullptr;
}

const clap_event_header* eventAt(const clap_input_events* in, std::uint32_t index)
{
    return in->get != nullptr ? in->get(in, index) : nullptr;
}

std::uint32_t eventCount(const clap_input_events* in)
{
    return in != nullptr && in->size != nullptr ? in->size(in) : 0;
}

// Meters are reported down to this gain; below it the figure would only be noise.
constexpr float kSmallestReportedGain = 1e-10f;
} // namespace

ClapLimiter::ClapLimiter(const clap_host* clapHost, const clap_plugin_descriptor* descriptor)
    : host(clapHost)
{
    plugin = {};
    plugin.desc = descriptor;
    plugin.plugin_data = this;
    constexpr int defaultProgram = 0;
    for (int i = 0; i < kNumParams; ++i)
    {
        values[i].store(kPresetTable[defaultProgram][i], std::memory_order_relaxed);
        applyParameter(engine, i, kPresetTable[defaultProgram][i]);
    }
    editor = std::make_unique<ClapEditor>(*this);
}

ClapLimiter::~ClapLimiter() = default;

ClapLimiter& ClapLimiter::of(const clap_plugin* plugin)
{
    return *static_cast<ClapLimiter*>(plugin->plugin_data);
}

bool ClapLimiter::init()
{
    hostParams = hostExtension<clap_host_params>(host, kClapExtParams);
    hostState = hostExtension<clap_host_state>(host, kClapExtState);
    threadCheck = hostExtension<clap_host_thread_check>(host, kClapExtThreadCheck);
    timers = hostExtension<clap_host_timer_support>(host, kClapExtTimerSupport);
    fds = hostExtension<clap_host_posix_fd_support>(host, kClapExtPosixFdSupport);
    hostGuiExt = hostExtension<clap_host_gui>(host, kClapExtGui);
    hostPresetLoad = hostExtension<clap_host_preset_load>(host, kClapExtPresetLoad);
    if (hostPresetLoad == nullptr)
        hostPresetLoad = hostExtension<clap_host_preset_load>(host, kClapExtPresetLoadCompat);
    return true;
}

bool ClapLimiter::activate(double sampleRateHz)
{
    if (!std::isfinite(sampleRateHz) || sampleRateHz <= 0.0)
        return false;
    engine.setEngineSampleRate(static_cast<float>(sampleRateHz));
    // As a VST host's resume: nothing from before plays out against reset gains.
    engine.clearState();
    active.store(true, std::memory_order_relaxed);
    return true;
}

void ClapLimiter::deactivate()
{
    active.store(false, std::memory_order_relaxed);
}

void ClapLimiter::reset()
{
    engine.clearState();
}

bool ClapLimiter::onMainThread() const
{
    return threadCheck == nullptr || threadCheck->is_main_thread == nullptr ||
           threadCheck->is_main_thread(host);
}

float ClapLimiter::parameterValue(int index) const
{
    return isParamIndex(index) ? values[index].load(std::memory_order_relaxed) : 0.0f;
}

void ClapLimiter::setParameter(int index, float value)
{
    values[index].store(value, std::memory_order_relaxed);
    applyParameter(engine, index, value);
    editor->postParameter(index, value);
}

void ClapLimiter::applyEvent(const clap_event_header& event)
{
    if (event.space_id != kClapCoreEventSpace || event.type != kClapEventParamValue ||
        event.size < sizeof(clap_event_param_value))
        return;
    const auto& change = reinterpret_cast<const clap_event_param_value&>(event);
    if (!isParamIndex(static_cast<int>(change.param_id)))
        return;
    const int index = static_cast<int>(change.param_id);
    if (const std::optional<float> value = parameterValueOfPlain(index, change.value))
        setParameter(index, *value);
}

void ClapLimiter::applyEvents(const clap_input_events* in, std::uint32_t from, std::uint32_t to)
{
    for (std::uint32_t i = from; i < to; ++i)
        if (const clap_event_header* event = eventAt(in, i))
            applyEvent(*event);
}

void ClapLimiter::sendEdits(const clap_output_events* out)
{
    if (out == nullptr || out->try_push == nullptr)
        return;
    edits.drain(
        [out](const EditEvent& edit)
        {
            if (edit.kind == EditEvent::Kind::value)
            {
                clap_event_param_value event{};
                event.header = {sizeof event, 0, kClapCoreEventSpace, kClapEventParamValue, 0};
                event.param_id = static_cast<clap_id>(edit.index);
                event.note_id = -1;
                event.port_index = -1;
                event.channel = -1;
                event.key = -1;
                event.value = plainValueOf(edit.index, edit.value);
                return out->try_push(out, &event.header);
            }
            clap_event_param_gesture event{};
            const std::uint16_t type = edit.kind == EditEvent::Kind::gestureBegin
                                           ? kClapEventParamGestureBegin
                                           : kClapEventParamGestureEnd;
            event.header = {sizeof event, 0, kClapCoreEventSpace, type, 0};
            event.param_id = static_cast<clap_id>(edit.index);
            return out->try_push(out, &event.header);
        });
}

template <typename Sample>
void ClapLimiter::processFrames(const clap_process& data, Sample* const* in, Sample* const* out)
{
    const std::uint32_t frames = data.frames_count;
    const std::uint32_t count = eventCount(data.in_events);
    std::uint32_t next = 0;
    std::uint32_t done = 0;
    while (done < frames)
    {
        // Events due by this frame (a host's out-of-order event counts as due now).
        while (next < count)
        {
            const clap_event_header* event = eventAt(data.in_events, next);
            if (event != nullptr && event->time > done)
                break;
            applyEvents(data.in_events, next, next + 1);
            ++next;
        }
        std::uint32_t until = frames;
        if (next < count)
            until = std::min(frames, eventAt(data.in_events, next)->time);
        engine.processBlock(in[0] + done, in[1] + done, out[0] + done, out[1] + done,
                            static_cast<int>(until - done));
        done = until;
    }
    applyEvents(data.in_events, next, count);
}

clap_process_status ClapLimiter::process(const clap_process& data)
{
    const bool stereo = data.audio_inputs != nullptr && data.audio_outputs != nullptr &&
                        data.audio_inputs_count >= 1 && data.audio_outputs_count >= 1 &&
                        data.audio_inputs[0].channel_count >= 2 &&
                        data.audio_outputs[0].channel_count >= 2;
    const clap_audio_buffer* in = stereo ? &data.audio_inputs[0] : nullptr;
    clap_audio_buffer* out = stereo ? &data.audio_outputs[0] : nullptr;
    clap_process_status status = kClapProcessContinue;
    if (stereo && in->data32 != nullptr && out->data32 != nullptr && in->data32[0] != nullptr &&
        in->data32[1] != nullptr && out->data32[0] != nullptr && out->data32[1] != nullptr)
        processFrames<float>(data, in->data32, out->data32);
    else if (stereo && in->data64 != nullptr && out->data64 != nullptr &&
             in->data64[0] != nullptr && in->data64[1] != nullptr && out->data64[0] != nullptr &&
             out->data64[1] != nullptr)
        processFrames<double>(data, in->data64, out->data64);
    else
    {
        // No stereo pair to work on: the parameters still change, the host hears of the fault.
        applyEvents(data.in_events, 0, eventCount(data.in_events));
        status = kClapProcessError;
    }
    if (out != nullptr)
        out->constant_mask = 0;
    sendEdits(data.out_events);
    return status;
}

void ClapLimiter::flush(const clap_input_events* in, const clap_output_events* out)
{
    applyEvents(in, 0, eventCount(in));
    sendEdits(out);
}

void ClapLimiter::editParameter(int index, float value)
{
    if (!isParamIndex(index) || !std::isfinite(value))
        return;
    setParameter(index, value);
    edits.push({EditEvent::Kind::value, index, value});
    if (hostParams != nullptr && hostParams->request_flush != nullptr)
        hostParams->request_flush(host);
}

void ClapLimiter::beginGesture(int index)
{
    if (isParamIndex(index))
        edits.push({EditEvent::Kind::gestureBegin, index, 0.0f});
}

void ClapLimiter::endGesture(int index)
{
    if (!isParamIndex(index))
        return;
    edits.push({EditEvent::Kind::gestureEnd, index, 0.0f});
    if (hostParams != nullptr && hostParams->request_flush != nullptr)
        hostParams->request_flush(host);
}

bool ClapLimiter::saveState(const clap_ostream& stream) const
{
    if (stream.write == nullptr)
        return false;
    ClapState state;
    state.program = currentProgram();
    for (int i = 0; i < kNumParams; ++i)
        state.values[i] = parameterValue(i);
    const std::string text = writeState(state);
    std::size_t written = 0;
    while (written < text.size())
    {
        const std::int64_t count =
            stream.write(&stream, text.data() + written, text.size() - written);
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

bool ClapLimiter::loadState(const clap_istream& stream)
{
    if (stream.read == nullptr)
        return false;
    std::string text;
    char buffer[1024];
    while (text.size() <= kMaxStateBytes)
    {
        const std::int64_t count = stream.read(&stream, buffer, sizeof buffer);
        if (count < 0)
            return false;
        if (count == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(std::min<std::int64_t>(count, sizeof buffer)));
    }
    const std::optional<ClapState> state = readState(text);
    if (!state)
        return false;
    applyState(*state);
    return true;
}

bool ClapLimiter::loadFactoryProgram(const char* loadKey)
{
    if (loadKey == nullptr)
        return false;
    const std::size_t length = std::strlen(loadKey);
    int number = -1;
    const auto [end, error] = std::from_chars(loadKey, loadKey + length, number);
    if (error != std::errc() || end != loadKey + length || number < 0 || number >= kNumPrograms)
        return false;
    ClapState state;
    state.program = number;
    std::copy(std::begin(kPresetTable[number]), std::end(kPresetTable[number]), state.values);
    applyState(state);
    return true;
}

void ClapLimiter::presetLoaded(std::uint32_t kind, const char* location, const char* loadKey) const
{
    if (hostPresetLoad != nullptr && hostPresetLoad->loaded != nullptr)
        hostPresetLoad->loaded(host, kind, location, loadKey);
    // Unlike a project's state, a preset chosen changes the project.
    if (hostState != nullptr && hostState->mark_dirty != nullptr)
        hostState->mark_dirty(host);
}

void ClapLimiter::applyState(const ClapState& state)
{
    program.store(state.program, std::memory_order_relaxed);
    // In index order, as a VST program change re-applies every value.
    for (int i = 0; i < kNumParams; ++i)
        setParameter(i, state.values[i]);
    tellHostValuesChanged();
}

void ClapLimiter::tellHostValuesChanged() const
{
    if (hostParams != nullptr && hostParams->rescan != nullptr)
        hostParams->rescan(host, kClapParamRescanValues);
}

double ClapLimiter::gainAdjustmentDb() const
{
    if (switchIsOn(parameterValue(kBypass)))
        return 0.0;
    const float gain =
        std::min(engine.getLimiterGainLeft(), engine.getLimiterGainRight()) * engine.getRmsGain();
    return 20.0 * std::log10(std::max(gain, kSmallestReportedGain));
}
