#pragma once
// The settings' three choices as pairs of option buttons, shown and stored the same way by
// every window that holds them.

#include "core/settings/LaunchSettings.h"

#include <QRadioButton>
#include <span>

// One flag of the settings as two options: `whenSet` is selected when the flag is set.
struct OptionPair {
    bool (LaunchSettings::*flag)() const;
    void (LaunchSettings::*setFlag)(bool);
    QRadioButton* whenSet;
    QRadioButton* otherwise;
};

// Selects each pair's option in the order given; selecting runs the option's handlers, so the
// order can matter.
inline void showOptions(const LaunchSettings& settings, std::span<const OptionPair> pairs) {
    for (const OptionPair& pair : pairs)
        ((settings.*pair.flag)() ? pair.whenSet : pair.otherwise)->setChecked(true);
}

// Stores each flag as set when its `whenSet` option is selected.
inline void storeOptions(LaunchSettings& settings, std::span<const OptionPair> pairs) {
    for (const OptionPair& pair : pairs)
        (settings.*pair.setFlag)(pair.whenSet->isChecked());
}
