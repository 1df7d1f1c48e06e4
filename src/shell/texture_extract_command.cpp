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
    const TextureExtraction extracted = extractTextures(archive.data(), archive.size());
    const std::string name = viewer.shownArchiveName();
    if (!extracted.error.empty()) {
        consolePrintf("%s: %s\n", name.c_str(), extracted.error.c_str());
        return;
    }
    std::string error;
    if (!writeTextureFiles(folder, extracted.files, error)) {
        consolePrintf("%s\n", error.c_str());
        return;
    }
    consolePrintf("Extract textures : %s (%zu image%s, %zu files)\n", folder.c_str(),
                  extracted.imageCount, extracted.imageCount == 1 ? "" : "s",
                  extracted.files.size());
}
