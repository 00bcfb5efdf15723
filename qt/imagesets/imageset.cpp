#include "qt/imagesets/imageset.h"

#include "core/engine/expects.h"
#include "core/imagesets/standardsets.h"

#include <utility>

namespace gemino {

void ImageSet::swapImages(int a, int b) {
    std::swap(images_[a], images_[b]);
}

CSetImage* ImageSet::image(int i) const {
    return i >= 0 && i < imageCount_ ? images_[i].get() : nullptr;
}

void ImageSet::ReleaseImages() {
    for (auto& image : images_) {
        image.reset();
    }
}

void ImageSet::LoadStandardSet(const std::string& name) {
    ReleaseImages();
    imageCount_ = kMaxImages;
    const auto* icons = standardSetIcons(name);
    const auto* texts = standardSetTexts(name);
    for (int k = 0; k < kMaxImages; ++k) {
        images_[k] = std::make_unique<CSetImage>();
        if (icons) {
            images_[k]->LoadResourceIcon((*icons)[k]);
        }
        if (texts) {
            images_[k]->text = QString::fromUtf8((*texts)[k]);
        }
        images_[k]->description = QString::fromStdString(standardImageDescription(name, k));
    }
}

void ImageSet::append(std::unique_ptr<CSetImage> image) {
    int slot = 0;
    while (slot < kMaxImages && images_[slot]) {
        ++slot;
    }
    GEMINO_EXPECTS(slot < kMaxImages);
    images_[slot] = std::move(image);
}

} // namespace gemino
