#pragma once
// D3DX matrix helpers in Direct3D's row-vector, left-handed convention, single precision.

#include "render/d3d9/d3d9types.h"

// D3DMATRIX with constructors, element access and the product, as D3DX offers it.
struct D3DXMATRIX : D3DMATRIX {
    // All elements zero (D3DX leaves them undefined; zero keeps reads defined).
    D3DXMATRIX() : D3DMATRIX{} {}
    D3DXMATRIX(const D3DMATRIX& other) : D3DMATRIX(other) {}
    D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23,
               FLOAT f24, FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42,
               FLOAT f43, FLOAT f44)
        : D3DMATRIX{{{f11, f12, f13, f14},
                     {f21, f22, f23, f24},
                     {f31, f32, f33, f34},
                     {f41, f42, f43, f44}}} {}

    FLOAT& operator()(UINT row, UINT col) { return m[row][col]; }
    FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }

    D3DXMATRIX operator*(const D3DXMATRIX& right) const;
    D3DXMATRIX& operator*=(const D3DXMATRIX& right);

    bool operator==(const D3DXMATRIX& other) const;
    bool operator!=(const D3DXMATRIX& other) const { return !(*this == other); }
};

// pOut = M1 * M2 (M1 applied first). pOut may be the same object as M1 or M2. Returns pOut.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);

// Translation by (x, y, z): the identity with row 3 = (x, y, z, 1).
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z);

// Rotation by Angle radians about the x axis; the y axis turns toward +z.
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT Angle);

// Rotation by Angle radians about the z axis; the x axis turns toward +y.
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT Angle);

// Left-handed perspective projection: vertical field of view fovy (radians), aspect = width /
// height, near and far planes zn and zf; depth maps to 0 at zn and 1 at zf, w = view-space z.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT Aspect, FLOAT zn,
                                       FLOAT zf);
