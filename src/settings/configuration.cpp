#include "settings/configuration.h"

#include <cstdio>

namespace tnx::settings {

Configuration::Configuration() { file_.setOwners(&globe_, &musicRecord_, &timeLapse_); }

int Configuration::load() {
    const int result = file_.load();
    damaged_ = file_.fileRead() && (file_.damaged() || globe_.repairs() > 0 || musicRecord_.repairs() > 0);
    if (damaged_)
        std::fprintf(stderr, "terranox: %s is damaged; what could not be read comes from the shipped settings\n",
                     ConfigurationFile::fileName().c_str());
    globe_.pickRandomTheme();
    return result;
}

bool Configuration::save() { return file_.save(); }

bool Configuration::saveThemes(const GlobeConfiguration& live) {
    const GlobeConfiguration editing = globe_.live();
    globe_.live() = live;
    const bool saved = save();
    globe_.live() = editing;
    return saved;
}

Configuration& configuration() {
    static Configuration c;
    static const bool loaded = (c.load(), true);
    (void)loaded;
    return c;
}

}  // namespace tnx::settings
