#include "app/launch_url.h"

#include "platform/platform.h"

namespace {

constexpr const char* kQuotedPlaceholder = "\"%1\"";
constexpr const char* kPlaceholder = "%1";

}  // namespace

std::optional<std::string> BuildBrowserCommandLine(const std::string& command,
                                                   const std::string& url) {
    size_t cut = command.find(kQuotedPlaceholder);
    if (cut == std::string::npos) {
        cut = command.find(kPlaceholder);
    }
    std::string line = command.substr(0, cut);
    if (line.size() + 1 + url.size() > kMaxBrowserCommandLine) {
        return std::nullopt;
    }
    line += ' ';
    line += url;
    return line;
}

int LaunchUrl(Platform& platform, const std::string& url, int showMode) {
    const int result = platform.ShellOpen("open", url, showMode);
    if (result > kShellOpenFailureLimit) {
        return result;
    }
    const std::optional<std::string> command = platform.LookUpBrowserCommand();
    if (!command) {
        return result;
    }
    const std::optional<std::string> line = BuildBrowserCommandLine(*command, url);
    if (!line) {
        return kLaunchLineTooLong;
    }
    return platform.RunCommandLine(*line, showMode);
}
