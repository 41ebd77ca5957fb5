// The dialog's profile cache: one CIniFile per file, read on first use, kept until released.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ini/ini_file.h"

// FoldCase(path) -> the object for that path.
using IniFileCache = std::map<std::u16string, std::unique_ptr<CIniFile>>;

// The cached object for path; on first use it is created with path as given and loaded (a
// missing file gives an empty model). Only the letters A to Z are folded, so two spellings
// of one file that differ otherwise give two objects. A file that was read is never read a
// second time; one that could not be read (LoadFailed) is replaced by a new object, which
// reads it again, at every request.
CIniFile& GetCachedIniFile(IniFileCache& cache, const std::u16string& path,
                           unsigned codePage = platform::kSystemCodePage);

// Writes every cached object back (CIniFile::WriteBackIfChanged), destroys them and empties
// the cache. The paths of the objects whose save failed, in cache order.
std::vector<std::u16string> ReleaseIniFiles(IniFileCache& cache);

// Destroys every cached object without writing any of them back, and empties the cache.
void DiscardIniFiles(IniFileCache& cache);
