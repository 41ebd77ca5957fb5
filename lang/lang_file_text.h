// Reading a language file into the text that the slot keeps.
#pragma once

#include <string>

#include "platform/file_stamp.h"

namespace lang {

// Reads the language file at path and decodes it (DecodeLangText) into text. A file with
// the UTF-16LE mark, the format the tool writes, is read straight into text, without a
// buffer of bytes in between; its mark becomes a line feed, which the parser skips as an
// empty line, so that nothing has to move. Other files go through bytes (a buffer the
// caller may keep for the next file). False when the file cannot be read or decoded.
// stamp (when given) receives the stamp of the bytes read.
bool ReadLangFileText(const std::u16string& path, std::u16string& text, std::string& bytes,
                      platform::FileStamp* stamp = nullptr);

}  // namespace lang
