#include "host/plugins/PluginInstance.h"

#include "parameters/UserUnits.h"

float PluginInstance::hostValueOfStored(int param, float storedValue) const
{
    if (paramScale() == ParamScale::PortUnits)
        return static_cast<float>(userValueOf(varnholtParamId(param), storedValue));
    return storedValue;
}

float PluginInstance::storedValueOf(int param) const
{
    if (paramScale() == ParamScale::PortUnits)
        return parameterValueOf(varnholtParamId(param), paramValue(param));
    return paramValue(param);
}
