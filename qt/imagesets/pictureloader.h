#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

class QThreadPool;

namespace gemino {

class CSetImage;

// One picture to decode off the window's thread, and the images waiting for it.
struct PictureRequest {
    QString path;                   // a picture file, decoded at size x size,
    int size = 0;                   //
    std::vector<unsigned char> ico; // or, when not empty, an icon group as an ICO stream
    std::vector<CSetImage*> images; // the images it is for (several when entries share it)
};

// Decodes pictures on worker threads, one per core, and gives each image its picture on the
// window's thread as it arrives. The images must outlive their requests: whoever replaces
// them calls cancelAll() first.
class PictureLoader : public QObject {
    Q_OBJECT
public:
    explicit PictureLoader(QObject* parent = nullptr);
    ~PictureLoader() override;

    // Queues the requests. An image given a new request takes only the newest one's picture.
    // While held, requests wait; the decoding starts when the loader is released.
    void request(std::vector<PictureRequest> requests);
    // Forgets every request: their images are about to go. Decodes under way finish unseen.
    void cancelAll();
    // Holds back the decoding (while the window is not yet painted), or lets it go.
    void hold();
    void release();

    // Images still waiting for a picture.
    int pending() const { return static_cast<int>(latest_.size()); }

signals:
    // `image` has its picture now, or is known to have none.
    void pictureArrived(const CSetImage* image);
    // No image waits any more.
    void allArrived();

private:
    struct Batch;
    void start(Batch& batch);
    void deliver(Batch& batch, int index);

    std::unique_ptr<QThreadPool> pool_;
    std::vector<std::unique_ptr<Batch>> batches_;
    // The newest request of each waiting image.
    std::unordered_map<const CSetImage*, std::uint64_t> latest_;
    std::uint64_t nextTicket_ = 1;
    bool held_ = false;
};

} // namespace gemino
