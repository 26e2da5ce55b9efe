#include "app/status_colour_dialog.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/floating_status.h"
#include "platform/win/dialog_placement.h"

namespace tnx::app {

namespace {

constexpr const char* kLabels[StatusColourDialog::kButtons] = {
    "Coordinates Text Color", "Coordinates Background Color", "City Text Color",
    "City Background Color",  "Country Text Color",           "Country Background Color"};

QColor fromColorRef(uint32_t c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); }
uint32_t toColorRef(const QColor& c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }

class ColourDialog : public QDialog {
public:
    explicit ColourDialog(FloatingStatus& status) : status_(status) {
        setObjectName(QString::number(StatusColourDialog::kDialogId));
        setWindowTitle("Status Colors");
        auto* grid = new QGridLayout;
        for (int i = 0; i < StatusColourDialog::kButtons; ++i) {
            auto* b = new QPushButton(kLabels[i], this);
            b->setObjectName(QString::number(StatusColourDialog::kFirstButton + i));
            b->setMinimumSize(200, 32);
            buttons_[i] = b;
            connect(b, &QPushButton::clicked, this, [this, i] { choose(i); });
            grid->addWidget(b, i / 2, i % 2);
            paint(i);
        }
        auto* box = new QDialogButtonBox(this);
        QPushButton* ok = box->addButton(QDialogButtonBox::Ok);
        ok->setObjectName("1");
        QPushButton* cancel = box->addButton(QDialogButtonBox::Cancel);
        cancel->setObjectName("2");
        // The colours are already applied: both buttons only close.
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(grid);
        layout->addWidget(box);
    }

private:
    int slot(int button) const { return button / 2; }
    bool isText(int button) const { return button % 2 == 0; }
    uint32_t colour(int button) const {
        return isText(button) ? status_.textColour(slot(button)) : status_.backgroundColour(slot(button));
    }

    void paint(int button) {
        const QColor c = fromColorRef(colour(button));
        const QColor ink = c.lightness() > 128 ? Qt::black : Qt::white;
        buttons_[button]->setStyleSheet(QString("QPushButton { background-color: %1; color: %2; }")
                                            .arg(c.name(), ink.name()));
    }

    void choose(int button) {
        const QColor chosen =
            QColorDialog::getColor(fromColorRef(colour(button)), this, kLabels[button]);
        if (!chosen.isValid()) return;
        if (isText(button)) status_.setTextColour(slot(button), toColorRef(chosen));
        else status_.setBackgroundColour(slot(button), toColorRef(chosen));
        paint(button);
    }

    FloatingStatus& status_;
    QPushButton* buttons_[StatusColourDialog::kButtons] = {};
};

}  // namespace

QDialog* StatusColourDialog::build(FloatingStatus& status) { return new ColourDialog(status); }

void StatusColourDialog::run(QWidget* parent, FloatingStatus& status) {
    // Guarded: a parent going while the dialog runs takes it along.
    QPointer<QDialog> d = build(status);
    if (parent) d->setParent(parent, d->windowFlags());
    else platform::centerOnScreen(d.data());
    d->exec();
    delete d.data();
}

}  // namespace tnx::app
