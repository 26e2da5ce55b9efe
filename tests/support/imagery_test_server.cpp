// A stand-alone tile server for looking at the online imagery by hand:
// serves generated 512 x 512 JPEG tiles for any WMTS-style path ending in
// /LEVEL/ROW/COL.jpg (and 256 x 256 ones for /z/x/y.jpg under /xyz/), each
// with a fine grid and a colour by level, so served tiles stand out from
// the built-in image. Prints its address and every request; runs until
// killed (or for the seconds given).
//
//   imagery_test_server [PORT] [SECONDS]
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "globe/image/jpeg_encoder.h"
#include "support/tile_server.h"

namespace {

std::vector<uint8_t> tile(int size, int level, int row, int column) {
    std::vector<uint8_t> px(size_t(size) * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint8_t* p = &px[(size_t(y) * size + x) * 3];
            const bool line = x % 32 == 0 || y % 32 == 0, edge = x < 3 || y < 3 || x >= size - 3 || y >= size - 3;
            const uint8_t fill[3] = {uint8_t(60 + 20 * (level % 8) + (x >> 5)), uint8_t(90 + 8 * (row % 16) + (y >> 5)),
                                     uint8_t(120 + 8 * (column % 16))};
            for (int c = 0; c < 3; ++c) p[c] = edge ? (c ? 40 : 255) : line ? 230 : fill[c];
        }
    std::vector<uint8_t> jpeg;
    tnx::globe::encodeJpeg(px, size, size, 3, 85, jpeg);
    return jpeg;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    tnx::test::TileServer server([](const std::string& path) {
        tnx::test::ServerReply r;
        int a, b, c;
        const size_t slash = path.rfind('/', path.rfind('/', path.rfind('/') - 1) - 1);
        const bool xyz = path.rfind("/xyz/", 0) == 0;
        if (slash != std::string::npos && std::sscanf(path.c_str() + slash, "/%d/%d/%d.jpg", &a, &b, &c) == 3)
            r.body = xyz ? tile(256, a, c, b) : tile(512, a, b, c);
        else
            r.status = 404;
        std::printf("%d %s\n", r.status, path.c_str());
        std::fflush(stdout);
        return r;
    });
    std::printf("%s (WMTS: %s; {z}/{x}/{y}: %s)\n", server.url().c_str(),
                server.url("wmts/{Time}/{TileMatrix}/{TileRow}/{TileCol}.jpg").c_str(),
                server.url("xyz/{z}/{x}/{y}.jpg").c_str());
    std::fflush(stdout);
    if (seconds > 0) QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
