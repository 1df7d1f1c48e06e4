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

Result<> WebpAnimation::add(const std::vector<uint8_t>& pixels, int channels) {
    if (!encoder_) {
        return Result<>::failed(1, "the WebP encoder could not be made");
    }
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, kLosslessEffort) ||
        !WebPPictureInit(&picture)) {
        return Result<>::failed(1, "the WebP library does not match its headers");
    }
    config.exact = 1;  // keep the colour under alpha 0 as drawn
    picture.use_argb = 1;
    picture.width = width_;
    picture.height = height_;
    const int stride = channels * width_;
    const int imported = channels == 4 ? WebPPictureImportRGBA(&picture, pixels.data(), stride)
                                       : WebPPictureImportRGB(&picture, pixels.data(), stride);
    const bool added =
        imported && WebPAnimEncoderAdd(encoder_, &picture, timestamp(frames_), &config);
    WebPPictureFree(&picture);
    if (!added) {
        return Result<>::failed(
            1, std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(encoder_));
    }
    ++frames_;
    return {};
}

Result<> WebpAnimation::finish(std::vector<uint8_t>& webp) {
    if (!encoder_ || frames_ == 0) {
        return Result<>::failed(1, "no frame to write");
    }
    WebPData data;
    WebPDataInit(&data);
    // The last frame's end, so that it lasts as long as the others.
    const bool done = WebPAnimEncoderAdd(encoder_, nullptr, timestamp(frames_), nullptr) &&
                      WebPAnimEncoderAssemble(encoder_, &data);
    if (!done) {
        return Result<>::failed(
            1, std::string("WebP encoding failed: ") + WebPAnimEncoderGetError(encoder_));
    }
    webp.assign(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    return {};
}

Result<> writeWebpFile(const std::string& path, WebpAnimation& animation) {
    std::vector<uint8_t> bytes;
    const Result<> finished = animation.finish(bytes);
    if (!finished) return finished;
    const SaveResult saved = saveFile(path, bytes);
    if (saved.outcome == SaveOutcome::Saved) return {};
    return Result<>::failed(1, describeSaveFailure(saved));
}
