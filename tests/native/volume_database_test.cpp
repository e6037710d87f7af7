#include <gtest/gtest.h>

#include "memory/trim_band.h"
#include "memory/volume_database.h"

using VolumeDatabase::clampToHostScale;
using VolumeDatabase::NO_RECORD;
using VolumeDatabase::storedValueFor;
using VolumeDatabase::volumeToApply;

TEST(StoredValues, AreTheOffsetFromTheReferencePlus255) {
    EXPECT_EQ(storedValueFor(100, 130), 225);
    EXPECT_EQ(storedValueFor(0, 255), 0);
    EXPECT_EQ(storedValueFor(255, 0), 510);
}

TEST(StoredValues, ComeBackAsTheSameVolumeWhileTheReferenceStands) {
    for (int reference : {0, 97, 130, 255}) {
        for (int end = 0; end <= 255; ++end) {
            int applied = volumeToApply(storedValueFor(end, reference), reference);
            // Below zero the arithmetic gives 0: the offset can't push under the scale.
            EXPECT_EQ(applied, end) << "end " << end << " reference " << reference;
        }
    }
}

TEST(AppliedVolume, FollowsTheStoredValueArithmetic) {
    EXPECT_EQ(volumeToApply(NO_RECORD, 130), 130);
    EXPECT_EQ(volumeToApply(NO_RECORD, 97), 97);
    EXPECT_EQ(volumeToApply(255, 200), 200);
    EXPECT_EQ(volumeToApply(0, 200), 0);      // 200 is below 255
    EXPECT_EQ(volumeToApply(510, 255), 510);  // unclamped by the arithmetic itself
    EXPECT_EQ(volumeToApply(-5, 130), 0);     // hand-edited: sum 125 is below 255
}

TEST(AppliedVolume, TreatsASumBelowZeroAsVeryLarge) {
    // -1000 + 130 wraps as unsigned, so it is "at least 255" and comes out negative.
    EXPECT_EQ(volumeToApply(-1000, 130), -1000 + 130 - 255);
}

TEST(AppliedVolume, IsClampedToTheHostScaleBeforeItIsSent) {
    EXPECT_EQ(clampToHostScale(volumeToApply(510, 255)), 255);
    EXPECT_EQ(clampToHostScale(volumeToApply(-1000, 130)), 0);
    EXPECT_EQ(clampToHostScale(-666), 0);
    EXPECT_EQ(clampToHostScale(97), 97);
}

TEST(TrimBands, ExcludeTheirBoundsAndDefaultToTheNarrowestChoice) {
    TrimBand narrow = TrimBand::forChoice(1);
    EXPECT_FALSE(narrow.contains(98));
    EXPECT_TRUE(narrow.contains(99));
    EXPECT_TRUE(narrow.contains(161));
    EXPECT_FALSE(narrow.contains(162));
    for (int odd : {-1, 0, 4, 7}) {
        TrimBand band = TrimBand::forChoice(odd);
        EXPECT_EQ(band.lower, narrow.lower) << odd;
        EXPECT_EQ(band.upper, narrow.upper) << odd;
    }
}

TEST(TrimBands, WidenWithTheChoiceAndStayCentredOn130) {
    TrimBand b18 = TrimBand::forChoice(2), b24 = TrimBand::forChoice(3);
    EXPECT_TRUE(b18.contains(83));
    EXPECT_FALSE(b18.contains(82));
    EXPECT_TRUE(b18.contains(177));
    EXPECT_FALSE(b18.contains(178));
    EXPECT_TRUE(b24.contains(67));
    EXPECT_TRUE(b24.contains(193));
    EXPECT_FALSE(b24.contains(194));
    for (int choice : {1, 2, 3}) {
        TrimBand band = TrimBand::forChoice(choice);
        EXPECT_EQ(band.lower + band.upper, 260u) << choice;
    }
}

TEST(TrimBands, NeverHoldANegativeValue) {
    for (int choice : {1, 2, 3}) EXPECT_FALSE(TrimBand::forChoice(choice).contains(-100));
}
