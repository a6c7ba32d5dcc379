// Debian's LV2 plug-ins the host's tests load, and a private LV2_PATH to find them on.
#pragma once

#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

inline const std::string kZamMaximBundle = "/usr/lib/lv2/ZaMaximX2.lv2";
inline const std::string kZamMaximUri = "urn:zamaudio:ZaMaximX2";
inline const std::string kZamEqBundle = "/usr/lib/lv2/ZamEQ2.lv2"; // a mono effect with presets
inline const std::string kLspBundle = "/usr/lib/lv2/lsp-plugins.lv2";
inline const std::string kLspLimiterUri = "http://lsp-plug.in/plugins/lv2/limiter_stereo";

// LV2_PATH set to a folder of links to the given bundles while it lives, then restored.
class PrivateLv2Path
{
  public:
    explicit PrivateLv2Path(const std::vector<std::string>& bundles)
    {
        if (const char* previous = std::getenv("LV2_PATH"))
            saved = previous;
        for (const std::string& bundle : bundles)
            std::filesystem::create_directory_symlink(
                bundle, folder.path / std::filesystem::path(bundle).filename());
        setenv("LV2_PATH", folder.path.c_str(), 1);
    }
    ~PrivateLv2Path()
    {
        if (saved)
            setenv("LV2_PATH", saved->c_str(), 1);
        else
            unsetenv("LV2_PATH");
    }
    PrivateLv2Path(const PrivateLv2Path&) = delete;
    PrivateLv2Path& operator=(const PrivateLv2Path&) = delete;

    TempFolder folder;

  private:
    std::optional<std::string> saved;
};

// A bundle describing plug-ins named urn:varnholt:NAME, each with `ports` (Turtle) and `extra`
// statements and ZaMaximX2's binary: enough for the host's checks, which come before any
// instantiation.
inline void writeDescribedBundle(const std::filesystem::path& bundle,
                                 const std::vector<std::string>& names, const std::string& extra,
                                 const std::string& ports)
{
    std::filesystem::create_directories(bundle);
    std::ofstream manifest(bundle / "manifest.ttl");
    std::ofstream description(bundle / "plugin.ttl");
    const std::string prefixes = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                 "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                 "@prefix doap: <http://usefulinc.com/ns/doap#> .\n";
    manifest << prefixes;
    description << prefixes;
    for (const std::string& name : names)
    {
        manifest << "<urn:varnholt:" << name << "> a lv2:Plugin ; lv2:binary <file://"
                 << kZamMaximBundle << "/ZaMaximX2_dsp.so> ; rdfs:seeAlso <plugin.ttl> .\n";
        description << "<urn:varnholt:" << name << "> a lv2:Plugin ; doap:name \"" << name
                    << "\" ; " << extra << " " << ports << " .\n";
    }
}

// Turtle for an audio port.
inline std::string audioPort(int index, bool input)
{
    return "lv2:port [ a lv2:" + std::string(input ? "InputPort" : "OutputPort") +
           ", lv2:AudioPort ; lv2:index " + std::to_string(index) + " ; lv2:symbol \"a" +
           std::to_string(index) + "\" ; lv2:name \"A" + std::to_string(index) + "\" ] ;";
}
