#include "swf/avm1/gc.h"

#include "swf/avm1/object.h"
#include "swf/avm1/value.h"

namespace swf::avm1 {

void Tracer::mark(const Value& v)
{
    if (Object* o = v.asObject()) mark(o);
}

std::size_t Heap::sweep()
{
    std::size_t freed = 0;
    auto out = cells_.begin();
    for (auto it = cells_.begin(); it != cells_.end(); ++it) {
        if ((*it)->marked_) {
            (*it)->marked_ = false;
            if (out != it) *out = std::move(*it);
            ++out;
        } else {
            it->reset();
            ++freed;
        }
    }
    cells_.erase(out, cells_.end());
    liveAfterCollect_ = cells_.size();
    return freed;
}

}  // namespace swf::avm1
