// The configuration object: the globe configuration with its themes and the
// music configuration, kept in "Terranox.ini". One per process, created and
// loaded at its first use; written only when a dialog's OK asks for it.
#pragma once

#include "settings/configuration_file.h"
#include "settings/globe_config_record.h"
#include "settings/music_config_record.h"
#include "settings/music_configuration.h"
#include "settings/time_lapse_record.h"

namespace tnx::settings {

class Configuration {
public:
    // The built-in configuration; nothing read yet.
    Configuration();
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    GlobeConfigRecord& globe() { return globe_; }
    const GlobeConfigRecord& globe() const { return globe_; }
    MusicConfiguration& music() { return music_; }
    const MusicConfiguration& music() const { return music_; }
    ConfigurationFile& file() { return file_; }
    // The screen saver's time-lapse: simulated seconds per real second, 0
    // for real time.
    float timeLapse() const { return timeLapse_.rate(); }
    void setTimeLapse(float rate) { timeLapse_.setRate(rate); }

    // Reads "Terranox.ini" over the shipped default (what the file cannot
    // give stays as shipped) and, with "random" as the current theme, starts
    // a saved theme drawn at random. Returns ConfigurationFile::load's result.
    int load();
    // True when the last load met a file it could not wholly use.
    bool damaged() const { return damaged_; }
    // Writes "Terranox.ini" now.
    bool save();

    // A dialog's OK changed the configuration: the viewer writes it when it
    // ends (a damaged file is never rewritten before that).
    void markChanged() { changed_ = true; }
    bool changed() const { return changed_; }

    // What a dialog's Cancel gives back: the live look and the music. The
    // themes are not in it: saving or deleting one is done at once.
    struct Snapshot {
        GlobeConfiguration live;
        MusicConfiguration music;
        float timeLapse = 0;
    };
    Snapshot snapshot() const { return Snapshot{globe_.live(), music_, timeLapse_.rate()}; }
    void restore(const Snapshot& s) {
        globe_.live() = s.live;
        music_ = s.music;
        timeLapse_.setRate(s.timeLapse);
    }
    // Writes "Terranox.ini" now with the themes as they are but `live` as
    // the live look (a dialog's look not yet accepted stays out of it).
    bool saveThemes(const GlobeConfiguration& live);

private:
    GlobeConfigRecord globe_;
    MusicConfiguration music_;
    MusicConfigRecord musicRecord_{music_};
    TimeLapseRecord timeLapse_;
    ConfigurationFile file_;
    bool damaged_ = false;
    bool changed_ = false;
};

// The process-wide configuration, loaded at its first use.
Configuration& configuration();

}  // namespace tnx::settings
