// What a brand file changes in the executable's resources beyond the rebrand command's own
// steps ([icons], [version], [replace]), as one edit of its resource tree: planned on the
// tree read from the file (the dry run's lines, the problems that refuse the brand) and
// made again, the same way, on the copy the rebrand stages.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/brand_file.h"
#include "rebrand/exe_texts.h"
#include "rebrand/resource_tree.h"
#include "text/replace_text.h"

namespace brand {

class ExecutableEdits {
public:
    ExecutableEdits() = default;
    // iconFiles: the bytes of each [icons] file, by its path (one that is missing is a
    // problem of Apply).
    ExecutableEdits(const BrandFile& brand, const std::map<std::u16string, std::string>& iconFiles);

    bool Empty() const;
    // Whether [icons] rebuilds the main group (the rebrand's own icon images are then left out).
    bool RebuildsMainIcon() const;

    // Makes every edit on tree: the icon groups, then the version resource, then the
    // replacements (in every text but the version strings [version] sets). False, with
    // problems (each naming its line of the brand file), when one cannot be made; tree is
    // then partly edited. lines, when given, receives one line per change (exe names the
    // file in them) and the number of replaced places.
    bool Apply(rebrand::ResourceTree& tree, const std::u16string& exe,
               std::vector<std::u16string>* lines, std::vector<std::u16string>* problems) const;

private:
    bool RebuildIcons(rebrand::ResourceTree& tree, const std::u16string& exe,
                      std::vector<std::u16string>* lines,
                      std::vector<std::u16string>* problems) const;
    bool SetVersion(rebrand::ResourceTree& tree, const std::u16string& exe,
                    std::vector<std::u16string>* lines,
                    std::vector<std::u16string>* problems) const;
    // The group an [icons] key names: "main", a decimal id, or a name.
    static rebrand::ResourceName GroupName(const rebrand::ResourceTree& tree,
                                           const std::u16string& group);
    // Whether [version] sets the string key (file_version sets FileVersion unless given).
    bool SetsVersionString(std::u16string_view key) const;
    // Whether [version] names the string key itself.
    bool SetsVersionStringByName(std::u16string_view key) const;
    bool ReplaceTexts(rebrand::ResourceTree& tree, const std::u16string& exe,
                      std::vector<std::u16string>* lines,
                      std::vector<std::u16string>* problems) const;

    struct IconGroup {
        std::u16string group;  // "main", an id or a name
        std::u16string path;
        std::optional<std::string> file;
        size_t line = 0;
    };
    std::vector<IconGroup> icons_;
    std::vector<VersionEdit> versionStrings_;
    std::optional<std::array<uint16_t, 4>> fileVersion_;
    std::optional<std::array<uint16_t, 4>> productVersion_;
    size_t fileVersionLine_ = 0;
    size_t productVersionLine_ = 0;

    text::Replacements replace_;
    size_t replaceLine_ = 0;  // of the first [replace] line
};

}  // namespace brand
