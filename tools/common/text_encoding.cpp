#include "tools/common/text_encoding.h"

#include <cstdint>
#include <cstdio>

#include "platform/ascii_case.h"

namespace zor::tool {

bool readEncodingName(std::string_view name, TextEncoding& encoding) {
  for (std::string_view utf8 : {"utf8", "utf-8"}) {
    if (platform::equalsIgnoringCase(name, utf8)) {
      encoding = TextEncoding::Utf8;
      return true;
    }
  }
  for (std::string_view latin1 : {"latin1", "latin-1", "iso-8859-1"}) {
    if (platform::equalsIgnoringCase(name, latin1)) {
      encoding = TextEncoding::Latin1;
      return true;
    }
  }
  return false;
}

bool utf8ToLatin1(std::string_view text, std::string& out, std::string& problem) {
  out.clear();
  size_t character = 0;
  for (size_t i = 0; i < text.size(); ++character) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      // Plain ASCII, most of any text, goes over as a run.
      size_t run = i + 1;
      while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80) ++run;
      out.append(text, i, run - i);
      character += run - i - 1;
      i = run;
      continue;
    }
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    uint32_t code = length == 2 ? lead & 0x1Fu : length == 3 ? lead & 0x0Fu : lead & 0x07u;
    bool valid = length != 0 && lead < 0xF5 && i + length <= text.size();
    for (size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (!valid || (length == 3 && code < 0x800) || (length == 4 && code < 0x10000)) {
      problem = "character " + std::to_string(character + 1) +
                " is no UTF-8 (give --encoding latin1 for single-byte text)";
      return false;
    }
    if (code > 0xFF) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
      problem = "character " + std::to_string(character + 1) + " (" + hex +
                ") has no single-byte form to be stored in";
      return false;
    }
    out += static_cast<char>(code);
    i += length;
  }
  return true;
}

std::string latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

std::string_view withoutByteOrderMark(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text;
}

void skipByteOrderMark(std::istream& in) {
  char start[3] = {};
  in.read(start, 3);
  const bool mark = in.gcount() == 3 && withoutByteOrderMark({start, 3}).empty();
  in.clear();
  if (!mark) in.seekg(0);
}

}  // namespace zor::tool
