// terranox-icon FOLDER SIZE...: writes FOLDER/<size>x<size>/apps/terranox.png
// for every size, all drawn by the program's own icon code.
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/resources/app_icon.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: terranox-icon FOLDER SIZE...\n");
        return 2;
    }
    std::filesystem::path root = argv[1];
    for (int i = 2; i < argc; ++i) {
        int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "terranox-icon: %s is not an icon size (8 to 1024)\n", argv[i]);
            return 2;
        }
        std::string name = std::to_string(size) + "x" + std::to_string(size);
        std::filesystem::path dir = root / name / "apps";
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::filesystem::path file = dir / "terranox.png";
        if (!tnx::res::drawAppIcon(size).save(QString::fromStdString(file.string()), "PNG")) {
            std::fprintf(stderr, "terranox-icon: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
