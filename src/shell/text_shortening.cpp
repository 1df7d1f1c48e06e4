#include "shell/text_shortening.h"

#include <vector>

namespace {

const char kEllipsis[] = "\xE2\x80\xA6";

// Where each UTF-8 character starts, and the end.
std::vector<size_t> characterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
}

}  // namespace

std::string shortenInMiddle(const std::string& text, float maxWidth,
                            const std::function<float(const std::string&)>& width) {
    if (width(text) <= maxWidth) return text;
    const std::vector<size_t> starts = characterStarts(text);
    const size_t characters = starts.size() - 1;
    for (size_t kept = characters; kept-- > 0;) {
        const size_t head = (kept + 1) / 2, tail = kept / 2;  // one more of the start
        std::string shortened =
            text.substr(0, starts[head]) + kEllipsis + text.substr(starts[characters - tail]);
        if (width(shortened) <= maxWidth) return shortened;
    }
    return kEllipsis;
}
