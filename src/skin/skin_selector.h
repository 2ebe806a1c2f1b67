#pragma once

class QComboBox;

namespace lumaru {

// Applies the skin the program starts with ("皮肤3"), whatever the selector shows.
void ApplyStartSkin();

// Applies the skin of SkinTable entry `index` through the program's engine; an index outside
// the table applies nothing.
void ApplySkinOfItem(int index);

// Whenever the selector's drop-down list closes, applies the skin of the item then selected,
// also when it is the item already in use; with no item selected nothing is applied.
void ConnectSkinSelector(QComboBox* selector);

}  // namespace lumaru
