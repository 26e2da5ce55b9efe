// The globe scene draws the look the configuration's globe settings give.
#pragma once

#include "settings/globe_configuration.h"

namespace tnx::globe {

using settings::colorRefToArgb;
using settings::GlobeConfiguration;

}  // namespace tnx::globe
