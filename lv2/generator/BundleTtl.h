#pragma once

#include <ostream>
#include <stdexcept>

// The bundle's Turtle documents, written from the shared parameter and program tables and the
// LV2 port tables. A value that cannot be written exactly (its text would not give back the
// table's value) or that lies outside its port's range throws TtlError.
struct TtlError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

void writeManifest(std::ostream& out);
void writePluginDescription(std::ostream& out);
void writePresets(std::ostream& out);
