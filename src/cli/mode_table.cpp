#include "cli/mode_table.h"

const std::vector<CliMode>& cliModes() {
    static const std::vector<CliMode> modes = {
        {"--export", "OUT [--pose POSEFILE]... [--gltf] [--quiet] [ARCHIVE]...",
         "Writes each archive as glTF 2.0: the skeleton, the meshes skinned to it, the texture "
         "page and the pose. OUT ending in .glb is binary, .gltf is JSON with everything "
         "embedded; a folder OUT gets NAME.glb (NAME.gltf with --gltf) for each NAME.bin. The "
         "pose is the archive's own, or the first POSEFILE; two or more POSEFILEs also make the "
         "animation \"poses\", one pose file a second. Prints \"Export glTF : FILE\" for each "
         "file written.",
         declareExportMode},
        {"--render", "OUT [--pose POSEFILE] [--quiet] [ARCHIVE]...",
         "Draws the three views of each archive, every part shown, as the viewer's windows show "
         "them, into one 960 x 720 PNG; a folder OUT gets NAME.png for each NAME.bin.",
         declareRenderMode},
        {"--texture", "OUT [--quiet] [ARCHIVE]...",
         "Writes the decoded 256 x 256 texture page as an RGBA PNG; a folder OUT gets NAME.png "
         "for each NAME.bin.",
         declareTextureMode},
        {"--info", "[--json] [--quiet] [ARCHIVE]...",
         "Prints what each archive holds and what is wrong with it; --json gives one JSON "
         "document, or one JSON object per line for several archives.",
         declareInfoMode},
    };
    return modes;
}
