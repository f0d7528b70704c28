#pragma once

#include <cstdint>

// The numeric fields take the digits, the decimal point, Backspace and
// <ENTER>; every other character key is discarded before it reaches them.
inline bool IsNumericFieldKey(std::int16_t keyAscii)
{
    return (keyAscii >= '0' && keyAscii <= '9') || keyAscii == '.' || keyAscii == 8
           || keyAscii == 13;
}
