// make_icons <folder>: writes the icon files of the CAD-like stand-in into folder:
// cadlike.ico (16, 24, 32, 48, 64 and 128 pixels as bitmaps, 256 as a PNG image) and
// cadlike_doc.ico (16, 32 and 48 pixels).
#include <cstdio>
#include <fstream>
#include <string>

#include "samples/sample_install.h"

namespace {

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok =
        Write(folder + "/cadlike.ico", samples::MakeIco({16, 24, 32, 48, 64, 128, 256}, 1, 256)) &&
        Write(folder + "/cadlike_doc.ico", samples::MakeIco({16, 32, 48}, 2));
    if (!ok) {
        std::fprintf(stderr, "make_icons: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
