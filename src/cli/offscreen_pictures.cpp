#include "cli/offscreen_pictures.h"

OffscreenPictures::OffscreenPictures(const PictureDescription& description)
    : description_(description), drawing_(description) {}

bool OffscreenPictures::open(std::string& error) {
    const bool transparent = description_.background.kind == PictureBackground::Transparent;
    if (!display_.open(error, transparent)) return false;
    context_ = std::make_unique<OffscreenContext>(display_, description_.surfaceWidth(),
                                                  description_.surfaceHeight());
    return context_->ready(error);
}
