#pragma once

#include <QRect>

namespace tessaprint {

// Dialog units to pixels for an 8-point UI font at 96 dpi: 1.5 px across,
// 1.625 px down.
constexpr int DluX(int x)
{
    return (x * 3) / 2;
}
constexpr int DluY(int y)
{
    return (y * 13) / 8;
}
inline QRect DluRect(int x, int y, int width, int height)
{
    return {DluX(x), DluY(y), DluX(width), DluY(height)};
}

} // namespace tessaprint
