// The root record "savecviewcore" of "3dvis.ini": no fixed part, then the
// records of the globe scene ("savecglobe"), the HUD root ("savecbuttons")
// and the sound visualisation ("savesoundvisual"), found by position.
#pragma once

#include "settings/preserved_record.h"
#include "settings/record.h"

namespace tnx::settings {

class ViewCoreRecord : public RootRecordOwner {
public:
    static constexpr const char* kName = "savecviewcore";
    static constexpr const char* kGlobeName = "savecglobe";
    static constexpr const char* kButtonsName = "savecbuttons";
    static constexpr const char* kSoundVisualName = "savesoundvisual";

    ViewCoreRecord();
    // Any of the three may be null: its record is then kept as read and
    // written back unchanged, so the others stay in their places.
    void setChildren(RecordOwner* globe, RecordOwner* buttons, RecordOwner* soundVisual);

    size_t writeRootRecord(std::vector<uint8_t>& out) override;
    int readRootRecord(std::span<const uint8_t> record) override;

private:
    RecordOwner* slot(int i);

    RecordOwner* children_[3] = {nullptr, nullptr, nullptr};
    PreservedRecord kept_[3];
};

}  // namespace tnx::settings
