#pragma once

#include "core/settings/settings.h"

#include <QString>

#include <memory>
#include <string>

class QSettings;
class QVariant;

namespace gemino {

// The game's options in the user's profile: on Windows the registry key
// HKEY_CURRENT_USER\Software\Oakvale\Gemino\Gemino, elsewhere the per-user INI file of
// "Oakvale"/"Gemino"; always in the group "Settings". Every write is flushed at once.
class QSettingsStore : public SettingsStore {
public:
    // The user's own store.
    QSettingsStore();
    // An INI file at `iniFilePath`, for tests and portable installs.
    explicit QSettingsStore(const QString& iniFilePath);
    ~QSettingsStore() override;

    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    int ReadInt(const std::string& name, int defaultValue) const override;
    std::string ReadString(const std::string& name, const std::string& defaultValue) const override;
    void WriteInt(const std::string& name, int value) override;
    void WriteString(const std::string& name, const std::string& value) override;

private:
    QVariant value(const std::string& name) const;
    void write(const std::string& name, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
};

} // namespace gemino
