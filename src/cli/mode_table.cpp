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
        {"--render", "OUT [--pose POSEFILE]... [--time T] [--quiet] [ARCHIVE]...",
         "Draws the three views of each archive, every part shown, as the viewer's windows show "
         "them, into one 960 x 720 PNG; a folder OUT gets NAME.png for each NAME.bin. With "
         "several POSEFILEs and --time, the sequence at T seconds as \"Play poses\" shows it.",
         declareRenderMode},
        {"--texture", "OUT [--quiet] [ARCHIVE]...",
         "Writes the decoded 256 x 256 texture page as an RGBA PNG; a folder OUT gets NAME.png "
         "for each NAME.bin.",
         declareTextureMode},
        {"--import-pose", "IN OUT [--time T] [--quiet] [ARCHIVE]",
         "Takes the pose of a .glb or .gltf (made by --export and posed in another tool) from "
         "its skin and writes it as a pose file of the archive. With --time, the first "
         "animation at T seconds; a folder OUT gets pose-000.bin, pose-001.bin, ... for each "
         "key time of the first animation. Prints \"Import pose : FILE\" for each file "
         "written.",
         declareImportPoseMode},
        {"--info", "[--json] [--quiet] [ARCHIVE]...",
         "Prints what each archive holds and what is wrong with it; --json gives one JSON "
         "document, or one JSON object per line for several archives.",
         declareInfoMode},
        {"--extract-textures", "DIR [ARCHIVE]...",
         "Writes every image of each archive as indexed PNGs of its full size, "
         "DIR/entry<E>-palette<M>.png for each of its palettes, and DIR/textures.json listing "
         "the images and the entries skipped; several archives get DIR/NAME/ each.",
         declareExtractTexturesMode},
        {"--replace-textures", "OUT --images DIR ARCHIVE",
         "Writes a copy of ARCHIVE to OUT in which each entry<E>-palette<M>.png of DIR gives "
         "entry E's pixel indices and its palette M; every other byte stays as it was. A file "
         "that does not fit its image refuses the whole run, and nothing is written.",
         declareReplaceTexturesMode},
    };
    return modes;
}
