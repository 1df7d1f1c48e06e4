#include "import/glb_in_place.h"

#include <cstring>
#include <nlohmann/json.hpp>
#include <string_view>

#include "io/byte_order.h"

namespace {

constexpr uint32_t kJsonChunk = 0x4E4F534A, kBinaryChunk = 0x004E4942;

// The offsets of the '{' of every element of the top-level "buffers" array; nullopt when that
// key is missing, written with escapes, given twice, or an element is not an object.
std::optional<std::vector<size_t>> bufferObjects(const char* text, size_t size) {
    std::vector<size_t> objects;
    int depth = 0, found = 0;
    bool inBuffers = false, keyNext = false;
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c == '"') {
            const size_t start = i + 1;
            while (++i < size && text[i] != '"') {
                if (text[i] == '\\') ++i;
            }
            if (i >= size) return std::nullopt;
            const std::string_view name(text + start, i - start);
            if (depth == 1 && keyNext) {
                if (name.find('\\') != std::string_view::npos) return std::nullopt;
                if (name == "buffers") {
                    if (found++) return std::nullopt;
                    inBuffers = true;
                }
            }
            keyNext = false;
        } else if (c == '{' || c == '[') {
            if (depth == 2 && inBuffers) {
                if (c != '{') return std::nullopt;
                objects.push_back(i);
            }
            ++depth;
            keyNext = c == '{' && depth == 1;
        } else if (c == '}' || c == ']') {
            if (--depth == 1) inBuffers = false;
        } else if (c == ',' && depth == 1) {
            keyNext = true;
            inBuffers = false;
        }
    }
    if (found != 1) return std::nullopt;
    return objects;
}

}  // namespace

std::optional<GlbChunks> plainGlbChunks(const uint8_t header[20], const uint8_t binaryHeader[8],
                                        uint64_t fileSize) {
    if (std::memcmp(header, "glTF", 4) != 0) return std::nullopt;
    GlbChunks chunks;
    chunks.version = readLE32(header + 4);
    const uint64_t length = readLE32(header + 8);
    chunks.jsonSize = readLE32(header + 12);
    const uint64_t jsonEnd = 20 + uint64_t{chunks.jsonSize};
    if (length > fileSize || chunks.jsonSize < 1 || jsonEnd % 4 != 0 || jsonEnd + 12 > length ||
        readLE32(header + 16) != kJsonChunk) {
        return std::nullopt;
    }
    chunks.binarySize = readLE32(binaryHeader);
    chunks.binaryOffset = jsonEnd + 8;
    if (chunks.binarySize < 4 || chunks.binarySize % 4 != 0 ||
        chunks.binaryOffset + chunks.binarySize > length ||
        readLE32(binaryHeader + 4) != kBinaryChunk) {
        return std::nullopt;
    }
    return chunks;
}

std::optional<JsonNamingChunk> nameBinaryChunk(const char* text, size_t size, uint64_t binarySize,
                                               const std::string& token) {
    using nlohmann::json;
    const json::parser_callback_t buffersOnly = [](int depth, json::parse_event_t event,
                                                   json& parsed) {
        return !(event == json::parse_event_t::key && depth == 1 && parsed != "buffers");
    };
    const json document = json::parse(text, text + size, buffersOnly, false);
    const std::optional<std::vector<size_t>> objects = bufferObjects(text, size);
    if (!document.is_object() || !objects) return std::nullopt;
    const auto buffers = document.find("buffers");
    if (buffers == document.end() || !buffers->is_array() || buffers->size() != objects->size()) {
        return std::nullopt;
    }
    JsonNamingChunk named;
    size_t copied = 0;
    for (size_t i = 0; i < objects->size(); ++i) {
        const json& buffer = (*buffers)[i];
        const auto length = buffer.find("byteLength");
        if (!buffer.is_object() || length == buffer.end() || !length->is_number_unsigned() ||
            length->get<uint64_t>() < 1 || length->get<uint64_t>() > binarySize) {
            return std::nullopt;
        }
        // A buffer with a URI of its own goes the usual way, and so its whole file: a URI could
        // spell the token.
        if (buffer.contains("uri")) return std::nullopt;
        const size_t brace = (*objects)[i] + 1;
        named.json.append(text + copied, brace - copied);
        named.json += "\"uri\":\"" + token + std::to_string(i) + "\",";
        copied = brace;
        named.buffers.emplace_back(i, length->get<uint64_t>());
    }
    if (named.buffers.empty()) return std::nullopt;
    named.json.append(text + copied, size - copied);
    return named;
}
