#pragma once

class QComboBox;

namespace lumaru {

// Applies the skin the program starts with ("皮肤3").
void ApplyStartSkin();

// When the selector's list closes, applies the skin of its selected item.
void ConnectSkinSelector(QComboBox* selector);

}  // namespace lumaru
