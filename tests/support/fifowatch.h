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
    explicit FifoWatch(const QString& name)
        : path_(dir_.filePath(name)), encoded_(QFile::encodeName(path_)) {
        created_ = ::mkfifo(encoded_.constData(), 0600) == 0;
        watcher_ = std::jthread([this](std::stop_token stop) {
            while (!stop.stop_requested()) {
                const int fd = ::open(encoded_.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    readerSeen_ = true;
                    ::close(fd);
                }
            }
        });
    }

    bool created() const { return created_; }
    QString path() const { return path_; }
    // Stops the watcher first, so a reader it let through has been counted.
    bool readerSeen() {
        if (watcher_.joinable()) {
            watcher_.request_stop();
            watcher_.join();
        }
        return readerSeen_;
    }

private:
    QTemporaryDir dir_;
    QString path_;
    QByteArray encoded_;
    bool created_ = false;
    std::atomic<bool> readerSeen_ = false;
    std::jthread watcher_; // last: stops and joins before the rest goes
};

} // namespace gemino::test
