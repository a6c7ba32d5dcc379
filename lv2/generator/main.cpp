// Build tool: writes the LV2 bundle's Turtle documents into the folder given as the argument.
// Every document is made before the first is written, so an error leaves no partial bundle.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "lv2/Lv2Identity.h"
#include "lv2/generator/BundleTtl.h"

namespace
{
struct Document
{
    std::string fileName;
    void (*write)(std::ostream&);
    std::string text;
};
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: varnholt_lv2_ttl BUNDLE_FOLDER\n";
        return 2;
    }
    Document documents[] = {
        {"manifest.ttl", writeManifest, {}},
        {lv2_identity::kPluginTtl, writePluginDescription, {}},
        {lv2_identity::kPresetsTtl, writePresets, {}},
    };
    try
    {
        for (Document& document : documents)
        {
            std::ostringstream text;
            document.write(text);
            document.text = text.str();
        }
    }
    catch (const TtlError& error)
    {
        std::cerr << "varnholt_lv2_ttl: " << error.what() << "\n";
        return 1;
    }
    for (const Document& document : documents)
    {
        const std::string path = std::string(argv[1]) + "/" + document.fileName;
        std::ofstream out(path);
        out << document.text;
        out.close();
        if (!out)
        {
            std::cerr << "varnholt_lv2_ttl: cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
