// The comparison's entry point: an archive against itself, and against its own export brought
// back by the model import. Neither may show a difference.
#include <stdlib.h>
#include <tiny_gltf.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "document/document.h"
#include "entry_points.h"
#include "export/gltf_export.h"
#include "import/gltf_reading.h"
#include "import/model_import.h"
#include "inspect/archive_comparison.h"

namespace fuzz_entry {
namespace {

// The export writes files only: a private folder for the run, removed when the process ends.
const std::string& exportFolder() {
    // Never destroyed: the exit handler that removes the folder runs after static destructors.
    static const std::string* folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base ? base : "/tmp") + "/fuzz_diff_XXXXXX";
        check(::mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(*folder, ignored);
        });
        return new std::string(pattern);
    }();
    return *folder;
}

void checkNoDifference(const ArchiveComparison& c, const char* what) {
    bool entriesSame = true;
    for (const EntryComparison& entry : c.entries) {
        entriesSame = entriesSame && entry.change == EntryChange::Same;
    }
    check(c.same() && entriesSame && c.bones.empty() && c.textures.empty() && c.unread.total() == 0,
          what);
}

}  // namespace

int archiveDiff(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    Document a = documentFromBytes(Source::file("a.bin"), bytes);
    const Document again = documentFromBytes(Source::file("b.bin"), bytes);
    checkNoDifference(compareDocuments(a, again), "an archive differs from itself");
    if (!a.hasBones()) return 0;

    ExportInput input;
    input.root = a.model->rootNode();
    input.page = &a.model->texturePage();
    input.loaded = a.model->loadedPose;
    input.poses = {{"the loaded pose", a.model->loadedPose}};
    const std::string path = exportFolder() + "/model.glb";
    if (!exportGltf(input, path).ok()) return 0;
    tinygltf::Model doc;
    ModelImport back;
    const bool imported = readGltfFile(path, doc).empty() &&
                          importModel(a.bytes, a.archive, doc, back, a.model.get()).empty();
    std::remove(path.c_str());
    if (!imported) return 0;
    const Document returned = documentFromBytes(Source::file("back.bin"), std::move(back.archive));
    checkNoDifference(compareDocuments(a, returned),
                      "an archive differs from its own export brought back");
    return 0;
}

}  // namespace fuzz_entry
