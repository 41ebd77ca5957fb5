// Writing of language files. A file as the tool writes it: the UTF-16LE byte-order mark
// (FF FE), the header line "[ZOVIDE]", then one line per entry in ascending ID order:
// the ID left-aligned in a field of 60 characters (a longer ID whole), "=", four blanks,
// the text. Everything after the mark is UTF-16LE with CR LF line ends.
#pragma once

#include <string>
#include <string_view>

#include "lang/lang_slot.h"

namespace lang {

// Texts may keep an apostrophe escaped with a backslash in memory, while the file holds a
// plain one. The writer unescapes: every occurrence of this pair in a text is written as
// "'"; the text in the table keeps the pair, so saving twice gives the same file.
constexpr std::u16string_view kEscapedApostrophe = u"\\'";

constexpr size_t kIdFieldWidth = 60;

// The bytes of the slot's file.
std::string EncodeLangFile(const CLangSlot& slot);

// The same bytes composed in units, whose memory a caller that composes several files
// passes each time: the bytes are units.data() as char, units.size() * 2 of them.
void EncodeLangFileInto(const CLangSlot& slot, std::u16string& units);

}  // namespace lang
