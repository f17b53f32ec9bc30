// The fault list of a headless run: what it takes, what it refuses (naming
// the item), and that the calls it may name are exactly those the platform
// lets a fault answer.
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

// Every call of the platform that asks the fault injection names itself
// with a string literal; the list of names that can be faulted must hold
// exactly those, or a new call could not be faulted from outside (or a
// removed one would be taken and do nothing).
std::set<std::string> NamesAskedInTheSources() {
    std::set<std::string> names;
    std::regex asked(R"re(\b(?:Faulted|Journaled|WriteFormatted)\(\s*"([A-Za-z_0-9]+)")re");
    std::filesystem::path root = std::filesystem::path(VELMORA_SOURCE_DIR) / "platform" / "src";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".h") {
            continue;
        }
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        std::string source = text.str();
        for (std::sregex_iterator it(source.begin(), source.end(), asked), end; it != end; ++it) {
            names.insert((*it)[1]);
        }
    }
    return names;
}

TEST(FaultList, FaultableCallsAreExactlyTheCallsThePlatformLetsAFaultAnswer) {
    std::set<std::string> inSources = NamesAskedInTheSources();
    const std::vector<std::string>& listed = vplat::faults::FaultableCalls();
    std::set<std::string> inList(listed.begin(), listed.end());
    for (const std::string& name : inSources) {
        EXPECT_EQ(inList.count(name), 1u) << name << " can be faulted but is not in the list";
    }
    for (const std::string& name : inList) {
        EXPECT_EQ(inSources.count(name), 1u) << name << " is listed but no call asks for it";
    }
    EXPECT_GT(inSources.size(), 60u) << "the sources were not found under " << VELMORA_SOURCE_DIR;
}

}  // namespace
