#include "swf/avm1/builtins.h"

namespace swf::avm1 {

void installLoadVarsAndMisc(Vm&, Object*) {}

}  // namespace swf::avm1
