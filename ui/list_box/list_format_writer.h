#pragma once
// Writing column and group records back as a format string. Each column is
// written as: width, justification, "(n)" for a non-zero indent, "|", "_",
// "F", "M", "*", "J" (or "I"), "Y", "P", "T" with its options, the header
// with its justification and "(n)" when they differ from the column's, S(n),
// H(n), the picture and its closing "@", Z(n), Q with the quoted tip,
// E(...) with the colours as "0<hex>H" (a colour not given as nothing), "/",
// "?" and, last, "#n#" for a field number that was given. Measures are the
// dialog units the records hold.

#include <string>

#include "ui/list_box/list_format.h"

namespace zor::ui {

std::string writeListFormat(const ListFormat& format);

}  // namespace zor::ui
