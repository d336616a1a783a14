// 4 x 4 float matrix, row-major m11 .. m44, used with row vectors (v x M).
// In an orientation or world matrix rows 1-3 are the side, up and forward axes and row 4 the position.
#pragma once

namespace qxcommon {

struct Matrix4 {
    float m11 = 0.0f, m12 = 0.0f, m13 = 0.0f, m14 = 0.0f;
    float m21 = 0.0f, m22 = 0.0f, m23 = 0.0f, m24 = 0.0f;
    float m31 = 0.0f, m32 = 0.0f, m33 = 0.0f, m34 = 0.0f;
    float m41 = 0.0f, m42 = 0.0f, m43 = 0.0f, m44 = 0.0f;

    // Element by zero-based row and column, for code that loops over the matrix.
    constexpr float& operator()(int row, int col) { return this->*kElements[row][col]; }
    constexpr float operator()(int row, int col) const { return this->*kElements[row][col]; }

    friend constexpr bool operator==(const Matrix4&, const Matrix4&) = default;

private:
    static constexpr float Matrix4::*kElements[4][4] = {
        {&Matrix4::m11, &Matrix4::m12, &Matrix4::m13, &Matrix4::m14},
        {&Matrix4::m21, &Matrix4::m22, &Matrix4::m23, &Matrix4::m24},
        {&Matrix4::m31, &Matrix4::m32, &Matrix4::m33, &Matrix4::m34},
        {&Matrix4::m41, &Matrix4::m42, &Matrix4::m43, &Matrix4::m44},
    };
};

}  // namespace qxcommon
