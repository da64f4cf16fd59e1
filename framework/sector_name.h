#pragma once
// Sector names: sections of the INI manager named after three parts,
// family "$" item "$$" type. The family holds no "$", so its end is the
// first "$" (which a non-empty item never follows with another "$"); the
// "$$" after it ends the item. So that the item holds no "$" of its own it
// is quoted: "%" becomes "%25" and "$" becomes "%24". The type may hold
// anything.

#include <string>
#include <string_view>

namespace zor::fw {

struct SectorName {
  std::string family;
  std::string item;
  std::string type;
  bool operator==(const SectorName&) const = default;
};

std::string quoteSectorItem(std::string_view item);
// Undoes quoteSectorItem; any other "%" stays as it is.
std::string unquoteSectorItem(std::string_view quoted);

std::string makeSectorName(std::string_view family, std::string_view item, std::string_view type);
// A name without the family's "$" is all family; without "$$" after it, the
// rest is all item.
SectorName splitSectorName(std::string_view name);

}  // namespace zor::fw
