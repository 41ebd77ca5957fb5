// Reading of language files: from bytes to text, and from text to entries.
//
// A language file is Unicode text as the C runtime's "r,ccs=UNICODE" mode opens it:
// a UTF-16LE byte-order mark (FF FE) or a UTF-8 one (EF BB BF) selects that encoding and
// is not part of the text; a file without a mark is UTF-16LE from its first byte. Lines
// end with LF; CR LF reads as LF, a CR anywhere else is an ordinary character.
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

// White space as the C library's iswspace sees it in the "C" locale.
inline bool IsLangSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// Decodes a language file's bytes into text (without the mark). Invalid UTF-8 becomes
// U+FFFD; a last odd byte of UTF-16 is dropped, as it holds no whole character. A file
// that starts with the UTF-16BE mark (FE FF) is refused (false): the runtime's Unicode
// mode does not read big-endian files, and reading one as UTF-16LE would give no entries.
// A file without a mark that has not one zero byte is refused too: every entry needs an
// "=", which is 3D 00 in UTF-16LE, so such a file (UTF-8 or ANSI text, most likely) would
// give an empty slot, and saving that slot would replace the file with its header alone.
bool DecodeLangText(const std::string& bytes, std::u16string& text);

// Appends the entries of text in file order. The views point into text, whose IDs are
// upper-cased in place.
void ParseLangText(std::u16string& text, std::vector<LangEntry>& entries);

}  // namespace lang
