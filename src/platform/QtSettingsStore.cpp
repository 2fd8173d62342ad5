#include "platform/QtSettingsStore.h"

#include <QSettings>
#include <QStringList>

#include "model/Error.h"
#include "platform/QtText.h"

namespace velmora {

namespace {

const QString kGroup = QStringLiteral("Settings");

QString KeyOf(std::string_view key) {
    return kGroup + QLatin1Char('/') + ToQString(key);
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Velmora"), QStringLiteral("Velmora"))) {
}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::string> QtSettingsStore::Read(std::string_view key) const {
    const QVariant value = settings_->value(KeyOf(key));
    if (!value.isValid()) return std::nullopt;
    // A value typed into the file by hand with a comma and no quotes comes
    // back as a list: it is still the one text that was typed.
    if (value.typeId() == QMetaType::QStringList) {
        return ToStdString(value.toStringList().join(QLatin1Char(',')));
    }
    return ToStdString(value.toString());
}

void QtSettingsStore::Save(std::string_view key, std::string_view value) {
    settings_->setValue(KeyOf(key), ToQString(value));
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        throw Error("The settings could not be saved to " + ToStdString(FileName()) + ".");
    }
}

QString QtSettingsStore::FileName() const {
    return settings_->fileName();
}

}  // namespace velmora
