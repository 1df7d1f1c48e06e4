#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// tinygltf copies a .glb's binary chunk into every buffer that takes it, so reading a .glb
// through it holds the chunk twice. Here the buffers that take the chunk are named by a token
// in the JSON instead, which tinygltf asks the file callbacks for: the chunk is then read from
// the file straight into the buffer. Only files tinygltf takes as they are go this way; any
// other goes through tinygltf whole, for its own refusal.

// Where a .glb's chunks lie.
struct GlbChunks {
    uint32_t version = 0;
    uint32_t jsonSize = 0;      // from offset 20
    uint64_t binaryOffset = 0;  // the binary chunk's bytes, after its header
    uint32_t binarySize = 0;
};

// The chunks of a .glb of fileSize bytes, from its first 20 bytes and the 8 of the binary
// chunk's header (at 20 + the JSON chunk's length); nullopt unless both chunks are there and
// every length and alignment is as tinygltf takes it.
std::optional<GlbChunks> plainGlbChunks(const uint8_t header[20], const uint8_t binaryHeader[8],
                                        uint64_t fileSize);

// The JSON with every buffer given "uri": token + its index, and each buffer's index and
// byteLength. nullopt when the text is not plainly one "buffers" array of objects, none with a
// URI of its own, each declaring a byteLength of 1 to binarySize bytes.
struct JsonNamingChunk {
    std::string json;
    std::vector<std::pair<size_t, uint64_t>> buffers;
};
std::optional<JsonNamingChunk> nameBinaryChunk(const char* json, size_t size, uint64_t binarySize,
                                               const std::string& token);
