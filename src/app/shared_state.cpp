#include "app/shared_state.h"

namespace lumaru {

SharedState& State() {
    static SharedState state;
    return state;
}

}  // namespace lumaru
