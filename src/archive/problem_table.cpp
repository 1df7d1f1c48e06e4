#include "archive/problem_table.h"

#include <cinttypes>
#include <iterator>

#include "archive/mesh_block.h"
#include "io/formatted.h"

namespace {

struct ProblemKind {
    ProblemCode code;
    const char* name;
    ProblemSource source;
};

// In the order of ProblemCode.
constexpr ProblemKind kProblemKinds[] = {
    {ProblemCode::TooManyEntries, "too-many-entries", ProblemSource::Textures},
    {ProblemCode::OffsetTableOutside, "offset-table-outside", ProblemSource::Textures},
    {ProblemCode::TextureEntryOutside, "texture-entry-outside", ProblemSource::Textures},
    {ProblemCode::TimTruncated, "tim-truncated", ProblemSource::Textures},
    {ProblemCode::TimHeader, "tim-header", ProblemSource::Textures},
    {ProblemCode::TimPaletteSize, "tim-palette-size", ProblemSource::Textures},
    {ProblemCode::TimWidth, "tim-width", ProblemSource::Textures},
    {ProblemCode::TimHeightPalette, "tim-height-palette", ProblemSource::Textures},
    {ProblemCode::TimPixelsShort, "tim-pixels-short", ProblemSource::Textures},
    {ProblemCode::EntryTableShort, "entry-table-short", ProblemSource::Skeleton},
    {ProblemCode::SkeletonOutside, "skeleton-outside", ProblemSource::Skeleton},
    {ProblemCode::BoneRecordsShort, "bone-records-short", ProblemSource::Skeleton},
    {ProblemCode::NoAngleTable, "no-angle-table", ProblemSource::Skeleton},
    {ProblemCode::AngleTableShort, "angle-table-short", ProblemSource::Skeleton},
    {ProblemCode::MeshBlockOutside, "mesh-block-outside", ProblemSource::Skeleton},
    {ProblemCode::MeshBlockEndsEarly, "mesh-block-ends-early", ProblemSource::Skeleton},
    {ProblemCode::MeshRecordsOutside, "mesh-records-outside", ProblemSource::Skeleton},
    {ProblemCode::MeshVertexOutside, "mesh-vertex-outside", ProblemSource::Skeleton},
};

constexpr bool inCodeOrder() {
    for (size_t i = 0; i < std::size(kProblemKinds); ++i) {
        if (static_cast<size_t>(kProblemKinds[i].code) != i) return false;
    }
    return true;
}
static_assert(inCodeOrder(), "the table is indexed by code");

const ProblemKind& kindOf(ProblemCode code) {
    return kProblemKinds[static_cast<size_t>(code)];
}

int asInt(uint64_t value) {
    return static_cast<int>(static_cast<int64_t>(value));
}

std::string truncatedLine(const ArchiveProblem::Values& v) {
    return formatted("Error : texture data truncated. [%zu of %" PRIu64 " bytes]\n",
                     static_cast<size_t>(v[0]), v[1]);
}

// values: the section offset, then the fault's kind and numbers.
std::string meshBlockLine(const ArchiveProblem& problem, MeshBlockFailure failure) {
    const ArchiveProblem::Values& v = problem.values;
    const MeshBlockFault fault{failure, static_cast<size_t>(v[1]), {v[2], v[3], v[4]}};
    return formatted("Bone %zu: the mesh block at section offset %x is skipped: %s\n",
                     static_cast<size_t>(problem.bone.value_or(0)), static_cast<uint32_t>(v[0]),
                     meshBlockFaultText(fault).c_str());
}

}  // namespace

const char* problemCodeName(ProblemCode code) {
    return kindOf(code).name;
}

ProblemSource problemSource(ProblemCode code) {
    return kindOf(code).source;
}

std::string problemLine(const ArchiveProblem& problem) {
    const ArchiveProblem::Values& v = problem.values;
    switch (problem.code) {
        case ProblemCode::TooManyEntries:
            return formatted("Warning num of entries. [%d]\n", asInt(v[0]));
        case ProblemCode::OffsetTableOutside:
            return formatted(
                "Error : offset table beyond the end of the file. [%u entries, %ld "
                "bytes]\n",
                static_cast<uint32_t>(v[0]), static_cast<long>(v[1]));
        case ProblemCode::TextureEntryOutside:
            return formatted("Error : texture entry outside the file. [%x,%x] file size [%lx]\n",
                             static_cast<uint32_t>(v[0]), static_cast<uint32_t>(v[1]),
                             static_cast<long>(v[2]));
        case ProblemCode::TimTruncated:
        case ProblemCode::TimPixelsShort:
            return truncatedLine(v);
        case ProblemCode::TimHeader: {
            std::string bytes;
            for (uint64_t byte : v) bytes += formatted("%x ", static_cast<unsigned>(byte));
            return "Header error. : Texture data. [" + bytes + "]\n";
        }
        case ProblemCode::TimPaletteSize:
            return formatted("Error : palette size [%8x]\n", static_cast<uint32_t>(v[0]));
        case ProblemCode::TimWidth:
            return formatted("Warning : texture width. [%d]\n", asInt(v[0]));
        case ProblemCode::TimHeightPalette:
            return formatted("Warning : texture height or palette. [%d,%d]\n", asInt(v[0]),
                             asInt(v[1]));
        case ProblemCode::EntryTableShort:
            return formatted("The archive (%zu bytes) is too short for its entry table\n",
                             static_cast<size_t>(v[0]));
        case ProblemCode::SkeletonOutside:
            return formatted("The skeleton section at %x lies outside the archive (%zu bytes)\n",
                             static_cast<uint32_t>(v[0]), static_cast<size_t>(v[1]));
        case ProblemCode::BoneRecordsShort:
            return formatted(
                "The skeleton declares %zu bones but the archive holds records for "
                "only %zu\n",
                static_cast<size_t>(v[0]), static_cast<size_t>(v[1]));
        case ProblemCode::NoAngleTable:
            return formatted(
                "The archive has %u entries and no angle table: every bone gets "
                "angle 0\n",
                static_cast<uint32_t>(v[0]));
        case ProblemCode::AngleTableShort:
            return formatted(
                "The angle table at %x holds %zu of %zu angles: the missing ones "
                "are 0\n",
                static_cast<uint32_t>(v[0]), static_cast<size_t>(v[1]), static_cast<size_t>(v[2]));
        case ProblemCode::MeshBlockOutside:
            return formatted(
                "Bone %zu: the mesh block at section offset %x lies outside the "
                "archive: mesh skipped\n",
                static_cast<size_t>(problem.bone.value_or(0)), static_cast<uint32_t>(v[0]));
        case ProblemCode::MeshBlockEndsEarly:
            return meshBlockLine(problem, kMeshBlockEndsEarly);
        case ProblemCode::MeshRecordsOutside:
            return meshBlockLine(problem, kMeshRecordsOutside);
        case ProblemCode::MeshVertexOutside:
            return meshBlockLine(problem, kMeshVertexOutside);
    }
    return "";
}
