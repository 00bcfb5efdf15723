#pragma once

// The icon and picture fixtures of tests/core/iconfile/fixtures (see generate.sh there). A test
// that includes this defines GEMINO_SOURCE_DIR_FALLBACK for runs outside CTest.

#include <QFile>
#include <QString>

#include <vector>

namespace gemino::test {

inline QString iconFixture(const QString& name) {
    return qEnvironmentVariable("GEMINO_SOURCE_DIR", GEMINO_SOURCE_DIR_FALLBACK) +
           QStringLiteral("/tests/core/iconfile/fixtures/") + name;
}

inline std::vector<unsigned char> readIconFixture(const QString& name) {
    QFile file(iconFixture(name));
    const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return std::vector<unsigned char>(data.begin(), data.end());
}

} // namespace gemino::test
