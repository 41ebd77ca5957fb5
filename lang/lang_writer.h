// Writing of language files. A file as the tool writes it: the UTF-16LE byte-order mark
// (FF FE), the header line "[ZOVIDE]", then one line per entry in ascending ID order:
// the ID left-aligned in a field of 60 characters (a longer ID whole), "=", four blanks,
// the text. Everything after the mark is UTF-16LE with CR LF line ends.
#pragma once

#include <string>
#include <string_view>

#include "lang/lang_slot.h"
#include "platform/files.h"

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

// Writes the slot's file to path through a temporary file beside it, which replaces path
// only once it was written completely (platform::WriteFileReplacing). The file is composed
// in buffer, which a caller that writes several files passes each time: a file's worth of
// memory is then allocated (and cleared by the system) once, not for every file. A path
// that does not resolve inside root (when given) is refused. The result tells what the
// destination holds afterwards.
platform::WriteResult WriteLangFile(const std::u16string& path, const CLangSlot& slot,
                                    std::u16string& buffer, const std::u16string& root);

// The same without a root: true when written; on false the former file is unchanged and
// errorCode (if given) receives the system's error code.
bool WriteLangFile(const std::u16string& path, const CLangSlot& slot, std::u16string& buffer,
                   int* errorCode);

}  // namespace lang
