#pragma once
// A property-and-method face on the HTML Help runtime.

#include <QString>

class HTMLHelp {
public:
    QString CHMFile;
};
