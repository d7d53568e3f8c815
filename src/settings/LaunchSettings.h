#pragma once
// The 115-byte image of the settings file "Velkor.cfg".

#include <QByteArray>

struct LaunchSettings {
    static constexpr int Size = 115;
    QByteArray image = QByteArray(Size, '\0');
};
