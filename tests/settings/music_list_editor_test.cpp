// The Mp3player dialog's work without the dialog: moves at the ends and
// with blocks, removal, the selection that follows its directories, the
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

// Entries "a", "b", ... with the marked ones selected, on the file list.
struct Fixture {
    MusicConfiguration config;
    MusicListEditor editor;
    explicit Fixture(const std::string& selected, size_t n = 6) : config(make(n)), editor(config) {
        editor.setTarget(Target::Files);
        for (char c : selected) editor.setSelected(Target::Files, size_t(c - 'a'), true);
    }
    static MusicConfiguration make(size_t n) {
        MusicConfiguration m;
        for (size_t i = 0; i < n; ++i) m.fileList.push_back(std::string(1, char('a' + i)));
        return m;
    }
    std::string order() const {
        std::string s;
        for (const std::string& f : config.fileList) s += f;
        return s;
    }
    std::string selection() const {
        std::string s;
        for (size_t i = 0; i < editor.count(Target::Files); ++i)
            if (editor.selected(Target::Files, i)) s += editor.entry(Target::Files, i);
        return s;
    }
};

TEST(MusicListEditor, MovesKeepTheSelectedInTheirOrderAndStopAtTheEnds) {
    struct Case {
        const char* selected;
        void (MusicListEditor::*move)();
        const char* want;
    };
    const Case cases[] = {
        {"ce", &MusicListEditor::moveTop, "ceabdf"},
        {"ce", &MusicListEditor::moveBottom, "abdfce"},
        {"bc", &MusicListEditor::moveUp, "bcadef"},     // a block moves as one
        {"ab", &MusicListEditor::moveUp, "abcdef"},     // a block at the top stays
        {"ad", &MusicListEditor::moveUp, "abdcef"},     // the one at the top stays, the other moves
        {"ef", &MusicListEditor::moveDown, "abcdef"},   // a block at the bottom stays
        {"df", &MusicListEditor::moveDown, "abcedf"},
        {"bd", &MusicListEditor::moveDown, "acbedf"},
        {"", &MusicListEditor::moveTop, "abcdef"},
        {"abcdef", &MusicListEditor::moveDown, "abcdef"},
        {"bdf", &MusicListEditor::removeSelected, "ace"},
        {"b", &MusicListEditor::removeAll, ""},
    };
    for (const Case& k : cases) {
        Fixture f(k.selected);
        (f.editor.*k.move)();
        EXPECT_EQ(f.order(), k.want) << k.selected;
        // The moved entries stay selected; removed ones are gone with theirs.
        if (k.move != &MusicListEditor::removeSelected && k.move != &MusicListEditor::removeAll) {
            std::string want;
            for (char c : std::string(k.want))
                if (std::string(k.selected).find(c) != std::string::npos) want += c;
            EXPECT_EQ(f.selection(), want) << k.selected;
        } else {
            EXPECT_EQ(f.selection(), "") << k.selected;
        }
    }
}

TEST(MusicListEditor, MovesActOnTheChosenListOnlyAndTheChoiceOutlivesTheDialog) {
    MusicConfiguration m = Fixture::make(3);
    m.directoryList = {"/x", "/y", "/z"};
    {
        MusicListEditor e(m);
        e.setTarget(Target::Directories);
        e.setSelected(Target::Files, 2, true);
        e.setSelected(Target::Directories, 2, true);
        e.moveTop();
    }
    EXPECT_EQ(m.fileList, (Lines{"a", "b", "c"}));
    EXPECT_EQ(m.directoryList, (Lines{"/z", "/x", "/y"}));
    MusicListEditor next(m);
    EXPECT_EQ(next.target(), Target::Directories);
    next.setTarget(Target::Files);
    EXPECT_EQ(MusicListEditor(m).target(), Target::Files);
}

TEST(MusicListEditor, TheStoredSelectionNamesTheSameDirectoriesUntilOk) {
    MusicConfiguration m;
    m.directoryList = {"/a", "/b", "/c", "/d"};
    m.selectedDirectories[0] = 1;  // "/b"
    m.selectedDirectories[1] = 3;  // "/d"
    m.selectedDirectories[2] = 7;  // names nothing: not shown, not kept
    MusicListEditor e(m);
    EXPECT_TRUE(e.selected(Target::Directories, 1));
    EXPECT_TRUE(e.selected(Target::Directories, 3));
    e.setTarget(Target::Directories);
    // Rearranged without OK: "/b" and "/d" to the bottom, then "/a" removed
    // with only it selected in the list.
    e.moveBottom();
    e.setSelected(Target::Directories, 2, false);
    e.setSelected(Target::Directories, 3, false);
    e.setSelected(Target::Directories, 0, true);  // "/a"
    e.removeSelected();
    ASSERT_EQ(m.directoryList, (Lines{"/c", "/b", "/d"}));
    EXPECT_EQ(m.selectedDirectories[0], 1);
    EXPECT_EQ(m.selectedDirectories[1], 2);
    EXPECT_EQ(m.selectedDirectories[2], -1);
    // OK takes what is selected now.
    e.setSelected(Target::Directories, 2, true);
    MusicListEditor::Choices c;
    c.maxFiles = 1500;
    c.playModeIndex = -1;
    m.playMode = kPlayModeFileList;
    e.accept(c);
    EXPECT_EQ(m.selectedDirectories[0], 2);
    EXPECT_EQ(m.selectedDirectories[1], -1);
    EXPECT_EQ(m.maxFiles, 999);
    EXPECT_EQ(m.playMode, kPlayModeFileList);  // no mode chosen: it stays
    c.playModeIndex = kPlayModeCount;
    e.accept(c);
    EXPECT_EQ(m.playMode, kPlayModeFileList);
    c.playModeIndex = 0;
    e.accept(c);
    EXPECT_EQ(m.playMode, kPlayModeRandom);
}

TEST(MusicListEditor, AtMost255SelectedDirectoriesAreStoredAndTheRunIsEnded) {
    MusicConfiguration m;
    for (int i = 0; i < 300; ++i) m.directoryList.push_back("/d" + std::to_string(i));
    MusicListEditor e(m);
    for (size_t i = 0; i < 300; ++i) e.setSelected(Target::Directories, i, true);
    e.accept({});
    EXPECT_EQ(m.selectedDirectories[254], 254);
    EXPECT_EQ(m.selectedDirectories[255], -1);
}

TEST(MusicListEditor, MaximumAsTyped) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"1500", 999},  {"-3", 0},      {"abc", std::nullopt}, {"", 0},    {" 42 ", 42},
        {"999", 999},   {"1000", 999},  {"0", 0},              {"+7", 7},  {"12abc", std::nullopt},
        {"99999999", 999}, {"-99999999999999999999", 0}, {"+-1", std::nullopt}, {"4.5", std::nullopt},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(MusicListEditor::parseMaxFiles(text), want) << text;
}

TEST(MusicListEditor, LinesAreNumberedAndAddingStopsWhereTheFileIsFull) {
    EXPECT_EQ(MusicListEditor::lineText(0, "/m/a.mp3"), "  1  /m/a.mp3");
    EXPECT_EQ(MusicListEditor::lineText(999, "x"), "1000  x");

    MusicConfiguration m;
    // Room for "/a" and "/b" with their NULs and the list's closing NUL.
    MusicListEditor e(m, 7);
    EXPECT_EQ(e.addFiles({"/a", "", "/b", "/c"}), 2u);
    EXPECT_EQ(e.listBytes(), 7u);
    EXPECT_EQ(m.fileList, (Lines{"/a", "/b"}));
    EXPECT_FALSE(e.addDirectory("d"));
    e.setTarget(Target::Files);
    e.removeAll();
    EXPECT_TRUE(e.addDirectory("/dir"));
    EXPECT_FALSE(e.addDirectory(""));
    EXPECT_EQ(m.directoryList, Lines{"/dir"});
}

}  // namespace
}  // namespace tnx::settings
