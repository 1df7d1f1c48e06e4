#include "demo_scene.h"

#include <cstdio>

#include "demo/demo_archive.h"
#include "gl_test_support.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "texture/texture_page.h"

namespace gltest {

bool loadDemoModel(Model& model) {
    const int textures = model.texturePage().scanArchive(demoArchiveData(), demoArchiveSize());
    const int skeleton = model.parseSkeleton(demoArchiveData(), demoArchiveSize());
    for (PartMesh* part : model.partList()) part->setVisible(1);
    selectedBone = 0;
    return textures == 0 && skeleton == 0;
}

}  // namespace gltest
