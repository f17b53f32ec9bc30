// The fault list of a headless run: what it takes, what it refuses (naming
// the item), and that the calls it may name are exactly those the platform
// lets a fault answer, as docs/headless.md lists them.
#include <gtest/gtest.h>
#include <velmora_platform.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "core/fault_list.h"

namespace {

using vplat::faults::FaultItem;

std::vector<FaultItem> Parse(const std::string& text) {
    std::vector<FaultItem> items;
    std::string error;
    EXPECT_TRUE(vplat::faults::ParseFaultList(text, &items, &error))
        << "\"" << text << "\" refused: " << error;
    return items;
}

std::string Refusal(const std::string& text) {
    std::vector<FaultItem> items;
    std::string error;
    EXPECT_FALSE(vplat::faults::ParseFaultList(text, &items, &error))
        << "\"" << text << "\" was taken";
    return error;
}

TEST(FaultList, TakesResultsCountsAndHiddenResources) {
    std::vector<FaultItem> items =
        Parse("SetDisplayMode=0x88760078,Flip=0x887601C2*3,hide:CHARA,_lopen=0xffffffff");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].name, "SetDisplayMode");
    EXPECT_EQ(items[0].result, static_cast<int32_t>(0x88760078));
    EXPECT_EQ(items[0].times, -1) << "no count: every call";
    EXPECT_EQ(items[1].name, "Flip");
    EXPECT_EQ(items[1].times, 3);
    EXPECT_TRUE(items[2].hide);
    EXPECT_EQ(items[2].name, "CHARA");
    EXPECT_EQ(items[3].result, -1);
    EXPECT_TRUE(Parse("").empty()) << "no list, no faults";
}

TEST(FaultList, ResourceNamesAreMatchedWithoutRegardToCaseAsTheLookUpDoes) {
    std::vector<FaultItem> items = Parse("hide:chara,hide:BackImg");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "chara");
}

TEST(FaultList, RefusesNamesThatWouldSilentlyDoNothing) {
    EXPECT_EQ(Refusal("Bogus=0x80004005"),
              "\"Bogus=0x80004005\": no call of that name can be faulted");
    EXPECT_EQ(Refusal("flip=0x1"), "\"flip=0x1\": no call of that name can be faulted")
        << "call names keep their case";
    EXPECT_EQ(Refusal("Flip=0x1,hide:NOPE"),
              "\"hide:NOPE\": the program has no resource of that name");
    EXPECT_EQ(Refusal("hide:"), "\"hide:\": the program has no resource of that name");
    EXPECT_EQ(Refusal("=0x1"), "\"=0x1\": no call of that name can be faulted");
}

TEST(FaultList, RefusesResultsThatAreNotPlainHex) {
    const std::string wrong = ": the result must be 0x and one to eight hex digits";
    for (const char* item : {"Flip= 0x1", "Flip=+0x1", "Flip=-0", "Flip=1", "Flip=0x", "Flip=0X1",
                             "Flip=0x1 ", "Flip=0x123456789", "Flip=0xg", "Flip=", "Flip=0x1*"}) {
        std::string expected = std::string("\"") + item + "\"" + wrong;
        if (std::string(item) == "Flip=0x1*") {
            expected = "\"Flip=0x1*\": the count after * must be a positive decimal number";
        }
        EXPECT_EQ(Refusal(item), expected);
    }
}

TEST(FaultList, RefusesCountsThatAreNotPositiveDecimals) {
    const std::string wrong = ": the count after * must be a positive decimal number";
    for (const char* item : {"Flip=0x1*0", "Flip=0x1*-1", "Flip=0x1*+2", "Flip=0x1* 2",
                             "Flip=0x1*0x2", "Flip=0x1*2*3", "Flip=0x1*99999999999"}) {
        EXPECT_EQ(Refusal(item), std::string("\"") + item + "\"" + wrong);
    }
}

TEST(FaultList, RefusesEmptyItemsAndMissingEquals) {
    EXPECT_EQ(Refusal("Flip=0x1,"),
              "\"\": an empty item (two commas together, or one at either end)");
    EXPECT_EQ(Refusal(",Flip=0x1"),
              "\"\": an empty item (two commas together, or one at either end)");
    EXPECT_EQ(Refusal("SetDisplayMode"),
              "\"SetDisplayMode\": expected Call=0xHRESULT, Call=0xHRESULT*N or hide:NAME");
}

TEST(FaultList, NothingIsPutInForceWhenAnyItemIsRefused) {
    vplat::ResetPlatform();
    std::string error;
    EXPECT_FALSE(vplat::faults::ApplyFaultList("GetTickCount=0x7,Bogus=0x1", &error));
    EXPECT_EQ(GetTickCount(), 0u) << "the sound first item was put in force";
    EXPECT_TRUE(vplat::faults::ApplyFaultList("GetTickCount=0x7*1,hide:TITLE", &error)) << error;
    EXPECT_EQ(GetTickCount(), 7u);
    EXPECT_EQ(GetTickCount(), 0u);
    EXPECT_EQ(FindResourceA(nullptr, "TITLE", RT_BITMAP), nullptr);
    vplat::ResetPlatform();
}

std::string ReadSource(const std::filesystem::path& relative) {
    std::ifstream in(std::filesystem::path(VELMORA_SOURCE_DIR) / relative);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        found.insert((*it)[1]);
    }
    return found;
}

// Every name of the list is one some call enters under (the compiler sees to
// the converse); a name no call uses would be taken and do nothing.
TEST(FaultList, EveryFaultableNameIsOneACallEntersUnder) {
    std::set<std::string> used;
    std::regex entered(R"re(\bName::([A-Za-z_0-9]+))re");
    for (const char* folder : {"kernel", "user", "gdi", "ddraw"}) {
        std::filesystem::path root = std::filesystem::path(VELMORA_SOURCE_DIR) / "platform/src";
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            std::set<std::string> found = Matches(ReadSource(entry.path()), entered);
            used.insert(found.begin(), found.end());
        }
    }
    for (const std::string& name : vplat::faults::FaultableCalls()) {
        EXPECT_EQ(used.count(name), 1u) << name << " can be faulted but no call enters under it";
    }
    EXPECT_GT(used.size(), 60u) << "the sources were not found under " << VELMORA_SOURCE_DIR;
}

// docs/headless.md names every call VELMORA_FAULTS may name, and no other.
TEST(FaultList, TheDocsListExactlyTheFaultableCalls) {
    std::string docs = ReadSource("docs/headless.md");
    size_t start = docs.find("Call exactly one of these names:");
    size_t end = docs.find("Anything else", start);
    ASSERT_NE(start, std::string::npos)
        << "docs/headless.md no longer introduces the list of names";
    ASSERT_NE(end, std::string::npos) << "docs/headless.md's list of names has no end";
    std::set<std::string> inDocs =
        Matches(docs.substr(start, end - start), std::regex("`([A-Za-z_0-9]+)`"));
    const std::vector<std::string>& listed = vplat::faults::FaultableCalls();
    std::set<std::string> inList(listed.begin(), listed.end());
    for (const std::string& name : inList) {
        EXPECT_EQ(inDocs.count(name), 1u)
            << name << " can be faulted but docs/headless.md omits it";
    }
    for (const std::string& name : inDocs) {
        EXPECT_EQ(inList.count(name), 1u)
            << "docs/headless.md lists " << name << ", which cannot be faulted";
    }
}

}  // namespace
