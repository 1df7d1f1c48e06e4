#include "document/document.h"

#include <chrono>
#include <cstdio>

#include "io/file_reading.h"
#include "model/bone_node.h"
#include "source/source_reading.h"
#include "texture/texture_page.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A plain file read as the viewer's loaders read it, failing with their own lines.
Result<std::vector<uint8_t>> readAsLoaders(const Source& source) {
    const char* path = source.path.c_str();
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        return Failure{kSourceUnopened, "File cannot open. [" + source.path + "]\n" + source.path +
                                            " cannot found...\n"};
    }
    std::vector<uint8_t> bytes;
    const Result<> read = readArchiveFile(file, path, bytes);
    std::fclose(file);
    if (!read.ok()) return Failure{kSourceFailed, read.message};
    return bytes;
}

}  // namespace

bool Document::hasTexture() const {
    return model->texturePage().decodedImages > 0;
}

Document documentFromBytes(Source source, std::vector<uint8_t> bytes) {
    Document document;
    document.source = std::move(source);
    document.bytes = std::move(bytes);
    document.model = std::make_unique<Model>();
    Model& model = *document.model;

    auto start = Clock::now();
    document.archive = parseArchive(document.bytes);
    model.texturePage().decodeImages(document.bytes.data(), document.archive);
    document.texturesMs = msSince(start);

    start = Clock::now();
    model.buildSkeleton(document.bytes.data(), document.archive);
    model.loadedPose = Pose::capture(*model.rootNode());
    document.skeletonMs = msSince(start);
    return document;
}

Result<Document> loadDocument(const Source& source, UnreadLines lines) {
    if (lines == UnreadLines::Loaders && source.isPlainFile()) {
        Result<std::vector<uint8_t>> read = readAsLoaders(source);
        if (!read.ok()) return read.failure();
        return documentFromBytes(source, std::move(read).value());
    }
    std::vector<uint8_t> bytes;
    const Result<> read = readSource(source, bytes);
    if (!read.ok()) return read.failure();
    return documentFromBytes(source, std::move(bytes));
}
