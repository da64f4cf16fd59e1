#pragma once
// Stored texts are single-byte (Latin-1: byte n is the character U+00nn);
// files that people exchange are mostly UTF-8. The tools convert between the
// two at their edges.

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>

namespace zor::tool {

enum class TextEncoding { Utf8, Latin1 };

// "utf8" / "latin1" (any case, "utf-8" and "iso-8859-1" as well).
bool readEncodingName(std::string_view name, TextEncoding& encoding);

// UTF-8 to single bytes. False when the text is no valid UTF-8 or holds a
// character beyond U+00FF; `problem` then says which and where (counted in
// characters from 1).
bool utf8ToLatin1(std::string_view text, std::string& out, std::string& problem);

// Single bytes to UTF-8; always succeeds.
std::string latin1ToUtf8(std::string_view text);

// Drops a UTF-8 byte order mark at the start.
std::string_view withoutByteOrderMark(std::string_view text);
// The same for a stream about to be read from its start.
void skipByteOrderMark(std::istream& in);

}  // namespace zor::tool
