#include "inspect/comparison_text.h"

#include <cinttypes>
#include <vector>

#include "archive/archive.h"
#include "io/formatted.h"

namespace {

std::string counted(uint64_t count, const char* one, const char* many) {
    return formatted("%" PRIu64 " %s", count, count == 1 ? one : many);
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

// "12" when both are alike, else "12 -> 14".
std::string fromTo(const std::string& a, const std::string& b) {
    return a == b ? a : a + " -> " + b;
}

std::string hex(uint32_t value) {
    return formatted("%#x", value);
}

const char* onlyText(OnlyIn only) {
    return only == OnlyIn::A ? "only in A" : "only in B";
}

std::string entryLine(const EntryComparison& e) {
    const std::string at = e.offsetA ? hex(*e.offsetA) : "", atB = e.offsetB ? hex(*e.offsetB) : "";
    switch (e.change) {
        case EntryChange::Same:
            return at == atB ? ""
                             : formatted("entry %u: the same, moved %s\n", e.index,
                                         fromTo(at, atB).c_str());
        case EntryChange::Changed:
            return formatted("entry %u: changed at %s, %s bytes\n", e.index,
                             fromTo(at, atB).c_str(),
                             fromTo(std::to_string(e.sizeA), std::to_string(e.sizeB)).c_str());
        case EntryChange::Added:
            return formatted("entry %u: added at %s, %" PRIu64 " bytes\n", e.index, atB.c_str(),
                             e.sizeB);
        case EntryChange::Removed:
            return formatted("entry %u: removed at %s, %" PRIu64 " bytes\n", e.index, at.c_str(),
                             e.sizeA);
    }
    return "";
}

std::string meshLines(int32_t id, const MeshComparison& mesh) {
    std::string text;
    std::vector<std::string> vertices;
    if (mesh.verticesMoved > 0) {
        vertices.push_back(formatted("%zu moved (at most %g)", mesh.verticesMoved, mesh.maxMove));
    }
    if (mesh.verticesAdded > 0) vertices.push_back(formatted("%zu added", mesh.verticesAdded));
    if (mesh.verticesRemoved > 0)
        vertices.push_back(formatted("%zu removed", mesh.verticesRemoved));
    if (!vertices.empty())
        text += formatted("bone %d: vertices: %s\n", id, joined(vertices).c_str());
    for (size_t k = 0; k < kPolygonKindCount; ++k) {
        const PolygonChanges& c = mesh.kinds[k];
        std::vector<std::string> parts;
        if (c.added > 0) parts.push_back(formatted("%zu added", c.added));
        if (c.removed > 0) parts.push_back(formatted("%zu removed", c.removed));
        if (c.changed > 0) parts.push_back(formatted("%zu changed", c.changed));
        if (c.coloursChanged > 0) {
            parts.push_back(counted(c.coloursChanged, "corner colour", "corner colours") +
                            " changed");
        }
        if (c.uvsChanged > 0) {
            parts.push_back(formatted("%zu with texture coordinates changed", c.uvsChanged));
        }
        if (!parts.empty()) {
            text +=
                formatted("bone %d: %ss: %s\n", id, kPolygonKinds[k].name, joined(parts).c_str());
        }
    }
    return text;
}

std::string boneLines(const BoneComparison& bone) {
    const int32_t id = bone.id;
    if (bone.only != OnlyIn::Neither) return formatted("bone %d: %s\n", id, onlyText(bone.only));
    std::string text;
    if (bone.parent) {
        text +=
            formatted("bone %d: parent %u -> %u\n", id, bone.parent->first, bone.parent->second);
    }
    if (bone.length) {
        text +=
            formatted("bone %d: length %d -> %d\n", id, bone.length->first, bone.length->second);
    }
    if (bone.angleRaw) {
        const auto [a, b] = *bone.angleRaw;
        text += formatted("bone %d: angle %d -> %d (%f -> %f)\n", id, a, b, boneAngleRadians(a),
                          boneAngleRadians(b));
    }
    if (bone.inTree) {
        auto place = [](bool inTree) { return inTree ? "in the tree" : "left out"; };
        text += formatted("bone %d: %s -> %s\n", id, place(bone.inTree->first),
                          place(bone.inTree->second));
    }
    return text + meshLines(id, bone.mesh);
}

std::string textureLine(const TextureComparison& t) {
    if (t.only != OnlyIn::Neither)
        return formatted("texture entry %u: %s\n", t.entry, onlyText(t.only));
    std::vector<std::string> parts;
    if (t.headerChanged) parts.push_back("header changed");
    if (t.paletteColoursChanged > 0) {
        parts.push_back(counted(t.paletteColoursChanged, "palette colour", "palette colours") +
                        " changed");
    }
    if (t.pixelsChanged > 0)
        parts.push_back(counted(t.pixelsChanged, "pixel", "pixels") + " changed");
    return formatted("texture entry %u: %s\n", t.entry, joined(parts).c_str());
}

std::string unreadLine(const UnreadChanges& u) {
    if (u.total() == 0) return "";
    std::vector<std::string> parts;
    if (u.skeletonWords > 0)
        parts.push_back(formatted("%zu in the skeleton's unread words", u.skeletonWords));
    if (u.vertexPadding > 0) parts.push_back(formatted("%zu in vertex padding", u.vertexPadding));
    if (u.polygonPadding > 0)
        parts.push_back(formatted("%zu in polygon padding", u.polygonPadding));
    if (u.entriesNeverRead > 0) {
        parts.push_back(formatted("%zu in entries never read", u.entriesNeverRead));
    }
    return formatted("unread bytes: %s differ: %s\n", std::to_string(u.total()).c_str(),
                     joined(parts).c_str());
}

std::string summaryLine(const ArchiveComparison& c, const std::string& nameA,
                        const std::string& nameB) {
    if (c.same()) {
        return formatted("%s and %s are the same: %s\n", nameA.c_str(), nameB.c_str(),
                         counted(c.sizeA, "byte", "bytes").c_str());
    }
    size_t changed = 0, added = 0, removed = 0;
    for (const EntryComparison& e : c.entries) {
        changed += e.change == EntryChange::Changed ? 1 : 0;
        added += e.change == EntryChange::Added ? 1 : 0;
        removed += e.change == EntryChange::Removed ? 1 : 0;
    }
    return formatted("%s and %s differ: %s (%" PRIu64 " and %" PRIu64
                     " bytes); entries: %zu changed, %zu "
                     "added, %zu removed; %s, %s and %s differ\n",
                     nameA.c_str(), nameB.c_str(),
                     counted(c.bytesDiffering, "byte", "bytes").c_str(), c.sizeA, c.sizeB, changed,
                     added, removed, counted(c.bones.size(), "bone", "bones").c_str(),
                     counted(c.textures.size(), "texture", "textures").c_str(),
                     counted(c.unread.total(), "unread byte", "unread bytes").c_str());
}

}  // namespace

std::string comparisonText(const ArchiveComparison& comparison, const std::string& nameA,
                           const std::string& nameB) {
    std::string text = summaryLine(comparison, nameA, nameB);
    for (const EntryComparison& entry : comparison.entries) text += entryLine(entry);
    for (const BoneComparison& bone : comparison.bones) text += boneLines(bone);
    for (const TextureComparison& texture : comparison.textures) text += textureLine(texture);
    return text + unreadLine(comparison.unread);
}
