// Writes the shipped settings files into a folder (src/resources/defaults).
#include <cstdio>
#include <filesystem>

#include "platform/io/file_io.h"
#include "settings/configuration_file.h"
#include "settings/settings_record_file.h"
#include "shipped_defaults.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: terranox-defaults FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const bool ok =
        tnx::io::writeFileAtomically(folder / tnx::settings::ConfigurationFile::fileName(),
                                     tnx::defaults::configurationImage()) &&
        tnx::io::writeFileAtomically(folder / tnx::settings::SettingsRecordFile::kFileName,
                                     tnx::defaults::settingsImage());
    return ok ? 0 : 1;
}
