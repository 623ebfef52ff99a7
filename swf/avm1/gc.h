#pragma once
// The VM's heap: every object, function, scope and activation is a cell owned by the heap and
// referenced by plain pointers elsewhere. Cycles (closures that capture their own activation,
// prototypes that point back at constructors) are reclaimed by mark and sweep from the roots:
// the global object, the VM's own tables and whatever the host reports through its tracer.
// Collection only runs while no script executes, so native code never holds a stale pointer.

#include <cstddef>
#include <memory>
#include <vector>

namespace swf::avm1 {

class Value;
class Tracer;

class GcCell {
public:
    GcCell() = default;
    GcCell(const GcCell&) = delete;
    GcCell& operator=(const GcCell&) = delete;
    virtual ~GcCell() = default;
    // Reports every cell this one references.
    virtual void traceChildren(Tracer&) const {}

private:
    friend class Heap;
    friend class Tracer;
    bool marked_ = false;
};

class Tracer {
public:
    void mark(const GcCell* cell)
    {
        if (cell && !cell->marked_) {
            const_cast<GcCell*>(cell)->marked_ = true;
            work_.push_back(cell);
        }
    }
    void mark(const Value& v);

private:
    friend class Heap;
    std::vector<const GcCell*> work_;
};

class Heap {
public:
    Heap() = default;
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    template <class T, class... Args>
    T* make(Args&&... args)
    {
        auto cell = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = cell.get();
        cells_.push_back(std::move(cell));
        return raw;
    }

    std::size_t size() const { return cells_.size(); }
    std::size_t allocatedSinceCollect() const { return cells_.size() - liveAfterCollect_; }

    // Marks from the roots `traceRoots` reports, then frees every unmarked cell.
    template <class RootsFn>
    std::size_t collect(RootsFn&& traceRoots)
    {
        Tracer tracer;
        traceRoots(tracer);
        while (!tracer.work_.empty()) {
            const GcCell* c = tracer.work_.back();
            tracer.work_.pop_back();
            c->traceChildren(tracer);
        }
        return sweep();
    }

private:
    std::size_t sweep();

    std::vector<std::unique_ptr<GcCell>> cells_;
    std::size_t liveAfterCollect_ = 0;
};

}  // namespace swf::avm1
