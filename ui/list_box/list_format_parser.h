#pragma once
// Reading a list format string into column and group records.
//
// A format is a sequence of items; an item is a column, or a group
// "[" column... "]" with an optional "(n)" width and its own attribute
// letters. A column is its width (dialog units), its justification letter,
// an optional "(n)" indent, then modifiers in any order: E(c1,c2,c3,c4),
// Z(n), Q'tip', "/", "?", @picture@, #n#, "*", "I", "J", "Y", "P",
// T(L1RBI), "|", "_", "F", "M", S(n), H(n) and ~header~ with an optional
// header justification letter and "(n)" header indent. Modifier letters are
// read in either case; justification letters and the "T" options only in
// upper case.
//
// The lenient reading (what a list does with its format) takes any
// character in the justification place as "L" and lets a picture without
// its closing "@" run to the end. The strict reading (the validator) refuses
// both. Either stops at the first character it cannot accept: a doubled E, Z
// or Q, a "(" without ")", a bad colour, an unknown "T" option, a "#" not
// closed by "#". Delimited texts that never close (picture in the strict
// reading, header, tip, group) stop at their opening character.

#include <cstddef>
#include <string_view>

#include "ui/list_box/list_font.h"
#include "ui/list_box/list_format.h"

namespace zor::ui {

enum class ListReading { Lenient, Strict };

struct ListParseResult {
  ListFormat format;  // the columns read up to the stop
  size_t stop = 0;    // 0 when the whole text was read, else the 1-based stop position
  bool ok() const { return stop == 0; }
};

// Reads the records, assigns the queue fields and lays the columns out in
// pixels of `font`.
ListParseResult parseListFormat(std::string_view text, const ListFont& font = {},
                                ListReading reading = ListReading::Lenient);

// 0 when the whole text is a valid format, else the 1-based position where
// reading stopped.
size_t validateListFormat(std::string_view text);

}  // namespace zor::ui
