#include "render/d3d9/d3dx9math.h"

#include <cmath>

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& right) const {
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, this, &right);
    return product;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& right) {
    D3DXMatrixMultiply(this, this, &right);
    return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m[r][c] != other.m[r][c]) {
                return false;
            }
        }
    }
    return true;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
    // Computed into a temporary first because pOut may alias either factor.
    D3DMATRIX product{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            product.m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                              pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
        }
    }
    *pOut = D3DXMATRIX(product);
    return pOut;
}

namespace {

D3DXMATRIX Identity() {
    return D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

}  // namespace

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, FLOAT x, FLOAT y, FLOAT z) {
    *pOut = Identity();
    pOut->m[3][0] = x;
    pOut->m[3][1] = y;
    pOut->m[3][2] = z;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, FLOAT Angle) {
    const FLOAT s = std::sin(Angle);
    const FLOAT c = std::cos(Angle);
    *pOut = Identity();
    pOut->m[1][1] = c;
    pOut->m[1][2] = s;
    pOut->m[2][1] = -s;
    pOut->m[2][2] = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, FLOAT Angle) {
    const FLOAT s = std::sin(Angle);
    const FLOAT c = std::cos(Angle);
    *pOut = Identity();
    pOut->m[0][0] = c;
    pOut->m[0][1] = s;
    pOut->m[1][0] = -s;
    pOut->m[1][1] = c;
    return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, FLOAT fovy, FLOAT Aspect, FLOAT zn,
                                       FLOAT zf) {
    const FLOAT yScale = 1.0f / std::tan(fovy / 2.0f);
    const FLOAT xScale = yScale / Aspect;
    const FLOAT depthScale = zf / (zf - zn);
    *pOut = D3DXMATRIX();
    pOut->m[0][0] = xScale;
    pOut->m[1][1] = yScale;
    pOut->m[2][2] = depthScale;
    pOut->m[2][3] = 1.0f;
    pOut->m[3][2] = -zn * depthScale;
    return pOut;
}
