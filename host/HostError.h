// The one kind of failure the host reports: a message meant for the user, shown as one line.
#pragma once

#include <stdexcept>

struct HostError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};
