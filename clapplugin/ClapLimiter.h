// One CLAP instance: the engine, the stored parameter values, the program last chosen, the
// host's services and the editor. The host's main thread creates, activates and destroys it and
// runs the parameter texts, state, presets and editor; the audio thread runs process (and flush
// while active). process allocates nothing, takes no lock and calls the system for nothing.
#pragma once

#include <atomic>
#include <memory>

#include "clap/Extensions.h"
#include "clap/Gui.h"
#include "clapplugin/ClapStateFormat.h"
#include "clapplugin/EditQueue.h"
#include "engine/LimiterEngine.h"

class ClapEditor;

class ClapLimiter
{
  public:
    // Main thread (the factory's create_plugin). Configures the engine from program 0.
    ClapLimiter(const clap_host* host, const clap_plugin_descriptor* descriptor);
    // Main thread.
    ~ClapLimiter();
    ClapLimiter(const ClapLimiter&) = delete;
    ClapLimiter& operator=(const ClapLimiter&) = delete;

    const clap_plugin* clapPlugin() const { return &plugin; }
    // Main thread, once: the entry fills in the record's functions.
    clap_plugin* clapPluginRecord() { return &plugin; }
    static ClapLimiter& of(const clap_plugin* plugin);

    // Main thread: the host's services, asked once.
    bool init();
    // Main thread. The engine at the host's rate, detectors, meters and look-ahead cleared.
    bool activate(double sampleRateHz);
    void deactivate();
    bool isActive() const { return active.load(std::memory_order_relaxed); }
    // Audio thread: detectors, meters and look-ahead cleared, as a VST host's resume.
    void reset();
    // Audio thread. Applies each parameter event at its frame, processes the frames between
    // (32 or 64 bit, in place or not) and hands the editor's edits to the host.
    clap_process_status process(const clap_process& data);
    // Audio thread while active, else main thread: parameter events without audio.
    void flush(const clap_input_events* in, const clap_output_events* out);

    // Any thread. The stored value (normalised; the menu position for "Dithering").
    float parameterValue(int index) const;
    // Main thread: the editor's edits, applied now and queued for the host.
    void editParameter(int index, float value);
    void beginGesture(int index);
    void endGesture(int index);

    // Main thread: state and presets. Load returns false and changes nothing for a state that
    // is not ours.
    bool saveState(const clap_ostream& stream) const;
    bool loadState(const clap_istream& stream);
    // Factory program 0..17 by its number as text; false for any other key.
    bool loadFactoryProgram(const char* loadKey);
    // Main thread: tells the host a preset it asked for is in place.
    void presetLoaded(std::uint32_t kind, const char* location, const char* loadKey) const;
    int currentProgram() const { return program.load(std::memory_order_relaxed); }

    // Audio thread: the gain the limiter and the leveller applied at the end of the last block,
    // in dB (0 or less; 0 while bypassed).
    double gainAdjustmentDb() const;
    // Any thread. False only when the host's thread check says this is not its main thread.
    bool onMainThread() const;

    LimiterEngine& getEngine() { return engine; }
    ClapEditor& getEditor() { return *editor; }
    const clap_host* getHost() const { return host; }
    const clap_host_timer_support* hostTimers() const { return timers; }
    const clap_host_posix_fd_support* hostFds() const { return fds; }
    const clap_host_gui* hostGui() const { return hostGuiExt; }

  private:
    // Stores, applies and tells the editor. Any thread the engine's setters allow.
    void setParameter(int index, float value);
    void applyState(const ClapState& state);
    void applyEvent(const clap_event_header& event);
    void applyEvents(const clap_input_events* in, std::uint32_t from, std::uint32_t to);
    void sendEdits(const clap_output_events* out);
    template <typename Sample>
    void processFrames(const clap_process& data, Sample* const* in, Sample* const* out);
    void tellHostValuesChanged() const;

    clap_plugin plugin;
    const clap_host* host;
    const clap_host_params* hostParams = nullptr;
    const clap_host_state* hostState = nullptr;
    const clap_host_thread_check* threadCheck = nullptr;
    const clap_host_timer_support* timers = nullptr;
    const clap_host_posix_fd_support* fds = nullptr;
    const clap_host_gui* hostGuiExt = nullptr;
    const clap_host_preset_load* hostPresetLoad = nullptr;
    LimiterEngine engine;
    std::atomic<float> values[kNumParams];
    std::atomic<int> program{0};
    std::atomic<bool> active{false};
    EditQueue edits;
    std::unique_ptr<ClapEditor> editor;
};
