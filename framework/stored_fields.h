#pragma once
// A queue record stored as one INI value: its fields joined by ",". A field
// that holds a "," or a double quote, or starts or ends with a blank, is
// written in double quotes with its quotes doubled, so that it comes back
// whole; every other field is written as it is, as older files hold them.

#include <string>
#include <string_view>
#include <vector>

namespace zor::fw {

std::string joinStoredFields(const std::vector<std::string>& fields);
// A quoted field without its closing quote is read as written.
std::vector<std::string> splitStoredFields(std::string_view value);

}  // namespace zor::fw
