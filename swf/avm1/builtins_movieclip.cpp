#include "swf/avm1/builtins.h"

namespace swf::avm1 {

void installMovieClip(Vm&, Object*) {}

}  // namespace swf::avm1
