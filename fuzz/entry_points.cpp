#include "entry_points.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/archive.h"
#include "archive/problem_table.h"
#include "archive_builder.h"
#include "document/document.h"
#include "import/gltf_reading.h"
#include "import/model_import.h"
#include "import/pose_import.h"
#include "io/byte_order.h"
#include "model/bone_node.h"
#include "model/model.h"
#include "model/part_mesh.h"
#include "model/pose_file.h"
#include "seed_inputs.h"
#include "texture/texture_page.h"
#include "texture_io/archive_images.h"
#include "texture_io/texture_extraction.h"
#include "texture_io/texture_replacement.h"
#include "tim/tim_entry.h"

namespace fuzz_entry {
namespace {

// Every line a loader gives is one line, with its end.
void checkLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        check(!line.empty() && line.find('\n') == line.size() - 1, "a loader line is not one line");
    }
}

void checkLoaderResult(int result) {
    check(result == 0 || result == -1, "a loader returned something other than 0 or -1");
}

// Every polygon the parser makes is whole: 3 or 4 corners, one colour per corner, and either no
// texture coordinates or one per corner; no polygon is left open.
void checkMesh(const PartMesh& mesh) {
    check(mesh.currentPolygon == -1, "a mesh was left with an open polygon");
    for (size_t i = 0; i < mesh.polygonCount(); ++i) {
        const PolygonView polygon = mesh.polygon(i);
        const size_t corners = polygon.cornerCount();
        check(corners == 3 || corners == 4, "a polygon without 3 or 4 corners");
        check(polygon.texCoordCount() == 0 || polygon.texCoordCount() == corners,
              "a polygon with some but not all texture coordinates");
    }
}

// Saving the loaded tree and loading it back changes no bit of any matrix.
void checkPoseRoundTrip(BoneNode& root) {
    const size_t nodes = poseNodeCount(root);
    const std::vector<uint8_t> saved = encodePose(root);
    check(saved.size() == nodes * kPoseRecordBytes, "a pose that is not 192 bytes a node");
    check(applyPose(root, saved.data(), saved.size()).loaded == 3 * nodes,
          "a matching pose did not load every matrix");
    check(encodePose(root) == saved, "a pose round trip changed a matrix");
}

TexturePage& scratchPage() {
    static TexturePage* page = new TexturePage;  // 256 KiB, kept for the whole run
    return *page;
}

}  // namespace

int skeletonArchive(const uint8_t* data, size_t size) {
    const Archive archive = parseArchive(data, size);
    Model model;
    model.buildSkeleton(data, archive);
    BoneNode* rootNode = model.rootNode();
    const std::vector<PartMesh*>& partList = model.partList();
    const std::vector<int32_t>& boneIndexList = model.boneIndexList();
    checkLoaderResult(archive.skeletonResult());
    checkLines(skeletonLoaderLines(archive));

    check(partList.size() == boneIndexList.size(), "partList and boneIndexList differ in length");
    for (size_t i = 0; i < boneIndexList.size(); ++i) {
        check(boneIndexList[i] == static_cast<int32_t>(i), "boneIndexList is not 0 .. n - 1");
    }
    for (const PartMesh* mesh : partList) checkMesh(*mesh);
    check(poseNodeCount(*rootNode) <= 1 + partList.size(), "more nodes in the tree than bones");
    checkPoseRoundTrip(*rootNode);
    return 0;
}

int timEntry(const uint8_t* data, size_t size) {
    const BoundedReader entry(data, size);
    const TimEntryCheck found = checkTimEntry(entry);
    scratchPage().decodeChecked(entry, found);
    std::vector<std::string> lines;
    for (const ArchiveProblem& problem : found.problems) lines.push_back(problemLine(problem));
    checkLines(lines);
    check(found.failed ==
              (!found.problems.empty() && found.problems.back().code != ProblemCode::TimWidth &&
               found.problems.back().code != ProblemCode::TimHeightPalette),
          "a failed entry without its problem");
    return 0;
}

int textureScan(const uint8_t* data, size_t size) {
    const Archive archive = parseArchive(data, size);
    scratchPage().decodeImages(data, archive);
    checkLoaderResult(archive.texturesResult());
    checkLines(textureLoaderLines(archive));
    return 0;
}

bool buildBones(Model& model, const uint8_t* archive, size_t size) {
    const Archive reading = parseArchive(archive, size);
    model.buildSkeleton(archive, reading);
    return reading.skeletonResult() == 0;
}

std::vector<uint8_t> textureReplaceInput(uint8_t entry, uint8_t palette,
                                         const std::vector<uint8_t>& archive,
                                         const std::vector<uint8_t>& png) {
    std::vector<uint8_t> input = {entry, palette};
    archive_builder::putLE32(input, static_cast<uint32_t>(archive.size()));
    input.insert(input.end(), archive.begin(), archive.end());
    input.insert(input.end(), png.begin(), png.end());
    return input;
}

int textureReplace(const uint8_t* data, size_t size) {
    constexpr size_t kHead = 6;
    if (size < kHead) return 0;
    const size_t archiveSize = std::min<size_t>(readLE32(data + 2), size - kHead);
    const uint8_t* archive = data + kHead;
    const TextureInput file{"f", textureFileName(data[0], data[1]),
                            std::vector<uint8_t>(archive + archiveSize, data + size)};
    const Result<TextureReplacement> replaced = replaceTextures(archive, archiveSize, {file}, "a");
    if (!replaced) {
        check(replaced.message.find('\n') == std::string::npos, "a refusal of more than one line");
        return 0;
    }
    const TextureReplacement& out = *replaced;
    // Only the image's pixel bytes and its palette may change, and the size never does.
    check(out.archive.size() == archiveSize, "the replacement changed the archive's size");
    const Result<ArchiveImages> images = listArchiveImages(archive, archiveSize);
    check(images.ok(), "a replacement into an archive whose table is refused");
    const ArchiveImage* image = images->find(data[0]);
    check(image != nullptr, "a replacement into an entry that is not an image");
    const size_t palette = image->paletteOffset(data[1]);
    for (size_t i = 0; i < archiveSize; ++i) {
        const bool inPixels =
            i >= image->pixelOffset() && i - image->pixelOffset() < image->pixelBytesHeld;
        const bool inPalette = i >= palette && i - palette < TimImage::kPaletteBytes;
        if (!inPixels && !inPalette) {
            check(out.archive[i] == archive[i], "a byte outside the image changed");
        } else if (inPalette && (i - palette) % 2 == 1) {
            check((out.archive[i] & 0x80) == (archive[i] & 0x80), "bit 15 of a colour changed");
        }
    }
    // Put back again, the image's own file changes nothing more.
    const Result<TextureExtraction> again = extractTextures(out.archive.data(), out.archive.size());
    check(again.ok(), "an archive a file was put back into has no image to take out");
    for (const TextureFile& extracted : again->files) {
        if (extracted.name != file.name) continue;
        const Result<TextureReplacement> same = replaceTextures(
            out.archive.data(), out.archive.size(), {{"g", file.name, extracted.bytes}}, "a");
        check(same.ok() && same->archive == out.archive,
              "an extracted file did not put back what it holds");
    }
    return 0;
}

const uint8_t* poseTreeArchive(size_t* size) {
    using namespace archive_builder;
    static const Bytes archive = [] {
        Skeleton skeleton;
        const uint16_t parents[] = {0, 0, 1, 3, 4, 0};  // bone i hangs under id parents[i]
        int16_t length = 10;
        for (uint16_t parent : parents) {
            Bone bone;
            bone.parent = parent;
            bone.length = length;
            length = static_cast<int16_t>(length + 7);
            skeleton.bones.push_back(bone);
        }
        AngleTable angles;
        angles.angles = {0, 16384, -32768, 1000, 32767, -5};
        return buildModelArchive(skeleton, angles);
    }();
    *size = archive.size();
    return archive.data();
}

int poseFile(const uint8_t* data, size_t size) {
    Model model;
    BoneNode* rootNode = model.rootNode();
    size_t archiveSize = 0;
    const uint8_t* archive = poseTreeArchive(&archiveSize);
    check(buildBones(model, archive, archiveSize), "the fixed pose tree did not load");
    check(poseNodeCount(*rootNode) == kPoseTreeNodes, "the fixed pose tree has the wrong shape");

    // Through the stream reader that "Load matrix" uses, which reads the file before it
    // touches the tree.
    const std::vector<uint8_t> before = encodePose(*rootNode);
    std::vector<uint8_t> copy(data, data + size);
    FILE* stream = size ? fmemopen(copy.data(), size, "rb") : std::fopen("/dev/null", "rb");
    check(stream != nullptr, "cannot open the pose file as a stream");
    const Result<PoseLoad> load = loadPoseStream(*rootNode, stream, nullptr);
    std::fclose(stream);
    const std::vector<uint8_t> after = encodePose(*rootNode);

    // Exactly the whole matrices the file holds are loaded, bit for bit; every other matrix
    // keeps every bit it had.
    const size_t matrices = before.size() / kPoseMatrixBytes;
    const size_t loaded = std::min(size / kPoseMatrixBytes, matrices);
    check(load.ok() && load->loaded == loaded, "a pose load miscounted its matrices");
    for (size_t k = 0; k < matrices; ++k) {
        const uint8_t* expected =
            k < loaded ? data + k * kPoseMatrixBytes : before.data() + k * kPoseMatrixBytes;
        check(std::memcmp(after.data() + k * kPoseMatrixBytes, expected, kPoseMatrixBytes) == 0,
              k < loaded ? "a loaded matrix differs from the file" : "a matrix was half written");
    }
    return 0;
}

int gltfImport(const uint8_t* data, size_t size) {
    static const archive_builder::Bytes archive = seed_inputs::soundArchive();
    Model model;
    BoneNode* rootNode = model.rootNode();
    check(buildBones(model, archive.data(), archive.size()), "the sound model did not load");
    const Pose loaded = Pose::capture(*rootNode);

    // Files beside the input are looked for in a folder that does not exist.
    tinygltf::Model doc;
    if (!parseGltf(std::vector<uint8_t>(data, data + size), "/nonexistent/", doc).empty()) return 0;
    GltfPoseSource source;
    if (!source.open(doc, *rootNode, loaded).empty()) return 0;
    std::vector<double> times{-1.0};
    if (source.animated()) {
        const std::vector<double> keys = source.keyTimes();
        for (size_t k = 0; k < keys.size() && k < 16; ++k) {
            times.push_back(keys[k]);
            if (k + 1 < keys.size()) times.push_back(0.5 * (keys[k] + keys[k + 1]));
        }
    }
    for (size_t k = 0; k < times.size(); ++k) {
        Pose pose;
        const std::string error = source.poseAt(k == 0 ? nullptr : &times[k], pose);
        if (!error.empty()) continue;
        check(pose.size() == loaded.size(), "an imported pose lacks a node");
        for (const Pose::Entry& entry : pose.entries()) {
            check(loaded.find(entry.boneId) != nullptr, "an imported pose has a stranger node");
        }
        pose.apply(*rootNode);
        checkPoseRoundTrip(*rootNode);
    }
    return 0;
}

int modelImport(const uint8_t* data, size_t size) {
    static const archive_builder::Bytes archive = seed_inputs::soundArchive();
    static const Archive reading = parseArchive(archive);
    tinygltf::Model doc;
    if (!parseGltf(std::vector<uint8_t>(data, data + size), "/nonexistent/", doc).empty()) return 0;
    ModelImport result;
    if (!importModel(archive, reading, doc, result).empty()) {
        check(result.archive.empty(), "a refused import left an archive");
        return 0;
    }
    if (result.editedParts == 0)
        check(result.archive == archive, "an unedited import changed bytes");
    // What is written loads as the original did: the same bones, no new problem, whole
    // polygons, and every bone with a mesh still has a readable one.
    const Archive back = parseArchive(result.archive);
    check(back.skeletonRead && back.bones.size() == reading.bones.size() &&
              back.problems.size() == reading.problems.size(),
          "the archive written does not load as the original");
    for (size_t b = 0; b < back.bones.size(); ++b) {
        check(reading.bones[b].block < 0 || back.bones[b].block >= 0, "a bone lost its mesh");
    }
    const Document document = documentFromBytes(Source(), result.archive);
    for (const PartMesh* mesh : document.model->partList()) checkMesh(*mesh);
    return 0;
}

}  // namespace fuzz_entry
