#include "app/program_version.h"

#ifndef TERRANOX_VERSION
#error "the build defines TERRANOX_VERSION for this file"
#endif

namespace tnx::app {

const char* programVersion() { return TERRANOX_VERSION; }

}  // namespace tnx::app
