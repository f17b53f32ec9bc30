// Palettes from bitmap colour tables, from resources and from files.
#include "bmp_files.h"
#include "ddutil.h"
#include "game_test_support.h"

namespace {

// Entries 0 and 255 are shown as black and white whatever the table says, so
// the table itself is checked through entries 1 to 254.
const int kFirst = 1;
const int kLast = 254;

class PaletteTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        HWND window = MakeWindow();
        ASSERT_EQ(DirectDrawCreateEx(NULL, (LPVOID*)&g_directDraw, IID_IDirectDraw7, NULL), DD_OK);
        ASSERT_EQ(g_directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
                  DD_OK);
    }

    std::vector<PALETTEENTRY> Entries(LPCSTR name) {
        IDirectDrawPalette* palette = DDLoadPalette(g_directDraw, name);
        std::vector<PALETTEENTRY> entries(256);
        EXPECT_NE(palette, nullptr);
        if (palette != nullptr) {
            EXPECT_EQ(palette->GetEntries(0, 0, 256, entries.data()), DD_OK);
            palette->Release();
        }
        return entries;
    }

    static PALETTEENTRY Default(int i) {
        return PALETTEENTRY{static_cast<BYTE>(((i >> 5) & 7) * 255 / 7),
                            static_cast<BYTE>(((i >> 2) & 7) * 255 / 7),
                            static_cast<BYTE>((i & 3) * 255 / 3), 0};
    }
};

bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue &&
           a.peFlags == b.peFlags;
}

// A built file whose colour table (when it has one) carries reserved bytes
// that are not zero, entry i holding i & 3, so that what becomes of them shows.
std::vector<uint8_t> FlaggedFile(bmpfiles::Image image) {
    for (int i = 0; i < bmpfiles::TableEntries(image); i++) {
        image.table.insert(image.table.end(),
                           {static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i),
                            static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i & 3)});
    }
    return bmpfiles::File(image);
}

// Entry i as the file's bytes give it: swapped (red first) or raw (blue first).
PALETTEENTRY FromBytes(const std::vector<uint8_t>& bytes, size_t offset, bool swapped) {
    const uint8_t* q = &bytes[offset];
    return swapped ? PALETTEENTRY{q[2], q[1], q[0], q[3]} : PALETTEENTRY{q[0], q[1], q[2], q[3]};
}

TEST_F(PaletteTest, BackgroundImageGivesItsOwnTableRedFirst) {
    HRSRC resource = FindResourceA(NULL, "BACKIMG", RT_BITMAP);
    ASSERT_NE(resource, nullptr);
    const BYTE* dib = static_cast<const BYTE*>(LockResource(LoadResource(NULL, resource)));
    ASSERT_NE(dib, nullptr);
    std::vector<PALETTEENTRY> entries = Entries("BACKIMG");
    for (int i = kFirst; i <= kLast; i++) {
        const BYTE* quad = dib + 40 + 4 * i;
        EXPECT_TRUE(Same(entries[i], PALETTEENTRY{quad[2], quad[1], quad[0], 0})) << i;
    }
    EXPECT_TRUE(Same(entries[145], PALETTEENTRY{21, 141, 91, 0}));
    EXPECT_TRUE(Same(entries[128], PALETTEENTRY{7, 4, 48, 0}));
}

TEST_F(PaletteTest, NoNameGivesTheDefaultColourCube) {
    std::vector<PALETTEENTRY> entries = Entries(NULL);
    for (int i = 0; i < 256; i++) {
        EXPECT_TRUE(Same(entries[i], Default(i))) << i;
    }
    EXPECT_TRUE(Same(entries[1], PALETTEENTRY{0, 0, 85, 0}));
    EXPECT_TRUE(Same(entries[32], PALETTEENTRY{36, 0, 0, 0}));
    EXPECT_TRUE(Same(entries[145], PALETTEENTRY{145, 145, 85, 0}));
    EXPECT_TRUE(Same(entries[224], PALETTEENTRY{255, 0, 0, 0}));
}

TEST_F(PaletteTest, NeitherResourceNorFileGivesTheDefault) {
    std::vector<PALETTEENTRY> entries = Entries("no such image anywhere.bmp");
    for (int i = 0; i < 256; i++) {
        EXPECT_TRUE(Same(entries[i], Default(i))) << i;
    }
}

TEST_F(PaletteTest, FullTableFileKeepsReservedBytesAsFlags) {
    std::vector<uint8_t> bytes = FlaggedFile({});
    std::vector<PALETTEENTRY> entries = Entries(bmpfiles::Write("full.bmp", bytes).c_str());
    for (int i = kFirst; i <= kLast; i++) {
        EXPECT_TRUE(Same(entries[i], FromBytes(bytes, 54 + 4 * i, true))) << i;
    }
    EXPECT_EQ(entries[3].peFlags, 3);
}

TEST_F(PaletteTest, SixteenColourFileFillsTheRestWithTheFollowingBytesUnswapped) {
    bmpfiles::Image layout;
    layout.colorsUsed = 16;
    layout.tableEntries = 16;
    layout.width = 64;
    layout.height = 16;
    std::vector<uint8_t> bytes = FlaggedFile(layout);
    std::vector<PALETTEENTRY> entries = Entries(bmpfiles::Write("sixteen.bmp", bytes).c_str());
    for (int i = kFirst; i < 16; i++) {
        EXPECT_TRUE(Same(entries[i], FromBytes(bytes, 54 + 4 * i, true))) << i;
    }
    for (int i = 16; i <= kLast; i++) {
        EXPECT_TRUE(Same(entries[i], FromBytes(bytes, 54 + 4 * i, false))) << i;
    }
}

TEST_F(PaletteTest, FourBitFileTakesSixteenEntries) {
    bmpfiles::Image layout;
    layout.bitCount = 4;
    layout.tableEntries = 16;
    layout.width = 128;
    layout.height = 16;
    std::vector<uint8_t> bytes = FlaggedFile(layout);
    std::vector<PALETTEENTRY> entries = Entries(bmpfiles::Write("four.bmp", bytes).c_str());
    EXPECT_TRUE(Same(entries[15], FromBytes(bytes, 54 + 60, true)));
    EXPECT_TRUE(Same(entries[16], FromBytes(bytes, 54 + 64, false)));
}

TEST_F(PaletteTest, FilesTheHeaderDoesNotAdmitGiveTheirRawBytes) {
    bmpfiles::Image trueColour;
    trueColour.bitCount = 24;
    trueColour.tableEntries = 0;
    trueColour.width = 32;
    trueColour.height = 16;
    bmpfiles::Image longHeader;
    longHeader.headerSize = 108;
    for (const bmpfiles::Image& layout : {trueColour, longHeader}) {
        std::vector<uint8_t> bytes = FlaggedFile(layout);
        std::vector<PALETTEENTRY> entries = Entries(bmpfiles::Write("raw.bmp", bytes).c_str());
        for (int i = kFirst; i <= kLast; i++) {
            EXPECT_TRUE(Same(entries[i], FromBytes(bytes, 54 + 4 * i, false)))
                << layout.bitCount << "/" << layout.headerSize << " entry " << i;
        }
    }
}

TEST_F(PaletteTest, ACountAboveTheTableIsCutToIt) {
    bmpfiles::Image layout;
    layout.colorsUsed = 100000;
    layout.tableEntries = 256;
    std::vector<uint8_t> bytes = FlaggedFile(layout);
    std::vector<PALETTEENTRY> entries = Entries(bmpfiles::Write("huge.bmp", bytes).c_str());
    for (int i = kFirst; i <= kLast; i++) {
        EXPECT_TRUE(Same(entries[i], FromBytes(bytes, 54 + 4 * i, true))) << i;
    }
}

TEST_F(PaletteTest, AShortFileLeavesTheUnreadEntriesAtTheirDefaults) {
    std::vector<uint8_t> bytes = FlaggedFile({});
    bytes.resize(54 + 4 * 10);
    std::vector<PALETTEENTRY> entries = Entries(bmpfiles::Write("short.bmp", bytes).c_str());
    for (int i = kFirst; i < 10; i++) {
        EXPECT_TRUE(Same(entries[i], FromBytes(bytes, 54 + 4 * i, true))) << i;
    }
    for (int i = 10; i <= kLast; i++) {
        EXPECT_TRUE(Same(entries[i], Default(i))) << i;
    }
}

TEST_F(PaletteTest, AFileWithoutAWholeHeaderGivesTheDefault) {
    std::vector<uint8_t> bytes = FlaggedFile({});
    bytes.resize(30);
    std::vector<PALETTEENTRY> entries = Entries(bmpfiles::Write("stub.bmp", bytes).c_str());
    for (int i = 0; i < 256; i++) {
        EXPECT_TRUE(Same(entries[i], Default(i))) << i;
    }
}

TEST_F(PaletteTest, FailedCreationGivesNull) {
    vplat::InjectFault("CreatePalette", DDERR_OUTOFMEMORY);
    EXPECT_EQ(DDLoadPalette(g_directDraw, "BACKIMG"), nullptr);
}

TEST_F(PaletteTest, AnUnlockableResourceSaysSoAndGivesTheDefault) {
    vplat::InjectFault("LockResource", 0);
    std::vector<PALETTEENTRY> entries = Entries("BACKIMG");
    EXPECT_EQ(vplat::DebugOutput(), "lock resource failed\n");
    for (int i = 0; i < 256; i++) {
        EXPECT_TRUE(Same(entries[i], Default(i))) << i;
    }
}

}  // namespace
