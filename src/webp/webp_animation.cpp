#include "webp/webp_animation.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cmath>

#include "io/file_saving.h"

namespace {

// Lossless at low effort: the frames of a turntable differ little, and a larger file is a
// smaller cost than a slower batch.
constexpr int kLosslessEffort = 1;

}  // namespace

WebpAnimation::WebpAnimation(int width, int height, int framesPerSecond)
    : width_(width), height_(height), framesPerSecond_(framesPerSecond) {
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options)) return;
    options.anim_params.loop_count = 0;  // for ever
    encoder_ = WebPAnimEncoderNew(width, height, &options);
}

WebpAnimation::~WebpAnimation() {
    if (encoder_) WebPAnimEncoderDelete(encoder_);
}

int WebpAnimation::timestamp(int frame) const {
    return static_cast<int>(std::lround(frame * 1000.0 / framesPerSecond_));
}

bool WebpAnimation::add(const std::vector<uint8_t>& pixels, int channels, std::string& error) {
    if (!encoder_) {
        error = "the WebP encoder could not be made";
        return false;
    }
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, kLosslessEffort) ||
        !WebPPictureInit(&picture)) {
        error = "the WebP library does not match its headers";
        return false;
    }
    config.exact = 1;  // keep the colour under alpha 0 as drawn
    picture.use_argb = 1;
    picture.width = width_;
    picture.height = height_;
    const int stride = channels * width_;
    const int imported = channels == 4 ? WebPPictureImportRGBA(&picture, pixels.data(), stride)
                                       : WebPPictureImportRGB(&picture, pixels.data(), stride);
    bool added = imported && WebPAnimEncoderAdd(encoder_, &picture, timestamp(frames_), &config);
    if (!added) error = std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(encoder_);
    WebPPictureFree(&picture);
    if (added) ++frames_;
    return added;
}

bool WebpAnimation::finish(std::vector<uint8_t>& webp, std::string& error) {
    if (!encoder_ || frames_ == 0) {
        error = "no frame to write";
        return false;
    }
    WebPData data;
    WebPDataInit(&data);
    // The last frame's end, so that it lasts as long as the others.
    const bool done = WebPAnimEncoderAdd(encoder_, nullptr, timestamp(frames_), nullptr) &&
                      WebPAnimEncoderAssemble(encoder_, &data);
    if (!done) {
        error = std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(encoder_);
        return false;
    }
    webp.assign(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return true;
}

bool writeWebpFile(const std::string& path, WebpAnimation& animation, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!animation.finish(bytes, error)) return false;
    const SaveResult saved = saveFile(path, bytes);
    if (saved.outcome == SaveOutcome::Saved) return true;
    error = describeSaveFailure(saved);
    return false;
}
