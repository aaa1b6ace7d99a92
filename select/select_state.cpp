#include "select/select.h"

namespace rvl {

SelectState selection{};

void resetSelectState() { selection = SelectState{}; }

}  // namespace rvl
