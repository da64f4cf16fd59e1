#include "data/driver_registry.h"

#include <deque>
#include <mutex>

#include "platform/ascii_case.h"

namespace zor::data {

namespace {

struct Registry {
  std::mutex mutex;
  std::deque<DriverDescriptor> drivers;  // records keep their address as it grows

  Registry() { drivers.push_back(asciiDescriptor()); }

  DriverDescriptor* find(std::string_view name) {
    for (DriverDescriptor& driver : drivers) {
      if (platform::equalsIgnoringCase(driver.driverName(), name)) return &driver;
    }
    return nullptr;
  }
};

Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

const DriverDescriptor& registerDriver(const DriverDescriptor& descriptor, DriverEntry entry) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  DriverDescriptor record = descriptor;
  if (entry != nullptr) record.entry = entry;
  if (DriverDescriptor* known = reg.find(record.driverName())) {
    *known = record;
    return *known;
  }
  reg.drivers.push_back(record);
  return reg.drivers.back();
}

const DriverDescriptor* findDriver(std::string_view name) {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  return reg.find(name);
}

std::vector<std::string_view> registeredDriverNames() {
  Registry& reg = registry();
  std::lock_guard lock(reg.mutex);
  std::vector<std::string_view> names;
  for (const DriverDescriptor& driver : reg.drivers) names.push_back(driver.driverName());
  return names;
}

}  // namespace zor::data
