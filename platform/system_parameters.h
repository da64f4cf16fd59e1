#pragma once
// System parameters the application reads and changes. The drag-full-windows
// setting is kept in the user-level profile (section "Desktop", key
// "DragFullWindows") so that its effect can be observed.

#include <cstdint>

namespace zor::platform {

inline constexpr uint32_t SPI_SETDRAGFULLWINDOWS = 37;
inline constexpr uint32_t SPI_GETDRAGFULLWINDOWS = 38;
inline constexpr uint32_t SPIF_UPDATEINIFILE = 1;
inline constexpr uint32_t SPIF_SENDCHANGE = 2;

// GET actions write a 32-bit value through `buffer`; SET actions take the new
// value from `parameter`. Returns false for an unknown action.
bool systemParametersInfo(uint32_t action, uint32_t parameter, void* buffer, uint32_t flags);

// Number of SET calls made since start (tests check that nothing was changed).
int systemParameterSetCount();
// Forgets the values set without SPIF_UPDATEINIFILE, which last only as long
// as the process (tests start each case from the stored setting).
void resetSystemParameterSession();

}  // namespace zor::platform
