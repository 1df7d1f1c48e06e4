#include "export/glb_container.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <limits>
#include <sstream>
#include <vector>

#include "io/byte_order.h"

namespace {

constexpr size_t kHeaderSize = 12, kChunkHeaderSize = 8;
constexpr uint32_t kJsonChunk = 0x4E4F534A, kBinaryChunk = 0x004E4942;

size_t paddingTo4(size_t size) {
    return (4 - size % 4) % 4;
}

void putChunkHeader(uint8_t* at, size_t length, uint32_t type) {
    writeLE32(at, static_cast<uint32_t>(length));
    writeLE32(at + 4, type);
}

}  // namespace

Result<std::string> glbJson(const tinygltf::Model& doc, size_t binaryLength) {
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&doc, out, false, true)) {
        return Result<std::string>::failed(1, "the glTF writer failed");
    }
    // With the buffer empty, tinygltf writes a .glb of its JSON chunk alone.
    const std::string glb = out.str();
    if (glb.size() < kHeaderSize + kChunkHeaderSize) {
        return Result<std::string>::failed(1, "the glTF writer failed");
    }
    const size_t length = readLE32(reinterpret_cast<const uint8_t*>(glb.data()) + kHeaderSize);
    std::string json = glb.substr(kHeaderSize + kChunkHeaderSize, length);
    while (!json.empty() && json.back() == ' ') json.pop_back();
    if (doc.buffers.empty()) return json;
    const std::string empty = "\"buffers\":[{\"byteLength\":0}]";
    const size_t at = json.find(empty);
    if (at == std::string::npos || json.find(empty, at + 1) != std::string::npos) {
        return Result<std::string>::failed(1, "the glTF writer did not describe its buffer");
    }
    json.replace(at, empty.size(),
                 "\"buffers\":[{\"byteLength\":" + std::to_string(binaryLength) + "}]");
    return json;
}

Result<> saveGlb(const std::string& path, const std::string& json, const uint8_t* binary,
                 size_t size) {
    const size_t jsonPadding = paddingTo4(json.size()), binaryPadding = paddingTo4(size);
    const size_t jsonChunk = json.size() + jsonPadding;
    const size_t binaryChunk = size ? kChunkHeaderSize + size + binaryPadding : 0;
    constexpr size_t kLimit = std::numeric_limits<uint32_t>::max();
    if (json.size() > kLimit / 2 || size > kLimit / 2 ||
        kHeaderSize + kChunkHeaderSize + jsonChunk + binaryChunk > kLimit) {
        return Result<>::failed(1, "the file would be 4 GiB or larger");
    }
    uint8_t header[kHeaderSize + kChunkHeaderSize];
    std::copy_n("glTF", 4, header);
    writeLE32(header + 4, 2);
    writeLE32(header + 8,
              static_cast<uint32_t>(kHeaderSize + kChunkHeaderSize + jsonChunk + binaryChunk));
    putChunkHeader(header + kHeaderSize, jsonChunk, kJsonChunk);
    const uint8_t spaces[3] = {' ', ' ', ' '}, zeros[3] = {0, 0, 0};
    uint8_t binaryHeader[kChunkHeaderSize];
    putChunkHeader(binaryHeader, size + binaryPadding, kBinaryChunk);
    std::vector<BytePiece> pieces = {{header, sizeof header},
                                     {reinterpret_cast<const uint8_t*>(json.data()), json.size()},
                                     {spaces, jsonPadding}};
    if (size) {
        pieces.insert(
            pieces.end(),
            {{binaryHeader, sizeof binaryHeader}, {binary, size}, {zeros, binaryPadding}});
    }
    const SaveResult saved = saveFilePieces(path, pieces);
    if (saved.outcome != SaveOutcome::Saved) {
        return Result<>::failed(1, describeSaveFailure(saved));
    }
    return {};
}
