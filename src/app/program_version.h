// The program's version, as the build names it ("0.1.0").
#pragma once

namespace tnx::app {

const char* programVersion();

}  // namespace tnx::app
