#pragma once

#include "core/engine/game.h"
#include "qt/imagesets/setimage.h"

#include <QString>

#include <array>
#include <memory>
#include <utility>

namespace gemino {

// The board's list of at most 20 images that the deal draws from.
class ImageSet : public ImageList {
public:
    int imageCount() const override { return imageCount_; }
    void swapImages(int a, int b) override;

    CSetImage* image(int i) const;

    // Releases every image; the count is left for the loader to set.
    void ReleaseImages();
    // Fills the list with the 20 icons (and, for flags, texts) of a built-in set.
    // A name that is none of the four yields 20 images without pictures.
    void LoadStandardSet(const std::string& name);

    // Adds an image at the end; the list takes ownership. At most kMaxImages.
    void append(std::unique_ptr<CSetImage> image);
    void setCount(int count) { imageCount_ = count; }
    // Exchanges the whole list with `other`, so a set loaded aside replaces this one at once.
    void swap(ImageSet& other) noexcept {
        images_.swap(other.images_);
        std::swap(imageCount_, other.imageCount_);
    }

private:
    std::array<std::unique_ptr<CSetImage>, kMaxImages> images_;
    int imageCount_ = 0;
};

} // namespace gemino
