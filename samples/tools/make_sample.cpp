// make_sample <folder> [entries per language] [executable to copy as ZovIDE.exe]
// Lays out a sample install folder of the target application.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "samples/sample_install.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_sample <folder> [entries] [executable]\n");
        return 2;
    }
    samples::SampleOptions options;
    if (argc > 2) {
        options.entriesPerLanguage = std::atoi(argv[2]);
    }
    if (argc > 3) {
        options.executable = argv[3];
    }
    try {
        samples::WriteSampleInstall(argv[1], options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
