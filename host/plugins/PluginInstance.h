// One loaded effect instance as the renderer drives it, whatever its plug-in format.
#pragma once

#include <string>

// How a plug-in reads the values handed to setParam.
enum class ParamScale
{
    Normalised, // 0..1, the plug-in converts (VST 2.4)
    PortUnits,  // the parameter's own units within its stated range (LV2 control ports)
};

class PluginInstance
{
  public:
    virtual ~PluginInstance() = default;
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // The plug-in's name as it gives it; empty if it gives none.
    virtual std::string name() const = 0;

    virtual int numPrograms() const = 0;
    virtual std::string programName(int program) const = 0;
    virtual void setProgram(int program) = 0;

    virtual int numParams() const = 0;
    virtual std::string paramName(int param) const = 0;
    // A short machine name users may type instead of the name (LV2 port symbol); else empty.
    virtual std::string paramSymbol(int param) const = 0;
    virtual std::string paramLabel(int param) const = 0;
    virtual std::string paramDisplay(int param) const = 0;
    virtual ParamScale paramScale() const = 0;
    // The range setParam accepts for checked settings: 0..1 when normalised.
    virtual float paramMinimum(int param) const = 0;
    virtual float paramMaximum(int param) const = 0;
    // `value` is read as paramScale() says.
    virtual void setParam(int param, float value) = 0;
    // The value as setParam takes it.
    virtual float paramValue(int param) const = 0;

    // Prepares the plug-in for process calls.
    virtual void start() = 0;
    // Processes frames <= the block size given at construction, from and to two channels.
    virtual void process(const float* const input[2], float* const output[2], int frames,
                         double samplePos) = 0;
    virtual void stop() = 0;

    // The delay in frames the plug-in states now; some state it only after their first block.
    virtual int latencyFrames() const = 0;

    // The ParamId (0..16) of `param` where this is one of Varnholt Pro's own editions, whose
    // parameters the renderer also reads and sets in the units a user reads; else -1.
    virtual int varnholtParamId(int /*param*/) const { return -1; }

  protected:
    PluginInstance() = default;
};
