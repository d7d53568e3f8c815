#pragma once
// The machine's own files as the tests see them: plain Qt reads, and a prefix's drives taken
// from its dosdevices links.

#include "platform/hostfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fakes {

class HostFiles : public platform::HostFiles {
public:
    std::optional<QByteArray> read(const QString& path, qint64 limit) override {
        QFile file(path);
        // A FIFO is no file: it is never opened, so it cannot block.
        if (!QFileInfo(path).isFile() || file.size() > limit || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
    QStringList list(const QString& folder, Entries kind, int limit, int* looked) override {
        const QDir::Filters hidden = QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
        const QStringList all = QDir(folder).entryList(QDir::AllEntries | hidden).mid(0, limit);
        if (looked)
            *looked = int(all.size());
        const QDir::Filters filter = kind == Entries::Folders ? QDir::Dirs : QDir::Files;
        QStringList names = QDir(folder).entryList(filter | hidden, QDir::Name);
        names.removeIf([&all](const QString& name) { return !all.contains(name); });
        return names;
    }
    bool isFolder(const QString& path) override { return QFileInfo(path).isDir(); }
    bool exists(const QString& path) override { return QFileInfo::exists(path); }
    QString canonical(const QString& path) override { return QFileInfo(path).canonicalFilePath(); }
    std::unique_ptr<platform::HeldFile> hold(const QString& path, qint64 limit) override {
        struct Held : platform::HeldFile {
            explicit Held(QString file) : file_(std::move(file)) {}
            QString name() const override { return file_; }
            QString file_;
        };
        if (!QFileInfo(path).isFile() || QFileInfo(path).size() > limit)
            return nullptr;
        return std::make_unique<Held>(path);
    }
    QString inPrefix(const QString& prefixRoot, const QString& windowsPath) override {
        const QString link = prefixRoot + "/dosdevices/" + windowsPath.left(2).toLower();
        const QString drive = QFileInfo(link).canonicalFilePath();
        return drive.isEmpty() ? QString() : drive + QString(windowsPath.mid(2)).replace('\\', '/');
    }
};

} // namespace fakes
