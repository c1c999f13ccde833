// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/font_config.h"

#include <cstdlib>
#include <fontconfig/fontconfig.h>

namespace qrb {

bool loadFontConfiguration() {
    // Fontconfig switches its debugging output on as it loads its own
    // configuration.
    if (std::getenv("FC_DEBUG") != nullptr) {
        return false;
    }
    FcConfig* config = FcConfigCreate();
    if (config == nullptr) {
        return false;
    }
    // The file FONTCONFIG_FILE names, or fonts.conf, and all they include. A
    // missing one is for fontconfig to report, once, when it loads its own.
    bool loaded = FcConfigParseAndLoad(config, nullptr, FcFalse) == FcTrue;
    if (loaded) {
        // Without a cache folder fontconfig adds its own ones; that case is
        // left to it.
        FcStrList* caches = FcConfigGetCacheDirs(config);
        loaded = caches != nullptr && FcStrListNext(caches) != nullptr;
        if (caches != nullptr) {
            FcStrListDone(caches);
        }
    }
    loaded = loaded && FcConfigBuildFonts(config) == FcTrue && FcConfigSetCurrent(config) == FcTrue;
    // The current configuration holds its own reference.
    FcConfigDestroy(config);
    return loaded;
}

} // namespace qrb
