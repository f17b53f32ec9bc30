// A game may copy the shown frame back: the front buffer to an offscreen
// surface, the same whole rows, once before a Flip and once after. The copy
// after must hold the new frame, the copy before the old one, whatever the
// surfaces remember of earlier copies.
#include <string>

#include "ddraw_fixture.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;

// The first pixel that differs, said as a person would read it; "" none.
std::string FirstDifference(const std::vector<uint8_t>& found,
                            const std::vector<uint8_t>& expected) {
    if (found.size() != expected.size()) {
        return std::to_string(found.size()) + " pixels, expected " +
               std::to_string(expected.size());
    }
    for (size_t i = 0; i < found.size(); ++i) {
        if (found[i] != expected[i]) {
            return "pixel " + std::to_string(i % kW) + "," + std::to_string(i / kW) + " is " +
                   std::to_string(found[i]) + ", expected " + std::to_string(expected[i]);
        }
    }
    return "";
}

class FlipCopyBack : public DisplayTest {
protected:
    void CopyShown(IDirectDrawSurface7* to) {
        RECT rows = {0, 0, kW, kH};
        EXPECT_EQ(DD_OK, to->BltFast(0, 0, primary, &rows, DDBLTFAST_NOCOLORKEY));
    }
};

TEST_F(FlipCopyBack, TheCopyAfterAFlipHoldsTheNewFrameAndTheCopyBeforeTheOld) {
    IDirectDrawSurface7* before = Plain(kW, kH);
    IDirectDrawSurface7* after = Plain(kW, kH);
    std::vector<uint8_t> oldFrame = Pattern(kW * kH, 3);
    std::vector<uint8_t> newFrame = Pattern(kW * kH, 101);
    for (int round = 0; round < 2; ++round) {  // each buffer of the chain in front once
        Write(back, oldFrame);
        ASSERT_EQ(DD_OK, primary->Flip(nullptr, 0));
        CopyShown(before);
        CopyShown(after);
        Write(back, newFrame);
        ASSERT_EQ(DD_OK, primary->Flip(nullptr, 0));
        CopyShown(after);
        EXPECT_EQ(FirstDifference(Read(after), newFrame), "")
            << "round " << round << ": the copy after the Flip";
        EXPECT_EQ(FirstDifference(Read(before), oldFrame), "")
            << "round " << round << ": the copy before the Flip";
        EXPECT_EQ(FirstDifference(vplat::PresentedFrame().indices, newFrame), "")
            << "round " << round << ": the frame shown";
    }
}

}  // namespace
