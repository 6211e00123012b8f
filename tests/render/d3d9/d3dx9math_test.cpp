#include "render/d3d9/d3dx9math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace {

// Distance in units in the last place between two finite floats of the same sign, or a huge
// value across signs (zero excepted).
std::int64_t UlpDistance(float a, float b) {
    if (a == b) {
        return 0;
    }
    std::int32_t ia = 0;
    std::int32_t ib = 0;
    std::memcpy(&ia, &a, sizeof a);
    std::memcpy(&ib, &b, sizeof b);
    // Map the sign-magnitude representation onto a monotonic integer line.
    const auto ordered = [](std::int32_t i) -> std::int64_t {
        return i < 0 ? -static_cast<std::int64_t>(i & 0x7FFFFFFF) : i;
    };
    const std::int64_t d = ordered(ia) - ordered(ib);
    return d < 0 ? -d : d;
}

void ExpectNear4Ulp(const D3DXMATRIX& actual, const float (&expected)[4][4]) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_LE(UlpDistance(actual.m[r][c], expected[r][c]), 4)
                << "element [" << r << "][" << c << "] = " << actual.m[r][c] << ", expected "
                << expected[r][c];
        }
    }
}

D3DXMATRIX Sequence(float start) {
    D3DXMATRIX m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            m.m[r][c] = start + static_cast<float>(4 * r + c);
        }
    }
    return m;
}

TEST(D3DXMatrixTest, PerspectiveFovLHMatchesReferenceVector) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&m, 0.2f, 0.75f, -2.4f, 8.7f), &m);
    const float expected[4][4] = {{13.288858f, 0, 0, 0},
                                  {0, 9.9666444f, 0, 0},
                                  {0, 0, 0.78378378f, 1},
                                  {0, 0, 1.8810811f, 0}};
    ExpectNear4Ulp(m, expected);
}

TEST(D3DXMatrixTest, PerspectiveFovLHMapsNearAndFarToZeroAndOne) {
    D3DXMATRIX m;
    D3DXMatrixPerspectiveFovLH(&m, std::numbers::pi_v<float> / 4, 1.0f, 1.0f, 5000.0f);
    for (float z : {1.0f, 5000.0f}) {
        const float clipZ = z * m.m[2][2] + m.m[3][2];
        const float clipW = z * m.m[2][3] + m.m[3][3];
        EXPECT_NEAR(clipZ / clipW, z == 1.0f ? 0.0f : 1.0f, 1e-6f);
    }
    // A 45 degree field of view with aspect 1 scales x and y alike by cot(pi/8).
    EXPECT_NEAR(m.m[0][0], 1.0f / std::tan(std::numbers::pi_v<float> / 8), 1e-6f);
    EXPECT_EQ(m.m[0][0], m.m[1][1]);
}

TEST(D3DXMatrixTest, RotationXMatchesReferenceVector) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixRotationX(&m, std::numbers::pi_v<float> / 3), &m);
    const float s = std::sqrt(3.0f) / 2;
    const float expected[4][4] = {{1, 0, 0, 0}, {0, 0.5f, s, 0}, {0, -s, 0.5f, 0}, {0, 0, 0, 1}};
    ExpectNear4Ulp(m, expected);
}

TEST(D3DXMatrixTest, RotationZTurnsXTowardY) {
    D3DXMATRIX m = Sequence(7);  // every element overwritten
    D3DXMatrixRotationZ(&m, std::numbers::pi_v<float> / 6);
    const float expected[4][4] = {{std::sqrt(3.0f) / 2, 0.5f, 0, 0},
                                  {-0.5f, std::sqrt(3.0f) / 2, 0, 0},
                                  {0, 0, 1, 0},
                                  {0, 0, 0, 1}};
    ExpectNear4Ulp(m, expected);
}

TEST(D3DXMatrixTest, TranslationOverwritesEveryElement) {
    D3DXMATRIX m = Sequence(3);
    EXPECT_EQ(D3DXMatrixTranslation(&m, -600, -600, -3000), &m);
    EXPECT_EQ(m, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -600, -600, -3000, 1));
}

TEST(D3DXMatrixTest, MultiplyAppliesFirstFactorFirst) {
    // Translate then rotate about z by 90 degrees: (1,0,0) -> (2,0,0) -> (0,2,0).
    D3DXMATRIX t;
    D3DXMATRIX r;
    D3DXMATRIX product;
    D3DXMatrixTranslation(&t, 1, 0, 0);
    D3DXMatrixRotationZ(&r, std::numbers::pi_v<float> / 2);
    EXPECT_EQ(D3DXMatrixMultiply(&product, &t, &r), &product);
    const float x = 1 * product.m[0][0] + product.m[3][0];
    const float y = 1 * product.m[0][1] + product.m[3][1];
    EXPECT_NEAR(x, 0.0f, 1e-6f);
    EXPECT_NEAR(y, 2.0f, 1e-6f);
}

TEST(D3DXMatrixTest, MultiplyIsTheRowByColumnProductEvenWhenOutputAliasesAnInput) {
    const D3DXMATRIX a = Sequence(1);
    const D3DXMATRIX b = Sequence(-5);
    D3DXMATRIX expected;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += static_cast<double>(a.m[i][k]) * b.m[k][j];
            }
            expected.m[i][j] = static_cast<float>(sum);
        }
    }
    D3DXMATRIX fresh;
    D3DXMatrixMultiply(&fresh, &a, &b);
    EXPECT_EQ(fresh, expected);

    D3DXMATRIX first = a;
    D3DXMatrixMultiply(&first, &first, &b);
    EXPECT_EQ(first, expected);

    D3DXMATRIX second = b;
    D3DXMatrixMultiply(&second, &a, &second);
    EXPECT_EQ(second, expected);

    D3DXMATRIX both = a;
    D3DXMatrixMultiply(&both, &both, &both);
    EXPECT_EQ(both, a * a);

    D3DXMATRIX viaOperator = a;
    viaOperator *= b;
    EXPECT_EQ(viaOperator, expected);
}

TEST(D3DXMatrixTest, ViewOfTheDefaultCameraMovesItsPositionToTheOrigin) {
    D3DXMATRIX view(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    D3DXMATRIX step;
    D3DXMatrixMultiply(&view, &view, D3DXMatrixTranslation(&step, -600, -600, -3000));
    D3DXMatrixMultiply(&view, &view, D3DXMatrixRotationZ(&step, 0));
    D3DXMatrixMultiply(&view, &view, D3DXMatrixRotationX(&step, 3.1f));
    for (int c = 0; c < 3; ++c) {
        const float v =
            600 * view.m[0][c] + 600 * view.m[1][c] + 3000 * view.m[2][c] + view.m[3][c];
        EXPECT_NEAR(v, 0.0f, 1e-3f);
    }
}

}  // namespace
