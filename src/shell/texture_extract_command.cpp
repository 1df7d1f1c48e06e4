#include "shell/texture_extract_command.h"

#include <string>
#include <vector>

#include "console/console.h"
#include "shell/shell_platform.h"
#include "shell/viewer_state.h"
#include "texture_io/texture_extraction.h"

void extractShownTextures(ViewerState& viewer) {
    std::string folder;
    if (!viewer.platform->chooseFolder("Extract textures to", folder)) return;
    const std::vector<uint8_t>& archive = viewer.document.bytes;
    const Result<TextureExtraction> result = extractTextures(archive.data(), archive.size());
    if (!result) {
        consolePrintf("%s: %s\n", viewer.shownArchiveName().c_str(), result.message.c_str());
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
