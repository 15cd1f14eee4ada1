#pragma once

#include <QString>

class QComboBox;

namespace glintag {

// A combo box is named by what it sets ("Slot 3: Speed"), not by the value it
// shows: the toolkit's own accessible combo box reports its current text as
// its name on this platform, so a screen reader would say "3" for every
// speed box. The factory installed here keeps the role, value, children and
// actions of a combo box and answers the name the window gave it.
void installComboNames();

// The name for the box, its edit field and its drop-down list alike.
void nameComboBox(QComboBox *box, const QString &name);

} // namespace glintag
