#include "import/gltf_triangles.h"

#include <tiny_gltf.h>

#include <cmath>

#include "import/gltf_values.h"

namespace {

bool isTexturePage(const tinygltf::Model& doc, int material) {
    return material >= 0 && static_cast<size_t>(material) < doc.materials.size() &&
           doc.materials[material].pbrMetallicRoughness.baseColorTexture.index >= 0;
}

int attributeOf(const tinygltf::Primitive& primitive, const char* name) {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -1 : found->second;
}

// The primitive's vertex arrays, read and checked.
struct Vertices {
    std::vector<float> positions, attributes, joints, weights;
    int attributeComponents = 0, jointComponents = 0;
    size_t count = 0;
};

std::string readVertices(const tinygltf::Model& doc, const tinygltf::Primitive& primitive,
                         bool textured, Vertices& v) {
    std::string error = readFloats(doc, attributeOf(primitive, "POSITION"), 3, v.positions);
    if (!error.empty()) return "POSITION: " + error;
    v.count = v.positions.size() / 3;
    const char* attribute = textured ? "TEXCOORD_0" : "COLOR_0";
    error = readNumbers(doc, attributeOf(primitive, attribute), textured ? 2 : 0, true,
                        v.attributes, &v.attributeComponents);
    if (error.empty() && !textured && v.attributeComponents != 3 && v.attributeComponents != 4) {
        error = "a colour is neither RGB nor RGBA";
    }
    if (!error.empty()) return std::string(attribute) + ": " + error;
    error = readNumbers(doc, attributeOf(primitive, "JOINTS_0"), 0, false, v.joints, nullptr);
    if (!error.empty()) return "JOINTS_0: " + error;
    error = readNumbers(doc, attributeOf(primitive, "WEIGHTS_0"), 4, true, v.weights);
    if (!error.empty()) return "WEIGHTS_0: " + error;
    v.jointComponents = 4;
    if (v.attributes.size() / v.attributeComponents != v.count || v.joints.size() != 4 * v.count ||
        v.weights.size() != 4 * v.count) {
        return "its vertex arrays differ in length";
    }
    return "";
}

// The bone each vertex weighs most on; "" or what is wrong.
std::string vertexBones(const Vertices& v, const std::vector<int>& jointPositions,
                        std::vector<int>& bones) {
    bones.resize(v.count);
    for (size_t i = 0; i < v.count; ++i) {
        size_t best = 0;
        for (size_t k = 1; k < 4; ++k) {
            if (v.weights[4 * i + k] > v.weights[4 * i + best]) best = k;
        }
        const float joint = v.joints[4 * i + best];
        if (!(joint >= 0) || joint >= static_cast<float>(jointPositions.size()) ||
            jointPositions[static_cast<size_t>(joint)] < 0) {
            return "vertex " + std::to_string(i) + " is bound to a joint the skin does not have";
        }
        bones[i] = jointPositions[static_cast<size_t>(joint)];
    }
    return "";
}

std::string readPrimitive(const tinygltf::Model& doc, const tinygltf::Primitive& primitive,
                          const std::vector<int>& jointPositions, const TriangleSink& take,
                          size_t& count) {
    if (primitive.mode != -1 && primitive.mode != TINYGLTF_MODE_TRIANGLES) {
        return "it is not made of triangles";
    }
    const bool textured = isTexturePage(doc, primitive.material);
    Vertices v;
    std::string error = readVertices(doc, primitive, textured, v);
    std::vector<int> bones;
    if (error.empty()) error = vertexBones(v, jointPositions, bones);
    if (!error.empty()) return error;
    std::vector<uint32_t> indices;
    if (primitive.indices >= 0) {
        error = readIndices(doc, primitive.indices, indices);
        if (!error.empty()) return "indices: " + error;
    } else {
        indices.resize(v.count);
        for (size_t i = 0; i < v.count; ++i) indices[i] = static_cast<uint32_t>(i);
    }
    if (indices.size() % 3 != 0) return "its index count is not a multiple of 3";
    for (size_t t = 0; t < indices.size(); t += 3) {
        FileTriangle triangle;
        triangle.textured = textured;
        for (int c = 0; c < 3; ++c) {
            const uint32_t i = indices[t + c];
            if (i >= v.count) return "index " + std::to_string(i) + " names no vertex";
            FileCorner& corner = triangle.corners[c];
            for (int a = 0; a < 3; ++a) {
                corner.position[a] = v.positions[3 * i + a];
                corner.attribute[a] =
                    a < v.attributeComponents ? v.attributes[v.attributeComponents * i + a] : 0;
                if (!std::isfinite(corner.position[a]) || !std::isfinite(corner.attribute[a])) {
                    return "vertex " + std::to_string(i) + " is not a number";
                }
            }
            corner.bone = bones[i];
        }
        error = take(triangle);
        if (!error.empty()) return error;
        ++count;
    }
    return "";
}

}  // namespace

std::string readSkinnedTriangles(const tinygltf::Model& doc, int skin,
                                 const std::vector<int>& jointPositions, const TriangleSink& take,
                                 size_t* count) {
    size_t read = 0;
    for (const tinygltf::Node& node : doc.nodes) {
        if (skin < 0 || node.skin != skin || node.mesh < 0 ||
            static_cast<size_t>(node.mesh) >= doc.meshes.size()) {
            continue;
        }
        const tinygltf::Mesh& mesh = doc.meshes[node.mesh];
        for (size_t p = 0; p < mesh.primitives.size(); ++p) {
            const std::string error =
                readPrimitive(doc, mesh.primitives[p], jointPositions, take, read);
            if (!error.empty()) {
                return "primitive " + std::to_string(p) + " of mesh " + std::to_string(node.mesh) +
                       ": " + error;
            }
        }
    }
    if (count) *count = read;
    return "";
}
