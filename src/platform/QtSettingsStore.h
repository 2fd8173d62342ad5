#pragma once

#include <QString>
#include <memory>

#include "run/Settings.h"

class QSettings;

namespace velmora {

// The settings in the host's per-user store: organisation and application
// "Velmora", group "Settings" (on Linux ~/.config/Velmora/Velmora.conf, on
// Windows the registry). Every value is kept as text.
class QtSettingsStore final : public SettingsStore {
  public:
    QtSettingsStore();
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

    std::optional<std::string> Read(std::string_view key) const override;

    // Writes the value through to the file at once, so the other front end
    // sees it. Throws Error naming the file when it cannot be written.
    void Save(std::string_view key, std::string_view value) override;

    QString FileName() const;

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace velmora
