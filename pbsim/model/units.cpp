#include "model/units.h"

#include "model/datawindow_model.h"

namespace pbsim {

long long RoundedDivide(long long num, long long den) {
    if (den <= 0) return 0;
    // (2 num ± den) / (2 den), truncating toward zero.
    return (2 * num + (num < 0 ? -den : den)) / (2 * den);
}

int ConvertUnits(int value, int mode, int dpiX, int dpiY) {
    if (dpiX <= 0 || dpiY <= 0) return 0;
    const long long v = value;
    long long result = 0;
    switch (mode) {
    case 1: result = RoundedDivide(6144 * v, 14LL * dpiX); break;
    case 2: result = RoundedDivide(768 * v, 2LL * dpiY); break;
    case 3: result = RoundedDivide(7LL * dpiX * v, 3072); break;
    case 4: result = RoundedDivide(static_cast<long long>(dpiY) * v, 384); break;
    default: return 0;
    }
    return static_cast<int>(result);
}

void DataWindowModel::SetScreenDpi(int dpiX, int dpiY) {
    if (dpiX > 0) m_dpiX = dpiX;
    if (dpiY > 0) m_dpiY = dpiY;
}

// Units 2 and 3 are thousandths of an inch and of a centimetre.
int DataWindowModel::UnitsToPixelsX(int value) const {
    switch (Units()) {
    case 0: return ConvertUnits(value, 3, m_dpiX, m_dpiY);
    case 2: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * m_dpiX, 1000));
    case 3: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * m_dpiX * 10, 25400));
    default: return value;
    }
}

int DataWindowModel::UnitsToPixelsY(int value) const {
    switch (Units()) {
    case 0: return ConvertUnits(value, 4, m_dpiX, m_dpiY);
    case 2: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * m_dpiY, 1000));
    case 3: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * m_dpiY * 10, 25400));
    default: return value;
    }
}

int DataWindowModel::PixelsToUnitsX(int value) const {
    switch (Units()) {
    case 0: return ConvertUnits(value, 1, m_dpiX, m_dpiY);
    case 2: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * 1000, m_dpiX));
    case 3: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * 25400, 10LL * m_dpiX));
    default: return value;
    }
}

int DataWindowModel::PixelsToUnitsY(int value) const {
    switch (Units()) {
    case 0: return ConvertUnits(value, 2, m_dpiX, m_dpiY);
    case 2: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * 1000, m_dpiY));
    case 3: return static_cast<int>(RoundedDivide(static_cast<long long>(value) * 25400, 10LL * m_dpiY));
    default: return value;
    }
}

}  // namespace pbsim
