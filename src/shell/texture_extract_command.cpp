#include "shell/texture_extract_command.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"
#include "source/source_reading.h"
#include "texture_io/texture_extraction.h"

namespace {

// The shown archive's bytes, read again: the loaders keep no copy of the file.
bool readShownArchive(std::vector<uint8_t>& bytes) {
    const Result<> read = readSource(sourceFromArgument(shownArchivePath), bytes);
    if (!read.ok()) consolePrintf("%s\n", read.message.c_str());
    return read.ok();
}

}  // namespace

void extractShownTextures() {
    std::string folder;
    if (!shellPlatform->chooseFolder("Extract textures to", folder)) return;
    std::vector<uint8_t> archive;
    if (!readShownArchive(archive)) return;
    const Result<TextureExtraction> result = extractTextures(archive.data(), archive.size());
    if (!result) {
        consolePrintf("%s: %s\n", shownArchiveName().c_str(), result.message.c_str());
        return;
    }
    const TextureExtraction& extracted = *result;
    const Result<> written = writeTextureFiles(folder, extracted.files);
    if (!written) {
        consolePrintf("%s\n", written.message.c_str());
        return;
    }
    consolePrintf("Extract textures : %s (%zu image%s, %zu files)\n", folder.c_str(),
                  extracted.imageCount, extracted.imageCount == 1 ? "" : "s",
                  extracted.files.size());
}
