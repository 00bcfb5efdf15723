#pragma once

// A FIFO in a temporary folder, and a watcher that plays its writer whenever a reader turns up.
// Opening a FIFO for reading waits for a writer, so code that should never open one would hang
// a test; with the watcher the open returns, and `readerSeen()` tells on it.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gemino::test {

class FifoWatch {
public:
    explicit FifoWatch(const QString& name) : path_(dir_.filePath(name)) {
        const QByteArray encoded = QFile::encodeName(path_);
        created_ = ::mkfifo(encoded.constData(), 0600) == 0;
        watcher_ = std::jthread([this, encoded](std::stop_token stop) {
            while (!stop.stop_requested()) {
                if (const int fd = ::open(encoded.constData(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                    readerSeen_ = true;
                    ::close(fd);
                }
            }
        });
    }

    bool created() const { return created_; }
    QString path() const { return path_; }
    // Stops and joins the watcher first, so a reader it let through has been counted.
    bool readerSeen() {
        watcher_ = std::jthread();
        return readerSeen_;
    }

private:
    QTemporaryDir dir_;
    QString path_;
    bool created_ = false;
    std::atomic<bool> readerSeen_ = false;
    std::jthread watcher_; // last: stops and joins before the rest goes
};

} // namespace gemino::test
