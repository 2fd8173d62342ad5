#include "run/AppInfo.h"

namespace velmora {

std::string VersionText() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

std::string TitleVersionLine() {
    return std::string(kAppTitle) + ", version: " + VersionText();
}

}  // namespace velmora
