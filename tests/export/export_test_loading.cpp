// Apart from the archive's recipe: the reading's names would clash with the builder's.
#include "archive/archive.h"
#include "export_test_archive.h"
#include "model/model.h"
#include "texture/texture_page.h"

void loadExportTestArchive(Model& model) {
    const archive_builder::Bytes archive = buildExportTestArchive();
    const Archive reading = parseArchive(archive);
    model.texturePage().decodeImages(archive.data(), reading);
    model.buildSkeleton(archive.data(), reading);
}
