#include "skin/skin_selector.h"

#include <QComboBox>

namespace lumaru {

void ApplyStartSkin() {}

void ConnectSkinSelector(QComboBox*) {}

}  // namespace lumaru
