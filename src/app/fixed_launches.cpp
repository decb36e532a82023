#include "app/fixed_launches.h"

#include "platform/platform.h"
#include "reelwright_addresses.h"

namespace {

constexpr const char* kMailScheme = "mailto:";

}  // namespace

std::string ExecutableFolder(const std::string& executablePath) {
    const size_t slash = executablePath.rfind('/');
    return slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
}

std::optional<std::string> MailLinkTarget(const std::string& address) {
    std::string target = std::string(kMailScheme) + address;
    if (target.size() + 1 > kMailLinkBufferSize) {
        return std::nullopt;
    }
    return target;
}

void OpenHelp(Platform& platform) {
    // Without the executable's folder there is nothing to find the help by.
    const std::string folder = ExecutableFolder(platform.ExecutablePath());
    if (folder.empty()) {
        return;
    }
    // Linux desktops seldom have a viewer for the compiled help; the browser shows
    // the same pages.
    const std::string helpFile = folder + kHelpFileName;
    if (platform.HasApplicationFor(helpFile) &&
        platform.ShellOpen("open", helpFile, kShowMaximized) > kShellOpenFailureLimit) {
        return;
    }
    platform.ShellOpen("open", folder + kHelpPagesIndex, kShowMaximized);
}

void OpenOrderPage(Platform& platform) {
    platform.ShellOpen("", kOrderPage, kShowMaximized);
}

void OpenAffiliatePage(Platform& platform) {
    platform.ShellOpen("open", kAffiliatePage, kShowMaximized);
}

void OpenPartnerSite(Platform& platform) {
    platform.ShellOpen("open", kPartnerPage, kShowMaximized);
}

void OpenSupportMail(Platform& platform) {
    if (const std::optional<std::string> target = MailLinkTarget(kSupportMail)) {
        platform.ShellOpen("open", *target, kShowRestored);
    }
}
