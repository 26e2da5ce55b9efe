#include "settings/imagery_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "settings/imagery_settings.h"

namespace tnx::settings {

QGroupBox* ImageryOptionsGroup::make(QWidget* parent, ImagerySettings& settings,
                                     std::function<std::string(const std::string&)> check,
                                     std::function<void()> changed) {
    auto* box = new QGroupBox(QStringLiteral("Online imagery"), parent);
    auto* form = new QFormLayout(box);
    auto name = [](QWidget* w, int id) { w->setObjectName(QString::number(id)); };

    auto* layer = new QComboBox(box);
    name(layer, kLayer);
    for (int i = 0; i < kImageryLayerCount; ++i) layer->addItem(QString::fromUtf8(imageryLayerName(ImageryLayer(i))));
    layer->setCurrentIndex(int(settings.layer));
    form->addRow(QStringLiteral("Layer"), layer);

    auto* source = new QLineEdit(QString::fromStdString(settings.urlTemplate), box);
    name(source, kSource);
    source->setPlaceholderText(QStringLiteral("NASA EOSDIS GIBS"));
    source->setToolTip(QStringLiteral("A URL template with {z}/{x}/{y} (geographic tiles) or {TileMatrix}/"
                                      "{TileRow}/{TileCol}; empty for NASA's imagery"));
    form->addRow(QStringLiteral("Source"), source);
    auto* error = new QLabel(box);
    name(error, kSourceError);
    error->setStyleSheet(QStringLiteral("color: #b00000"));
    error->setWordWrap(true);
    error->hide();
    form->addRow(error);

    auto* cache = new QSpinBox(box);
    name(cache, kCacheSize);
    cache->setRange(ImagerySettings::kMinCacheMegabytes, ImagerySettings::kMaxCacheMegabytes);
    cache->setSuffix(QStringLiteral(" MB"));
    cache->setValue(settings.cacheMegabytes);
    form->addRow(QStringLiteral("Disk cache"), cache);

    auto* saver = new QCheckBox(QStringLiteral("Also in the screen saver"), box);
    name(saver, kSaverOnline);
    saver->setChecked(settings.saverOnline);
    form->addRow(saver);

    QObject::connect(layer, &QComboBox::currentIndexChanged, box, [&settings, changed](int index) {
        settings.layer = ImageryLayer(index);
        changed();
    });
    QObject::connect(source, &QLineEdit::editingFinished, box, [&settings, source, error, check, changed] {
        const std::string text = source->text().trimmed().toStdString();
        const std::string why = text.empty() ? std::string() : check(text);
        error->setText(QString::fromStdString(why));
        error->setVisible(!why.empty());
        if (!why.empty() || text == settings.urlTemplate) return;
        settings.urlTemplate = text;
        changed();
    });
    QObject::connect(cache, &QSpinBox::editingFinished, box, [&settings, cache, changed] {
        if (cache->value() == settings.cacheMegabytes) return;
        settings.cacheMegabytes = cache->value();
        changed();
    });
    QObject::connect(saver, &QCheckBox::toggled, box, [&settings, changed](bool on) {
        settings.saverOnline = on;
        changed();
    });
    return box;
}

}  // namespace tnx::settings
