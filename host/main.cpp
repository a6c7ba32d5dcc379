#include "host/RenderCommand.h"
#include "host/TemporaryFiles.h"

#include <iostream>

int main(int argc, char** argv)
{
    removeTemporariesOnInterrupt();
    return runRenderCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
