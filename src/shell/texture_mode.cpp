// --texture OUT.png [ARCHIVE]: the 256 x 256 texture page as the viewer uploads it, RGBA with
// the transparent texels of palette index 0 kept.

#include <string>
#include <vector>

#include "console/console.h"
#include "model/model.h"
#include "shell/headless_modes.h"
#include "shell/mode_arguments.h"
#include "shell/model_loading.h"
#include "shell/output_file.h"
#include "texture/texture_page.h"

int runTextureMode(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2 || isOption(args[0]) ||
        (args.size() == 2 && isOption(args[1]))) {
        consolePrintf("usage: --texture OUT.png [ARCHIVE]\n");
        return 2;
    }
    const std::string& output = args[0];
    const char* archive = args.size() == 2 ? args[1].c_str() : nullptr;
    if (!archiveReadable(archive)) return 1;

    Model model;
    loadModel(model, archive);
    const TexturePage& page = model.texturePage();
    const std::vector<uint8_t> pixels(page.pixels.begin(), page.pixels.end());
    std::string error;
    if (!writePngFile(output, kTexturePageSize, kTexturePageSize, 4, pixels, error)) {
        consolePrintf("%s cannot be written: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
