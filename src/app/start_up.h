// The application's start-up steps that come before the main dialog.
#pragma once

class Platform;

// The optional skinning library: unless the system reports version 5.2, loads
// "USkin.dll" through the system's library search, looks up its export "USkinInit"
// and calls it once with two null pointers and the skin file "soft.u3". A missing
// library or export is passed over without a word; the result is ignored and the
// library is never unloaded. Returns true when the export was called.
bool LoadOptionalSkin(Platform& platform);
