#include "core/state/SharedState.h"

namespace zarkent {

SharedState& State() {
    static SharedState state;
    return state;
}

} // namespace zarkent
