// Every resource of an executable, read through the platform's own resource functions
// (the file loaded as a data file).
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace testsupport {

// (type, name, language); integer types and names as "#<n>".
using ResourceKey = std::tuple<std::wstring, std::wstring, WORD>;
using ResourceMap = std::map<ResourceKey, std::string>;

// Nothing when the file cannot be loaded as a data file.
std::optional<ResourceMap> ReadAllResources(const std::wstring& path);

ResourceKey Key(WORD type, WORD name, WORD language);

}  // namespace testsupport
