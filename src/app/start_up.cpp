#include "app/start_up.h"

#include "platform/platform.h"

namespace {

constexpr const char* kSkinLibraryName = "USkin.dll";
constexpr const char* kSkinInitName = "USkinInit";
constexpr const char* kSkinFileName = "soft.u3";

}  // namespace

bool LoadOptionalSkin(Platform& platform) {
    // The skin was never meant for the system that reports itself as 5.2.
    const OperatingSystemVersion version = platform.GetOperatingSystemVersion();
    if (version.major == 5 && version.minor == 2) {
        return false;
    }
    void* library = platform.LoadLibrary(kSkinLibraryName);
    if (library == nullptr) {
        return false;
    }
    const SkinInitFunction init = platform.FindSkinInit(library, kSkinInitName);
    if (init == nullptr) {
        return false;
    }
    init(nullptr, nullptr, kSkinFileName);
    return true;
}
