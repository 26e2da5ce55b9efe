#include "settings/mp3_player_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/configuration.h"
#include "settings/configuration_file.h"
#include "settings/music_config_record.h"
#include "settings/music_list_editor.h"
#include "platform/win/dialog_buttons.h"

namespace tnx::settings {

namespace {

using Target = MusicListEditor::Target;

QString id(int n) { return QString::number(n); }

// The list text the configuration file can still take once the globe's
// record and the music record's fixed part are in it.
size_t roomForLists(Configuration& config) {
    std::vector<uint8_t> globe;
    const size_t used = ConfigurationFile::kHeadLength + config.globe().writeRecord(globe) +
                        MusicConfigRecord::kEmptyRecordSize;
    return used < ConfigurationFile::kMaxFileLength ? ConfigurationFile::kMaxFileLength - used : 0;
}

// Entries are the file system's bytes; shown as the system decodes names.
QString shown(const std::string& entry) { return QFile::decodeName(QByteArray::fromStdString(entry)); }
std::string stored(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Where a chooser opens: beside the last entry of the list, else in the
// user's music folder, else at home.
QString startFolder(const MusicListEditor& editor, Target t) {
    if (size_t n = editor.count(t)) {
        QFileInfo last(shown(editor.entry(t, n - 1)));
        // A folder's parent, so its siblings are at hand; a file's folder.
        const QString near = last.absolutePath();
        if (QFileInfo(near).isDir()) return near;
    }
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return QFileInfo(music).isDir() ? music : QDir::homePath();
}

using D = Mp3PlayerDialog;

class Dialog : public QDialog {
public:
    Dialog(Configuration& config, QWidget* parent);
    MusicListEditor& editor() { return editor_; }
    void refresh();
    void done(int result) override;

private:
    void buildControls();
    QListWidget* listWidget(Target t) const;
    void fillList(Target t);
    void takeSelection(Target t);
    void chooseTarget(Target t);
    void edit(void (MusicListEditor::*operation)());
    void addFiles();
    void addDirectory();
    bool readControls();

    Configuration& config_;
    MusicListEditor editor_;
    bool filling_ = false;
    QCheckBox* enable_ = nullptr;
    QCheckBox* spectrum_ = nullptr;
    QCheckBox* randomize_ = nullptr;
    QLineEdit* maxFiles_ = nullptr;
    QComboBox* mode_ = nullptr;
    QListWidget* directories_ = nullptr;
    QListWidget* files_ = nullptr;
    QRadioButton* editDirectories_ = nullptr;
    QRadioButton* editFiles_ = nullptr;
};

Dialog::Dialog(Configuration& config, QWidget* parent)
    : QDialog(parent), config_(config), editor_(config.music(), roomForLists(config)) {
    setObjectName(id(D::kDialogId));
    setWindowTitle(QStringLiteral("Mp3player"));
    setModal(true);
    buildControls();
    refresh();
}

void Dialog::buildControls() {
    using enum D::ControlId;
    const MusicConfiguration& m = config_.music();
    auto* layout = new QVBoxLayout(this);

    auto check = [&](int n, const char* text, bool on) {
        auto* c = new QCheckBox(QString::fromLatin1(text), this);
        c->setObjectName(id(n));
        c->setChecked(on);
        return c;
    };
    auto* options = new QHBoxLayout;
    enable_ = check(kEnable, "Enable Mp3 player", m.enabled);
    spectrum_ = check(kSpectrum, "Spectrum analyzer", m.spectrumShown);
    randomize_ = check(kRandomize, "Randomize on start", m.randomizeOnStart);
    options->addWidget(enable_);
    options->addWidget(spectrum_);
    options->addWidget(randomize_);
    options->addStretch();
    layout->addLayout(options);

    auto* play = new QHBoxLayout;
    maxFiles_ = new QLineEdit(QString::number(m.maxFiles), this);
    maxFiles_->setObjectName(id(kMaxFiles));
    maxFiles_->setMaxLength(8);
    maxFiles_->setMaximumWidth(maxFiles_->fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    auto* maxLabel = new QLabel(QStringLiteral("Maximum files to play"), this);
    maxLabel->setBuddy(maxFiles_);
    mode_ = new QComboBox(this);
    mode_->setObjectName(id(kPlayMode));
    for (int i = 0; i < kPlayModeCount; ++i) mode_->addItem(QString::fromLatin1(playModeText(i)));
    mode_->setCurrentIndex(m.playMode >= 0 && m.playMode < kPlayModeCount ? m.playMode : -1);
    play->addWidget(maxLabel);
    play->addWidget(maxFiles_);
    play->addSpacing(16);
    play->addWidget(mode_, 1);
    layout->addLayout(play);

    auto makeList = [&](int n) {
        auto* l = new QListWidget(this);
        l->setObjectName(id(n));
        l->setSelectionMode(QAbstractItemView::MultiSelection);
        l->setTextElideMode(Qt::ElideNone);
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        l->setMinimumSize(320, 220);
        return l;
    };
    directories_ = makeList(kDirectoryList);
    files_ = makeList(kFileList);
    editDirectories_ = new QRadioButton(QStringLiteral("Edit Directory list"), this);
    editDirectories_->setObjectName(id(kEditDirectories));
    editFiles_ = new QRadioButton(QStringLiteral("EDIT File list"), this);
    editFiles_->setObjectName(id(kEditFiles));
    auto button = [&](int n, const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(id(n));
        b->setAutoDefault(false);
        return b;
    };
    auto* addDirectory = button(kAddDirectory, "Add Directory");
    auto* addFiles = button(kAddFiles, "Add Files");

    auto* lists = new QGridLayout;
    lists->addWidget(editDirectories_, 0, 0);
    lists->addWidget(editFiles_, 0, 1);
    lists->addWidget(directories_, 1, 0);
    lists->addWidget(files_, 1, 1);
    auto* addRow0 = new QHBoxLayout;
    addRow0->addWidget(addDirectory);
    addRow0->addStretch();
    auto* addRow1 = new QHBoxLayout;
    addRow1->addWidget(addFiles);
    addRow1->addStretch();
    lists->addLayout(addRow0, 2, 0);
    lists->addLayout(addRow1, 2, 1);
    auto* moves = new QVBoxLayout;
    const std::pair<int, const char*> moveButtons[] = {{kTop, "Top"},       {kUp, "Up"},         {kDown, "Down"},
                                                        {kBottom, "Bottom"}, {kRemove, "Remove"}, {kRemoveAll, "Remove All"}};
    void (MusicListEditor::*operations[])() = {&MusicListEditor::moveTop,    &MusicListEditor::moveUp,
                                              &MusicListEditor::moveDown,   &MusicListEditor::moveBottom,
                                              &MusicListEditor::removeSelected, &MusicListEditor::removeAll};
    for (size_t i = 0; i < std::size(moveButtons); ++i) {
        auto* b = button(moveButtons[i].first, moveButtons[i].second);
        moves->addWidget(b);
        auto operation = operations[i];
        connect(b, &QPushButton::clicked, this, [this, operation] { edit(operation); });
    }
    moves->addStretch();
    lists->addLayout(moves, 1, 2);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(1, 1);
    layout->addLayout(lists, 1);

    connect(editDirectories_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) chooseTarget(Target::Directories);
    });
    connect(editFiles_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) chooseTarget(Target::Files);
    });
    connect(directories_, &QListWidget::itemSelectionChanged, this, [this] { takeSelection(Target::Directories); });
    connect(files_, &QListWidget::itemSelectionChanged, this, [this] { takeSelection(Target::Files); });
    connect(addFiles, &QPushButton::clicked, this, &Dialog::addFiles);
    connect(addDirectory, &QPushButton::clicked, this, &Dialog::addDirectory);

    platform::addOkCancel(this, layout);

    (editor_.target() == Target::Files ? editFiles_ : editDirectories_)->setChecked(true);
    chooseTarget(editor_.target());
}

QListWidget* Dialog::listWidget(Target t) const { return t == Target::Files ? files_ : directories_; }

void Dialog::fillList(Target t) {
    QListWidget* w = listWidget(t);
    filling_ = true;
    const int scroll = w->verticalScrollBar() ? w->verticalScrollBar()->value() : 0;
    w->clear();
    for (size_t i = 0; i < editor_.count(t); ++i) {
        auto* item = new QListWidgetItem(shown(MusicListEditor::lineText(i, editor_.entry(t, i))), w);
        item->setSelected(editor_.selected(t, i));
    }
    w->verticalScrollBar()->setValue(scroll);
    filling_ = false;
}

void Dialog::refresh() {
    fillList(Target::Directories);
    fillList(Target::Files);
}

void Dialog::takeSelection(Target t) {
    if (filling_) return;
    QListWidget* w = listWidget(t);
    for (int i = 0; i < w->count(); ++i) editor_.setSelected(t, size_t(i), w->item(i)->isSelected());
}

void Dialog::chooseTarget(Target t) {
    editor_.setTarget(t);
    directories_->setEnabled(t == Target::Directories);
    files_->setEnabled(t == Target::Files);
}

void Dialog::edit(void (MusicListEditor::*operation)()) {
    (editor_.*operation)();
    fillList(editor_.target());
}

void Dialog::addFiles() {
    const QStringList chosen = QFileDialog::getOpenFileNames(
        this, QString::fromLatin1(D::kOpenTitle), startFolder(editor_, Target::Files),
        QStringLiteral("MPEG Audio Streams (.mp1, .mp2, .mp3, .mpp) (*.mp1 *.mp2 *.mp3 *.mpp *.MP1 *.MP2 *.MP3 *.MPP);;"
                       "All Files (*.*) (*)"),
        nullptr, QFileDialog::HideNameFilterDetails);
    if (chosen.isEmpty()) return;
    std::vector<std::string> paths;
    for (const QString& p : chosen) paths.push_back(stored(p));
    const size_t added = editor_.addFiles(paths);
    fillList(Target::Files);
    if (added < paths.size())
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The lists are full: %1 of the %2 files could not be added.")
                                 .arg(paths.size() - added)
                                 .arg(paths.size()));
}

void Dialog::addDirectory() {
    const QString dir = QFileDialog::getExistingDirectory(this, QString::fromLatin1(D::kDirectoryTitle),
                                                          startFolder(editor_, Target::Directories));
    if (dir.isEmpty()) return;
    const bool added = editor_.addDirectory(stored(dir));
    fillList(Target::Directories);
    if (!added)
        QMessageBox::warning(this, windowTitle(), QStringLiteral("The lists are full: the directory could not be added."));
}

bool Dialog::readControls() {
    const auto maxFiles = MusicListEditor::parseMaxFiles(maxFiles_->text().toStdString());
    if (!maxFiles) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The maximum number of files must be a whole number from 0 to %1.")
                                 .arg(kMaxFilesLimit));
        maxFiles_->setFocus();
        maxFiles_->selectAll();
        return false;
    }
    MusicListEditor::Choices c;
    c.enabled = enable_->isChecked();
    c.spectrumShown = spectrum_->isChecked();
    c.randomizeOnStart = randomize_->isChecked();
    c.maxFiles = *maxFiles;
    c.playModeIndex = mode_->currentIndex();
    takeSelection(Target::Directories);
    editor_.accept(c);
    maxFiles_->setText(QString::number(*maxFiles));
    return true;
}

void Dialog::done(int result) {
    if (result == QDialog::Accepted && !readControls()) return;  // stays open until the maximum is a number
    QDialog::done(result);
}

}  // namespace

bool Mp3PlayerDialog::run(Configuration& config, QWidget* parent) {
    Dialog dialog(config, parent);
    return dialog.exec() == QDialog::Accepted;
}

QWidget* Mp3PlayerDialog::build(Configuration& config, QWidget* parent) { return new Dialog(config, parent); }

MusicListEditor& Mp3PlayerDialog::editor(QWidget* dialog) { return static_cast<Dialog*>(dialog)->editor(); }

void Mp3PlayerDialog::refresh(QWidget* dialog) { static_cast<Dialog*>(dialog)->refresh(); }

}  // namespace tnx::settings
