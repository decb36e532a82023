// reelwright-cli: builds an SWF slideshow from pictures on the command line.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "platform/linux_platform.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    LinuxPlatform platform;
    CliEnvironment environment{
        std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) ? stderr : nullptr, &platform, true};
    return RunReelwrightCli(arguments, environment);
}
