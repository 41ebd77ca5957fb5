// Reading of language files: from bytes to text, and from text to entries.
//
// A language file is Unicode text as the C runtime's "r,ccs=UNICODE" mode opens it:
// a UTF-16LE byte-order mark (FF FE) or a UTF-8 one (EF BB BF) selects that encoding and
// is not part of the text; a file without a mark is UTF-16LE from its first byte. Files
// whose encoding the reader cannot take are refused rather than read as something else, so
// that their slot has no file and saving never replaces them (DecodeLangText gives the rule).
// Lines end with LF; CR LF reads as LF, a CR anywhere else is an ordinary character.
//
// Each line is, in this order:
//   1. ignored when it has fewer than two characters, its LF included;
//   2. ignored when its first two characters are "##";
//   3. ignored when it has no "=";
//   4. otherwise an entry: the ID is what stands before the first "=", the text what
//      follows it; both are trimmed of white space and a-z in the ID become A-Z.
// Lines and IDs of any length are taken whole.
#pragma once

#include <string>
#include <vector>

#include "lang/lang_entry.h"

namespace lang {

// Decodes a language file's bytes into text (without the mark), or refuses them (false).
// By its first bytes:
//   EF BB BF     UTF-8; invalid UTF-8 becomes U+FFFD.
//   FF FE 00 00  UTF-32LE: refused (not UTF-16LE starting with U+0000).
//   00 00 FE FF  UTF-32BE: refused.
//   FE FF        UTF-16BE: refused (the runtime's Unicode mode does not read it).
//   FF FE        UTF-16LE; a last odd byte is dropped, as it holds no whole character.
//   no mark      UTF-16LE when the file is empty, or when it has an even number of bytes,
//                no U+0000 unit (00 00 at an even offset) and at least one "=" unit (3D 00
//                at an even offset), which every entry needs. Anything else is refused:
//                UTF-16BE without a mark (its "=" is 00 3D), UTF-32 (a U+0000 unit after
//                each character), 8-bit text (UTF-8, ANSI), NUL-padded or not. Read as
//                UTF-16LE, none of them would give the entries it holds, and saving the slot
//                would replace the file with a header-only one or with garbled text.
bool DecodeLangText(const std::string& bytes, std::u16string& text);

// Appends the entries of text in file order. The views point into text, whose IDs are
// upper-cased in place.
void ParseLangText(std::u16string& text, std::vector<LangEntry>& entries);

}  // namespace lang
