#include "host/plugins/MasteringGains.h"

#include "host/plugins/PluginInstance.h"
#include "parameters/Parameters.h"
#include "parameters/UserUnits.h"

namespace
{
// Both editions reach the engine through parameterValueOf, so equal dB give equal samples.
class GainsBase : public MasteringGains
{
  public:
    GainsBase(PluginInstance& instance, int driveParam, int trimParam)
        : plugin(instance), drive(driveParam), trim(trimParam)
    {
    }
    double driveDb() const override { return userValueOf(kInputDrive, positionOf(drive)); }
    double trimDb() const override { return userValueOf(kOutputTrim, positionOf(trim)); }
    double drivePosition() const override { return positionOf(drive); }
    double trimPosition() const override { return positionOf(trim); }

  protected:
    virtual float positionOf(int param) const = 0;
    PluginInstance& plugin;
    int drive;
    int trim;
};

// VST 2.4: normalised values are the engine's parameter values themselves.
class NormalisedGains final : public GainsBase
{
  public:
    using GainsBase::GainsBase;
    void set(double driveDb, double trimDb) override
    {
        plugin.setParam(drive, parameterValueOf(kInputDrive, static_cast<float>(driveDb)));
        plugin.setParam(trim, parameterValueOf(kOutputTrim, static_cast<float>(trimDb)));
    }

  private:
    float positionOf(int param) const override { return plugin.paramValue(param); }
};

// LV2: the ports take the dB a user reads; the edition converts them as parameterValueOf does.
class UserUnitGains final : public GainsBase
{
  public:
    using GainsBase::GainsBase;
    void set(double driveDb, double trimDb) override
    {
        plugin.setParam(drive, static_cast<float>(driveDb));
        plugin.setParam(trim, static_cast<float>(trimDb));
    }

  private:
    float positionOf(int param) const override
    {
        return parameterValueOf(param == drive ? kInputDrive : kOutputTrim,
                                plugin.paramValue(param));
    }
};

bool spansUserRange(const PluginInstance& plugin, int param, int index)
{
    return plugin.paramMinimum(param) == static_cast<float>(userMinimum(index)) &&
           plugin.paramMaximum(param) == static_cast<float>(userMaximum(index));
}
} // namespace

std::unique_ptr<MasteringGains> masteringGainsOf(PluginInstance& plugin)
{
    int drive = -1;
    int trim = -1;
    for (int param = 0; param < plugin.numParams(); ++param)
    {
        if (plugin.varnholtParamId(param) == kInputDrive)
            drive = param;
        else if (plugin.varnholtParamId(param) == kOutputTrim)
            trim = param;
    }
    if (drive < 0 || trim < 0)
        return nullptr;
    switch (plugin.paramScale())
    {
    case ParamScale::Normalised:
        return std::make_unique<NormalisedGains>(plugin, drive, trim);
    case ParamScale::PortUnits:
        // Ours read in dB over exactly the user range; another plug-in's "drive" means other
        // things.
        if (spansUserRange(plugin, drive, kInputDrive) && spansUserRange(plugin, trim, kOutputTrim))
            return std::make_unique<UserUnitGains>(plugin, drive, trim);
        break;
    }
    return nullptr;
}
