#include "model/model.h"
#include "texture/texture_page.h"

int Model::loadTextures(const char* path) {
    return texturePage_->scanArchive(path);
}
