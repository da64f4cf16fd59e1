#include "framework/sector_name.h"

namespace zor::fw {

std::string quoteSectorItem(std::string_view item) {
  std::string quoted;
  quoted.reserve(item.size());
  for (char c : item) {
    if (c == '%') {
      quoted += "%25";
    } else if (c == '$') {
      quoted += "%24";
    } else {
      quoted += c;
    }
  }
  return quoted;
}

std::string unquoteSectorItem(std::string_view quoted) {
  std::string item;
  item.reserve(quoted.size());
  for (size_t i = 0; i < quoted.size(); ++i) {
    const std::string_view rest = quoted.substr(i);
    if (rest.starts_with("%25")) {
      item += '%';
      i += 2;
    } else if (rest.starts_with("%24")) {
      item += '$';
      i += 2;
    } else {
      item += quoted[i];
    }
  }
  return item;
}

std::string makeSectorName(std::string_view family, std::string_view item, std::string_view type) {
  return std::string(family) + "$" + quoteSectorItem(item) + "$$" + std::string(type);
}

SectorName splitSectorName(std::string_view name) {
  const size_t familyEnd = name.find('$');
  if (familyEnd == name.npos) return {std::string(name), {}, {}};
  const std::string_view rest = name.substr(familyEnd + 1);
  const size_t itemEnd = rest.find("$$");
  SectorName sector{std::string(name.substr(0, familyEnd)), {}, {}};
  sector.item = unquoteSectorItem(rest.substr(0, itemEnd));
  if (itemEnd != rest.npos) sector.type = std::string(rest.substr(itemEnd + 2));
  return sector;
}

}  // namespace zor::fw
