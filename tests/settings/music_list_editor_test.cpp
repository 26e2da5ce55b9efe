// The Mp3player dialog's work without the dialog: moves at the ends and
// with blocks, the stored selection following its directories, the
// maximum as typed, and lists that must fit the configuration file.
#include "settings/music_list_editor.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tnx::settings {
namespace {

using Target = MusicListEditor::Target;
using Lines = std::vector<std::string>;

TEST(MusicListEditor, MovesKeepTheSelectedInTheirOrderAndStopAtTheEnds) {
    const struct {
        const char* selected;
        void (MusicListEditor::*move)();
        const char* want;
    } cases[] = {
        {"ce", &MusicListEditor::moveTop, "ceabdf"},   {"ce", &MusicListEditor::moveBottom, "abdfce"},
        {"bc", &MusicListEditor::moveUp, "bcadef"},    // a block moves as one
        {"ab", &MusicListEditor::moveUp, "abcdef"},    // a block at the top stays
        {"ad", &MusicListEditor::moveUp, "abdcef"},    // only the one away from the top moves
        {"ef", &MusicListEditor::moveDown, "abcdef"},  {"bd", &MusicListEditor::moveDown, "acbedf"},
        {"bdf", &MusicListEditor::removeSelected, "ace"}, {"b", &MusicListEditor::removeAll, ""},
    };
    for (const auto& k : cases) {
        MusicConfiguration m;
        m.directoryList = {"/x", "/y"};
        for (char c : std::string("abcdef")) m.fileList.push_back(std::string(1, c));
        MusicListEditor e(m);
        e.setTarget(Target::Files);
        for (const char* c = k.selected; *c; ++c) e.setSelected(Target::Files, size_t(*c - 'a'), true);
        e.setSelected(Target::Directories, 1, true);
        (e.*k.move)();
        std::string order, selected;
        for (size_t i = 0; i < e.count(Target::Files); ++i) {
            order += m.fileList[i];
            if (e.selected(Target::Files, i)) selected += e.entry(Target::Files, i);
        }
        EXPECT_EQ(order, k.want) << k.selected;
        // The moved entries stay selected, in their new places.
        std::string want;
        for (const char* c = k.want; *c; ++c)
            if (std::string(k.selected).find(*c) != std::string::npos) want += *c;
        EXPECT_EQ(selected, want) << k.selected;
        EXPECT_EQ(m.directoryList, (Lines{"/x", "/y"}));  // not the list being edited
    }
}

TEST(MusicListEditor, TheStoredSelectionNamesTheSameDirectoriesUntilOk) {
    MusicConfiguration m;
    m.directoryList = {"/a", "/b", "/c", "/d"};
    m.selectedDirectories[0] = 1;  // "/b"
    m.selectedDirectories[1] = 3;  // "/d"
    MusicListEditor e(m);
    e.setTarget(Target::Directories);
    // "/b" and "/d" to the bottom, then "/a" removed with only it selected.
    e.moveBottom();
    e.setSelected(Target::Directories, 2, false);
    e.setSelected(Target::Directories, 3, false);
    e.setSelected(Target::Directories, 0, true);
    e.removeSelected();
    ASSERT_EQ(m.directoryList, (Lines{"/c", "/b", "/d"}));
    EXPECT_EQ(m.selectedDirectories[0], 1);
    EXPECT_EQ(m.selectedDirectories[1], 2);
    EXPECT_EQ(m.selectedDirectories[2], -1);
    // OK takes what is selected now; an index past the modes keeps the mode.
    e.setSelected(Target::Directories, 2, true);
    m.playMode = kPlayModeFileList;
    e.accept({.maxFiles = 1500, .playModeIndex = kPlayModeCount});
    EXPECT_EQ(m.selectedDirectories[0], 2);
    EXPECT_EQ(m.selectedDirectories[1], -1);
    EXPECT_EQ(m.maxFiles, 999);
    EXPECT_EQ(m.playMode, kPlayModeFileList);
}

TEST(MusicListEditor, MaximumAsTyped) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"1500", 999}, {"-3", 0}, {"abc", std::nullopt}, {"", 0}, {" 42 ", 42}, {"999", 999}, {"1000", 999},
        {"+7", 7}, {"12abc", std::nullopt}, {"-99999999999999999999", 0}, {"+-1", std::nullopt},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(MusicListEditor::parseMaxFiles(text), want) << text;
}

TEST(MusicListEditor, AddingStopsWhereTheFileIsFull) {
    MusicConfiguration m;
    // Room for "/a" and "/b" with their NULs and the list's closing NUL.
    MusicListEditor e(m, 7);
    EXPECT_EQ(e.addFiles({"/a", "", "/b", "/c"}), 2u);
    EXPECT_EQ(m.fileList, (Lines{"/a", "/b"}));
    EXPECT_FALSE(e.addDirectory("d"));
    e.setTarget(Target::Files);
    e.removeAll();
    EXPECT_TRUE(e.addDirectory("/dir"));
    EXPECT_EQ(m.directoryList, Lines{"/dir"});
}

}  // namespace
}  // namespace tnx::settings
