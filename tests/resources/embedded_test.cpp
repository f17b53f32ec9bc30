// The Linux build's embedded resources: generated from resources.rc, each
// entry the bitmap file without its 14-byte file header, as the Windows
// resource compiler stores it.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "bitmap_file.h"
#include "embedded_resources.h"

namespace {

std::vector<std::pair<std::string, std::string>> BitmapLinesOfResourceScript() {
    std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/resources/resources.rc");
    std::vector<std::pair<std::string, std::string>> lines;
    std::regex bitmap_line(R"(^\s*(\w+)\s+BITMAP\s+\"([^\"]+)\"\s*$)");
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_match(line, m, bitmap_line))
            lines.emplace_back(m[1], m[2]);
    }
    return lines;
}

TEST(EmbeddedResources, NameTheFourImagesOfTheResourceScript) {
    auto lines = BitmapLinesOfResourceScript();
    ASSERT_EQ(lines.size(), 4u);
    size_t count = 0;
    const EmbeddedResource* table = EmbeddedResources(&count);
    ASSERT_EQ(count, lines.size());
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(table[i].name, lines[i].first);
        EXPECT_EQ(lines[i].second, lines[i].first + ".bmp");
        EXPECT_EQ(table[i].type, 2);
    }
}

TEST(EmbeddedResources, HoldEachFileWithoutItsFileHeader) {
    size_t count = 0;
    const EmbeddedResource* table = EmbeddedResources(&count);
    ASSERT_EQ(count, 4u);
    for (size_t i = 0; i < count; ++i) {
        std::vector<uint8_t> file = ReadFileBytes(ImagePath(table[i].name));
        ASSERT_GT(file.size(), kFileHeaderSize);
        std::vector<uint8_t> packed(file.begin() + kFileHeaderSize, file.end());
        std::vector<uint8_t> embedded(table[i].data, table[i].data + table[i].size);
        ASSERT_EQ(embedded, packed) << table[i].name;
        EXPECT_EQ(Le32(embedded, 0), 40u) << "starts with the BITMAPINFOHEADER";
    }
}

}  // namespace
