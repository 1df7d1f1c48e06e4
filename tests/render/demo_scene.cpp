#include "demo_scene.h"

#include <cstdio>

#include "archive/archive.h"
#include "demo/demo_archive.h"
#include "gl_test_support.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "texture/texture_page.h"

namespace gltest {

bool loadDemoModel(Model& model) {
    const Archive archive = parseArchive(demoArchiveData(), demoArchiveSize());
    model.texturePage().decodeImages(demoArchiveData(), archive);
    model.buildSkeleton(demoArchiveData(), archive);
    const int textures = archive.texturesResult();
    const int skeleton = archive.skeletonResult();
    for (PartMesh* part : model.partList()) part->setVisible(1);
    selectedBone = 0;
    return textures == 0 && skeleton == 0;
}

}  // namespace gltest
