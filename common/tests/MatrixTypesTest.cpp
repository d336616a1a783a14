#include <qxcommon/Matrix4.h>
#include <qxcommon/Vector3.h>

#include <gtest/gtest.h>

using qxcommon::Matrix4;
using qxcommon::Vector3;

TEST(SharedTypes, DefaultsAreZero) {
    EXPECT_EQ(Vector3{}, (Vector3{0, 0, 0}));
    Matrix4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(m(r, c), 0.0f);
}

TEST(SharedTypes, IndexedAccessFollowsRowMajorNames) {
    Matrix4 m;
    float v = 1.0f;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m(r, c) = v++;
    EXPECT_EQ(m.m11, 1.0f);
    EXPECT_EQ(m.m14, 4.0f);
    EXPECT_EQ(m.m21, 5.0f);
    EXPECT_EQ(m.m32, 10.0f);
    EXPECT_EQ(m.m41, 13.0f);
    EXPECT_EQ(m.m44, 16.0f);
}
