// The picture decoders on any bytes: each gives either a picture of the promised size and layout or a
// message, never both, never neither, and reads nothing outside the bytes (AddressSanitizer watches).
// Input: a first byte whose value picks the decoder (BMP, JPEG, TGA), then the file's bytes.
#include "view/ImageDecoders.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    const int kind = data[0] % 3;
    const TImageResult result = kind == 0   ? DecodeBMP(file, "fuzz.bmp")
                                : kind == 1 ? DecodeJPG(file, "fuzz.jpg")
                                            : DecodeTGA(file, "fuzz.tga");
    if (result.Image.has_value() == result.Message.has_value()) {
        __builtin_trap();
    }
    if (result.Message && (result.Message->Text.empty() || result.Message->Caption.empty())) {
        __builtin_trap();
    }
    if (const auto& image = result.Image) {
        const bool sides = image->Width >= 1 && image->Width <= MaxImageSide && image->Height >= 1 &&
                           image->Height <= MaxImageSide;
        const std::size_t bytes = std::size_t{image->Width} * image->Height * image->BytesPerPixel();
        // BMP pictures are always RGB, JPEG ones always RGBA with every alpha 255.
        const bool format = kind == 0   ? image->Format == TPixelFormat::RGB
                            : kind == 1 ? image->Format == TPixelFormat::RGBA
                                        : true;
        if (!sides || image->Pixels.size() != bytes || !format) {
            __builtin_trap();
        }
        for (std::size_t i = 3; kind == 1 && i < bytes; i += 4) {
            if (image->Pixels[i] != 255) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
