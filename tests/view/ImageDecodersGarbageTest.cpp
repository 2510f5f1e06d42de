// Damaged files: every decoder, given a good file cut at every length or with bytes changed at random,
// answers with a picture or a message and never reads or writes outside its buffers (the address
// sanitizer build watches the latter). Each damaged copy lives in a buffer of exactly its own size,
// so that a read one byte too far is caught.
#include "tests/view/ImageTestFiles.h"
#include "view/ImageDecoders.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace imagetest;

namespace {

using TDecoder = std::function<TImageResult(std::span<const std::uint8_t>, const std::string&)>;

struct TSample {
    const char* What;
    TDecoder Decode;
    Bytes File;
    // Cuts that leave at least this many bytes may still give the picture (trailing padding, the
    // end-of-image marker); shorter ones must be refused.
    std::size_t Needed;
};

std::vector<TSample> Samples() {
    std::vector<TSample> samples;
    const auto add = [&](const char* what, TDecoder decode, Bytes file, std::size_t slack) {
        const std::size_t needed = file.size() - slack;
        samples.push_back({what, std::move(decode), std::move(file), needed});
    };
    add("Bmp24", DecodeBMP, MakeBMP(Gradient(5, 3)), 1);
    add("Bmp24TopDown", DecodeBMP, MakeBMP(Gradient(3, 4), {.TopDown = true}), 3);
    add("Bmp32Masks", DecodeBMP,
        MakeBMP(Gradient(3, 3), {.Bits = 32, .Compression = 3, .MasksAfterHeader = true}), 0);
    add("Bmp8", DecodeBMP, MakeBMP(Gradient(5, 3), {.Bits = 8}), 3);
    add("Tga24", DecodeTGA, MakeTGA(Gradient(4, 3), {.Id = "id"}), 0);
    add("Tga32", DecodeTGA, MakeTGA(Gradient(3, 3), {.Depth = 32}), 0);
    TPicture mixed = Gradient(9, 4);
    for (int i = 10; i < 30; ++i) {
        mixed.Pixels[static_cast<std::size_t>(i)] = Red;
    }
    add("Rle24", DecodeTGA, MakeTGA(mixed, {.Type = 10}), 0);
    add("Rle32", DecodeTGA, MakeTGA(mixed, {.Type = 10, .Depth = 32}), 0);
    add("Jpeg", DecodeJPG, MakeJPEG(FourBlocks(), {.Quality = 80}), 2);
    add("JpegProgressive", DecodeJPG, MakeJPEG(Gradient(12, 10), {.Progressive = true}), 2);
    add("JpegGrey", DecodeJPG, MakeJPEG(Gradient(9, 9), {.Gray = true}), 2);
    return samples;
}

TEST(ImageGarbage, EveryCut) {
    for (const TSample& s : Samples()) {
        SCOPED_TRACE(s.What);
        ASSERT_TRUE(s.Decode(s.File, "f").Image);
        for (std::size_t keep = 0; keep < s.File.size(); ++keep) {
            const Bytes cut(s.File.begin(), s.File.begin() + static_cast<std::ptrdiff_t>(keep));
            const TImageResult r = s.Decode(cut, "f");
            ExpectWellFormed(r);
            if (keep < s.Needed) {
                EXPECT_FALSE(r.Image) << "cut at " << keep;
                EXPECT_TRUE(r.Message) << "cut at " << keep;
            }
        }
    }
}

TEST(ImageGarbage, RandomBytes) {
    std::mt19937 random(20240611);
    const std::vector<std::uint8_t> interesting = {0x00, 0x01, 0x7F, 0x80, 0x81, 0xFE, 0xFF};
    for (const TSample& s : Samples()) {
        SCOPED_TRACE(s.What);
        for (int round = 0; round < 3000; ++round) {
            Bytes damaged = s.File;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < changes; ++k) {
                // Half the changes hit the headers, where sizes and offsets live.
                const std::size_t span =
                    random() % 2 ? std::min<std::size_t>(64, damaged.size()) : damaged.size();
                const std::size_t at = random() % span;
                damaged[at] = random() % 2 ? interesting[random() % interesting.size()]
                                           : static_cast<std::uint8_t>(random());
            }
            if (random() % 4 == 0) {
                damaged.resize(random() % damaged.size());
            }
            damaged.shrink_to_fit();
            ExpectWellFormed(s.Decode(damaged, "f"));
        }
    }
}

TEST(ImageGarbage, PlainNoise) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes noise(random() % 300);
        for (std::uint8_t& b : noise) {
            b = static_cast<std::uint8_t>(random());
        }
        // Give each decoder a plausible start now and then.
        if (noise.size() > 2 && round % 3 == 0) {
            noise[0] = 'B';
            noise[1] = 'M';
        }
        if (noise.size() > 3 && round % 3 == 1) {
            noise[1] = 0;
            noise[2] = round % 2 ? 2 : 10;
        }
        if (noise.size() > 3 && round % 5 == 2) {
            noise[0] = 0xFF;
            noise[1] = 0xD8;
            noise[2] = 0xFF;
        }
        ExpectWellFormed(DecodeBMP(noise, "n"));
        ExpectWellFormed(DecodeTGA(noise, "n"));
        ExpectWellFormed(DecodeJPG(noise, "n"));
    }
}

} // namespace
