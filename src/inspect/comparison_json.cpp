#include "inspect/comparison_json.h"

namespace {

using json = nlohmann::ordered_json;

const char* changeName(EntryChange change) {
    switch (change) {
        case EntryChange::Same:
            return "same";
        case EntryChange::Changed:
            return "changed";
        case EntryChange::Added:
            return "added";
        case EntryChange::Removed:
            return "removed";
    }
    return "";
}

const char* onlyName(OnlyIn only) {
    return only == OnlyIn::A ? "a" : "b";
}

template <typename T>
json optionalJson(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

template <typename T>
void addChanged(json& object, const char* key, const Changed<T>& value) {
    if (value) object[key] = json::array({value->first, value->second});
}

json meshJson(const MeshComparison& mesh) {
    const PolygonChanges total = mesh.totals();
    return {{"verticesMoved", mesh.verticesMoved}, {"maxMove", mesh.maxMove},
            {"verticesAdded", mesh.verticesAdded}, {"verticesRemoved", mesh.verticesRemoved},
            {"polygonsAdded", total.added},        {"polygonsRemoved", total.removed},
            {"polygonsChanged", total.changed},    {"coloursChanged", total.coloursChanged},
            {"uvsChanged", total.uvsChanged}};
}

json boneJson(const BoneComparison& bone) {
    json object = {{"id", bone.id}};
    if (bone.only != OnlyIn::Neither) {
        object["only"] = onlyName(bone.only);
        return object;
    }
    addChanged(object, "parent", bone.parent);
    addChanged(object, "length", bone.length);
    addChanged(object, "angleRaw", bone.angleRaw);
    addChanged(object, "inTree", bone.inTree);
    object["mesh"] = meshJson(bone.mesh);
    return object;
}

json textureJson(const TextureComparison& texture) {
    json object = {{"entry", texture.entry}};
    if (texture.only != OnlyIn::Neither) {
        object["only"] = onlyName(texture.only);
        return object;
    }
    object["headerChanged"] = texture.headerChanged;
    object["paletteColoursChanged"] = texture.paletteColoursChanged;
    object["pixelsChanged"] = texture.pixelsChanged;
    return object;
}

}  // namespace

json comparisonJson(const ArchiveComparison& c) {
    json entries = json::array();
    for (const EntryComparison& e : c.entries) {
        entries.push_back({{"index", e.index},
                           {"change", changeName(e.change)},
                           {"offsetA", optionalJson(e.offsetA)},
                           {"offsetB", optionalJson(e.offsetB)}});
    }
    json bones = json::array();
    for (const BoneComparison& bone : c.bones) bones.push_back(boneJson(bone));
    json textures = json::array();
    for (const TextureComparison& texture : c.textures) textures.push_back(textureJson(texture));
    return {{"same", c.same()},
            {"bytes", {{"a", c.sizeA}, {"b", c.sizeB}, {"differing", c.bytesDiffering}}},
            {"entries", entries},
            {"bones", bones},
            {"textures", textures},
            {"unreadBytesChanged", c.unread.total()}};
}
