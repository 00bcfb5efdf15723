#include "qt/imagesets/pictureloader.h"

#include "qt/imagesets/setimage.h"
#include "qt/platform/icondecode.h"
#include "qt/platform/picturefile.h"

#include <QFutureWatcher>
#include <QImage>
#include <QPixmap>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <utility>

namespace gemino {

namespace {

struct Job {
    QString path;
    int size = 0;
    std::vector<unsigned char> ico;
};

struct Decoded {
    bool icon = false;
    QImage bitmap;
    std::vector<IconImage> iconImages;
};

// Runs on a worker thread: images only, never pixmaps.
Decoded decode(const Job& job) {
    if (!job.ico.empty()) {
        return {true, {}, decodeIcoImages(job.ico)};
    }
    return {false, loadPictureImage(job.path, job.size), {}};
}

} // namespace

struct PictureLoader::Batch {
    std::vector<Job> jobs;
    std::vector<std::vector<CSetImage*>> images;
    std::vector<std::uint64_t> tickets;
    QFutureWatcher<Decoded> watcher;
    bool started = false;
};

PictureLoader::PictureLoader(QObject* parent)
    : QObject(parent), pool_(std::make_unique<QThreadPool>()) {
    pool_->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

PictureLoader::~PictureLoader() {
    cancelAll();
    // The pool waits for the decodes under way; each is bounded by the checks before it.
}

void PictureLoader::request(std::vector<PictureRequest> requests) {
    // Batches whose every picture has arrived are done with.
    std::erase_if(batches_, [](const std::unique_ptr<Batch>& b) {
        return b->started && b->watcher.isFinished();
    });
    auto batch = std::make_unique<Batch>();
    for (PictureRequest& r : requests) {
        if (r.images.empty() || (r.ico.empty() && r.path.isEmpty())) {
            continue;
        }
        const std::uint64_t ticket = nextTicket_++;
        for (const CSetImage* image : r.images) {
            latest_[image] = ticket;
        }
        batch->jobs.push_back({r.path, r.size, std::move(r.ico)});
        batch->images.push_back(std::move(r.images));
        batch->tickets.push_back(ticket);
    }
    if (batch->jobs.empty()) {
        return;
    }
    batches_.push_back(std::move(batch));
    if (!held_) {
        start(*batches_.back());
    }
}

void PictureLoader::start(Batch& batch) {
    batch.started = true;
    connect(&batch.watcher, &QFutureWatcher<Decoded>::resultReadyAt, this,
            [this, b = &batch](int index) { deliver(*b, index); });
    batch.watcher.setFuture(QtConcurrent::mapped(pool_.get(), std::move(batch.jobs), decode));
}

void PictureLoader::deliver(Batch& batch, int index) {
    const Decoded decoded = batch.watcher.resultAt(index);
    const std::uint64_t ticket = batch.tickets[static_cast<std::size_t>(index)];
    for (CSetImage* image : batch.images[static_cast<std::size_t>(index)]) {
        const auto waiting = latest_.find(image);
        if (waiting == latest_.end() || waiting->second != ticket) {
            continue; // a newer request for it is on its way
        }
        latest_.erase(waiting);
        if (decoded.icon) {
            image->setIcon(iconFromImages(decoded.iconImages));
        } else {
            image->setBitmap(decoded.bitmap.isNull() ? QPixmap()
                                                     : QPixmap::fromImage(decoded.bitmap));
        }
        emit pictureArrived(image);
    }
    if (latest_.empty()) {
        emit allArrived();
    }
}

void PictureLoader::cancelAll() {
    for (const std::unique_ptr<Batch>& batch : batches_) {
        batch->watcher.disconnect(this);
        batch->watcher.cancel();
    }
    batches_.clear();
    latest_.clear();
}

void PictureLoader::hold() {
    held_ = true;
}

void PictureLoader::release() {
    held_ = false;
    for (const std::unique_ptr<Batch>& batch : batches_) {
        if (!batch->started) {
            start(*batch);
        }
    }
}

} // namespace gemino
