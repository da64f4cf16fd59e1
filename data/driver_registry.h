#pragma once
// The drivers the program knows, by the name a declaration's driver
// attribute gives (compared without regard to case). The text driver is
// built in; the native driver registers itself at start-up with its entry.

#include <string_view>
#include <vector>

#include "data/driver_descriptor.h"

namespace zor::data {

// Makes a driver known under its descriptor's name, with `entry` in place of
// the descriptor's own entry when given. Registering a name again replaces
// the earlier record. Returns the registered record, which stays valid for
// the life of the process.
const DriverDescriptor& registerDriver(const DriverDescriptor& descriptor,
                                       DriverEntry entry = nullptr);

// The registered record of a driver, or nullptr when no such driver is known.
const DriverDescriptor* findDriver(std::string_view name);

// The names of every known driver, in registration order.
std::vector<std::string_view> registeredDriverNames();

}  // namespace zor::data
