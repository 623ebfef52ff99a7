#include "swf/avm1/builtins.h"

namespace swf::avm1 {

void installColorAndSound(Vm&, Object*) {}

}  // namespace swf::avm1
