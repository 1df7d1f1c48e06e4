#include "seed_inputs.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "entry_points.h"
#include "export/gltf_export.h"
#include "io/file_reading.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/pose_file.h"
#include "texture_io/texture_extraction.h"
#include "texture_io/texture_replacement.h"

namespace seed_inputs {

using namespace archive_builder;

namespace {

Vertex vertex(int16_t x, int16_t y, int16_t z) {
    Vertex v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

// Four vertices and every polygon group, with the bends the parser must honour: a textured
// triangle word with upper bits set, a row offset that pushes v past 255, vertex fields with
// low bits set.
MeshBlock fullMesh() {
    MeshBlock mesh;
    mesh.vertices = {vertex(0, 0, 0), vertex(100, 0, 0), vertex(100, 100, 0), vertex(0, 100, -50)};
    for (uint8_t i = 0; i < 3; ++i) {
        TexturedTriangle t;
        t.v = {vref(0), static_cast<uint16_t>(vref(1) + 3), vref(2)};
        t.uv = {UV{0, 0}, UV{static_cast<uint8_t>(16 * i), 15}, UV{15, 250}};
        t.rowOffset = static_cast<uint8_t>(16 * i);
        mesh.texturedTriangles.push_back(t);
    }
    mesh.texturedTriangleUpperBits = 1;  // the word reads 0x103: still 3 triangles
    TexturedQuad q;
    q.v = {vref(0), vref(1), vref(2), vref(3)};
    q.uv = {UV{0, 0}, UV{63, 0}, UV{0, 63}, UV{63, 250}};
    q.rowOffset = 16;
    mesh.texturedQuads.push_back(q);
    ShadedTriangle st;
    st.v = {vref(3), vref(2), vref(1)};
    st.rgb = {RGB{255, 255, 255}, RGB{128, 0, 0}, RGB{0, 0, 1}};
    mesh.shadedTriangles.push_back(st);
    ShadedQuad sq;
    sq.v = {vref(0), vref(1), vref(2), vref(3)};
    sq.rgb = {RGB{1, 2, 3}, RGB{4, 5, 6}, RGB{7, 8, 9}, RGB{10, 11, 12}};
    mesh.shadedQuads.push_back(sq);
    return mesh;
}

// One vertex with L = 12: the next group starts at 12, not 16.
MeshBlock oddLengthMesh() {
    MeshBlock mesh;
    mesh.vertices = {vertex(-5, 7, 9)};
    mesh.vertexListLength = 12;
    ShadedTriangle st;
    st.v = {vref(0), 0x0003, vref(0)};
    mesh.shadedTriangles.push_back(st);
    return mesh;
}

Bone bone(uint16_t parent, int16_t length, std::optional<MeshBlock> mesh = std::nullopt) {
    Bone b;
    b.parent = parent;
    b.length = length;
    b.mesh = std::move(mesh);
    return b;
}

Bytes truncated(const Bytes& bytes, size_t length) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(std::min(length, bytes.size())));
}

// The sound archive with one mesh whose group counts are bent.
Bytes archiveWithMesh(const MeshBlock& mesh) {
    Skeleton skeleton;
    skeleton.bones = {bone(0, 10, mesh)};
    AngleTable angles;
    angles.angles = {100};
    return buildModelArchive(skeleton, angles);
}

archive_builder::Archive soundEntries() {
    archive_builder::Archive archive;
    Bytes filler;
    putLE32(filler, 0);
    archive.entries = {soundSkeleton().bytes(), filler, soundAngles().bytes()};
    for (const TimImage& image : soundImages()) archive.entries.push_back(image.bytes());
    archive.entries.push_back(filler);
    return archive;
}

TimImage image(uint8_t palettes, uint16_t widthUnits, uint16_t height) {
    TimImage tim;
    tim.paletteCount = palettes;
    tim.widthUnits = widthUnits;
    tim.height = height;
    for (size_t i = 0; i < 16u * palettes; ++i) {
        tim.palettes.push_back(rgb15(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3),
                                     static_cast<uint8_t>(31 - i)));
    }
    const int width = 4 * widthUnits;
    for (int y = 0; y < height && y < 64; ++y) {
        for (int x = 0; x < width && x < 64; ++x)
            tim.setIndex(x, y, static_cast<uint8_t>((x + y) & 15));
    }
    return tim;
}

}  // namespace

Skeleton soundSkeleton() {
    Skeleton skeleton;
    skeleton.bones = {
        bone(0, 20, fullMesh()),        // bone 0 under the root
        bone(1, -15, oddLengthMesh()),  // bone 1 under bone 0
        bone(0, 5),                     // bone 2 under the root, no mesh
        bone(5, 3, fullMesh()),         // bone 3: its parent is a later bone, so it stays out
        bone(3, 8, MeshBlock{}),        // bone 4 under bone 2, an all-zero block
    };
    return skeleton;
}

AngleTable soundAngles() {
    AngleTable angles;
    angles.angles = {0, 16384, -32768, 32767, 1000};
    return angles;
}

std::vector<TimImage> soundImages() {
    return {image(2, 4, 8), image(1, 2, 4)};
}

Bytes soundArchive() {
    return buildModelArchive(soundSkeleton(), soundAngles(), soundImages());
}

std::vector<NamedInput> archiveSeeds() {
    std::vector<NamedInput> seeds;
    const Bytes sound = soundArchive();
    seeds.push_back({"sound-model", sound});
    {
        Skeleton skeleton;
        skeleton.bones = {bone(0, 1)};
        AngleTable angles;
        angles.angles = {0};
        seeds.push_back({"sound-one-bone", buildModelArchive(skeleton, angles)});
        seeds.push_back({"sound-no-bones", buildModelArchive(Skeleton{}, AngleTable{})});
        archive_builder::Archive two;
        two.entries = {soundSkeleton().bytes(), Bytes(4, 0)};
        seeds.push_back({"sound-two-entries", two.bytes()});
    }

    {
        archive_builder::Archive
            archive;  // every TIM variant as an entry of one archive, for the texture scan
        archive.entries = {soundSkeleton().bytes(), Bytes(4, 0), soundAngles().bytes()};
        for (const NamedInput& tim : timSeeds()) archive.entries.push_back(tim.bytes);
        archive.entries.push_back(Bytes(4, 0));
        seeds.push_back({"sound-every-image", archive.bytes()});
    }

    // Counts.
    seeds.push_back({"count-zero-entries", Bytes(4, 0)});
    const std::pair<const char*, int32_t> boneCounts[] = {
        {"beyond-records", 1000}, {"negative", -1}, {"max", std::numeric_limits<int32_t>::max()}};
    for (const auto& [name, bones] : boneCounts) {
        Skeleton skeleton = soundSkeleton();
        skeleton.boneCountOverride = bones;
        seeds.push_back(
            {std::string("count-bones-") + name, buildModelArchive(skeleton, soundAngles())});
    }
    for (uint32_t entries : {255u, 256u, 0xFFFFFFFFu}) {
        archive_builder::Archive archive = soundEntries();
        archive.countOverride = entries;
        seeds.push_back({"count-entries-" + std::to_string(entries), archive.bytes()});
    }
    {
        // The builder pads the vertex list to its length word, so a huge L is patched in.
        Bytes huge = archiveWithMesh(fullMesh());
        setLE32(huge, entryOffsets(huge)[0] + 12 + 8, 0xFFFFFFFF);
        seeds.push_back({"count-vertex-length-max", huge});
        MeshBlock mesh = fullMesh();
        mesh.texturedTriangleWord = 0xFFFFFFFF;
        seeds.push_back({"count-textured-triangles-255", archiveWithMesh(mesh)});
        mesh = fullMesh();
        mesh.texturedQuadCount = 0x7FFFFFFF;
        seeds.push_back({"count-textured-quads-max", archiveWithMesh(mesh)});
        mesh = fullMesh();
        mesh.shadedTriangleCount = 0x7FFFFFFF;
        seeds.push_back({"count-shaded-triangles-max", archiveWithMesh(mesh)});
        mesh = fullMesh();
        mesh.shadedQuadCount = 0x7FFFFFFF;
        seeds.push_back({"count-shaded-quads-max", archiveWithMesh(mesh)});
        mesh = fullMesh();
        // Negative as signed counts: these groups read no records.
        mesh.texturedQuads.clear();
        mesh.texturedQuadCount = 0x80000000u;
        mesh.shadedTriangles.clear();
        mesh.shadedTriangleCount = 0xFFFFFFFFu;
        seeds.push_back({"count-groups-negative", archiveWithMesh(mesh)});
    }

    // Offsets.
    {
        archive_builder::Archive archive = soundEntries();
        archive.offsetOverrides = {0xFFFFFF00u};
        seeds.push_back({"offset-skeleton-past-end", archive.bytes()});
        archive = soundEntries();
        archive.offsetOverrides = {std::nullopt, std::nullopt,
                                   static_cast<uint32_t>(sound.size() + 100)};
        seeds.push_back({"offset-angles-past-end", archive.bytes()});
        archive = soundEntries();
        archive.offsetOverrides = {std::nullopt, std::nullopt, std::nullopt, 0x7FFFFFF0u};
        seeds.push_back({"offset-texture-past-end", archive.bytes()});
        archive = soundEntries();
        archive.offsetOverrides.resize(5);
        archive.offsetOverrides[4] = 0xFFFFFFFFu;  // the first image ends past the file
        seeds.push_back({"offset-texture-end-past-end", archive.bytes()});
        archive = soundEntries();
        archive.countOverride = 60;  // the offset table runs past the entries and the file
        seeds.push_back({"offset-table-past-end", truncated(archive.bytes(), 120)});
    }
    {
        Skeleton skeleton = soundSkeleton();
        skeleton.bones[0].meshOffsetOverride = 0xFFFFFFF0u;
        skeleton.bones[1].meshOffsetOverride = static_cast<uint32_t>(skeleton.bytes().size() - 1);
        seeds.push_back({"offset-mesh-past-end", buildModelArchive(skeleton, soundAngles())});
        MeshBlock mesh = fullMesh();
        mesh.shadedQuads[0].v[3] = 0xFFF8;  // vertex 8191 of a four-vertex list
        mesh.texturedTriangles[1].v[0] = vref(4);
        seeds.push_back({"offset-vertex-past-list", archiveWithMesh(mesh)});
    }

    // Entries out of order.
    {
        const std::vector<uint32_t> at = entryOffsets(sound);
        archive_builder::Archive archive = soundEntries();
        archive.offsetOverrides = {at[2], std::nullopt, at[0]};
        seeds.push_back({"order-skeleton-after-angles", archive.bytes()});
        archive = soundEntries();
        archive.offsetOverrides.resize(at.size());
        for (size_t i = 0; i < at.size(); ++i) archive.offsetOverrides[i] = at[at.size() - 1 - i];
        seeds.push_back({"order-entries-reversed", archive.bytes()});
        archive = soundEntries();
        archive.offsetOverrides.resize(5);
        archive.offsetOverrides[4] = at[3] + 8;  // the first image ends inside its own header
        seeds.push_back({"order-texture-overlaps-next", archive.bytes()});
        Skeleton skeleton;
        for (uint16_t i = 0; i < 6; ++i) skeleton.bones.push_back(bone(i + 2, 4));
        seeds.push_back({"order-parents-later", buildModelArchive(skeleton, soundAngles())});
    }

    // Truncation at the structure boundaries of the sound archive.
    {
        const std::vector<uint32_t> at = entryOffsets(sound);
        const size_t s = at[0], records = s + 12,
                     meshes = records + 8 * soundSkeleton().bones.size();
        const MeshBlock mesh = fullMesh();
        const size_t g1 = 4 + 8 * mesh.vertices.size();
        const size_t g2 = g1 + 4 + 16 * mesh.texturedTriangles.size();
        const size_t g3 = g2 + 4 + 20 * mesh.texturedQuads.size();
        const size_t g4 = g3 + 4 + 20 * mesh.shadedTriangles.size();
        const std::vector<std::pair<std::string, size_t>> cuts = {
            {"count", 2},
            {"table", 4 + 6},
            {"section-header", s + 6},
            {"bone-record", records + 8 + 3},
            {"records-end", meshes},
            {"vertex-list", meshes + g1 - 3},
            {"textured-triangles", meshes + g1 + 4 + 7},
            {"textured-quads", meshes + g2 + 2},
            {"shaded-triangles", meshes + g3 + 4 + 19},
            {"shaded-quads", meshes + g4 + 4 + 12},
            {"angle-table", at[2] + 4 + 3},
            {"texture-header", at[3] + 10},
            {"texture-palette", at[3] + 20 + 33},
            {"texture-pixels", at[4] - 5},
            {"last-byte", sound.size() - 1},
        };
        for (const auto& [name, length] : cuts) {
            seeds.push_back({"truncated-" + name, truncated(sound, length)});
        }
    }
    return seeds;
}

std::vector<NamedInput> timSeeds() {
    std::vector<NamedInput> seeds;
    auto add = [&](const std::string& name, const TimImage& tim) {
        seeds.push_back({name, tim.bytes()});
    };
    add("sound-one-palette", image(1, 2, 4));
    add("sound-four-palettes-height-64", image(4, 1, 64));
    add("sound-seven-palettes", image(7, 3, 5));
    add("warn-five-palettes-height-64", image(5, 1, 64));
    add("warn-width-260", image(1, 65, 1));
    TimImage tim = image(1, 0, 0);
    add("edge-zero-size", tim);
    tim = image(0, 2, 2);
    tim.clutLength = 20;
    add("edge-zero-palettes", tim);
    tim = image(1, 2, 2);
    tim.clutLength = 20;
    add("edge-clut-length-20", tim);
    tim = image(7, 2, 2);
    tim.clutLength = 256;
    add("edge-clut-length-256", tim);
    for (uint32_t length : {19u, 0x10Cu, 0xFFFFFFFFu}) {
        tim = image(1, 2, 2);
        tim.clutLength = length;
        add("error-clut-length-" + std::to_string(length), tim);
    }
    tim = image(1, 2, 2);
    tim.flags = 9;
    add("error-flags-9", tim);
    tim = image(1, 2, 2);
    tim.id = 17;
    add("error-id-17", tim);
    for (size_t length : {0, 4, 10, 30, 58, 60}) {
        tim = image(1, 2, 4);
        tim.truncateTo = length;
        add("truncated-at-" + std::to_string(length), tim);
    }
    tim = image(1, 2, 4);
    tim.truncateTo = tim.bytes().size() - 3;
    add("truncated-pixels", tim);
    tim = image(255, 1, 1);
    tim.clutLength = 256;
    tim.truncateTo = 600;
    add("truncated-255-palettes", tim);
    tim = image(1, 1, 0xFFFF);
    tim.truncateTo = 200;
    add("truncated-height-max", tim);
    tim = image(1, 0xFFFF, 1);
    tim.truncateTo = 200;
    add("truncated-width-max", tim);
    return seeds;
}

std::vector<NamedInput> textureReplaceSeeds() {
    std::vector<NamedInput> seeds;
    const Bytes archive = soundArchive();
    const Result<TextureExtraction> extracted = extractTextures(archive.data(), archive.size());
    if (!extracted) return seeds;
    for (const TextureFile& file : extracted->files) {
        uint32_t entry = 0;
        int palette = 0;
        const std::string stem = file.name.substr(0, file.name.find('.'));
        if (!parseTextureFileName(file.name, entry, palette)) {
            // textures.json as the file: a refusal, not a PNG.
            seeds.push_back(
                {"refused-" + stem, fuzz_entry::textureReplaceInput(3, 0, archive, file.bytes)});
            continue;
        }
        const auto input = [&](uint8_t e, uint8_t m) {
            return fuzz_entry::textureReplaceInput(e, m, archive, file.bytes);
        };
        seeds.push_back({"sound-" + stem, input(entry, palette)});
        seeds.push_back({"refused-" + stem + "-as-entry0", input(0, palette)});
    }
    return seeds;
}

std::vector<NamedInput> poseSeeds() {
    Model model;
    BoneNode* rootNode = model.rootNode();
    size_t size = 0;
    const uint8_t* archive = fuzz_entry::poseTreeArchive(&size);
    fuzz_entry::buildBones(model, archive, size);
    const Bytes exact = encodePose(*rootNode);

    std::vector<NamedInput> seeds;
    seeds.push_back({"sound-exact", exact});
    seeds.push_back({"empty", {}});
    seeds.push_back({"short-one-record", truncated(exact, kPoseRecordBytes)});
    seeds.push_back({"short-inside-matrix", truncated(exact, 2 * kPoseRecordBytes + 64 + 30)});
    seeds.push_back({"short-last-byte", truncated(exact, exact.size() - 1)});
    Bytes longer = exact;
    longer.insert(longer.end(), 100, 0xAB);
    seeds.push_back({"long-extra-bytes", longer});

    Bytes special = exact;
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::denorm_min(),
                            -0.0f,
                            std::numeric_limits<float>::max()};
    for (size_t i = 0; i < sizeof values / sizeof values[0]; ++i) {
        std::memcpy(special.data() + 64 * (3 * i + 1) + 4 * (i % 16), &values[i], 4);
    }
    const uint8_t signalingNan[4] = {0x01, 0x00, 0x80, 0x7F};
    std::memcpy(special.data() + 200, signalingNan, 4);
    seeds.push_back({"nonfinite-nan-inf", special});
    return seeds;
}

std::vector<NamedInput> gltfSeeds() {
    Model model;
    BoneNode* rootNode = model.rootNode();
    const Bytes archive = soundArchive();
    fuzz_entry::buildBones(model, archive.data(), archive.size());
    ExportInput input;
    input.root = rootNode;
    input.page = &model.texturePage();
    input.loaded = Pose::capture(*rootNode);
    Matrix4 turn = rotationAboutZ(0.7);
    turn[12] = 5.0f;
    input.poses.push_back({"loaded", input.loaded});
    rootNode->rotateBone(turn, 2);
    rootNode->translateBone(turn, 3);
    input.poses.push_back({"turned", Pose::capture(*rootNode)});
    rootNode->rotateBone(rotationAboutX(-1.2), 1);
    input.poses.push_back({"turned again", Pose::capture(*rootNode)});

    // The export writes files only; each goes to a scratch folder and is read back.
    char folder[] = "/tmp/veldraxis-gltf-seeds-XXXXXX";
    std::vector<NamedInput> seeds;
    if (!mkdtemp(folder)) return seeds;
    auto add = [&](const std::string& name, const std::vector<ExportPose>& poses) {
        ExportInput one = input;
        one.poses = poses;
        const std::string path = std::string(folder) + "/" + name;
        FILE* file = exportGltf(one, path).ok() ? std::fopen(path.c_str(), "rb") : nullptr;
        if (!file) return;
        seeds.push_back({name, readUpTo(file, size_t{1} << 24).bytes});
        std::fclose(file);
        std::remove(path.c_str());
    };
    add("sound-posed.glb", {input.poses[1]});
    add("sound-posed.gltf", {input.poses[2]});
    add("sound-animation.glb", input.poses);
    rmdir(folder);
    return seeds;
}

namespace {

MeshBlock oneTriangle() {
    MeshBlock mesh;
    mesh.vertices = {vertex(0, 0, 0), vertex(10, 0, 0), vertex(0, 10, 0)};
    ShadedTriangle triangle;
    triangle.v = {vref(0), vref(1), vref(2)};
    triangle.rgb = {RGB{255, 0, 0}, RGB{0, 255, 0}, RGB{0, 0, 255}};
    mesh.shadedTriangles.push_back(triangle);
    return mesh;
}

Bytes bonesWithParents(size_t count, uint16_t (*parentOf)(size_t)) {
    Skeleton skeleton;
    AngleTable angles;
    const uint32_t sharedBlock = static_cast<uint32_t>(12 + 8 * count);
    for (size_t i = 0; i < count; ++i) {
        Bone b = bone(parentOf(i), static_cast<int16_t>(i));
        if (i == 0) {
            b.mesh = oneTriangle();
        } else {
            b.meshOffsetOverride = sharedBlock;
        }
        skeleton.bones.push_back(b);
        angles.angles.push_back(static_cast<int16_t>(i));
    }
    return buildModelArchive(skeleton, angles);
}

}  // namespace

Bytes bonesUnderRoot(size_t count) {
    return bonesWithParents(count, [](size_t) -> uint16_t { return 0; });
}

Bytes boneChain(size_t count) {
    return bonesWithParents(count,
                            [](size_t i) { return static_cast<uint16_t>(i < 65536 ? i : 65535); });
}

Bytes archiveOf64MiB() {
    constexpr size_t kArchiveBytes = 64u << 20;
    archive_builder::Archive archive = soundEntries();
    archive.entries.insert(archive.entries.end() - 1, Bytes{});  // the huge image, sized below
    const size_t withoutImage = archive.bytes().size();
    TimImage huge;
    huge.widthUnits = 0xFFFF;
    huge.height = 0xFFFF;
    huge.palettes = {0, rgb15(31, 31, 31)};
    huge.setIndex(0, 0, 1);  // white corners of the part that lands on the page
    huge.setIndex(255, 255, 1);
    huge.truncateTo = kArchiveBytes - withoutImage;
    archive.entries[archive.entries.size() - 2] = huge.bytes();
    return archive.bytes();
}

std::vector<NamedInput> largeArchives() {
    return {{"size-65535-bones-under-root", bonesUnderRoot(65535)},
            {"size-100000-bones-chained", boneChain(100000)},
            {"size-64MiB", archiveOf64MiB()}};
}

}  // namespace seed_inputs
