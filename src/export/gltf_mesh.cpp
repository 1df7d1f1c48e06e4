#include "export/gltf_mesh.h"

#include <array>
#include <cmath>

#include "export/gltf_buffer.h"
#include "model/bone_node.h"
#include "model/part_mesh.h"
#include "png/png_writing.h"
#include "texture/texture_page.h"

namespace {

// The vertex arrays of one primitive.
struct Corners {
    std::vector<float> positions, colors, texCoords, weights;
    std::vector<uint16_t> joints;
    bool empty() const { return positions.empty(); }
    void clear() {
        positions.clear();
        colors.clear();
        texCoords.clear();
        weights.clear();
        joints.clear();
    }
};

void addCorner(Corners& out, const PolygonView& polygon, size_t k, const Mat4d& place,
               uint16_t joint) {
    const Vec3& p = polygon.position(k);
    for (double value : transformPoint(place, p.x(), p.y(), p.z())) {
        out.positions.push_back(static_cast<float>(value));
    }
    if (polygon.isTextured()) {
        out.texCoords.push_back(polygon.texCoord(k).x());
        out.texCoords.push_back(polygon.texCoord(k).y());
    } else {
        const Color3& c = polygon.color(k);
        out.colors.insert(out.colors.end(),
                          {linearFromDisplay(c.red()), linearFromDisplay(c.green()),
                           linearFromDisplay(c.blue())});
    }
    out.joints.insert(out.joints.end(), {joint, 0, 0, 0});
    out.weights.insert(out.weights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
}

// The viewer fans each polygon from its first corner and shows the faces that appear
// clockwise on screen; glTF's front faces are counter-clockwise, so each triangle is reversed.
void addPolygon(Corners& out, const PolygonView& polygon, const Mat4d& place, uint16_t joint) {
    for (size_t k = 1; k + 1 < polygon.cornerCount(); ++k) {
        for (size_t corner : {size_t{0}, k + 1, k}) addCorner(out, polygon, corner, place, joint);
    }
}

tinygltf::Value unlitExtension() {
    return tinygltf::Value(tinygltf::Value::Object());
}

// Unlit, single-sided materials: 0 for vertex colours, 1 for the texture page.
void addMaterials(tinygltf::Model& doc, bool textured) {
    tinygltf::Material colours;
    colours.name = "vertex colours";
    colours.pbrMetallicRoughness.metallicFactor = 0.0;
    colours.extensions["KHR_materials_unlit"] = unlitExtension();
    doc.materials.push_back(colours);
    if (!textured) return;
    tinygltf::Material page = colours;
    page.name = "texture page";
    page.pbrMetallicRoughness.baseColorTexture.index = 0;
    page.alphaMode = "MASK";  // palette index 0 is a hole
    doc.materials.push_back(page);
}

// The page as an RGBA PNG with the viewer's nearest filtering and clamping. A .glb carries the
// PNG in its buffer; a .gltf has tinygltf embed it as a data URI.
void addTexturePage(tinygltf::Model& doc, GltfBuffer& buffer, const TexturePage& page,
                    bool binary) {
    tinygltf::Image image;
    image.name = "texture page";
    image.mimeType = "image/png";
    image.width = image.height = kTexturePageSize;
    image.component = 4;
    image.bits = 8;
    image.pixel_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    if (binary) {
        std::vector<uint8_t> png;
        encodePng(kTexturePageSize, kTexturePageSize, 4, page.pixels.data(), png);
        image.bufferView = buffer.addView(png.data(), png.size());
    } else {
        image.image.assign(page.pixels.begin(), page.pixels.end());
    }
    doc.images.push_back(image);

    tinygltf::Sampler sampler;
    sampler.magFilter = TINYGLTF_TEXTURE_FILTER_NEAREST;
    sampler.minFilter = TINYGLTF_TEXTURE_FILTER_NEAREST;
    sampler.wrapS = sampler.wrapT = TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
    doc.samplers.push_back(sampler);

    tinygltf::Texture texture;
    texture.sampler = 0;
    texture.source = 0;
    doc.textures.push_back(texture);
}

tinygltf::Primitive makePrimitive(GltfBuffer& buffer, const Corners& corners, int material) {
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = material;
    constexpr int kVertices = TINYGLTF_TARGET_ARRAY_BUFFER;
    primitive.attributes["POSITION"] =
        buffer.addFloats(corners.positions, TINYGLTF_TYPE_VEC3, kVertices, true);
    if (corners.texCoords.empty()) {
        primitive.attributes["COLOR_0"] =
            buffer.addFloats(corners.colors, TINYGLTF_TYPE_VEC3, kVertices);
    } else {
        primitive.attributes["TEXCOORD_0"] =
            buffer.addFloats(corners.texCoords, TINYGLTF_TYPE_VEC2, kVertices);
    }
    primitive.attributes["JOINTS_0"] =
        buffer.addUnsignedShorts(corners.joints, TINYGLTF_TYPE_VEC4, kVertices);
    primitive.attributes["WEIGHTS_0"] =
        buffer.addFloats(corners.weights, TINYGLTF_TYPE_VEC4, kVertices);
    return primitive;
}

float computeLinear(float value) {
    const double c = value;
    const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    return static_cast<float>(linear);
}

}  // namespace

float linearFromDisplay(float value) {
    // An archive's colours are bytes / 256, so their 256 values are worked out once.
    static const std::array<float, 256> kByteValues = [] {
        std::array<float, 256> values{};
        for (size_t k = 0; k < values.size(); ++k) {
            values[k] = computeLinear(static_cast<float>(k) / 256.0f);
        }
        return values;
    }();
    const float scaled = value * 256.0f;
    if (scaled >= 0.0f && scaled < 256.0f && scaled == std::floor(scaled)) {
        return kByteValues[static_cast<size_t>(scaled)];
    }
    return computeLinear(value);
}

int addSkinnedMesh(tinygltf::Model& doc, GltfBuffer& buffer, const BoneNode& root,
                   const std::vector<Mat4d>& loadedGlobals, const TexturePage& page, bool binary) {
    constexpr int kColourMaterial = 0, kTextureMaterial = 1;
    tinygltf::Mesh mesh;
    mesh.name = "model";
    bool textured = false;
    size_t joint = 0;
    // One pair of arrays for every part, emptied between parts but keeping their room, so that
    // they are grown only as far as the largest part needs.
    Corners untexturedCorners, texturedCorners;
    forEachPreOrder(root, [&](const BoneNode& node) {
        const Mat4d& place = loadedGlobals[joint];
        const auto jointIndex = static_cast<uint16_t>(joint++);
        untexturedCorners.clear();
        texturedCorners.clear();
        for (size_t i = 0; i < node.mesh->polygonCount(); ++i) {
            const PolygonView polygon = node.mesh->polygon(i);
            addPolygon(polygon.isTextured() ? texturedCorners : untexturedCorners, polygon, place,
                       jointIndex);
        }
        if (!untexturedCorners.empty()) {
            mesh.primitives.push_back(makePrimitive(buffer, untexturedCorners, kColourMaterial));
        }
        if (!texturedCorners.empty()) {
            mesh.primitives.push_back(makePrimitive(buffer, texturedCorners, kTextureMaterial));
            textured = true;
        }
    });
    if (mesh.primitives.empty()) return -1;
    addMaterials(doc, textured);
    if (textured) addTexturePage(doc, buffer, page, binary);
    doc.meshes.push_back(mesh);
    return static_cast<int>(doc.meshes.size() - 1);
}
