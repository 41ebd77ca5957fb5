// Generator of a sample install folder of the target application, for the run command,
// the tests and the benchmarks. It writes its files on its own (it does not use the
// tool's readers and writers), so that it can serve as an independent fixture.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace samples {

using LangEntry = std::pair<std::u16string, std::u16string>;  // ID, text

// The sixteen default language file names, slot order.
const std::vector<std::u16string>& DefaultLangFileNames();

// count entries of plausible IDs and texts for a language slot (0..15): Chinese texts for
// slots 0 and 1, Latin texts for the others, some with "%s" placeholders. Deterministic.
std::vector<LangEntry> MakeLangEntries(int slot, int count);

// A language file as the target application ships it: UTF-16LE with byte-order mark,
// a comment, the [ZOVIDE] header, "ID = text" lines with CR LF, in generation order.
std::string EncodeLangFile(const std::vector<LangEntry>& entries);

// A 24-bit uncompressed BMP of the given size filled with a gradient.
std::string MakeBmp(int width, int height, uint32_t variant);

// An .ico file with one 32-bit image per size in sizes (BMP-encoded, with AND mask); sizes
// of pngFrom and more as PNG images, as icon editors store 256-pixel images.
std::string MakeIco(const std::vector<int>& sizes, uint32_t variant, int pngFrom = 100000);

// A PNG image (8-bit RGBA, the data in stored deflate blocks) of a disc on white.
std::string MakePng(int size, uint32_t variant);

struct SampleOptions {
    int entriesPerLanguage = 300;
    // The executable copied into the folder as ZovIDE.exe; none when empty.
    std::filesystem::path executable;
};

// Lays out dir as an install folder: ZovIDE.exe, config\ZovIDE.cfg (SYSPAR/LANGFILELIST),
// config\VirUdezed.cfg (a customization profile), Lang\ with the sixteen language files,
// res\login.bmp, res\main.bmp, res\logo32.ico. Existing files are overwritten.
// Throws std::runtime_error when a file cannot be written.
void WriteSampleInstall(const std::filesystem::path& dir, const SampleOptions& options);

}  // namespace samples
