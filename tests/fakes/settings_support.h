#pragma once
// The settings tests' fake platform with the settings folder.

#include "fakes/fake_platform.h"
#include "fakes/native.h"

#include <QtCore>

using fakes::makeFifo, fakes::makeReadOnly;

// Bytes that no shift or field boundary leaves unchanged, none of them 1 or blank.
inline QByteArray patterned(int size) {
    return QByteArray("\xA1\xB2\xC3\xD4\xE5\xF6\x97", 7).repeated(30).left(size);
}

// Detects 192.168.1.10 and 10.0.0.7, the second given with a byte beyond the address length.
struct Place : fakes::FakePlatform {
    QString folder = prefix.makeFolder("users/player/AppData/Roaming/Populous/Velkor");
    QString file = folder + "/Velkor.cfg", appData = folder.section('/', 0, -3);
    QString settingsdir = files->toWindows(appData) + "\\Populous\\Velkor";
    Place() {
        system.appData = files->toWindows(appData);
        sockets.host = platform::HostEntry{
            4, {QByteArray("\xC0\xA8\x01\x0A", 4), QByteArray("\x0A\x00\x00\x07\x09", 5)}};
    }
    void write(const QByteArray& bytes) const {
        prefix.writeFile(file.mid(prefix.root().size()), bytes);
    }
    QByteArray bytes() const { return fakes::readFile(file); }
};
