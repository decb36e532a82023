// The dialogs' fixed launches: the help, the order page, the partner's pages and the
// support mail. Each asks the shell once and reports nothing, whatever the outcome.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

class Platform;

// The help file's name, and the same pages as HTML, both beside the executable.
inline constexpr const char* kHelpFileName = "Moxwell_Reelwright.chm";
inline constexpr const char* kHelpPagesIndex = "help/index.html";
// The mail link is built in a zero-filled buffer of this many characters.
inline constexpr size_t kMailLinkBufferSize = 80;

// The folder of `executablePath` with its closing '/'; empty when it has none.
std::string ExecutableFolder(const std::string& executablePath);

// "mailto:" and `address`, when it fits the mail link's buffer with the zero that
// ends it; nothing otherwise, as a shortened address would write to somebody else.
std::optional<std::string> MailLinkTarget(const std::string& address);

// "Help", maximised: the help file beside the executable when the desktop has an
// application for it; otherwise, or when it does not open, the same pages as HTML
// (help/index.html beside the executable) in the browser.
void OpenHelp(Platform& platform);
// "Buy Now", maximised, with the shell's default verb.
void OpenOrderPage(Platform& platform);
// The banner, maximised: the partner's page through the affiliate address.
void OpenAffiliatePage(Platform& platform);
// "Free web design tools downloads", maximised: the partner's download site.
void OpenPartnerSite(Platform& platform);
// The About box's mail address, in a normal window.
void OpenSupportMail(Platform& platform);
