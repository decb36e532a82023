// Opening an address from a link: the shell first, and when it cannot, the
// registered web browser run directly with the address on its command line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

class Platform;

// The browser's command line is built in a buffer of 520 characters, the last one
// for the terminating zero.
inline constexpr size_t kMaxBrowserCommandLine = 519;
// LaunchUrl's code for a command line that would not fit: "There was not enough
// memory to complete the operation." That is what happened (the line's buffer is too
// small), and it keeps the case apart from code 0, which the program start itself
// gives when the system runs out of resources.
inline constexpr int kLaunchLineTooLong = 8;

// The browser's command line for `url`: `command` cut at the quoted placeholder
// "\"%1\"" (at its first quote), else at a bare "%1", else kept whole; then one space
// and the URL. Nothing when the line would be longer than kMaxBrowserCommandLine:
// a shortened line would open a wrong address or run a wrong program.
std::optional<std::string> BuildBrowserCommandLine(const std::string& command,
                                                   const std::string& url);

// Opens `url` shown as `showMode` asks: the shell's "open" first; when that fails,
// the registered browser's command line. Above 32 on success; otherwise the shell's
// code when no browser is registered, kLaunchLineTooLong, or the run's code.
int LaunchUrl(Platform& platform, const std::string& url, int showMode);
