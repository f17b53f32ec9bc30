// Reading BMP files into DIB sections: every bit depth and header the
// loader accepts, and a table of malformed files that it must refuse
// without reading or writing out of bounds.
#include "temp_dir.h"
#include <climits>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include <velmora_platform.h>

#include "bmp_files.h"

namespace {

using bmpfiles::Image;

class BmpTest : public ::testing::Test {
protected:
    void SetUp() override { vplat::ResetPlatform(); }
    void TearDown() override {
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
        vplat::ResetPlatform();
    }

    // Loads the file and selects it into a memory DC for GetPixel.
    HBITMAP Load(const Image& image) {
        HBITMAP bitmap = bmpfiles::LoadBytes(bmpfiles::File(image));
        if (bitmap != nullptr) {
            dc_ = CreateCompatibleDC(nullptr);
            SelectObject(dc_, bitmap);
        }
        return bitmap;
    }

    BITMAP Info(HBITMAP bitmap) {
        BITMAP info{};
        EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
        return info;
    }

    HDC dc_ = nullptr;
};

// Entry i of the builder's default table.
COLORREF TableColor(int i) {
    return RGB(i, 255 - i, i / 2);
}

TEST_F(BmpTest, EightBitBottomUpKeepsDepthTableAndRowOrder) {
    Image image;  // 4 x 3, byte k of the pixels is k * 7 + 1
    HBITMAP bitmap = Load(image);
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = Info(bitmap);
    EXPECT_EQ(info.bmType, 0);
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 3);
    EXPECT_EQ(info.bmWidthBytes, 4);
    EXPECT_EQ(info.bmPlanes, 1);
    EXPECT_EQ(info.bmBitsPixel, 8);
    ASSERT_NE(info.bmBits, nullptr);
    // bmBits holds the rows as stored: the bottom row first.
    EXPECT_EQ(static_cast<const uint8_t*>(info.bmBits)[0], 1);
    // The top row is the last stored row (bytes 8..11).
    EXPECT_EQ(GetPixel(dc_, 0, 0), TableColor(8 * 7 + 1));
    EXPECT_EQ(GetPixel(dc_, 3, 2), TableColor(3 * 7 + 1));
}

TEST_F(BmpTest, TopDownRowsComeFirst) {
    Image image;
    image.height = -3;
    HBITMAP bitmap = Load(image);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(Info(bitmap).bmHeight, 3);  // positive, as Windows reports it
    EXPECT_EQ(GetPixel(dc_, 0, 0), TableColor(1));
    EXPECT_EQ(GetPixel(dc_, 0, 2), TableColor(8 * 7 + 1));
}

TEST_F(BmpTest, SmallDepthsReadTheirBitsHighFirst) {
    Image one;
    one.bitCount = 1;
    one.width = 9;
    one.height = 1;
    one.pixels = {0xA0, 0x80, 0, 0};  // 1 0 1 0 0 0 0 0 | 1
    ASSERT_NE(Load(one), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), TableColor(1));
    EXPECT_EQ(GetPixel(dc_, 1, 0), TableColor(0));
    EXPECT_EQ(GetPixel(dc_, 2, 0), TableColor(1));
    EXPECT_EQ(GetPixel(dc_, 8, 0), TableColor(1));
    EXPECT_EQ(Info(bmpfiles::LoadBytes(bmpfiles::File(one), "one.bmp")).bmBitsPixel, 1);
}

TEST_F(BmpTest, FourBitPixelsUseSixteenEntries) {
    Image four;
    four.bitCount = 4;
    four.width = 3;
    four.height = 1;
    four.pixels = {0x5F, 0x20, 0, 0};
    ASSERT_NE(Load(four), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), TableColor(5));
    EXPECT_EQ(GetPixel(dc_, 1, 0), TableColor(15));
    EXPECT_EQ(GetPixel(dc_, 2, 0), TableColor(2));
}

TEST_F(BmpTest, DirectColourDepthsDecodeTheirChannels) {
    Image rgb24;
    rgb24.bitCount = 24;
    rgb24.width = 1;
    rgb24.height = 1;
    rgb24.pixels = {0x30, 0x20, 0x10, 0};  // blue, green, red
    ASSERT_NE(Load(rgb24), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), RGB(0x10, 0x20, 0x30));
    DeleteDC(dc_);

    // 16 bits without masks are 5-5-5; 31 widens to 255.
    Image rgb555;
    rgb555.bitCount = 16;
    rgb555.width = 2;
    rgb555.height = 1;
    rgb555.pixels = {0x00, 0x7C, 0x1F, 0x00};  // pure red, pure blue
    ASSERT_NE(Load(rgb555), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc_, 1, 0), RGB(0, 0, 255));
}

TEST_F(BmpTest, BitfieldMasksAfterAShortHeaderOrInsideALongOne) {
    Image rgb565;
    rgb565.bitCount = 16;
    rgb565.compression = BI_BITFIELDS;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.width = 2;
    rgb565.height = 1;
    rgb565.pixels = {0xE0, 0x07, 0x10, 0x00};  // full green; blue 16 of 31
    ASSERT_NE(Load(rgb565), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc_, 1, 0), RGB(0, 0, 132));
    DeleteDC(dc_);

    Image v5;
    v5.headerSize = 124;
    v5.bitCount = 32;
    v5.compression = BI_BITFIELDS;
    v5.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
    v5.width = 1;
    v5.height = 1;
    v5.pixels = {0x11, 0x22, 0x33, 0x00};
    ASSERT_NE(Load(v5), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), RGB(0x11, 0x22, 0x33));
}

TEST_F(BmpTest, LongerHeadersAreSteppedOver) {
    Image v4;
    v4.headerSize = 108;
    ASSERT_NE(Load(v4), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), TableColor(8 * 7 + 1));
}

TEST_F(BmpTest, AShortTableCountIsHonoured) {
    Image image;
    image.colorsUsed = 2;
    image.pixels = std::vector<uint8_t>(12, 1);
    image.pixels[8] = 7;  // top-left: past the two entries, shown black
    ASSERT_NE(Load(image), nullptr);
    EXPECT_EQ(GetPixel(dc_, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc_, 1, 0), TableColor(1));
}

TEST_F(BmpTest, AZeroPixelOffsetMeansRightAfterTheTable) {
    std::vector<uint8_t> bytes = bmpfiles::File(Image{});
    bmpfiles::Poke(bytes, bmpfiles::kOffBits, 0, 4);
    HBITMAP bitmap = bmpfiles::LoadBytes(bytes);
    ASSERT_NE(bitmap, nullptr);
    dc_ = CreateCompatibleDC(nullptr);
    SelectObject(dc_, bitmap);
    EXPECT_EQ(GetPixel(dc_, 0, 0), TableColor(8 * 7 + 1));
}

struct Rejection {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> breakIt;
};

void PrintTo(const Rejection& rejection, std::ostream* out) {
    *out << rejection.what;
}

void PokeAt(std::vector<uint8_t>& b, size_t at, uint32_t value, int bytes = 4) {
    bmpfiles::Poke(b, at, value, bytes);
}

const Rejection kRejections[] = {
    {"empty file", [](auto& b) { b.clear(); }},
    {"shorter than the file header", [](auto& b) { b.resize(10); }},
    {"no BM signature", [](auto& b) { b[0] = 'X'; }},
    {"info header cut", [](auto& b) { b.resize(30); }},
    {"zero width", [](auto& b) { PokeAt(b, bmpfiles::kWidth, 0); }},
    {"negative width", [](auto& b) { PokeAt(b, bmpfiles::kWidth, static_cast<uint32_t>(-4)); }},
    {"zero height", [](auto& b) { PokeAt(b, bmpfiles::kHeight, 0); }},
    {"width above 65535", [](auto& b) { PokeAt(b, bmpfiles::kWidth, 65536); }},
    {"height above 65535", [](auto& b) { PokeAt(b, bmpfiles::kHeight, 70000); }},
    {"top-down height below -65535",
     [](auto& b) { PokeAt(b, bmpfiles::kHeight, static_cast<uint32_t>(-70000)); }},
    {"most negative height",
     [](auto& b) { PokeAt(b, bmpfiles::kHeight, static_cast<uint32_t>(INT_MIN)); }},
    {"size that overflows 32 bits",
     [](auto& b) {
         PokeAt(b, bmpfiles::kWidth, 65535);
         PokeAt(b, bmpfiles::kHeight, 65535);
         PokeAt(b, bmpfiles::kBitCount, 32, 2);
     }},
    {"bit count 0", [](auto& b) { PokeAt(b, bmpfiles::kBitCount, 0, 2); }},
    {"bit count 2", [](auto& b) { PokeAt(b, bmpfiles::kBitCount, 2, 2); }},
    {"bit count 7", [](auto& b) { PokeAt(b, bmpfiles::kBitCount, 7, 2); }},
    {"bit count 64", [](auto& b) { PokeAt(b, bmpfiles::kBitCount, 64, 2); }},
    {"run-length compression", [](auto& b) { PokeAt(b, bmpfiles::kCompression, BI_RLE8); }},
    {"JPEG compression", [](auto& b) { PokeAt(b, bmpfiles::kCompression, 4); }},
    {"unknown compression", [](auto& b) { PokeAt(b, bmpfiles::kCompression, 99); }},
    {"bit fields on 8 bits", [](auto& b) { PokeAt(b, bmpfiles::kCompression, BI_BITFIELDS); }},
    {"257 colours", [](auto& b) { PokeAt(b, bmpfiles::kColorsUsed, 257); }},
    {"huge colour count", [](auto& b) { PokeAt(b, bmpfiles::kColorsUsed, 0xFFFFFFFF); }},
    {"colour table beyond the file", [](auto& b) { b.resize(14 + 40 + 100); }},
    {"header size 12", [](auto& b) { PokeAt(b, bmpfiles::kHeaderSize, 12); }},
    {"header size 39", [](auto& b) { PokeAt(b, bmpfiles::kHeaderSize, 39); }},
    {"header larger than the file", [](auto& b) { PokeAt(b, bmpfiles::kHeaderSize, 5000); }},
    {"header size 0xFFFFFFFF", [](auto& b) { PokeAt(b, bmpfiles::kHeaderSize, 0xFFFFFFFF); }},
    {"pixel offset past the end",
     [](auto& b) { PokeAt(b, bmpfiles::kOffBits, static_cast<uint32_t>(b.size() + 10)); }},
    {"pixel offset at the end",
     [](auto& b) { PokeAt(b, bmpfiles::kOffBits, static_cast<uint32_t>(b.size())); }},
    {"pixel offset inside the header", [](auto& b) { PokeAt(b, bmpfiles::kOffBits, 20); }},
    {"pixel offset near 4 GiB", [](auto& b) { PokeAt(b, bmpfiles::kOffBits, 0xFFFFFFF0); }},
    {"pixel data one byte short", [](auto& b) { b.pop_back(); }},
    {"pixel data missing", [](auto& b) { b.resize(b.size() - 12); }},
};

class BmpRejectionTest : public ::testing::TestWithParam<Rejection> {
protected:
    void SetUp() override { vplat::ResetPlatform(); }
};

TEST_P(BmpRejectionTest, IsRefusedWithoutAHandle) {
    std::vector<uint8_t> bytes = bmpfiles::File(Image{});
    ASSERT_NE(bmpfiles::LoadBytes(bytes, "valid.bmp"), nullptr) << "the unbroken file loads";
    GetParam().breakIt(bytes);
    EXPECT_EQ(bmpfiles::LoadBytes(bytes, "broken.bmp"), nullptr) << GetParam().what;
}

// The fuzz targets start from these same files: the committed seed corpus
// holds every malformed class above, byte for byte, under the case's name.
// VELMORA_WRITE_FUZZ_SEEDS=1 writes the corpus anew when the table changes.
void ExpectInSeedCorpus(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = std::string(VELMORA_SOURCE_DIR) + "/fuzz/corpus/bmp_parse/" + name + ".bmp";
    if (getenv("VELMORA_WRITE_FUZZ_SEEDS") != nullptr) {
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr) << path;
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> seed((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_TRUE(in.good() || in.eof()) << path << " is missing from the seed corpus";
    EXPECT_EQ(seed, bytes) << path << " holds " << seed.size() << " bytes, not the case's "
                           << bytes.size();
}

std::string RejectionName(const Rejection& rejection) {
    std::string name;
    for (const char* p = rejection.what; *p; ++p) {
        name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    }
    return name;
}

TEST_P(BmpRejectionTest, IsInTheFuzzSeedCorpus) {
    std::vector<uint8_t> bytes = bmpfiles::File(Image{});
    GetParam().breakIt(bytes);
    ExpectInSeedCorpus(RejectionName(GetParam()), bytes);
}

INSTANTIATE_TEST_SUITE_P(MalformedFiles, BmpRejectionTest, ::testing::ValuesIn(kRejections),
                         [](const ::testing::TestParamInfo<Rejection>& info) {
                             return RejectionName(info.param);
                         });

// Sound files of every kind the parser takes seed the fuzzing too.
TEST(BmpFuzzSeeds, SoundFilesOfEachKindAreInTheCorpus) {
    vplat::ResetPlatform();
    Image eight, four, one, sixteen, twentyFour, thirtyTwo, topDown, fewColours;
    four.bitCount = 4;
    one.bitCount = 1;
    one.width = 19;
    sixteen.bitCount = 16;
    sixteen.compression = BI_BITFIELDS;
    sixteen.masks = {0xF800, 0x07E0, 0x001F};
    twentyFour.bitCount = 24;
    thirtyTwo.bitCount = 32;
    topDown.height = -5;
    fewColours.colorsUsed = 7;
    const std::pair<const char*, Image> kinds[] = {
        {"valid_8_bit", eight},       {"valid_4_bit", four},
        {"valid_1_bit", one},         {"valid_16_bit_bit_fields", sixteen},
        {"valid_24_bit", twentyFour}, {"valid_32_bit", thirtyTwo},
        {"valid_top_down", topDown},  {"valid_7_colours", fewColours},
    };
    for (const auto& [name, image] : kinds) {
        std::vector<uint8_t> bytes = bmpfiles::File(image);
        EXPECT_NE(bmpfiles::LoadBytes(bytes, "seed.bmp"), nullptr) << name << " does not load";
        ExpectInSeedCorpus(name, bytes);
    }
}

TEST(BmpFileTest, DirectoriesDevicesAndMissingFilesGiveNull) {
    vplat::ResetPlatform();
    EXPECT_EQ(bmpfiles::LoadFile(velmora_test::TempDir()), nullptr);
    EXPECT_EQ(bmpfiles::LoadFile("/dev/zero"), nullptr);
    EXPECT_EQ(bmpfiles::LoadFile("/no/such/file.bmp"), nullptr);
}

// Random damage to valid files of several kinds: whatever the loader makes
// of them must be safe to use (run under the sanitizer preset to see it).
TEST(BmpFuzzTest, MutatedFilesNeverBreakTheLoader) {
    vplat::ResetPlatform();
    Image eight, four, sixteen;
    four.bitCount = 4;
    sixteen.bitCount = 16;
    sixteen.compression = BI_BITFIELDS;
    sixteen.masks = {0xF800, 0x07E0, 0x001F};
    const std::vector<uint8_t> seeds[] = {bmpfiles::File(eight), bmpfiles::File(four),
                                          bmpfiles::File(sixteen)};
    std::mt19937 random(1234);
    HDC target = CreateCompatibleDC(nullptr);
    HBITMAP canvas = bmpfiles::LoadBytes(bmpfiles::File(eight), "canvas.bmp");
    ASSERT_NE(SelectObject(target, canvas), nullptr);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = seeds[round % 3];
        int damage = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < damage; ++i) {
            size_t at = random() % (bytes.size() < 70 ? bytes.size() : 70 + random() % 8);
            bytes[at % bytes.size()] = static_cast<uint8_t>(random());
        }
        if (random() % 4 == 0) {
            bytes.resize(random() % (bytes.size() + 16));
        }
        vplat::ClearJournal();
        HBITMAP bitmap = bmpfiles::LoadBytes(bytes, "fuzz.bmp");
        if (bitmap == nullptr) {
            continue;
        }
        ++loaded;
        BITMAP info{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
        ASSERT_GT(info.bmWidth, 0);
        ASSERT_LE(info.bmWidth, 65535);
        ASSERT_GT(info.bmHeight, 0);
        ASSERT_LE(info.bmHeight, 65535);
        HDC source = CreateCompatibleDC(nullptr);
        SelectObject(source, bitmap);
        GetPixel(source, info.bmWidth - 1, info.bmHeight - 1);
        StretchBlt(target, 0, 0, 4, 3, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        DeleteDC(source);
        DeleteObject(bitmap);
    }
    EXPECT_GT(loaded, 0) << "some mutations leave a loadable file";
    DeleteDC(target);
}

}  // namespace
