#include "platform/ProgramFolder.h"

#include <QDir>
#include <QStandardPaths>

#include "model/Error.h"
#include "platform/QtText.h"

namespace velmora {

std::filesystem::path ProgramFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) throw Error("This system names no folder for application data.");
    const QString folder = QDir::toNativeSeparators(base + QStringLiteral("/Velmora"));
    if (!QDir().mkpath(folder)) {
        throw Error("The program folder " + ToStdString(folder) + " could not be created.");
    }
    return ToPath(folder);
}

}  // namespace velmora
