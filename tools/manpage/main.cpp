// terranox-manpage FILE: writes the manual page made from the --help text.
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/manual_page.h"
#include "app/program_version.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: terranox-manpage FILE\n");
        return 2;
    }
    std::string page = tnx::app::manualPage(tnx::app::helpText(), tnx::app::programVersion());
    std::FILE* f = std::fopen(argv[1], "wb");
    bool ok = f && std::fwrite(page.data(), 1, page.size(), f) == page.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "terranox-manpage: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
