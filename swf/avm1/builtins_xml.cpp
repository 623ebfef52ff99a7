#include "swf/avm1/builtins.h"

namespace swf::avm1 {

void installXml(Vm&, Object*) {}

}  // namespace swf::avm1
