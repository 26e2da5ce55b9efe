#include "platform/resources/resource_lookup.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace tnx::res {

namespace {

DefaultResourceHook& hook() {
    static DefaultResourceHook h;
    return h;
}

std::optional<std::vector<uint8_t>> readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

std::optional<std::vector<uint8_t>> findResourceIn(const std::string& folder, const std::string& name) {
    if (name.empty()) return std::nullopt;
    QDir dir(QString::fromStdString(folder));
    if (!dir.exists()) return std::nullopt;
    const QString wanted = QString::fromStdString(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    // An exact match wins over one that differs only in case.
    for (const QString& entry : entries) {
        if (entry == wanted) return readAll(dir.filePath(entry));
    }
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return readAll(dir.filePath(entry));
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> findDefaultResource(const std::string& name) {
    if (hook()) return hook()(name);
    return findResourceIn(":/defaults", name);
}

void setDefaultResourceHook(DefaultResourceHook h) { hook() = std::move(h); }

}  // namespace tnx::res
