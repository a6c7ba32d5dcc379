// Runs varnholt-render's command in process and keeps what it said.
#pragma once

#include "host/RenderCommand.h"

#include <sstream>
#include <string>
#include <vector>

struct CommandRun
{
    int status;
    std::string report;
    std::string errors;
};

inline CommandRun runCommand(const std::vector<std::string>& arguments)
{
    std::ostringstream report, errors;
    const int status = runRenderCommand(arguments, report, errors);
    return {status, report.str(), errors.str()};
}
