#include "cursor_product.h"

#include "cursor_writer.h"
#include "drawn_images.h"

namespace tnx::databuilder {

bool CursorProduct::build(const SourceCache&, ProductFiles& files, std::string& error) {
    files["zoom.cur"] = CursorWriter::encode(DrawnImages::zoomCursor());
    files["distance.cur"] = CursorWriter::encode(DrawnImages::distanceCursor());
    for (const auto& [name, bytes] : files)
        if (bytes.empty()) {
            error = "cannot encode " + name;
            return false;
        }
    return true;
}

}  // namespace tnx::databuilder
