// A stand-alone tile server for looking at the online imagery by hand: any
// path ending in /LEVEL/ROW/COL.jpg gets a generated 512 x 512 JPEG tile
// with a fine grid, a red edge and a colour by place, so served tiles stand
// out from the built-in image. Prints the template to give to --imagery
// and every request; runs for the seconds given (default an hour).
//
//   imagery_test_server [SECONDS]
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "globe/image/jpeg_encoder.h"
#include "support/tile_server.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tnx::test::TileServer server([](const std::string& path) {
        int level, row, column;
        const size_t at = path.rfind('/', path.rfind('/', path.rfind('/') - 1) - 1);
        tnx::test::ServerReply r;
        if (at == std::string::npos || std::sscanf(path.c_str() + at, "/%d/%d/%d.jpg", &level, &row, &column) != 3) {
            r.status = 404;
        } else {
            std::vector<uint8_t> px(512 * 512 * 3);
            for (int i = 0; i < 512 * 512; ++i) {
                const int x = i % 512, y = i / 512;
                const bool line = x % 32 == 0 || y % 32 == 0, edge = x < 3 || y < 3 || x > 508 || y > 508;
                const int fill[3] = {60 + 20 * (level % 8) + x / 32, 90 + 8 * (row % 16) + y / 32, 120 + 8 * (column % 16)};
                for (int c = 0; c < 3; ++c) px[size_t(3 * i + c)] = uint8_t(edge ? (c ? 40 : 255) : line ? 230 : fill[c]);
            }
            tnx::globe::encodeJpeg(px, 512, 512, 3, 85, r.body);
        }
        std::printf("%d %s\n", r.status, path.c_str());
        std::fflush(stdout);
        return r;
    });
    std::printf("%s\n", server.url("wmts/{Time}/{TileMatrix}/{TileRow}/{TileCol}.jpg").c_str());
    std::fflush(stdout);
    QTimer::singleShot((argc > 1 ? std::atoi(argv[1]) : 3600) * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
