#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A buffer of a glTF that names a file beside it, with the size it declares.
struct DeclaredBufferFile {
    std::string name;  // the URI as tinygltf decodes it: %XX and '+' as a space
    uint64_t byteLength = 0;
};

// The buffers of a glTF's JSON text that name files (data: URIs left out), in their order, so
// that a file is measured against its declaration before a byte of it is read. Empty when the
// JSON does not parse: tinygltf then refuses it with its own reason.
std::vector<DeclaredBufferFile> declaredBufferFiles(const char* json, size_t size);
