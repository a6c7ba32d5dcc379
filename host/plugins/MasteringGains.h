// The two controls mastering turns, "Input drive" and "Output trim", set and read in dB of the
// gain our engine applies, whatever format the edition speaks. One small adapter per way of
// reading parameter values; a new format whose values read another way adds its class in
// MasteringGains.cpp and a case in masteringGainsOf. Only our editions have these controls with
// this meaning (PluginInstance::varnholtParamId finds them), so any other plug-in gets none and is
// refused for mastering.
#pragma once

#include <memory>

class PluginInstance;

class MasteringGains
{
  public:
    virtual ~MasteringGains() = default;
    // Main thread, before the instance starts. Values beyond the controls' ranges are held in
    // them.
    virtual void set(double driveDb, double trimDb) = 0;
    // The gains as the engine applies them now, in dB.
    virtual double driveDb() const = 0;
    virtual double trimDb() const = 0;
    // The engine's parameter values (0..1) behind them, as the report shows them.
    virtual double drivePosition() const = 0;
    virtual double trimPosition() const = 0;
};

// The adapter for the instance's format, or null when the instance is not one of our editions.
std::unique_ptr<MasteringGains> masteringGainsOf(PluginInstance& plugin);
