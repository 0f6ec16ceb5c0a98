#include "core/platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "core/base/Error.h"

namespace zarkent {

namespace {

// QSettings cannot hold an unnamed value; the default value lives under this name.
constexpr const char* DefaultValueName = "Language";

QString KeyName(const std::string& name) {
    return name.empty() ? QString::fromLatin1(DefaultValueName) : QString::fromStdString(name);
}

class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore() {
        QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (base.isEmpty()) base = QDir::homePath() + "/.config";
        path_ = base + "/Zarkent/Zarkent.conf";
    }

    bool KeyExists() override { return QFileInfo::exists(path_); }

    void CreateKey() override {
        const QString folder = QFileInfo(path_).path();
        QFile file(path_);
        if (!QDir().mkpath(folder) || !(file.exists() || file.open(QIODevice::WriteOnly | QIODevice::NewOnly)))
            throw ZarkentError("Cannot create the settings file \"" + path_.toStdString() + "\"");
    }

    std::optional<std::string> Read(const std::string& name) override {
        QSettings settings(path_, QSettings::IniFormat);
        const QVariant value = settings.value(KeyName(name));
        if (!value.isValid()) return std::nullopt;
        return value.toString().toStdString();
    }

    void Write(const std::string& name, const std::string& value) override {
        CreateKey();
        QSettings settings(path_, QSettings::IniFormat);
        settings.setValue(KeyName(name), QString::fromStdString(value));
        Sync(settings);
    }

private:
    void Sync(QSettings& settings) {
        settings.sync();
        if (settings.status() != QSettings::NoError)
            throw ZarkentError("Cannot write the settings file \"" + path_.toStdString() + "\"");
    }

    QString path_;
};

} // namespace

std::unique_ptr<SettingsStore> OpenUserSettings() {
    return std::make_unique<IniSettingsStore>();
}

} // namespace zarkent
