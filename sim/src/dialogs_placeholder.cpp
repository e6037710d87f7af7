// Interim: the dialogs part of reset, until the simulated dialogs land and replace this
// file.
#include "sim_internal.h"

namespace sim {
namespace detail {

void resetDialogs() {}

}  // namespace detail
}  // namespace sim
