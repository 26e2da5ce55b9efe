#include "platform/registry/registry.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <cstdlib>
#include <memory>

namespace tnx::registry {

namespace {

constexpr const char* kDwordTag = "dword:";
constexpr const char* kStringTag = "sz:";

std::unique_ptr<QSettings> openSettings() {
    if (const char* file = std::getenv("TERRANOX_REGISTRY"); file && *file)
        return std::make_unique<QSettings>(QString::fromLocal8Bit(file), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Tarnwick", "Terranox");
}

// "Software\Tarnwick\Terranox\Screen 1" + "Width" -> "Screen 1/Width".
// Keys outside the product's own key are not kept here.
std::optional<QString> settingsKey(const std::string& keyPath, const std::string& name) {
    std::string root = kProductKey;
    if (keyPath.size() < root.size()) return std::nullopt;
    for (size_t i = 0; i < root.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(keyPath[i])) != std::tolower(static_cast<unsigned char>(root[i])))
            return std::nullopt;
    std::string rest = keyPath.substr(root.size());
    if (!rest.empty() && rest[0] != '\\') return std::nullopt;
    QString key;
    for (char c : rest.empty() ? rest : rest.substr(1)) key += c == '\\' ? QChar('/') : QChar(c);
    if (!key.isEmpty()) key += '/';
    // Value names may hold blanks and such; QSettings keys take them as they are.
    key += QString::fromStdString(name);
    return key;
}

std::optional<QVariant> read(const std::string& keyPath, const std::string& name) {
    auto key = settingsKey(keyPath, name);
    if (!key) return std::nullopt;
    auto s = openSettings();
    if (!s->contains(*key)) return std::nullopt;
    return s->value(*key);
}

bool write(const std::string& keyPath, const std::string& name, const QVariant& value) {
    auto key = settingsKey(keyPath, name);
    if (!key) return false;
    auto s = openSettings();
    s->setValue(*key, value);
    s->sync();
    return s->status() == QSettings::NoError;
}

}  // namespace

std::optional<std::vector<uint8_t>> getBinary(const std::string& keyPath, const std::string& name) {
    auto v = read(keyPath, name);
    if (!v || v->typeId() != QMetaType::QByteArray) return std::nullopt;
    QByteArray b = v->toByteArray();
    return std::vector<uint8_t>(b.begin(), b.end());
}

std::optional<uint32_t> getDword(const std::string& keyPath, const std::string& name) {
    auto v = read(keyPath, name);
    if (!v || v->typeId() == QMetaType::QByteArray) return std::nullopt;
    QString s = v->toString();
    if (!s.startsWith(kDwordTag)) return std::nullopt;
    bool ok = false;
    uint32_t value = s.mid(int(strlen(kDwordTag))).toUInt(&ok, 16);
    return ok ? std::optional<uint32_t>(value) : std::nullopt;
}

std::optional<std::string> getString(const std::string& keyPath, const std::string& name) {
    auto v = read(keyPath, name);
    if (!v || v->typeId() == QMetaType::QByteArray) return std::nullopt;
    QString s = v->toString();
    if (!s.startsWith(kStringTag)) return std::nullopt;
    return s.mid(int(strlen(kStringTag))).toStdString();
}

bool setBinary(const std::string& keyPath, const std::string& name, std::span<const uint8_t> data) {
    return write(keyPath, name, QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
}

bool setDword(const std::string& keyPath, const std::string& name, uint32_t value) {
    return write(keyPath, name, QString(kDwordTag) + QString::number(value, 16).rightJustified(8, '0'));
}

bool setString(const std::string& keyPath, const std::string& name, const std::string& value) {
    return write(keyPath, name, QString(kStringTag) + QString::fromStdString(value));
}

std::string storageLocation() { return openSettings()->fileName().toStdString(); }

}  // namespace tnx::registry
