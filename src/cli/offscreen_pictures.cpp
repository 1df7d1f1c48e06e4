#include "cli/offscreen_pictures.h"

OffscreenPictures::OffscreenPictures(const PictureDescription& description)
    : description_(description), drawing_(description) {}

Result<> OffscreenPictures::open() {
    const bool transparent = description_.background.kind == PictureBackground::Transparent;
    const Result<> opened = display_.open(transparent);
    if (!opened) return opened;
    context_ = std::make_unique<OffscreenContext>(display_, description_.surfaceWidth(),
                                                  description_.surfaceHeight());
    return context_->ready();
}
