#include "qt/app/qsettingsstore.h"

#include <QSettings>
#include <QVariant>

#include <limits>

namespace gemino {

namespace {

std::unique_ptr<QSettings> openUserSettings() {
#ifdef Q_OS_WIN
    // QSettings' organisation/application form would stop one level short of this key.
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Oakvale\\Gemino\\Gemino"),
        QSettings::NativeFormat);
#else
    auto settings =
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                    QStringLiteral("Oakvale"), QStringLiteral("Gemino"));
    // Only the user's own file counts: a missing value must read as the game's default, not
    // as something found in a system-wide or organisation-wide file.
    settings->setFallbacksEnabled(false);
    return settings;
#endif
}

} // namespace

QSettingsStore::QSettingsStore() : settings_(openUserSettings()) {}

QSettingsStore::QSettingsStore(const UserGroup& group)
    : settings_(openUserSettings()), group_(group.name) {}

QSettingsStore::QSettingsStore(const QString& iniFilePath, const QString& group)
    : settings_(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat)), group_(group) {}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::keyOf(const std::string& name) const {
    return group_ + QLatin1Char('/') + QString::fromStdString(name);
}

QVariant QSettingsStore::value(const std::string& name) const {
    return settings_->value(keyOf(name));
}

void QSettingsStore::write(const std::string& name, const QVariant& value) {
    settings_->setValue(keyOf(name), value);
    // Write-through; a store that cannot be written keeps the value for this run only.
    settings_->sync();
}

int QSettingsStore::ReadInt(const std::string& name, int defaultValue) const {
    const QVariant stored = value(name);
    bool ok = false;
    qlonglong number = 0;
    switch (stored.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        number = stored.toLongLong(&ok);
        break;
    case QMetaType::QString:
        // INI files hold text only; anything but a whole decimal number is not an integer.
        number = stored.toString().trimmed().toLongLong(&ok, 10);
        break;
    default:
        break;
    }
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return defaultValue;
    return static_cast<int>(number);
}

std::string QSettingsStore::ReadString(const std::string& name,
                                       const std::string& defaultValue) const {
    const QVariant stored = value(name);
    if (stored.typeId() != QMetaType::QString)
        return defaultValue;
    return stored.toString().toStdString();
}

void QSettingsStore::WriteInt(const std::string& name, int value) {
    write(name, value);
}

void QSettingsStore::WriteString(const std::string& name, const std::string& value) {
    write(name, QString::fromStdString(value));
}

void QSettingsStore::remove(const std::string& name) {
    // An empty key would remove the whole group.
    if (name.empty()) {
        return;
    }
    settings_->remove(keyOf(name));
    settings_->sync();
}

} // namespace gemino
