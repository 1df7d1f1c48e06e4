#include "import/gltf_buffer_files.h"

#include <nlohmann/json.hpp>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;  // as tinygltf's decoder
}

std::string decodedUri(const std::string& uri) {
    std::string name;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '+') {
            name += ' ';
        } else if (uri[i] == '%' && uri.size() > i + 2) {
            name += static_cast<char>(hexValue(uri[i + 1]) << 4 | hexValue(uri[i + 2]));
            i += 2;
        } else {
            name += uri[i];
        }
    }
    return name;
}

bool isDataUri(const nlohmann::json& value) {
    return value.is_string() && value.get_ref<const std::string&>().rfind("data:", 0) == 0;
}

}  // namespace

std::vector<DeclaredBufferFile> declaredBufferFiles(const char* text, size_t size) {
    using nlohmann::json;
    // Only "buffers" is kept, and no embedded data: the rest is skipped as it is parsed.
    const json::parser_callback_t keep = [](int depth, json::parse_event_t event, json& parsed) {
        if (event == json::parse_event_t::key && depth == 1) return parsed == "buffers";
        return !(event == json::parse_event_t::value && isDataUri(parsed));
    };
    const json document = json::parse(text, text + size, keep, false);
    std::vector<DeclaredBufferFile> files;
    if (!document.is_object()) return files;
    const auto buffers = document.find("buffers");
    if (buffers == document.end() || !buffers->is_array()) return files;
    for (const json& buffer : *buffers) {
        if (!buffer.is_object()) continue;
        const auto uri = buffer.find("uri"), length = buffer.find("byteLength");
        if (uri == buffer.end() || !uri->is_string() || length == buffer.end() ||
            !length->is_number_unsigned()) {
            continue;
        }
        files.push_back({decodedUri(uri->get<std::string>()), length->get<uint64_t>()});
    }
    return files;
}
