# Writes OUTPUT, a C++ source that embeds the bytes of INPUT as the demo archive.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}
"// Generated from demo_archive.bin at build time; do not edit.\n"
"#include \"demo/demo_archive.h\"\n\n"
"namespace {\nconst uint8_t kDemoArchive[${size}] = {\n    ${bytes}\n};\n}  // namespace\n\n"
"const uint8_t* demoArchiveData() {\n    return kDemoArchive;\n}\n\n"
"size_t demoArchiveSize() {\n    return sizeof kDemoArchive;\n}\n")
