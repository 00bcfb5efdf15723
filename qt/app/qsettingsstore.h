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
// "Oakvale"/"Gemino"; in the group "Settings" unless another is given (the records of best
// games have their own). Every write is flushed at once.
class QSettingsStore : public SettingsStore {
public:
    // A group of the user's own store other than "Settings".
    struct UserGroup {
        QString name;
    };

    // The user's own store.
    QSettingsStore();
    explicit QSettingsStore(const UserGroup& group);
    // An INI file at `iniFilePath`, for tests and portable installs.
    explicit QSettingsStore(const QString& iniFilePath,
                            const QString& group = QStringLiteral("Settings"));
    ~QSettingsStore() override;

    QSettingsStore(const QSettingsStore&) = delete;
    QSettingsStore& operator=(const QSettingsStore&) = delete;

    int ReadInt(const std::string& name, int defaultValue) const override;
    std::string ReadString(const std::string& name, const std::string& defaultValue) const override;
    void WriteInt(const std::string& name, int value) override;
    void WriteString(const std::string& name, const std::string& value) override;
    void remove(const std::string& name) override;

private:
    QString keyOf(const std::string& name) const;
    QVariant value(const std::string& name) const;
    void write(const std::string& name, const QVariant& value);

    std::unique_ptr<QSettings> settings_;
    QString group_ = QStringLiteral("Settings");
};

} // namespace gemino
