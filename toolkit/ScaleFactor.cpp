#include "toolkit/ScaleFactor.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace
{
// A positive number spelled out completely in text, or 0; read with a point for decimals
// whatever locale the host has set.
double parsePositive(const char* text)
{
    if (!text || !*text)
        return 0.0;
    const char* const end = text + std::strlen(text);
    double value = 0.0;
    const std::from_chars_result read = std::from_chars(text, end, value);
    return read.ec == std::errc() && read.ptr == end && std::isfinite(value) && value > 0.0 ? value
                                                                                            : 0.0;
}

// Xft.dpi from the resource database the desktop loaded into the server (xrdb), or 0.
double serverDpi()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 0.0;
    double dpi = 0.0;
    if (const char* resources = XResourceManagerString(display))
    {
        XrmInitialize();
        if (XrmDatabase database = XrmGetStringDatabase(resources))
        {
            char* type = nullptr;
            XrmValue value{};
            if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr &&
                type && std::strcmp(type, "String") == 0)
                dpi = parsePositive(value.addr);
            XrmDestroyDatabase(database);
        }
    }
    XCloseDisplay(display);
    return dpi;
}
} // namespace

double nearestScaleFactor(double factor)
{
    if (!(factor >= kMinScaleFactor))
        return kMinScaleFactor;
    if (factor >= kMaxScaleFactor)
        return kMaxScaleFactor;
    return std::round(factor / kScaleFactorStep) * kScaleFactorStep;
}

double desktopScaleFactor()
{
    const double gdkScale = parsePositive(std::getenv("GDK_SCALE"));
    if (gdkScale > 0.0)
        return nearestScaleFactor(gdkScale);
    const double dpi = serverDpi();
    return dpi > 0.0 ? nearestScaleFactor(dpi / kReferenceDpi) : kMinScaleFactor;
}
