#include "archive/archive.h"
#include "texture/texture_page.h"

void TexturePage::decodeImages(const uint8_t* data, const Archive& archive) {
    const BoundedReader bytes(data, archive.size);
    for (const ImageEntry& image : archive.images) {
        if (!image.inside) continue;
        decodeChecked(bytes.slice(image.start, image.end - image.start), image.check);
    }
}
